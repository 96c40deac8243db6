#include "platform/sound/Voice.h"

#include <algorithm>
#include <cstring>

namespace velorina {

namespace {

constexpr float kFractionScale = 1.0f / 4294967296.0f;

// Linear interpolation between neighbouring frames; `cursor` is 32.32 fixed point.
void mixMono(const float* in, float* out, std::size_t frames, std::uint64_t& cursor, std::uint64_t step,
             float left, float right) noexcept {
  for (std::size_t f = 0; f < frames; ++f) {
    const std::size_t i = cursor >> 32;
    const float frac = static_cast<float>(cursor & 0xFFFFFFFFu) * kFractionScale;
    const float s = in[i] + (in[i + 1] - in[i]) * frac;
    out[2 * f] += s * left;
    out[2 * f + 1] += s * right;
    cursor += step;
  }
}

void mixStereo(const float* in, float* out, std::size_t frames, std::uint64_t& cursor, std::uint64_t step,
               float left, float right) noexcept {
  for (std::size_t f = 0; f < frames; ++f) {
    const std::size_t i = cursor >> 32;
    const float frac = static_cast<float>(cursor & 0xFFFFFFFFu) * kFractionScale;
    const float l = in[2 * i] + (in[2 * i + 2] - in[2 * i]) * frac;
    const float r = in[2 * i + 1] + (in[2 * i + 3] - in[2 * i + 1]) * frac;
    out[2 * f] += l * left;
    out[2 * f + 1] += r * right;
    cursor += step;
  }
}

}  // namespace

Voice::Voice(std::unique_ptr<WaveReader> reader)
    : reader_(std::move(reader)),
      lanes_(std::min(reader_->format().channels, 2)),
      frequency_(reader_->format().sampleRate),
      frames_((kChunkFrames + 2) * static_cast<std::size_t>(lanes_)) {
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
    float* out = stereo.data() + 2 * done;
    if (lanes_ == 1) {
      mixMono(frames_.data(), out, run, cursor_, step, left, right);
    } else {
      mixStereo(frames_.data(), out, run, cursor_, step, left, right);
    }
    done += run;
  }
  publishPosition();
}

}  // namespace velorina
