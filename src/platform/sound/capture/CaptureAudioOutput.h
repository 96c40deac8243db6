#pragma once
// An output that renders the mix into memory when asked, at a chosen rate: the
// sound device under test, without threads or a sound card.

#include <cstddef>
#include <vector>

#include "platform/sound/AudioOutput.h"

namespace velorina {

class CaptureAudioOutput final : public AudioOutput {
 public:
  explicit CaptureAudioOutput(int sampleRate) : sampleRate_(sampleRate) {}

  int sampleRate() const override { return sampleRate_; }
  OutputPacing pacing() const override { return OutputPacing::OnDemand; }
  void start(AudioRenderer& renderer) override { renderer_ = &renderer; }
  void stop() override { renderer_ = nullptr; }

  // Renders `frames` stereo frames (interleaved left, right); silence when not
  // started.
  std::vector<float> render(std::size_t frames);

 private:
  int sampleRate_;
  AudioRenderer* renderer_ = nullptr;
};

}  // namespace velorina
