#include "platform/sound/SoundBuffer.h"

#include <algorithm>

#include "platform/sound/Decibels.h"
#include "platform/sound/Mixer.h"
#include "platform/sound/Voice.h"

namespace velorina {

SoundBuffer::SoundBuffer(std::shared_ptr<Mixer> mixer, std::unique_ptr<WaveReader> wave)
    : mixer_(std::move(mixer)),
      voice_(std::make_shared<Voice>(std::move(wave))),
      frequency_(voice_->format().sampleRate) {
  mixer_->addVoice(voice_);
}

SoundBuffer::~SoundBuffer() { mixer_->removeVoice(voice_.get()); }

const WaveFormat& SoundBuffer::format() const noexcept { return voice_->format(); }

void SoundBuffer::setVolume(int hundredths) {
  volume_ = std::clamp(hundredths, kVolumeMin, kVolumeMax);
  updateGains();
}

void SoundBuffer::setPan(int pan) {
  pan_ = std::clamp(pan, kPanLeft, kPanRight);
  updateGains();
}

void SoundBuffer::updateGains() {
  const float gain = gainFromHundredthsDb(volume_);
  const StereoGain sides = panGains(pan_);
  voice_->setGains(gain * sides.left, gain * sides.right);
}

void SoundBuffer::setFrequency(int hertz) {
  frequency_ = hertz == 0 ? baseFrequency() : std::clamp(hertz, kFrequencyMin, kFrequencyMax);
  voice_->setFrequency(frequency_);
}

void SoundBuffer::setLoop(LoopMode mode) {
  loop_ = mode;
  voice_->setLooping(mode == LoopMode::Loop);
}

void SoundBuffer::play() { voice_->setPlaying(true); }

void SoundBuffer::stop() { voice_->setPlaying(false); }

bool SoundBuffer::isPlaying() const noexcept { return voice_->playing(); }

std::int64_t SoundBuffer::position() const noexcept { return voice_->position(); }

void SoundBuffer::setPosition(std::int64_t frame) { voice_->requestPosition(frame); }

}  // namespace velorina
