#include "audio/ToneGen.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "archive/LittleEndian.h"
#include "archive/Messages.h"

namespace velorina {

namespace {

constexpr const char* kRangeMessage = "Η τιμή πρέπει να είναι από %d έως %d.";
constexpr const char* kErrorCaption = "Σφάλμα";

struct SampleFormat {
  int bytes;       // per sample: 2 or 1
  int rateFactor;  // sample rate / 100
};

SampleFormat sampleFormat(TTGResolution resolution, TTGQuality quality) {
  return {resolution == TTGResolution::tg16Bit ? 2 : 1, quality == TTGQuality::tgHiQ ? 960 : 441};
}

// Scales one phase of the envelope: samples first..last (clamped to the tone),
// with j counting from 0 at the first. Returns the position after the phase.
template <typename Scale>
std::int64_t scalePhase(std::int64_t pos, std::int64_t n, std::int64_t samples, Scale&& scale,
                        const auto& read, const auto& write) {
  const std::int64_t first = std::min(pos, samples);
  const std::int64_t last = std::min(samples - 1, pos + n);
  for (std::int64_t index = first; index <= last; ++index) write(index, scale(read(index), index - first));
  return pos + n + 1;
}

}  // namespace

TToneGen::TToneGen(ToneGenHost& host) : host_(host) {
  if (host_.generatorCreated()) PresetVolume();
}

TToneGen::~TToneGen() {
  Stop();
  host_.generatorDestroyed();
}

std::int16_t TToneGen::clampSetting(int value, int low, int high) {
  if (value >= low && value <= high) return static_cast<std::int16_t>(value);
  if (host_.mode() == DesignMode::Designing) {
    host_.reporter().showError(formatMessage(kRangeMessage, {std::to_string(low), std::to_string(high)}),
                               kErrorCaption);
  }
  return static_cast<std::int16_t>(value < low ? low : high);
}

void TToneGen::SetFrequency(int hertz) {
  const auto value = clampSetting(hertz, 20, 20000);
  waveStale_ |= value != frequency_;
  frequency_ = value;
}

void TToneGen::SetDuration(int milliseconds) {
  const auto value = clampSetting(milliseconds, 10, 32767);
  waveStale_ |= value != duration_;
  duration_ = value;
}

void TToneGen::SetWaveform(TTGWave wave) {
  // A value outside the enumeration (an unknown stored byte) takes the default.
  if (wave > TTGWave::tgNoise) wave = TTGWave::tgSine;
  waveStale_ |= wave != waveform_;
  waveform_ = wave;
}

void TToneGen::SetAttack(int percent) {
  const auto value = clampSetting(percent, 0, 100);
  envelopeStale_ |= value != attack_;
  attack_ = value;
}

void TToneGen::SetDecay(int percent) {
  const auto value = clampSetting(percent, 0, 100);
  envelopeStale_ |= value != decay_;
  decay_ = value;
}

void TToneGen::SetSustain(int percent) {
  const auto value = clampSetting(percent, 0, 100);
  envelopeStale_ |= value != sustain_;
  sustain_ = value;
}

void TToneGen::SetRelease(int percent) {
  const auto value = clampSetting(percent, 0, 100);
  envelopeStale_ |= value != release_;
  release_ = value;
}

void TToneGen::SetAsync(bool async) { async_ = async; }

void TToneGen::SetLoop(bool loop) { loop_ = loop; }

void TToneGen::SetResolution(TTGResolution resolution) {
  if (resolution > TTGResolution::tg8Bit) resolution = TTGResolution::tg16Bit;
  waveStale_ |= resolution != resolution_;
  resolution_ = resolution;
}

void TToneGen::SetQuality(TTGQuality quality) {
  if (quality > TTGQuality::tgLoQ) quality = TTGQuality::tgHiQ;
  waveStale_ |= quality != quality_;
  quality_ = quality;
}

void TToneGen::SetLeftVolume(int percent) { leftVolume_ = clampSetting(percent, 0, 100); }

void TToneGen::SetRightVolume(int percent) { rightVolume_ = clampSetting(percent, 0, 100); }

std::uint32_t TToneGen::packedVolume() const noexcept {
  const auto left = static_cast<std::uint32_t>(leftVolume_) * 65535u / 100u;
  const auto right = static_cast<std::uint32_t>(rightVolume_) * 65535u / 100u;
  return left | (right << 16);
}

void TToneGen::PresetVolume() { host_.output().setMasterVolume(packedVolume()); }

bool TToneGen::Prepare() {
  PresetVolume();
  return synthesize(Envelope::Plain);
}

bool TToneGen::PrepareADSR() {
  PresetVolume();
  return synthesize(Envelope::Shaped);
}

bool TToneGen::Play() {
  if ((waveStale_ || envelopeApplied_) && !synthesize(Envelope::Plain)) return false;
  return playImage();
}

bool TToneGen::PlayADSR() {
  if ((waveStale_ || envelopeStale_) && !synthesize(Envelope::Shaped)) return false;
  return playImage();
}

void TToneGen::Stop() {
  host_.output().stopWaveImage();
  finished_ = true;
}

bool TToneGen::playImage() {
  if (image_.empty()) return false;
  host_.output().stopWaveImage();
  PresetVolume();
  finished_ = false;
  const WavePlayMode mode = loop_ ? WavePlayMode::Loop : async_ ? WavePlayMode::Async : WavePlayMode::Sync;
  host_.output().playWaveImage(Image(), mode);
  if (!async_ && !loop_) finished_ = true;
  return finished_;
}

std::span<const std::uint8_t> TToneGen::Image() const noexcept {
  if (image_.empty()) return {};
  return std::span<const std::uint8_t>(image_).first(kHeaderSize + dataSize_);
}

bool TToneGen::synthesize(Envelope envelope) {
  const SampleFormat format = sampleFormat(resolution_, quality_);
  const std::int64_t size = std::int64_t{duration_} * format.bytes * format.rateFactor / 10;
  const std::size_t dataSize = size > 0 ? static_cast<std::size_t>(size) : 0;
  host_.output().stopWaveImage();
  image_ = {};
  dataSize_ = 0;
  try {
    image_.assign(kHeaderSize + dataSize + kSpareBytes, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  dataSize_ = dataSize;
  writeHeader(static_cast<std::uint32_t>(dataSize));
  writeSamples(dataSize);
  envelopeStale_ = true;
  waveStale_ = false;
  envelopeApplied_ = false;
  if (envelope == Envelope::Shaped) applyEnvelope();
  return true;
}

void TToneGen::writeHeader(std::uint32_t dataSize) {
  const SampleFormat format = sampleFormat(resolution_, quality_);
  const std::uint32_t rate = static_cast<std::uint32_t>(format.rateFactor) * 100u;
  std::uint8_t* h = image_.data();
  std::copy_n("RIFF", 4, h);
  storeLE<std::uint32_t>(h + 4, dataSize + 36);
  std::copy_n("WAVEfmt ", 8, h + 8);
  storeLE<std::uint32_t>(h + 16, 16);
  storeLE<std::uint16_t>(h + 20, 1);  // PCM
  storeLE<std::uint16_t>(h + 22, 1);  // mono
  storeLE<std::uint32_t>(h + 24, rate);
  storeLE<std::uint32_t>(h + 28, rate * static_cast<std::uint32_t>(format.bytes));
  storeLE<std::uint16_t>(h + 32, static_cast<std::uint16_t>(format.bytes));
  storeLE<std::uint16_t>(h + 34, static_cast<std::uint16_t>(format.bytes * 8));
  std::copy_n("data", 4, h + 36);
  storeLE<std::uint32_t>(h + 40, dataSize);
}

// Periods are whole samples long; period k ends at sample trunc(k * P), so their
// lengths alternate and their sum follows the exact frequency.
void TToneGen::writeSamples(std::size_t dataSize) {
  const SampleFormat format = sampleFormat(resolution_, quality_);
  const bool wide = format.bytes == 2;
  const double low = wide ? -32767.0 : 0.0;
  const double high = wide ? 32767.0 : 255.0;
  const double offset = wide ? 0.0 : 1.0;
  const double period = static_cast<double>(format.rateFactor * 100) / frequency_;
  std::int64_t length = static_cast<std::int64_t>(period);
  std::int64_t half = length >> 1;
  std::int64_t k = 1;
  double step = 0.0;
  double current = low;
  switch (waveform_) {
    case TTGWave::tgSine: step = 2.0 * std::numbers::pi / static_cast<double>(length); break;
    case TTGWave::tgTriangle: step = high / static_cast<double>(half); break;
    case TTGWave::tgSawtooth: step = high / static_cast<double>(length); break;
    default: break;
  }
  const auto noiseRange = static_cast<std::uint32_t>(high + 1.0);
  std::uint8_t* out = image_.data() + kHeaderSize;
  std::int64_t i = 0;
  // The last 16-bit sample of an odd-sized tone spills one byte into the spare.
  for (std::size_t pos = 0; pos < dataSize; pos += static_cast<std::size_t>(format.bytes)) {
    std::int32_t v = 0;
    switch (waveform_) {
      case TTGWave::tgSine:
        v = static_cast<std::int32_t>((std::sin(static_cast<double>(i) * step) + offset) / 2.0 * high);
        break;
      case TTGWave::tgSquare: v = static_cast<std::int32_t>(i < half ? low : high); break;
      case TTGWave::tgTriangle:
        v = static_cast<std::int32_t>(current);
        current += i < half ? step : -step;
        break;
      case TTGWave::tgSawtooth:
        v = static_cast<std::int32_t>(current);
        current += step;
        break;
      case TTGWave::tgNoise: v = static_cast<std::int32_t>(host_.random().next(noiseRange)); break;
    }
    if (wide) {
      storeLE<std::int16_t>(out + pos, static_cast<std::int16_t>(v));
    } else {
      out[pos] = static_cast<std::uint8_t>(v & 0xFF);
    }
    if (++i >= length) {
      if (waveform_ != TTGWave::tgSine) current = low;
      ++k;
      length = static_cast<std::int64_t>(static_cast<double>(k) * period -
                                         std::trunc(static_cast<double>(k - 1) * period));
      half = length >> 1;
      i = 0;
    }
  }
}

// All products are taken in 64 bits: v * j * (100 - s) overflows 32 bits at the
// default settings.
void TToneGen::applyEnvelope() {
  const SampleFormat format = sampleFormat(resolution_, quality_);
  const std::int64_t b = format.bytes;
  const std::int64_t size = static_cast<std::int64_t>(dataSize_);
  const std::int64_t samples = size / b;
  std::int64_t a = attack_, d = decay_, s = sustain_, r = release_;
  if (a + d + r > 100) {
    const std::int64_t total = a + d + r;
    a = a * 100 / total;
    d = d * 100 / total;
    r = 100 - a - d;
  }
  const std::int64_t p = 100 - a - d - r;
  if (p * size / (100 * b) < 1) s = 0;
  const double g = static_cast<double>(s) / 100.0;

  std::uint8_t* data = image_.data() + kHeaderSize;
  const auto read = [&](std::int64_t index) -> std::int64_t {
    if (b == 2) return loadLE<std::int16_t>(data + index * 2);
    return std::int64_t{data[index]} - 128;
  };
  const auto write = [&](std::int64_t index, std::int64_t v) {
    if (b == 2) {
      storeLE<std::int16_t>(data + index * 2, static_cast<std::int16_t>(v));
    } else {
      data[index] = static_cast<std::uint8_t>((v + 128) & 0xFF);
    }
  };

  std::int64_t pos = 0;
  if (std::int64_t n = a * size / (100 * b); a != 0 && n > 0) {
    pos = scalePhase(pos, n, samples, [n](std::int64_t v, std::int64_t j) { return v * j / n; }, read, write);
  }
  if (std::int64_t n = d * size / (100 * b); d != 0 && n > 0) {
    pos = scalePhase(
        pos, n, samples, [n, s](std::int64_t v, std::int64_t j) { return v - v * j * (100 - s) / (100 * n); }, read,
        write);
  }
  if (p != 0) {
    const std::int64_t n = r != 0 ? p * size / (100 * b) : std::max<std::int64_t>(0, samples - pos);
    pos = scalePhase(
        pos, n, samples,
        [g](std::int64_t v, std::int64_t) { return static_cast<std::int64_t>(static_cast<double>(v) * g); }, read,
        write);
  }
  if (std::int64_t n = std::max<std::int64_t>(0, samples - pos); r != 0 && n > 0) {
    scalePhase(
        pos, n, samples,
        [n, g](std::int64_t v, std::int64_t j) {
          return static_cast<std::int64_t>(static_cast<double>(v * (n - j)) * g / static_cast<double>(n));
        },
        read, write);
  }
  envelopeStale_ = false;
  waveStale_ = false;
  envelopeApplied_ = true;
}

}  // namespace velorina
