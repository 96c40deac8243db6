#pragma once
// TD3DTone: a synthesised tone placed in the scene, played through a tone
// generator whose volume falls with the listener's distance inside `Range`.

#include <cstdint>
#include <memory>

#include "audio/ToneGen.h"
#include "audio/ToneGenHost.h"
#include "scene/objects/BaseAudio.h"
#include "scene/records/SoundInfo.h"

namespace velorina {

class TD3DTone final : public TD3DBaseAudio {
 public:
  // Counts one object construction, sets up a generator on `host` from the record
  // (through its clamping setters; an unknown waveform, resolution or quality
  // takes the generator's default), prepares it and, unless silent, plays it.
  // `host` must outlive the tone.
  TD3DTone(ToneGenHost& host, const TD3DToneInfo& Info, AudioStart start);
  // Reads the 40-byte record, then constructs as above.
  static std::unique_ptr<TD3DTone> CreateFromStream(ByteReader& in, ToneGenHost& host, AudioStart start);
  // Stops the generator.
  ~TD3DTone() override;

  // A new position inside `Range` sets both volumes from the distance, prepares
  // and plays the tone; out of range nothing changes.
  void SetListenerPosition(const D3DVECTOR& v) override;
  // A tone has no direction: the listener's orientation is ignored.
  void SetListenerOrientation(const D3DVECTOR&) override {}
  void SaveToStream(Stream& out) const override { info_.write(out); }
  // Reads the 40-byte record (whatever the version) and applies it to the generator.
  void LoadFromStream(ByteReader& in, std::int32_t version) override;
  void Play() override;
  void Stop() override;
  void Rewind() override { Stop(); }
  // Moves without replaying.
  void MoveBy(const D3DVECTOR& v) override;
  void Rotate(const D3DVECTOR& a) override;
  std::int32_t AudioID() const override { return info_.ID; }
  std::uint8_t AudioKind() const override { return 102; }
  float DistanceTo(const D3DVECTOR& p) const override;

  // Synthesises the wave with its envelope.
  void Prepare();

  const TD3DToneInfo& info() const noexcept { return info_; }
  const TToneGen& generator() const noexcept { return *generator_; }

 private:
  void configureGenerator();

  TD3DToneInfo info_;
  std::unique_ptr<TToneGen> generator_;
};

}  // namespace velorina
