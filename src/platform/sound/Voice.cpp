#include "platform/sound/Voice.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velorina {

namespace {

// The fraction of a 32.32 cursor as a float in [0, 1), from its top 24 fraction
// bits: a signed conversion, which is one instruction where an unsigned one is not.
inline float fractionOf(std::uint64_t cursor) noexcept {
  constexpr float kScale = 1.0f / 16777216.0f;
  return static_cast<float>(static_cast<std::int32_t>((cursor >> 8) & 0xFFFFFFu)) * kScale;
}

// Linear interpolation between neighbouring frames of one lane (`Stride` floats
// apart), written contiguously; `cursor` is 32.32 fixed point.
template <std::size_t Stride>
void resampleScalar(const float* __restrict in, float* __restrict out, std::size_t frames, std::uint64_t cursor,
                    std::uint64_t step) noexcept {
  for (std::size_t f = 0; f < frames; ++f) {
    const std::size_t i = (cursor >> 32) * Stride;
    const float a = in[i];
    out[f] = a + (in[i + Stride] - a) * fractionOf(cursor);
    cursor += step;
  }
}

#if defined(__SSE2__)
// Four output frames at a time. The low 32 bits of the four cursors are kept in
// one integer vector: they wrap by themselves, so the fractions need no masking.
template <std::size_t Stride>
void resampleLane(const float* __restrict in, float* __restrict out, std::size_t frames, std::uint64_t cursor,
                  std::uint64_t step) noexcept {
  const std::size_t quads = frames / 4;
  __m128i fraction = _mm_setr_epi32(static_cast<int>(cursor), static_cast<int>(cursor + step),
                                    static_cast<int>(cursor + 2 * step), static_cast<int>(cursor + 3 * step));
  const __m128i advance = _mm_set1_epi32(static_cast<int>(4 * step));
  const __m128 scale = _mm_set1_ps(1.0f / 16777216.0f);
  for (std::size_t q = 0; q < quads; ++q) {
    const std::size_t i0 = (cursor >> 32) * Stride;
    const std::size_t i1 = ((cursor + step) >> 32) * Stride;
    const std::size_t i2 = ((cursor + 2 * step) >> 32) * Stride;
    const std::size_t i3 = ((cursor + 3 * step) >> 32) * Stride;
    const __m128 a = _mm_setr_ps(in[i0], in[i1], in[i2], in[i3]);
    const __m128 b = _mm_setr_ps(in[i0 + Stride], in[i1 + Stride], in[i2 + Stride], in[i3 + Stride]);
    const __m128 frac = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(fraction, 8)), scale);
    _mm_storeu_ps(out + 4 * q, _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), frac)));
    fraction = _mm_add_epi32(fraction, advance);
    cursor += 4 * step;
  }
  resampleScalar<Stride>(in, out + 4 * quads, frames - 4 * quads, cursor, step);
}
#else
template <std::size_t Stride>
void resampleLane(const float* __restrict in, float* __restrict out, std::size_t frames, std::uint64_t cursor,
                  std::uint64_t step) noexcept {
  resampleScalar<Stride>(in, out, frames, cursor, step);
}
#endif

#if defined(__SSE2__)
// A mono lane straight into interleaved stereo: each quad of resampled samples is
// duplicated into (left, right) pairs and scaled by (leftGain, rightGain).
void mixMonoLane(const float* __restrict in, float* __restrict out, std::size_t frames, std::uint64_t cursor,
                 std::uint64_t step, float leftGain, float rightGain) noexcept {
  const std::size_t quads = frames / 4;
  __m128i fraction = _mm_setr_epi32(static_cast<int>(cursor), static_cast<int>(cursor + step),
                                    static_cast<int>(cursor + 2 * step), static_cast<int>(cursor + 3 * step));
  const __m128i advance = _mm_set1_epi32(static_cast<int>(4 * step));
  const __m128 scale = _mm_set1_ps(1.0f / 16777216.0f);
  const __m128 gains = _mm_setr_ps(leftGain, rightGain, leftGain, rightGain);
  for (std::size_t q = 0; q < quads; ++q) {
    const std::size_t i0 = cursor >> 32;
    const std::size_t i1 = (cursor + step) >> 32;
    const std::size_t i2 = (cursor + 2 * step) >> 32;
    const std::size_t i3 = (cursor + 3 * step) >> 32;
    const __m128 a = _mm_setr_ps(in[i0], in[i1], in[i2], in[i3]);
    const __m128 b = _mm_setr_ps(in[i0 + 1], in[i1 + 1], in[i2 + 1], in[i3 + 1]);
    const __m128 frac = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(fraction, 8)), scale);
    const __m128 s = _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), frac));
    float* o = out + 8 * q;
    _mm_storeu_ps(o, _mm_add_ps(_mm_loadu_ps(o), _mm_mul_ps(_mm_unpacklo_ps(s, s), gains)));
    _mm_storeu_ps(o + 4, _mm_add_ps(_mm_loadu_ps(o + 4), _mm_mul_ps(_mm_unpackhi_ps(s, s), gains)));
    fraction = _mm_add_epi32(fraction, advance);
    cursor += 4 * step;
  }
  for (std::size_t f = 4 * quads; f < frames; ++f) {
    const std::size_t i = cursor >> 32;
    const float sample = in[i] + (in[i + 1] - in[i]) * fractionOf(cursor);
    out[2 * f] += sample * leftGain;
    out[2 * f + 1] += sample * rightGain;
    cursor += step;
  }
}
#endif

// Adds gained samples into interleaved stereo; kept apart from the resampling so
// that the compiler can vectorise it.
void addStereo(const float* __restrict left, const float* __restrict right, float* __restrict out,
               std::size_t frames, float leftGain, float rightGain) noexcept {
  for (std::size_t f = 0; f < frames; ++f) {
    out[2 * f] += left[f] * leftGain;
    out[2 * f + 1] += right[f] * rightGain;
  }
}

}  // namespace

Voice::Voice(std::unique_ptr<WaveReader> reader)
    : reader_(std::move(reader)),
      lanes_(std::min(reader_->format().channels, 2)),
      frequency_(reader_->format().sampleRate),
      frames_((kChunkFrames + 2) * static_cast<std::size_t>(lanes_)),
      resampled_(kBlockFrames * 2) {
  if (reader_->format().channels > 2) scratch_.resize(kChunkFrames * static_cast<std::size_t>(reader_->format().channels));
}

void Voice::setGains(float left, float right) noexcept {
  gainLeft_.store(left, std::memory_order_relaxed);
  gainRight_.store(right, std::memory_order_relaxed);
}

void Voice::requestPosition(std::int64_t frame) noexcept {
  frame = std::clamp<std::int64_t>(frame, 0, format().frames);
  pendingSeek_.store(frame, std::memory_order_release);
}

std::int64_t Voice::position() const noexcept {
  const std::int64_t pending = pendingSeek_.load(std::memory_order_acquire);
  return pending >= 0 ? pending : position_.load(std::memory_order_acquire);
}

void Voice::applySeek() noexcept {
  const std::int64_t frame = pendingSeek_.exchange(-1, std::memory_order_acq_rel);
  if (frame < 0) return;
  reader_->seekFrame(frame);
  count_ = 0;
  cursor_ = 0;
  base_ = frame;
  padded_ = false;
  publishPosition();
}

std::size_t Voice::decode(float* out, std::size_t frames) noexcept {
  const int channels = format().channels;
  if (channels <= 2) return reader_->readFrames(out, frames);
  const std::size_t got = reader_->readFrames(scratch_.data(), frames);
  for (std::size_t f = 0; f < got; ++f) {
    out[2 * f] = scratch_[f * channels];
    out[2 * f + 1] = scratch_[f * channels + 1];
  }
  return got;
}

// Drops the frames the cursor has passed (keeping the one it stands on) and
// appends newly decoded ones. At the end of the wave a looping voice starts over;
// otherwise one silent frame is appended so the last frame fades into it. Returns
// false when nothing more can be played.
bool Voice::refill() noexcept {
  const std::size_t drop = std::min<std::size_t>(cursor_ >> 32, count_);
  const std::size_t keep = count_ - drop;
  std::memmove(frames_.data(), frames_.data() + drop * lanes_, keep * lanes_ * sizeof(float));
  base_ += static_cast<std::int64_t>(drop);
  cursor_ -= static_cast<std::uint64_t>(drop) << 32;
  count_ = keep;
  float* tail = frames_.data() + keep * lanes_;
  std::size_t got = decode(tail, kChunkFrames);
  if (got == 0 && looping_.load(std::memory_order_relaxed) && format().frames > 0) {
    reader_->seekFrame(0);
    got = decode(tail, kChunkFrames);
  }
  if (got > 0) {
    count_ += got;
    padded_ = false;
    return true;
  }
  if (padded_) return false;
  std::fill(tail, tail + lanes_, 0.0f);
  ++count_;
  padded_ = true;
  return true;
}

// A voice that ran off the end stops and goes back to the start, so that the
// next play starts the wave over.
void Voice::finish() noexcept {
  playing_.store(false, std::memory_order_release);
  std::int64_t none = -1;
  pendingSeek_.compare_exchange_strong(none, 0, std::memory_order_acq_rel);
}

void Voice::publishPosition() noexcept {
  std::int64_t frame = base_ + static_cast<std::int64_t>(cursor_ >> 32);
  const std::int64_t total = format().frames;
  if (total > 0) frame %= total;
  position_.store(frame, std::memory_order_release);
}

// Mixes up to `frames` output frames from the cursor on (all of them must lie
// within the frames held) and returns how many were mixed.
std::size_t Voice::mixBlock(float* out, std::size_t frames, std::uint64_t step, float left, float right) noexcept {
#if defined(__SSE2__)
  if (lanes_ == 1) {
    mixMonoLane(frames_.data(), out, frames, cursor_, step, left, right);
    return frames;
  }
#endif
  const std::size_t block = std::min(frames, kBlockFrames);
  float* leftLane = resampled_.data();
  if (lanes_ == 1) {
    resampleLane<1>(frames_.data(), leftLane, block, cursor_, step);
    addStereo(leftLane, leftLane, out, block, left, right);
    return block;
  }
  float* rightLane = resampled_.data() + kBlockFrames;
  resampleLane<2>(frames_.data(), leftLane, block, cursor_, step);
  resampleLane<2>(frames_.data() + 1, rightLane, block, cursor_, step);
  addStereo(leftLane, rightLane, out, block, left, right);
  return block;
}

void Voice::mixInto(std::span<float> stereo, int outputRate) noexcept {
  applySeek();
  if (!playing() || outputRate <= 0) return;
  const int hertz = std::max(frequency_.load(std::memory_order_relaxed), 1);
  const std::uint64_t step = std::max<std::uint64_t>((static_cast<std::uint64_t>(hertz) << 32) / outputRate, 1);
  const float left = gainLeft_.load(std::memory_order_relaxed);
  const float right = gainRight_.load(std::memory_order_relaxed);
  const std::size_t total = stereo.size() / 2;
  std::size_t done = 0;
  while (done < total) {
    // Frames i and i + 1 must both be held for every cursor position used.
    const std::uint64_t limit = count_ >= 2 ? static_cast<std::uint64_t>(count_ - 1) << 32 : 0;
    if (cursor_ >= limit) {
      if (!refill()) {
        finish();
        break;
      }
      continue;
    }
    const std::size_t run = std::min<std::uint64_t>(total - done, (limit - cursor_ + step - 1) / step);
    const std::size_t block = mixBlock(stereo.data() + 2 * done, run, step, left, right);
    cursor_ += step * block;
    done += block;
  }
  publishPosition();
}

}  // namespace velorina
