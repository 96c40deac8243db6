#pragma once
// The output used when no audio device is available: it never renders, so the
// program runs silent and nothing fails.

#include "platform/sound/AudioOutput.h"

namespace velorina {

class NullAudioOutput final : public AudioOutput {
 public:
  static constexpr int kSampleRate = 48000;
  int sampleRate() const override { return kSampleRate; }
  OutputPacing pacing() const override { return OutputPacing::Silent; }
  void start(AudioRenderer&) override {}
  void stop() override {}
};

}  // namespace velorina
