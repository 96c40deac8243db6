#include "platform/sound/Mixer.h"

#include <algorithm>

namespace velorina {

Mixer::Mixer(int outputRate) : outputRate_(outputRate) {}

void Mixer::addVoice(std::shared_ptr<Voice> voice) {
  std::lock_guard lock(mutex_);
  voices_.push_back(std::move(voice));
}

void Mixer::removeVoice(const Voice* voice) {
  std::shared_ptr<Voice> removed;  // released after the lock, away from the mix
  std::lock_guard lock(mutex_);
  auto it = std::find_if(voices_.begin(), voices_.end(), [voice](const auto& v) { return v.get() == voice; });
  if (it == voices_.end()) return;
  removed = std::move(*it);
  voices_.erase(it);
}

void Mixer::setMasterGains(float left, float right) noexcept {
  masterLeft_.store(left, std::memory_order_relaxed);
  masterRight_.store(right, std::memory_order_relaxed);
}

void Mixer::render(std::span<float> stereo) noexcept {
  std::fill(stereo.begin(), stereo.end(), 0.0f);
  {
    std::lock_guard lock(mutex_);
    for (const auto& voice : voices_) voice->mixInto(stereo, outputRate_);
  }
  const float left = masterLeft_.load(std::memory_order_relaxed);
  const float right = masterRight_.load(std::memory_order_relaxed);
  for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
    stereo[i] = std::clamp(stereo[i] * left, -1.0f, 1.0f);
    stereo[i + 1] = std::clamp(stereo[i + 1] * right, -1.0f, 1.0f);
  }
}

}  // namespace velorina
