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

// The row stride for rows of `samples` samples: a whole number of 64-byte lines,
// and one that is 4 lines more than a multiple of 8. Consecutive rows then start
// 4, 8, 12 ... lines apart modulo 64 lines (4 KiB), so a tile's 64 rows of 4 lines
// each cover every set of a cache indexed by the low 12 address bits evenly.
std::size_t paddedStride(std::uint32_t samples) {
  constexpr std::size_t kLine = 16;  // samples per 64-byte line
  std::size_t lines = (std::size_t(samples) + kLine - 1) / kLine;
  while (lines % 8 != 4) ++lines;
  return lines * kLine;
}

}  // namespace

FrameBuffer::FrameBuffer(std::uint32_t width, std::uint32_t height, bool hasDepth)
    : width_(width), height_(height), stride_(paddedStride(width)), color_(stride_ * height, 0xFF000000u) {
  if (hasDepth) depth_.assign(color_.size(), 1.0f);
  resetTiles();
}

void FrameBuffer::resetTiles() {
  const std::uint32_t side = 1u << kTileShift;
  tilesX_ = (sampleWidth() + side - 1) >> kTileShift;
  tilesY_ = (sampleHeight() + side - 1) >> kTileShift;
  pending_.assign(std::size_t(tilesX_) * tilesY_, TileClear{});
}

SampleRect FrameBuffer::tileRect(std::size_t tile) const {
  const auto x0 = std::int32_t(tile % tilesX_) << kTileShift, y0 = std::int32_t(tile / tilesX_) << kTileShift;
  const std::int32_t side = 1 << kTileShift;
  return {x0, y0, std::min(x0 + side, std::int32_t(sampleWidth())), std::min(y0 + side, std::int32_t(sampleHeight()))};
}

void FrameBuffer::fillRect(const SampleRect& r, bool color, bool depth, std::uint32_t argb, float z) {
  for (std::int32_t y = r.y0; y < r.y1; ++y) {
    if (color) std::fill(colorRow(y) + r.x0, colorRow(y) + r.x1, argb);
    if (depth && !depth_.empty()) std::fill(depthRow(y) + r.x0, depthRow(y) + r.x1, z);
  }
}

void FrameBuffer::fillTile(std::size_t tile) {
  TileClear& t = pending_[tile];
  fillRect(tileRect(tile), t.color, t.depth, t.argb, t.z);
  t.color = t.depth = false;
}

void FrameBuffer::clear(const SampleRect& r, bool color, bool depth, std::uint32_t argb, float z) {
  depth = depth && !depth_.empty();
  if ((!color && !depth) || r.x0 >= r.x1 || r.y0 >= r.y1) return;
  for (std::int32_t ty = r.y0 >> kTileShift; ty <= (r.y1 - 1) >> kTileShift; ++ty) {
    for (std::int32_t tx = r.x0 >> kTileShift; tx <= (r.x1 - 1) >> kTileShift; ++tx) {
      const std::size_t tile = std::size_t(ty) * tilesX_ + std::size_t(tx);
      const SampleRect t = tileRect(tile);
      if (r.x0 <= t.x0 && r.y0 <= t.y0 && r.x1 >= t.x1 && r.y1 >= t.y1) {
        TileClear& p = pending_[tile];
        if (color) {
          p.color = true;
          p.argb = argb;
        }
        if (depth) {
          p.depth = true;
          p.z = z;
        }
        continue;
      }
      // A tile cleared in part is filled now, its noted clear first.
      prepareTile(tile);
      const SampleRect part{std::max(r.x0, t.x0), std::max(r.y0, t.y0), std::min(r.x1, t.x1), std::min(r.y1, t.y1)};
      fillRect(part, color, depth, argb, z);
    }
  }
}

void FrameBuffer::prepare(const SampleRect& r) {
  if (r.x0 >= r.x1 || r.y0 >= r.y1) return;
  for (std::int32_t ty = r.y0 >> kTileShift; ty <= (r.y1 - 1) >> kTileShift; ++ty)
    for (std::int32_t tx = r.x0 >> kTileShift; tx <= (r.x1 - 1) >> kTileShift; ++tx)
      prepareTile(std::size_t(ty) * tilesX_ + std::size_t(tx));
}

std::uint32_t FrameBuffer::sampleColor(std::uint32_t x, std::uint32_t y) const {
  const TileClear& t = pending_[tileOf(std::int32_t(x), std::int32_t(y))];
  return t.color ? t.argb : color_[std::size_t(y) * stride_ + x];
}

void FrameBuffer::setScale(std::uint32_t scale) {
  if (scale == scale_ || scale == 0) return;
  for (std::size_t tile = 0; tile < pending_.size(); ++tile) prepareTile(tile);
  const std::uint32_t oldScale = scale_;
  const std::size_t oldStride = stride_;
  scratchColor_.swap(color_);
  scratchDepth_.swap(depth_);
  scale_ = scale;
  stride_ = paddedStride(sampleWidth());
  color_.assign(stride_ * sampleHeight(), 0);
  if (!scratchDepth_.empty()) depth_.assign(color_.size(), 1.0f);
  const std::size_t stride = stride_;
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
  resetTiles();
}

// One pixel row, tile by tile: a tile with a noted clear gives its colour
// without being read. Scales that divide the tile side keep each pixel within one
// tile; others go sample by sample.
void FrameBuffer::resolveRow(std::uint32_t* out, std::uint32_t y) const {
  const std::size_t stride = stride_;
  const std::uint32_t side = 1u << kTileShift;
  if (side % scale_ != 0) {
    for (std::uint32_t x = 0; x < width_; ++x) {
      std::uint32_t r = 0, g = 0, b = 0;
      for (std::uint32_t j = 0; j < scale_; ++j) {
        for (std::uint32_t i = 0; i < scale_; ++i) {
          const std::uint32_t c = sampleColor(x * scale_ + i, y * scale_ + j);
          r += (c >> 16) & 0xFF;
          g += (c >> 8) & 0xFF;
          b += c & 0xFF;
        }
      }
      const std::uint32_t n = scale_ * scale_, half = n / 2;
      out[x] = 0xFF000000u | (((r + half) / n) << 16) | (((g + half) / n) << 8) | ((b + half) / n);
    }
    return;
  }
  const std::uint32_t tilePixels = side / scale_;
  const std::size_t tileRow = std::size_t(y * scale_ >> kTileShift) * tilesX_;
  const std::uint32_t* samples = &color_[std::size_t(y) * scale_ * stride];
  for (std::uint32_t tx = 0; tx < tilesX_; ++tx) {
    const std::uint32_t x0 = tx * tilePixels, x1 = std::min(width_, x0 + tilePixels);
    const TileClear& t = pending_[tileRow + tx];
    if (t.color) {
      std::fill(out + x0, out + x1, 0xFF000000u | t.argb);
    } else if (scale_ == 1) {
      std::copy(samples + x0, samples + x1, out + x0);
    } else if (scale_ == 2) {
      average2x2Row(samples + 2 * x0, stride, out + x0, x1 - x0);
    } else {
      for (std::uint32_t x = x0; x < x1; ++x) out[x] = averageSamples(samples + std::size_t(x) * scale_, stride, scale_);
    }
  }
}

void FrameBuffer::resolveRows(std::span<std::uint32_t> out, std::uint32_t y0, std::uint32_t y1) const {
  y1 = std::min(y1, height_);
  for (std::uint32_t y = y0; y < y1; ++y) resolveRow(out.data() + std::size_t(y) * width_, y);
}

}  // namespace velorina::software
