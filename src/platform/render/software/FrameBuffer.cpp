#include "platform/render/software/FrameBuffer.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include <sys/mman.h>

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
// another, which keeps the loop free of per-channel shifts; four pixels at a time
// take their even and odd samples apart with one shuffle each.
void average2x2Row(const std::uint32_t* top, std::size_t stride, std::uint32_t* out, std::uint32_t width) {
  const std::uint32_t* bottom = top + stride;
  std::uint32_t x = 0;
  const __m128i rbMask = _mm_set1_epi32(0x00FF00FF), gMask = _mm_set1_epi32(0x0000FF00);
  auto load = [](const std::uint32_t* p) { return _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))); };
  for (; x + 4 <= width; x += 4) {
    const __m128 t0 = load(top + 2 * x), t1 = load(top + 2 * x + 4);
    const __m128 b0 = load(bottom + 2 * x), b1 = load(bottom + 2 * x + 4);
    const __m128i a = _mm_castps_si128(_mm_shuffle_ps(t0, t1, 0x88)), b = _mm_castps_si128(_mm_shuffle_ps(t0, t1, 0xDD));
    const __m128i c = _mm_castps_si128(_mm_shuffle_ps(b0, b1, 0x88)), d = _mm_castps_si128(_mm_shuffle_ps(b0, b1, 0xDD));
    const __m128i rb = _mm_add_epi32(_mm_add_epi32(_mm_and_si128(a, rbMask), _mm_and_si128(b, rbMask)),
                                     _mm_add_epi32(_mm_and_si128(c, rbMask), _mm_and_si128(d, rbMask)));
    const __m128i g = _mm_add_epi32(_mm_add_epi32(_mm_and_si128(a, gMask), _mm_and_si128(b, gMask)),
                                    _mm_add_epi32(_mm_and_si128(c, gMask), _mm_and_si128(d, gMask)));
    const __m128i rbMean = _mm_and_si128(_mm_srli_epi32(_mm_add_epi32(rb, _mm_set1_epi32(0x00020002)), 2), rbMask);
    const __m128i gMean = _mm_and_si128(_mm_srli_epi32(_mm_add_epi32(g, _mm_set1_epi32(0x00000200)), 2), gMask);
    const __m128i pixel = _mm_or_si128(_mm_set1_epi32(std::int32_t(0xFF000000u)), _mm_or_si128(rbMean, gMean));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), pixel);
  }
  for (; x < width; ++x) {
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

// Uninitialised storage for `count` samples on a 64-byte boundary. Large
// targets ask for huge pages: a frame that touches a fresh antialiased target
// then takes a dozen page faults instead of thousands.
template <class T>
std::unique_ptr<T[], FrameBuffer::FreeDeleter> allocateSamples(std::size_t count) {
  constexpr std::size_t kHugePage = std::size_t(2) << 20;
  const std::size_t bytes = std::max<std::size_t>(count * sizeof(T), 64);
  const std::size_t align = bytes >= kHugePage ? kHugePage : 64;
  const std::size_t rounded = (bytes + align - 1) / align * align;
  void* p = std::aligned_alloc(align, rounded);
  if (p == nullptr) throw std::bad_alloc();
  if (align == kHugePage) ::madvise(p, rounded, MADV_HUGEPAGE);  // a hint: failure changes nothing
  return std::unique_ptr<T[], FrameBuffer::FreeDeleter>(static_cast<T*>(p));
}

// Copies `count` 4-byte values from `from` to the 16-byte aligned `to` with
// stores that bypass the caches (the caller fences).
void streamCopy(const void* from, void* to, std::size_t count) {
  const auto* src = static_cast<const std::uint32_t*>(from);
  auto* dst = static_cast<std::uint32_t*>(to);
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    _mm_stream_si128(reinterpret_cast<__m128i*>(dst + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
  }
  for (; i < count; ++i) dst[i] = src[i];
}

}  // namespace

// The samples are left uninitialised, every tile noted as cleared: memory is
// touched only where something is drawn, which keeps a large antialiased target
// from costing the start-up its whole size in page faults and fills.
FrameBuffer::FrameBuffer(std::uint32_t width, std::uint32_t height, bool hasDepth)
    : width_(width), height_(height), stride_(paddedStride(width)) {
  allocate(hasDepth);
  resetTiles(TileState{0xFF000000u, 1.0f, true, hasDepth, false});
}

void FrameBuffer::allocate(bool hasDepth) {
  const std::size_t samples = stride_ * sampleHeight();
  color_ = allocateSamples<std::uint32_t>(samples);
  colorBase_ = color_.get();
  depth_.reset();
  depthBase_ = nullptr;
  if (hasDepth) {
    depth_ = allocateSamples<float>(samples);
    depthBase_ = depth_.get();
  }
  resolved_.assign(std::size_t(width_) * height_, 0xFF000000u);
}

void FrameBuffer::loadTile(std::size_t tile, std::uint32_t* color, float* depth) {
  const SampleRect r = tileRect(tile);
  const auto w = std::size_t(r.x1 - r.x0);
  TileState& t = pending_[tile];
  // An unstored tile is being drawn again: its samples are as they were then.
  t.unstored = false;
  loaded_[tile] = t;
  for (std::int32_t y = r.y0; y < r.y1; ++y) {
    std::uint32_t* c = color + std::size_t(y - r.y0) * kTileSide;
    if (t.color) {
      std::fill_n(c, w, t.argb);
    } else {
      std::copy_n(colorRow(y) + r.x0, w, c);
    }
    if (depthBase_ == nullptr) continue;
    float* d = depth + std::size_t(y - r.y0) * kTileSide;
    if (t.depth) {
      std::fill_n(d, w, t.z);
    } else {
      std::copy_n(depthRow(y) + r.x0, w, d);
    }
  }
  t.color = t.depth = t.resolved = false;
}

void FrameBuffer::storeTile(std::size_t tile, const std::uint32_t* color, const float* depth, bool writeBack) {
  if (!writeBack && resolvesTiles()) {
    pending_[tile] = loaded_[tile];
    pending_[tile].unstored = true;
    resolveTile(tile, color, kTileSide);
    return;
  }
  const SampleRect r = tileRect(tile);
  const auto w = std::size_t(r.x1 - r.x0);
  for (std::int32_t y = r.y0; y < r.y1; ++y) {
    streamCopy(color + std::size_t(y - r.y0) * kTileSide, colorRow(y) + r.x0, w);
    if (depthBase_ != nullptr) streamCopy(depth + std::size_t(y - r.y0) * kTileSide, depthRow(y) + r.x0, w);
  }
  // The stores bypassing the caches are seen by other threads only after a fence.
  _mm_sfence();
  resolveTile(tile, color, kTileSide);
}

// The tile's pixels into resolved_ from its samples at `color` (`stride` from
// one row to the next).
void FrameBuffer::resolveTile(std::size_t tile, const std::uint32_t* color, std::size_t stride) {
  if (kTileSide % scale_ != 0) return;  // pixels would straddle tiles
  const SampleRect r = tileRect(tile);
  const std::uint32_t px0 = std::uint32_t(r.x0) / scale_, pixels = std::uint32_t(r.x1 - r.x0) / scale_;
  for (std::int32_t y = r.y0; y < r.y1; y += std::int32_t(scale_)) {
    const std::uint32_t* samples = color + std::size_t(y - r.y0) * stride;
    std::uint32_t* out = resolved_.data() + std::size_t(std::uint32_t(y) / scale_) * width_ + px0;
    if (scale_ == 1) {
      std::copy_n(samples, pixels, out);
    } else if (scale_ == 2) {
      average2x2Row(samples, stride, out, pixels);
    } else {
      for (std::uint32_t x = 0; x < pixels; ++x) out[x] = averageSamples(samples + std::size_t(x) * scale_, stride, scale_);
    }
  }
  pending_[tile].resolved = true;
}

std::size_t FrameBuffer::unstoredTiles() const {
  return std::size_t(std::count_if(pending_.begin(), pending_.end(), [](const TileState& t) { return t.unstored; }));
}

void FrameBuffer::requireStored(std::size_t tile) const {
  if (pending_[tile].unstored) throw std::logic_error("frame buffer: tile " + std::to_string(tile) + " was not stored");
}

std::size_t FrameBuffer::staleTiles() const {
  if (kTileSide % scale_ != 0) return pending_.size();
  return std::size_t(std::count_if(pending_.begin(), pending_.end(), [](const TileState& t) { return !t.resolved; }));
}

void FrameBuffer::updatePicture(std::uint32_t row0, std::uint32_t row1) {
  if (kTileSide % scale_ != 0) {
    // Pixels straddle tiles: every time, the pixel rows whose first sample row
    // lies in these tile rows.
    const auto firstRow = [&](std::uint32_t tileRow) {
      return std::uint32_t((std::size_t(tileRow) * kTileSide + scale_ - 1) / scale_);
    };
    resolveRows(resolved_, firstRow(row0), firstRow(row1));
    return;
  }
  for (std::size_t tile = std::size_t(row0) * tilesX_; tile < std::min<std::size_t>(row1, tilesY_) * tilesX_; ++tile) {
    TileState& t = pending_[tile];
    if (t.resolved) continue;
    if (t.color) {
      const SampleRect r = tileRect(tile);
      const std::uint32_t px0 = std::uint32_t(r.x0) / scale_, px1 = std::uint32_t(r.x1) / scale_;
      for (std::uint32_t y = std::uint32_t(r.y0) / scale_; y < std::uint32_t(r.y1) / scale_; ++y) {
        std::fill(resolved_.begin() + std::ptrdiff_t(y * width_ + px0), resolved_.begin() + std::ptrdiff_t(y * width_ + px1),
                  0xFF000000u | t.argb);
      }
      t.resolved = true;
      continue;
    }
    const SampleRect r = tileRect(tile);
    resolveTile(tile, colorRow(r.y0) + r.x0, stride_);
  }
}

void FrameBuffer::resetTiles(const TileState& every) {
  const std::uint32_t side = 1u << kTileShift;
  tilesX_ = (sampleWidth() + side - 1) >> kTileShift;
  tilesY_ = (sampleHeight() + side - 1) >> kTileShift;
  pending_.assign(std::size_t(tilesX_) * tilesY_, every);
  loaded_.assign(pending_.size(), every);
}

SampleRect FrameBuffer::tileRect(std::size_t tile) const {
  const auto x0 = std::int32_t(tile % tilesX_) << kTileShift, y0 = std::int32_t(tile / tilesX_) << kTileShift;
  const std::int32_t side = 1 << kTileShift;
  return {x0, y0, std::min(x0 + side, std::int32_t(sampleWidth())), std::min(y0 + side, std::int32_t(sampleHeight()))};
}

void FrameBuffer::fillRect(const SampleRect& r, bool color, bool depth, std::uint32_t argb, float z) {
  for (std::int32_t y = r.y0; y < r.y1; ++y) {
    if (color) std::fill(colorRow(y) + r.x0, colorRow(y) + r.x1, argb);
    if (depth && depthBase_ != nullptr) std::fill(depthRow(y) + r.x0, depthRow(y) + r.x1, z);
  }
}

void FrameBuffer::fillTile(std::size_t tile) {
  TileState& t = pending_[tile];
  fillRect(tileRect(tile), t.color, t.depth, t.argb, t.z);
  t.color = t.depth = false;
}

void FrameBuffer::clear(const SampleRect& r, bool color, bool depth, std::uint32_t argb, float z) {
  depth = depth && depthBase_ != nullptr;
  if ((!color && !depth) || r.x0 >= r.x1 || r.y0 >= r.y1) return;
  for (std::int32_t ty = r.y0 >> kTileShift; ty <= (r.y1 - 1) >> kTileShift; ++ty) {
    for (std::int32_t tx = r.x0 >> kTileShift; tx <= (r.x1 - 1) >> kTileShift; ++tx) {
      const std::size_t tile = std::size_t(ty) * tilesX_ + std::size_t(tx);
      const SampleRect t = tileRect(tile);
      if (r.x0 <= t.x0 && r.y0 <= t.y0 && r.x1 >= t.x1 && r.y1 >= t.y1) {
        TileState& p = pending_[tile];
        // Stale samples may be cleared away only all at once.
        if (p.unstored && !(color && (depth || depthBase_ == nullptr))) requireStored(tile);
        // The picture already shows a tile cleared again to the same colour.
        if (color) p.resolved = p.resolved && !p.unstored && p.color && p.argb == argb;
        p.unstored = false;
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
  const std::size_t tile = tileOf(std::int32_t(x), std::int32_t(y));
  requireStored(tile);
  const TileState& t = pending_[tile];
  return t.color ? t.argb : colorBase_[std::size_t(y) * stride_ + x];
}

void FrameBuffer::setScale(std::uint32_t scale) {
  if (scale == scale_ || scale == 0) return;
  for (std::size_t tile = 0; tile < pending_.size(); ++tile) requireStored(tile);
  const bool hasDepth = depthBase_ != nullptr;
  // A target cleared all over to one colour and depth (as at the start) stays so.
  const TileState& first = pending_.front();
  const bool uniform = std::all_of(pending_.begin(), pending_.end(), [&](const TileState& t) {
    return t.color && t.depth == hasDepth && t.argb == first.argb && (!hasDepth || t.z == first.z);
  });
  if (uniform) {
    const TileState every{first.argb, first.z, true, hasDepth, false};
    scale_ = scale;
    stride_ = paddedStride(sampleWidth());
    allocate(hasDepth);
    resetTiles(every);
    return;
  }
  for (std::size_t tile = 0; tile < pending_.size(); ++tile) prepareTile(tile);
  const std::uint32_t oldScale = scale_;
  const std::size_t oldStride = stride_;
  // The old samples stay where they are while the new ones are made.
  const auto oldColorStore = std::move(color_);
  const auto oldDepthStore = std::move(depth_);
  const std::uint32_t* oldColor = colorBase_;
  const float* oldDepth = depthBase_;
  scale_ = scale;
  stride_ = paddedStride(sampleWidth());
  allocate(hasDepth);
  const std::size_t stride = stride_;
  for (std::uint32_t y = 0; y < height_; ++y) {
    for (std::uint32_t x = 0; x < width_; ++x) {
      const std::size_t src = (std::size_t(y) * oldScale) * oldStride + std::size_t(x) * oldScale;
      const std::uint32_t c = averageSamples(oldColor + src, oldStride, oldScale);
      // The nearest surface of a pixel stands for all its new samples.
      float z = 1.0f;
      if (hasDepth) {
        z = oldDepth[src];
        for (std::uint32_t j = 0; j < oldScale; ++j)
          for (std::uint32_t i = 0; i < oldScale; ++i) z = std::min(z, oldDepth[src + j * oldStride + i]);
      }
      for (std::uint32_t j = 0; j < scale; ++j) {
        for (std::uint32_t i = 0; i < scale; ++i) {
          const std::size_t dst = (std::size_t(y) * scale + j) * stride + std::size_t(x) * scale + i;
          colorBase_[dst] = c;
          if (hasDepth) depthBase_[dst] = z;
        }
      }
    }
  }
  resetTiles(TileState{});
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
  const std::uint32_t* samples = colorBase_ + std::size_t(y) * scale_ * stride;
  for (std::uint32_t tx = 0; tx < tilesX_; ++tx) {
    const std::uint32_t x0 = tx * tilePixels, x1 = std::min(width_, x0 + tilePixels);
    const TileState& t = pending_[tileRow + tx];
    if (t.color) {
      std::fill(out + x0, out + x1, 0xFF000000u | t.argb);
    } else if (t.resolved) {
      std::copy(resolved_.data() + std::size_t(y) * width_ + x0, resolved_.data() + std::size_t(y) * width_ + x1, out + x0);
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
