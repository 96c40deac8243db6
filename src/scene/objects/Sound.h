#pragma once
// TD3DSound: a wave placed in the scene, played through a streaming buffer of the
// sound device and made spatial in software. The volume falls with the
// listener's distance inside `Range`, the pan follows the listener's heading, and
// with `Doppler` set the playback frequency shifts with the speed at which the
// distance changes.
//
// A sound without a device, or whose wave is missing or cannot be decoded, is a
// silent object: every operation works and nothing is heard.

#include <cstdint>
#include <memory>

#include "platform/display/IClock.h"
#include "platform/sound/SoundBuffer.h"
#include "platform/sound/SoundDevice.h"
#include "platform/sound/WaveReader.h"
#include "scene/objects/BaseAudio.h"
#include "scene/records/SoundInfo.h"

namespace velorina {

class TD3DSound final : public TD3DBaseAudio {
 public:
  // Counts one object construction, makes a buffer for `Wave` on `DXSound` (either
  // may be null), places the listener at the sound, and plays when the record is
  // `Enabled`. `DXSound` and `clock` must outlive the sound.
  TD3DSound(SoundDevice* DXSound, std::unique_ptr<WaveReader> Wave, const TD3DSoundInfo& Info, AudioStart start,
            const IClock& clock);
  // As above, decoding the wave from `waveData`; undecodable data gives a silent
  // sound.
  TD3DSound(SoundDevice* DXSound, std::unique_ptr<Stream> waveData, const TD3DSoundInfo& Info, AudioStart start,
            const IClock& clock);
  // Reads the record in the layout of `version`, then constructs as above.
  static std::unique_ptr<TD3DSound> CreateFromStream(ByteReader& in, std::int32_t version, SoundDevice* DXSound,
                                                     std::unique_ptr<WaveReader> Wave, AudioStart start,
                                                     const IClock& clock);
  // Rewinds the stream.
  ~TD3DSound() override;

  // A new position recomputes volume and Doppler frequency. The same position
  // again means the listener stands still: a Doppler sound goes back to its own
  // frequency.
  void SetListenerPosition(const D3DVECTOR& v) override;
  // Pans the sound after the listener's heading and pitch while inside `Range`.
  void SetListenerOrientation(const D3DVECTOR& o) override;
  void SaveToStream(Stream& out) const override { info_.write(out); }
  void LoadFromStream(ByteReader& in, std::int32_t version) override;
  // Starts the stream when it exists and the record is `Enabled`.
  void Play() override;
  void Stop() override;
  void Rewind() override;
  void MoveBy(const D3DVECTOR& v) override;
  void Rotate(const D3DVECTOR& a) override;
  std::int32_t AudioID() const override { return info_.ID; }
  std::uint8_t AudioKind() const override { return 101; }
  float DistanceTo(const D3DVECTOR& p) const override;

  // Distance, Doppler frequency and volume from the listener position, then Play.
  // Does nothing without a stream.
  void UpdateSound();
  // Seconds since construction, from the performance counter when there is one,
  // else from the tick count.
  double Now() const;

  const TD3DSoundInfo& info() const noexcept { return info_; }
  // The streaming buffer; null for a silent sound.
  const SoundBuffer* stream() const noexcept { return stream_.get(); }
  std::int32_t BaseFrequency() const noexcept { return baseFrequency_; }
  float PreviousDistance() const noexcept { return previousDistance_; }
  float ListenerDistance() const noexcept { return listenerDistance_; }
  double LastTime() const noexcept { return lastTime_; }
  double StartTime() const noexcept { return startTime_; }

 private:
  void applyDoppler();
  void applyVolume();

  SoundDevice* dxSound_;
  const IClock& clock_;
  std::int32_t baseFrequency_ = 0;
  float previousDistance_ = 0;
  float listenerDistance_ = 0;
  double lastTime_ = 0;
  double startTime_ = 0;
  TD3DSoundInfo info_;
  std::unique_ptr<SoundBuffer> stream_;
};

}  // namespace velorina
