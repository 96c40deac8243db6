#include "scene/objects/Sound.h"

#include <algorithm>
#include <cmath>

#include "platform/sound/SoundError.h"
#include "scene/objects/ObjectIdCounter.h"

namespace velorina {
namespace {

// Silence in hundredths of a decibel; the quietest volume at the edge of the
// range is -50 dB.
constexpr int kSilentVolume = -10000;
constexpr double kRangeAttenuation = 5000.0;
// A heading turns the pan by at most 20 dB towards either side.
constexpr double kPanScale = 2000.0;
constexpr int kPanLimit = 10000;

// `value` rounded to nearest and clamped to low .. high; `fallback` when it is
// not a number (a position or angle that is itself not a number).
int roundClamped(double value, int low, int high, int fallback) {
  if (std::isnan(value)) return fallback;
  return static_cast<int>(std::lround(std::clamp(value, static_cast<double>(low), static_cast<double>(high))));
}

std::unique_ptr<WaveReader> decodeWave(std::unique_ptr<Stream> data) {
  if (!data) return nullptr;
  try {
    return std::make_unique<WaveReader>(std::move(data));
  } catch (const ESoundError&) {
    return nullptr;  // an undecodable wave makes a silent sound
  }
}

std::unique_ptr<SoundBuffer> makeStream(SoundDevice* device, std::unique_ptr<WaveReader> wave) {
  if (device == nullptr || !wave) return nullptr;
  try {
    return device->createBuffer(std::move(wave));
  } catch (const ESoundError&) {
    return nullptr;
  }
}

}  // namespace

TD3DSound::TD3DSound(SoundDevice* DXSound, std::unique_ptr<WaveReader> Wave, const TD3DSoundInfo& Info,
                     AudioStart start, const IClock& clock)
    : dxSound_(DXSound), clock_(clock), info_(Info) {
  ObjectIdCounter::increment();
  stream_ = makeStream(dxSound_, std::move(Wave));
  if (stream_) {
    stream_->setLoop(info_.Looped ? LoopMode::Loop : LoopMode::Once);
    baseFrequency_ = stream_->frequency();
  }
  listenerPosition_ = info_.Position;
  startTime_ = Now();  // still the absolute clock: startTime_ is 0 here
  lastTime_ = 0;
  UpdateSound();
  if (start == AudioStart::Play) Play();
}

TD3DSound::TD3DSound(SoundDevice* DXSound, std::unique_ptr<Stream> waveData, const TD3DSoundInfo& Info,
                     AudioStart start, const IClock& clock)
    : TD3DSound(DXSound, decodeWave(std::move(waveData)), Info, start, clock) {}

std::unique_ptr<TD3DSound> TD3DSound::CreateFromStream(ByteReader& in, std::int32_t version, SoundDevice* DXSound,
                                                       std::unique_ptr<WaveReader> Wave, AudioStart start,
                                                       const IClock& clock) {
  const TD3DSoundInfo info = TD3DSoundInfo::read(in, version);
  return std::make_unique<TD3DSound>(DXSound, std::move(Wave), info, start, clock);
}

TD3DSound::~TD3DSound() { Rewind(); }

double TD3DSound::Now() const {
  const std::int64_t frequency = clock_.QueryPerformanceFrequency();
  const double absolute = frequency > 0
                              ? static_cast<double>(clock_.QueryPerformanceCounter()) / static_cast<double>(frequency)
                              : clock_.GetTickCount() / 1000.0;
  return absolute - startTime_;
}

void TD3DSound::UpdateSound() {
  if (!stream_) return;
  previousDistance_ = listenerDistance_;
  listenerDistance_ = DistanceTo(listenerPosition_);
  if (info_.Doppler) applyDoppler();
  applyVolume();
  Play();
}

// The listener moving towards the sound at speed v hears (c + v) / c times the
// frequency, c being the speed of sound (the moving-observer Doppler formula).
void TD3DSound::applyDoppler() {
  const double t = Now();
  const double change = static_cast<double>(listenerDistance_) - previousDistance_;
  if (change == 0 || !(info_.SpeedOfSound > 0)) {
    // Standing still, or no usable speed of sound to shift by.
    stream_->setFrequency(baseFrequency_);
  } else if (t > lastTime_) {
    const double speed = info_.SpeedOfSound;
    const double shifted = (speed - change / (t - lastTime_)) / speed * baseFrequency_;
    stream_->setFrequency(
        roundClamped(shifted, SoundBuffer::kFrequencyMin, SoundBuffer::kFrequencyMax, baseFrequency_));
  }
  lastTime_ = t;
}

void TD3DSound::applyVolume() {
  const float range = info_.Range;
  int volume = 0;
  if (range > 0 && listenerDistance_ < range) {
    volume = -roundClamped(listenerDistance_ / range * kRangeAttenuation, 0, -kSilentVolume, 0);
  } else if (range != 0) {
    volume = kSilentVolume;
  }
  stream_->setVolume(volume);
}

void TD3DSound::SetListenerPosition(const D3DVECTOR& v) {
  if (!(v == listenerPosition_)) {
    listenerPosition_ = v;
    UpdateSound();
  } else if (info_.Doppler && stream_) {
    stream_->setFrequency(baseFrequency_);
    lastTime_ = Now();
    Play();
  }
}

// The pan is the sine of the listener's heading relative to the direction of the
// sound, scaled down by the cosine of the pitch.
void TD3DSound::SetListenerOrientation(const D3DVECTOR& o) {
  listenerOrientation_ = o;
  const D3DVECTOR d = VectorSub(listenerPosition_, info_.Position);
  if (!stream_ || !(info_.Range > 0) || !(VectorMagnitude(d) < info_.Range)) return;
  double s = 0;
  if (d.z > 0) {
    s = std::sin(std::atan(static_cast<double>(-d.x) / d.z) + o.y);
  } else if (d.z < 0) {
    s = std::sin(std::atan(static_cast<double>(d.x) / d.z) - o.y);
  } else {
    s = -std::sin(static_cast<double>(o.y));
  }
  stream_->setPan(roundClamped(std::cos(static_cast<double>(o.z)) * s * kPanScale, -kPanLimit, kPanLimit, 0));
}

void TD3DSound::LoadFromStream(ByteReader& in, std::int32_t version) {
  const std::string waveName = info_.WaveName;  // kept beside the record, not in it
  info_ = TD3DSoundInfo::read(in, version);
  info_.WaveName = waveName;
  if (stream_) stream_->setLoop(info_.Looped ? LoopMode::Loop : LoopMode::Once);
}

void TD3DSound::Play() {
  if (stream_ && info_.Enabled) stream_->play();
}

void TD3DSound::Stop() {
  if (stream_) stream_->stop();
}

void TD3DSound::Rewind() {
  Stop();
  if (stream_) stream_->setPosition(0);
}

void TD3DSound::MoveBy(const D3DVECTOR& v) {
  info_.Position = VectorAdd(info_.Position, v);
  UpdateSound();
}

void TD3DSound::Rotate(const D3DVECTOR& a) { info_.Position = RotatedPosition(info_.Position, a); }

float TD3DSound::DistanceTo(const D3DVECTOR& p) const { return VectorMagnitude(VectorSub(p, info_.Position)); }

}  // namespace velorina
