// 64 voices of 16-bit 22050 Hz mono waves, each with its own volume, pan and
// playback frequency, mixed into 48 kHz stereo a callback buffer at a time. The
// floor is a plain copy of the same wave bytes the mix consumes. The counter
// "realtime" is seconds of audio produced per second of work.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/LittleEndian.h"
#include "platform/sound/Mixer.h"
#include "platform/sound/SoundBuffer.h"

namespace {

using namespace velorina;

constexpr int kVoices = 64;
constexpr int kSourceRate = 22050;
constexpr int kOutputRate = 48000;
constexpr std::size_t kBufferFrames = 1024;
constexpr int kWaveFrames = kSourceRate * 2;

std::vector<std::uint8_t> waveImage(int voice) {
  std::vector<std::uint8_t> out(44 + kWaveFrames * 2);
  std::memcpy(out.data(), "RIFF", 4);
  storeLE<std::uint32_t>(out.data() + 4, static_cast<std::uint32_t>(out.size() - 8));
  std::memcpy(out.data() + 8, "WAVEfmt ", 8);
  storeLE<std::uint32_t>(out.data() + 16, 16);
  storeLE<std::uint16_t>(out.data() + 20, 1);
  storeLE<std::uint16_t>(out.data() + 22, 1);
  storeLE<std::uint32_t>(out.data() + 24, kSourceRate);
  storeLE<std::uint32_t>(out.data() + 28, kSourceRate * 2);
  storeLE<std::uint16_t>(out.data() + 32, 2);
  storeLE<std::uint16_t>(out.data() + 34, 16);
  std::memcpy(out.data() + 36, "data", 4);
  storeLE<std::uint32_t>(out.data() + 40, kWaveFrames * 2);
  for (int i = 0; i < kWaveFrames; ++i) {
    const double s = std::sin(i * (0.01 + voice * 0.001)) * 4000.0;
    storeLE<std::int16_t>(out.data() + 44 + i * 2, static_cast<std::int16_t>(s));
  }
  return out;
}

void setAudioCounter(benchmark::State& state) {
  const double frames = static_cast<double>(state.iterations()) * kBufferFrames;
  state.counters["realtime"] = benchmark::Counter(frames / kOutputRate, benchmark::Counter::kIsRate);
}

void BM_Mix64Voices(benchmark::State& state) {
  auto mixer = std::make_shared<Mixer>(kOutputRate);
  std::vector<std::unique_ptr<SoundBuffer>> voices;
  for (int v = 0; v < kVoices; ++v) {
    auto sound = std::make_unique<SoundBuffer>(mixer, WaveReader::openMemory(waveImage(v)));
    sound->setVolume(-v * 20);
    sound->setPan((v % 9 - 4) * 1000);
    sound->setFrequency(kSourceRate - 2000 + v * 60);  // every voice resamples differently
    sound->setLoop(LoopMode::Loop);
    sound->play();
    voices.push_back(std::move(sound));
  }
  std::vector<float> out(kBufferFrames * 2);
  for (auto _ : state) {
    mixer->render(out);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  setAudioCounter(state);
}
BENCHMARK(BM_Mix64Voices);

// The floor: copying the wave bytes that one buffer of the mix consumes, for every
// voice, with no decoding, resampling or gain.
void BM_CopySameSamples(benchmark::State& state) {
  std::vector<std::vector<std::uint8_t>> waves;
  for (int v = 0; v < kVoices; ++v) waves.push_back(waveImage(v));
  const std::size_t bytesPerBuffer = (kBufferFrames * kSourceRate / kOutputRate + 1) * 2;
  std::vector<std::uint8_t> out(bytesPerBuffer * kVoices);
  std::size_t offset = 0;
  for (auto _ : state) {
    for (int v = 0; v < kVoices; ++v) {
      std::memcpy(out.data() + v * bytesPerBuffer, waves[v].data() + 44 + offset, bytesPerBuffer);
    }
    offset = (offset + bytesPerBuffer) % (kWaveFrames * 2 - bytesPerBuffer);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  setAudioCounter(state);
}
BENCHMARK(BM_CopySameSamples);

}  // namespace

BENCHMARK_MAIN();
