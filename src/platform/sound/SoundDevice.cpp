#include "platform/sound/SoundDevice.h"

#include <chrono>
#include <thread>

#include "platform/sound/Mixer.h"
#include "platform/sound/SoundError.h"
#include "platform/sound/null/NullAudioOutput.h"
#include "platform/sound/sdl/SdlAudioOutput.h"

namespace velorina {

namespace {

constexpr auto kSyncPollInterval = std::chrono::milliseconds(5);
constexpr auto kSyncGrace = std::chrono::seconds(1);

float levelGain(std::uint32_t level) { return static_cast<float>(level & 0xFFFFu) / 65535.0f; }

}  // namespace

SoundDevice::SoundDevice(std::unique_ptr<AudioOutput> output)
    : output_(std::move(output)), mixer_(std::make_shared<Mixer>(output_->sampleRate())) {
  output_->start(*mixer_);
}

SoundDevice::~SoundDevice() {
  image_.reset();
  output_->stop();
}

std::unique_ptr<SoundDevice> SoundDevice::openDefault(std::string* failure) {
  std::unique_ptr<AudioOutput> output;
  try {
    output = std::make_unique<SdlAudioOutput>();
  } catch (const ESoundError& e) {
    if (failure != nullptr) *failure = e.describe();
    output = std::make_unique<NullAudioOutput>();
  }
  return std::make_unique<SoundDevice>(std::move(output));
}

int SoundDevice::outputRate() const noexcept { return mixer_->outputRate(); }

std::unique_ptr<SoundBuffer> SoundDevice::createBuffer(std::unique_ptr<WaveReader> wave) {
  return std::make_unique<SoundBuffer>(mixer_, std::move(wave));
}

bool SoundDevice::playWaveImage(std::span<const std::uint8_t> image, WavePlayMode mode) {
  stopWaveImage();
  try {
    image_ = createBuffer(WaveReader::openMemory(image, "WAVE image"));
  } catch (const ESoundError&) {
    return false;
  }
  image_->setLoop(mode == WavePlayMode::Loop ? LoopMode::Loop : LoopMode::Once);
  image_->play();
  // Only a real device lets time pass; elsewhere waiting would never end. A
  // device that stops consuming (unplugged, suspended) must not hang the caller
  // either: the wait ends a little after the sound should have.
  if (mode == WavePlayMode::Sync && pacing() == OutputPacing::RealTime) {
    const auto length = std::chrono::duration<double>(image_->format().durationSeconds());
    const auto deadline = std::chrono::steady_clock::now() + kSyncGrace +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(length);
    while (image_->isPlaying() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(kSyncPollInterval);
    }
  }
  return true;
}

void SoundDevice::stopWaveImage() { image_.reset(); }

std::uint32_t SoundDevice::masterVolume() const { return masterVolume_; }

void SoundDevice::setMasterVolume(std::uint32_t packed) {
  masterVolume_ = packed;
  mixer_->setMasterGains(levelGain(packed), levelGain(packed >> 16));
}

}  // namespace velorina
