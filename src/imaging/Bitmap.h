#pragma once
// The in-memory bitmap every picture decoder produces and every texture is made
// from. The byte layout is that of a Windows device-independent bitmap, turned
// top-down: row 0 is the top row, each row is padded to a multiple of 4 bytes,
// 24-bit pixels are B,G,R, 32-bit pixels B,G,R,A, 16-bit pixels X1R5G5B5
// (little-endian words), and indexed pixels (1, 4, 8 bits) pack the leftmost
// pixel into the most significant bits of a byte.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "archive/ByteBuffer.h"

namespace velorina {

enum class PixelFormat { Bits1, Bits4, Bits8, Bits16, Bits24, Bits32 };

int bitsPerPixel(PixelFormat format) noexcept;
// The format for a bit count of 1, 4, 8, 16, 24 or 32; throws EInvalidGraphic otherwise.
PixelFormat pixelFormatFromBits(int bits);
bool isIndexed(PixelFormat format) noexcept;

// A palette entry; flags is carried along by the formats that store it.
struct PaletteEntry {
  std::uint8_t r = 0, g = 0, b = 0, flags = 0;
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

using Palette = std::array<PaletteEntry, 256>;

// Whether a new bitmap's bytes start at zero or are left for a decoder that
// writes every byte of every row (padding included) anyway.
enum class PixelInit { Zero, Uninitialised };

// The largest bitmap any decoder may create: sides up to 32768 pixels and at most
// 256 MiB of pixel rows. Decoders check the sizes a file declares against this
// (and against the bytes the file really has) before allocating.
inline constexpr int kMaxBitmapSide = 32768;
inline constexpr std::size_t kMaxBitmapBytes = std::size_t{256} << 20;

class Bitmap {
 public:
  // An empty bitmap (0 x 0, 24 bits per pixel).
  Bitmap() = default;
  // A bitmap of the given size, all bytes zero (black, or palette index 0). The
  // palette starts as a grey ramp for 1 and 4 bits and all black for 8 bits.
  // Throws EInvalidGraphic for negative or oversized dimensions.
  Bitmap(int width, int height, PixelFormat format, PixelInit init = PixelInit::Zero);

  int width() const noexcept { return width_; }
  int height() const noexcept { return height_; }
  PixelFormat format() const noexcept { return format_; }
  int bitsPerPixel() const noexcept { return velorina::bitsPerPixel(format_); }
  bool empty() const noexcept { return width_ == 0 || height_ == 0; }
  // Bytes per row, a multiple of 4.
  std::size_t stride() const noexcept { return stride_; }

  // Row y (0 = top); y must be in [0, height).
  std::uint8_t* row(int y) noexcept { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
  const std::uint8_t* row(int y) const noexcept {
    return pixels_.data() + static_cast<std::size_t>(y) * stride_;
  }
  std::span<std::uint8_t> pixels() noexcept { return pixels_; }
  std::span<const std::uint8_t> pixels() const noexcept { return pixels_; }

  // The palette of indexed formats and the number of entries in use (for writing
  // files; pixels may still name any of the 256 entries).
  Palette& palette() noexcept { return palette_; }
  const Palette& palette() const noexcept { return palette_; }
  int paletteCount() const noexcept { return paletteCount_; }
  void setPaletteCount(int count);

  // The stored value of pixel (x, y): the palette index for indexed formats, the
  // 16-bit word, or the packed bytes 0xRRGGBB / 0xAARRGGBB. No bounds check.
  std::uint32_t rawPixel(int x, int y) const noexcept;
  void setRawPixel(int x, int y, std::uint32_t value) noexcept;

  // The colour of pixel (x, y) as 0xAARRGGBB with alpha 255 (32-bit pixels keep
  // their stored alpha in colourWithAlpha only).
  std::uint32_t colour(int x, int y) const noexcept;
  std::uint32_t colourWithAlpha(int x, int y) const noexcept;
  // Writes a 0xAARRGGBB colour: stored as it is in 32 bits, reduced in 16 and 24
  // bits, matched to the nearest palette entry in indexed formats.
  void setColour(int x, int y, std::uint32_t argb) noexcept;

  // The whole image as 0xAARRGGBB words, row by row from the top, alpha 255,
  // palettes resolved.
  std::vector<std::uint32_t> toARGB32() const;
  // The same into a caller's buffer of at least width x height words (nothing is
  // allocated); returns false, writing nothing, when the buffer is too small.
  bool toARGB32(std::span<std::uint32_t> out) const noexcept;

  // Changes the size keeping the top-left pixels; new pixels are zero.
  void setSize(int width, int height);
  // Replaces the image with a new one of the given size and format, all zero
  // unless `init` says otherwise; the palette is kept.
  void reset(int width, int height, PixelFormat format, PixelInit init = PixelInit::Zero);

  // The palette index nearest (squared RGB distance) to a colour, among the
  // entries in use.
  std::uint8_t nearestIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b) const noexcept;

  // Same size, format and stored pixels, and for indexed formats the same palette
  // entries in use.
  friend bool operator==(const Bitmap& a, const Bitmap& b);

 private:
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Bits24;
  std::size_t stride_ = 0;
  ByteBuffer pixels_;
  Palette palette_{};
  int paletteCount_ = 0;
};

// Bytes per row for a width and format (padded to 4), or 0 when it would overflow.
std::size_t strideFor(int width, PixelFormat format) noexcept;
// Throws EInvalidGraphic (naming `source`) unless a width x height bitmap of that
// format fits the limits above.
void checkBitmapSize(std::int64_t width, std::int64_t height, PixelFormat format, const char* source);

}  // namespace velorina
