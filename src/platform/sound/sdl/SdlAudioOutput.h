#pragma once
// Stereo float output through an SDL2 audio device at the device's own rate. The
// mix is rendered in SDL's audio callback.

#include <SDL.h>

#include "platform/sound/AudioOutput.h"

namespace velorina {

class SdlAudioOutput final : public AudioOutput {
 public:
  // Opens the default output device; throws ESoundError when SDL has none.
  SdlAudioOutput();
  ~SdlAudioOutput() override;
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

  int sampleRate() const override { return spec_.freq; }
  OutputPacing pacing() const override { return OutputPacing::RealTime; }
  void start(AudioRenderer& renderer) override;
  void stop() override;

 private:
  static void callback(void* user, Uint8* stream, int length);

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};
  AudioRenderer* renderer_ = nullptr;
};

}  // namespace velorina
