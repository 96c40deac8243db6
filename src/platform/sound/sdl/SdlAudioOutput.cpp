#include "platform/sound/sdl/SdlAudioOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <span>

#include "platform/sound/SoundError.h"

namespace velorina {

namespace {

constexpr int kPreferredRate = 48000;
constexpr Uint16 kCallbackFrames = 1024;

// While probing for a device, the sound libraries under SDL (ALSA above all) print
// lines of their own on standard error when there is none. Their noise is held off
// for that moment; the caller says in one line of its own what came of it.
class QuietStandardError {
 public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
    if (null >= 0) ::close(null);
  }
  ~QuietStandardError() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
    }
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace

SdlAudioOutput::SdlAudioOutput() {
  const QuietStandardError quiet;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    throw ESoundError("Cannot open the sound device", {"", std::nullopt, std::nullopt, SDL_GetError()});
  }
  SDL_AudioSpec wanted{};
  wanted.freq = kPreferredRate;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = 2;
  wanted.samples = kCallbackFrames;
  wanted.callback = &SdlAudioOutput::callback;
  wanted.userdata = this;
  // Keep float stereo (the mixer's format) but take the device's own rate.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec_, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device_ == 0) {
    std::string reason = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    throw ESoundError("Cannot open the sound device", {"", std::nullopt, std::nullopt, reason});
  }
}

SdlAudioOutput::~SdlAudioOutput() {
  SDL_CloseAudioDevice(device_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudioOutput::start(AudioRenderer& renderer) {
  SDL_LockAudioDevice(device_);
  renderer_ = &renderer;
  SDL_UnlockAudioDevice(device_);
  SDL_PauseAudioDevice(device_, 0);
}

void SdlAudioOutput::stop() {
  SDL_PauseAudioDevice(device_, 1);
  // Taking the device lock waits for a callback in progress to finish.
  SDL_LockAudioDevice(device_);
  renderer_ = nullptr;
  SDL_UnlockAudioDevice(device_);
}

void SdlAudioOutput::callback(void* user, Uint8* stream, int length) {
  auto* self = static_cast<SdlAudioOutput*>(user);
  std::span<float> out(reinterpret_cast<float*>(stream), static_cast<std::size_t>(length) / sizeof(float));
  if (self->renderer_ != nullptr) {
    self->renderer_->render(out);
  } else {
    std::fill(out.begin(), out.end(), 0.0f);
  }
}

}  // namespace velorina
