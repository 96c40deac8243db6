#pragma once
// The sound device (the scene's DXSound): a mixer of any number of streaming
// buffers over one audio output, plus the play-from-memory slot and the master
// volume that the tone generator uses.

#include <cstdint>
#include <memory>
#include <string>
#include <mutex>

#include "platform/sound/AudioOutput.h"
#include "platform/sound/SoundBuffer.h"
#include "platform/sound/WaveOutput.h"
#include "platform/sound/WaveReader.h"

namespace velorina {

class Mixer;

class SoundDevice final : public WaveOutput {
 public:
  explicit SoundDevice(std::unique_ptr<AudioOutput> output);
  ~SoundDevice() override;
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // The SDL2 output when a device can be opened, otherwise the null output: the
  // program then runs silent, and `failure` (when given) receives why.
  static std::unique_ptr<SoundDevice> openDefault(std::string* failure = nullptr);

  int outputRate() const noexcept;
  OutputPacing pacing() const noexcept { return output_->pacing(); }
  // True when sound is actually heard (not the null output).
  bool isAudible() const noexcept { return pacing() != OutputPacing::Silent; }

  // A new stopped buffer at full volume, centred, at the wave's own rate. Buffers
  // may outlive the device (they then stay silent).
  std::unique_ptr<SoundBuffer> createBuffer(std::unique_ptr<WaveReader> wave);

  bool playWaveImage(std::span<const std::uint8_t> image, WavePlayMode mode) override;
  void stopWaveImage() override;
  std::uint32_t masterVolume() const override;
  void setMasterVolume(std::uint32_t packed) override;
  VolumeControl volumeControl() const override { return VolumeControl::Stereo; }

 private:
  std::unique_ptr<AudioOutput> output_;
  std::shared_ptr<Mixer> mixer_;
  std::unique_ptr<SoundBuffer> image_;  // the WAVE image playing from memory
  std::uint32_t masterVolume_ = 0xFFFFFFFFu;
};

}  // namespace velorina
