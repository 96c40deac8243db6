#include "platform/render/software/FrameBuffer.h"

#include <algorithm>

namespace velorina::software {

namespace {

// Average of the s x s samples starting at (x, y); the result is opaque.
std::uint32_t averageSamples(const std::uint32_t* base, std::size_t stride, std::uint32_t s) {
  std::uint32_t r = 0, g = 0, b = 0;
  for (std::uint32_t j = 0; j < s; ++j) {
    for (std::uint32_t i = 0; i < s; ++i) {
      const std::uint32_t c = base[j * stride + i];
      r += (c >> 16) & 0xFF;
      g += (c >> 8) & 0xFF;
      b += c & 0xFF;
    }
  }
  const std::uint32_t n = s * s;
  const std::uint32_t half = n / 2;
  return 0xFF000000u | (((r + half) / n) << 16) | (((g + half) / n) << 8) | ((b + half) / n);
}

// One row of pixels from the two sample rows at `top` (the second `stride` further
// on), as averageSamples(.., 2) gives them: each channel's four samples summed,
// plus 2, divided by 4. Red and blue are summed side by side in one word, green in
// another, which keeps the loop free of per-channel shifts and lets the compiler
// vectorise it.
void average2x2Row(const std::uint32_t* top, std::size_t stride, std::uint32_t* out, std::uint32_t width) {
  const std::uint32_t* bottom = top + stride;
  for (std::uint32_t x = 0; x < width; ++x) {
    const std::uint32_t a = top[2 * x], b = top[2 * x + 1], c = bottom[2 * x], d = bottom[2 * x + 1];
    const std::uint32_t rb = (a & 0x00FF00FFu) + (b & 0x00FF00FFu) + (c & 0x00FF00FFu) + (d & 0x00FF00FFu);
    const std::uint32_t g = (a & 0x0000FF00u) + (b & 0x0000FF00u) + (c & 0x0000FF00u) + (d & 0x0000FF00u);
    out[x] = 0xFF000000u | (((rb + 0x00020002u) >> 2) & 0x00FF00FFu) | (((g + 0x00000200u) >> 2) & 0x0000FF00u);
  }
}

}  // namespace

FrameBuffer::FrameBuffer(std::uint32_t width, std::uint32_t height, bool hasDepth)
    : width_(width), height_(height), color_(std::size_t(width) * height, 0xFF000000u) {
  if (hasDepth) depth_.assign(color_.size(), 1.0f);
}

void FrameBuffer::setScale(std::uint32_t scale) {
  if (scale == scale_ || scale == 0) return;
  const std::size_t pixels = std::size_t(width_) * height_;
  const std::uint32_t oldScale = scale_;
  const std::size_t oldStride = std::size_t(width_) * oldScale;
  scratchColor_.swap(color_);
  scratchDepth_.swap(depth_);
  scale_ = scale;
  color_.assign(pixels * scale * scale, 0);
  if (!scratchDepth_.empty()) depth_.assign(color_.size(), 1.0f);
  const std::size_t stride = sampleWidth();
  for (std::uint32_t y = 0; y < height_; ++y) {
    for (std::uint32_t x = 0; x < width_; ++x) {
      const std::size_t src = (std::size_t(y) * oldScale) * oldStride + std::size_t(x) * oldScale;
      const std::uint32_t c = averageSamples(&scratchColor_[src], oldStride, oldScale);
      // The nearest surface of a pixel stands for all its new samples.
      float z = 1.0f;
      if (!scratchDepth_.empty()) {
        z = scratchDepth_[src];
        for (std::uint32_t j = 0; j < oldScale; ++j)
          for (std::uint32_t i = 0; i < oldScale; ++i) z = std::min(z, scratchDepth_[src + j * oldStride + i]);
      }
      for (std::uint32_t j = 0; j < scale; ++j) {
        for (std::uint32_t i = 0; i < scale; ++i) {
          const std::size_t dst = (std::size_t(y) * scale + j) * stride + std::size_t(x) * scale + i;
          color_[dst] = c;
          if (!depth_.empty()) depth_[dst] = z;
        }
      }
    }
  }
  scratchColor_.clear();
  scratchDepth_.clear();
}

void FrameBuffer::fillColor(const SampleRect& r, std::uint32_t argb) {
  for (std::int32_t y = r.y0; y < r.y1; ++y) std::fill(colorRow(y) + r.x0, colorRow(y) + r.x1, argb);
}

void FrameBuffer::fillDepth(const SampleRect& r, float z) {
  if (depth_.empty()) return;
  for (std::int32_t y = r.y0; y < r.y1; ++y) std::fill(depthRow(y) + r.x0, depthRow(y) + r.x1, z);
}

void FrameBuffer::resolveRows(std::span<std::uint32_t> out, std::uint32_t y0, std::uint32_t y1) const {
  y1 = std::min(y1, height_);
  if (y0 >= y1) return;
  const std::size_t stride = sampleWidth();
  if (scale_ == 1) {
    std::copy(color_.begin() + std::ptrdiff_t(y0 * stride), color_.begin() + std::ptrdiff_t(y1 * stride),
              out.begin() + std::ptrdiff_t(y0 * stride));
    return;
  }
  if (scale_ == 2) {
    for (std::uint32_t y = y0; y < y1; ++y) {
      average2x2Row(&color_[std::size_t(y) * 2 * stride], stride, out.data() + std::size_t(y) * width_, width_);
    }
    return;
  }
  for (std::uint32_t y = y0; y < y1; ++y) {
    for (std::uint32_t x = 0; x < width_; ++x) {
      out[std::size_t(y) * width_ + x] =
          averageSamples(&color_[std::size_t(y) * scale_ * stride + std::size_t(x) * scale_], stride, scale_);
    }
  }
}

}  // namespace velorina::software
