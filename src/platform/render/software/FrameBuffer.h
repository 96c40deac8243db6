#pragma once
// The software device's render target: 32-bit colour (0xFFRRGGBB) and a float
// depth buffer, stored at `scale` samples per pixel side. With scale 2 every
// pixel holds a 2 x 2 grid of samples that resolve() averages.

#include <cstdint>
#include <span>
#include <vector>

namespace velorina::software {

struct SampleRect {
  std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // half-open, in samples
};

class FrameBuffer {
 public:
  FrameBuffer(std::uint32_t width, std::uint32_t height, bool hasDepth);

  std::uint32_t width() const { return width_; }    // pixels
  std::uint32_t height() const { return height_; }  // pixels
  std::uint32_t scale() const { return scale_; }
  std::uint32_t sampleWidth() const { return width_ * scale_; }
  std::uint32_t sampleHeight() const { return height_ * scale_; }
  bool hasDepth() const { return !depth_.empty(); }

  std::uint32_t* colorRow(std::int32_t y) { return color_.data() + std::size_t(y) * sampleWidth(); }
  float* depthRow(std::int32_t y) { return depth_.data() + std::size_t(y) * sampleWidth(); }

  // Changes the samples per pixel side, keeping the picture: samples are
  // replicated when growing and averaged when shrinking.
  void setScale(std::uint32_t scale);

  void fillColor(const SampleRect& r, std::uint32_t argb);
  void fillDepth(const SampleRect& r, float z);

  // The picture at one sample per pixel (out holds width * height entries).
  void resolve(std::span<std::uint32_t> out) const { resolveRows(out, 0, height_); }
  // The same for the pixel rows [y0, y1) only, so that bands of rows can be
  // resolved on several threads.
  void resolveRows(std::span<std::uint32_t> out, std::uint32_t y0, std::uint32_t y1) const;

 private:
  std::uint32_t width_;
  std::uint32_t height_;
  std::uint32_t scale_ = 1;
  std::vector<std::uint32_t> color_;
  std::vector<float> depth_;
  std::vector<std::uint32_t> scratchColor_;
  std::vector<float> scratchDepth_;
};

}  // namespace velorina::software
