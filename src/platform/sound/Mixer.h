#pragma once
// Sums every voice into the output's stereo stream and applies the master volume.
// The voice list is guarded by a mutex that the mix holds for one buffer; the
// frame thread holds it only to add or remove a voice.

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/sound/AudioOutput.h"
#include "platform/sound/Voice.h"

namespace velorina {

class Mixer final : public AudioRenderer {
 public:
  explicit Mixer(int outputRate);

  int outputRate() const noexcept { return outputRate_; }

  void addVoice(std::shared_ptr<Voice> voice);
  // After this returns the voice is no longer mixed.
  void removeVoice(const Voice* voice);
  // Linear gains applied to the whole mix.
  void setMasterGains(float left, float right) noexcept;

  void render(std::span<float> stereo) noexcept override;

 private:
  int outputRate_;
  std::atomic<float> masterLeft_{1.0f};
  std::atomic<float> masterRight_{1.0f};
  std::mutex mutex_;
  std::vector<std::shared_ptr<Voice>> voices_;
};

}  // namespace velorina
