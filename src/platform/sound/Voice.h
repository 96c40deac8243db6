#pragma once
// One playing wave inside the mixer. The control side (volume, frequency, play,
// seek) is atomics written by the frame thread; the decoder and the resampling
// state belong to the thread that mixes. Memory is a fixed block of decoded
// frames, refilled from the decoder as the mix consumes it.

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/sound/WaveReader.h"

namespace velorina {

class Voice {
 public:
  // Decoded frames kept per voice, beyond the two carried over for interpolation.
  static constexpr std::size_t kChunkFrames = 2048;
  // Output frames resampled at a time before the gains are applied.
  static constexpr std::size_t kBlockFrames = 256;

  explicit Voice(std::unique_ptr<WaveReader> reader);

  const WaveFormat& format() const noexcept { return reader_->format(); }

  // Control side (any thread, lock-free).
  void setGains(float left, float right) noexcept;
  void setFrequency(int hertz) noexcept { frequency_.store(hertz, std::memory_order_relaxed); }
  void setLooping(bool looping) noexcept { looping_.store(looping, std::memory_order_relaxed); }
  void setPlaying(bool playing) noexcept { playing_.store(playing, std::memory_order_release); }
  bool playing() const noexcept { return playing_.load(std::memory_order_acquire); }
  // Moves playback to a frame of the wave at the next mix.
  void requestPosition(std::int64_t frame) noexcept;
  // The frame of the wave that plays now.
  std::int64_t position() const noexcept;

  // Mixer side: adds this voice, resampled to outputRate, into interleaved
  // stereo. Allocates nothing.
  void mixInto(std::span<float> stereo, int outputRate) noexcept;

 private:
  void applySeek() noexcept;
  std::size_t mixBlock(float* out, std::size_t frames, std::uint64_t step, float left, float right) noexcept;
  bool refill() noexcept;
  std::size_t decode(float* out, std::size_t frames) noexcept;
  void finish() noexcept;
  void publishPosition() noexcept;

  std::unique_ptr<WaveReader> reader_;
  int lanes_;  // channels kept: 1 (mono) or 2 (stereo; more are cut to the first two)

  std::atomic<float> gainLeft_{1.0f};
  std::atomic<float> gainRight_{1.0f};
  std::atomic<int> frequency_;
  std::atomic<bool> looping_{false};
  std::atomic<bool> playing_{false};
  std::atomic<std::int64_t> pendingSeek_{-1};
  std::atomic<std::int64_t> position_{0};

  std::vector<float> frames_;   // lanes_ floats per frame
  std::vector<float> scratch_;  // decoder output for waves of more than two channels
  std::vector<float> resampled_;  // one block per lane, resampled to the output rate
  std::size_t count_ = 0;       // frames held in frames_
  std::uint64_t cursor_ = 0;    // 32.32 fixed-point frame position in frames_
  std::int64_t base_ = 0;       // frames streamed before frames_[0]
  bool padded_ = false;         // a silent frame was appended after the end
};

}  // namespace velorina
