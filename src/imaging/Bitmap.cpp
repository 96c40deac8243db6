#include "imaging/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "archive/LittleEndian.h"
#include "imaging/ImagingError.h"

namespace velorina {

namespace {

// A grey ramp over `count` entries, the default palette of 1- and 4-bit bitmaps.
void fillGreyRamp(Palette& palette, int count) {
  for (int i = 0; i < count; ++i) {
    auto v = static_cast<std::uint8_t>(i * 255 / (count - 1));
    palette[static_cast<std::size_t>(i)] = {v, v, v, 0};
  }
}

int defaultPaletteCount(PixelFormat format) {
  switch (format) {
    case PixelFormat::Bits1: return 2;
    case PixelFormat::Bits4: return 16;
    case PixelFormat::Bits8: return 256;
    default: return 0;
  }
}

// Expands a 5-bit channel to 8 bits so that 31 becomes 255.
std::uint8_t expand5(std::uint32_t v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }

}  // namespace

int bitsPerPixel(PixelFormat format) noexcept {
  switch (format) {
    case PixelFormat::Bits1: return 1;
    case PixelFormat::Bits4: return 4;
    case PixelFormat::Bits8: return 8;
    case PixelFormat::Bits16: return 16;
    case PixelFormat::Bits24: return 24;
    case PixelFormat::Bits32: return 32;
  }
  return 0;
}

PixelFormat pixelFormatFromBits(int bits) {
  switch (bits) {
    case 1: return PixelFormat::Bits1;
    case 4: return PixelFormat::Bits4;
    case 8: return PixelFormat::Bits8;
    case 16: return PixelFormat::Bits16;
    case 24: return PixelFormat::Bits24;
    case 32: return PixelFormat::Bits32;
    default: throwInvalidPicture({}, "unsupported bit count " + std::to_string(bits));
  }
}

bool isIndexed(PixelFormat format) noexcept {
  return format == PixelFormat::Bits1 || format == PixelFormat::Bits4 || format == PixelFormat::Bits8;
}

std::size_t strideFor(int width, PixelFormat format) noexcept {
  if (width < 0 || width > kMaxBitmapSide) return 0;
  auto bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel(format));
  return ((bits + 31) / 32) * 4;
}

void checkBitmapSize(std::int64_t width, std::int64_t height, PixelFormat format, const char* source) {
  if (width < 0 || height < 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) {
    throwInvalidPicture(source ? source : "",
                        "size " + std::to_string(width) + "x" + std::to_string(height) + " is out of range");
  }
  auto bytes = strideFor(static_cast<int>(width), format) * static_cast<std::size_t>(height);
  if (bytes > kMaxBitmapBytes) {
    throwInvalidPicture(source ? source : "", "size " + std::to_string(width) + "x" + std::to_string(height) +
                                                  " needs more memory than a picture may use");
  }
}

Bitmap::Bitmap(int width, int height, PixelFormat format, PixelInit init) {
  reset(width, height, format, init);
  paletteCount_ = defaultPaletteCount(format);
  if (format == PixelFormat::Bits1 || format == PixelFormat::Bits4) fillGreyRamp(palette_, paletteCount_);
}

void Bitmap::reset(int width, int height, PixelFormat format, PixelInit init) {
  checkBitmapSize(width, height, format, nullptr);
  width_ = width;
  height_ = height;
  format_ = format;
  stride_ = strideFor(width, format);
  const std::size_t bytes = stride_ * static_cast<std::size_t>(height);
  if (init == PixelInit::Zero) {
    pixels_.assign(bytes, 0);
  } else {
    pixels_.clear();
    pixels_.resize(bytes);  // ByteBuffer leaves new bytes uninitialised
  }
  if (isIndexed(format) && paletteCount_ == 0) paletteCount_ = defaultPaletteCount(format);
}

void Bitmap::setPaletteCount(int count) { paletteCount_ = std::clamp(count, 0, 256); }

std::uint32_t Bitmap::rawPixel(int x, int y) const noexcept {
  const std::uint8_t* r = row(y);
  switch (format_) {
    case PixelFormat::Bits1: return (r[x >> 3] >> (7 - (x & 7))) & 1u;
    case PixelFormat::Bits4: return (x & 1) ? (r[x >> 1] & 0x0Fu) : (r[x >> 1] >> 4);
    case PixelFormat::Bits8: return r[x];
    case PixelFormat::Bits16: return loadLE<std::uint16_t>(r + 2 * x);
    case PixelFormat::Bits24: {
      const std::uint8_t* p = r + 3 * x;
      return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
    }
    case PixelFormat::Bits32: return loadLE<std::uint32_t>(r + 4 * x);
  }
  return 0;
}

void Bitmap::setRawPixel(int x, int y, std::uint32_t value) noexcept {
  std::uint8_t* r = row(y);
  switch (format_) {
    case PixelFormat::Bits1: {
      auto mask = static_cast<std::uint8_t>(0x80u >> (x & 7));
      r[x >> 3] = static_cast<std::uint8_t>((value & 1) ? (r[x >> 3] | mask) : (r[x >> 3] & ~mask));
      break;
    }
    case PixelFormat::Bits4: {
      std::uint8_t& b = r[x >> 1];
      b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (value & 0x0F))
                  : static_cast<std::uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
      break;
    }
    case PixelFormat::Bits8: r[x] = static_cast<std::uint8_t>(value); break;
    case PixelFormat::Bits16: storeLE<std::uint16_t>(r + 2 * x, static_cast<std::uint16_t>(value)); break;
    case PixelFormat::Bits24: {
      std::uint8_t* p = r + 3 * x;
      p[0] = static_cast<std::uint8_t>(value);
      p[1] = static_cast<std::uint8_t>(value >> 8);
      p[2] = static_cast<std::uint8_t>(value >> 16);
      break;
    }
    case PixelFormat::Bits32: storeLE<std::uint32_t>(r + 4 * x, value); break;
  }
}

std::uint32_t Bitmap::colourWithAlpha(int x, int y) const noexcept {
  std::uint32_t v = rawPixel(x, y);
  switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: {
      const PaletteEntry& e = palette_[v & 0xFF];
      return 0xFF000000u | (std::uint32_t{e.r} << 16) | (std::uint32_t{e.g} << 8) | e.b;
    }
    case PixelFormat::Bits16:
      return 0xFF000000u | (std::uint32_t{expand5((v >> 10) & 31)} << 16) |
             (std::uint32_t{expand5((v >> 5) & 31)} << 8) | expand5(v & 31);
    case PixelFormat::Bits24: return 0xFF000000u | v;
    case PixelFormat::Bits32: return v;
  }
  return 0;
}

std::uint32_t Bitmap::colour(int x, int y) const noexcept { return colourWithAlpha(x, y) | 0xFF000000u; }

void Bitmap::setColour(int x, int y, std::uint32_t argb) noexcept {
  auto r = static_cast<std::uint8_t>(argb >> 16), g = static_cast<std::uint8_t>(argb >> 8),
       b = static_cast<std::uint8_t>(argb);
  switch (format_) {
    case PixelFormat::Bits1:
    case PixelFormat::Bits4:
    case PixelFormat::Bits8: setRawPixel(x, y, nearestIndex(r, g, b)); break;
    case PixelFormat::Bits16:
      setRawPixel(x, y, (std::uint32_t{r} >> 3) << 10 | (std::uint32_t{g} >> 3) << 5 | (std::uint32_t{b} >> 3));
      break;
    case PixelFormat::Bits24: setRawPixel(x, y, argb & 0xFFFFFFu); break;
    case PixelFormat::Bits32: setRawPixel(x, y, argb); break;
  }
}

std::vector<std::uint32_t> Bitmap::toARGB32() const {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
  toARGB32(out);
  return out;
}

bool Bitmap::toARGB32(std::span<std::uint32_t> out) const noexcept {
  const auto w = static_cast<std::size_t>(width_);
  if (out.size() < w * static_cast<std::size_t>(height_)) return false;
  std::array<std::uint32_t, 256> lookup{};
  if (isIndexed(format_)) {
    for (std::size_t i = 0; i < 256; ++i)
      lookup[i] = 0xFF000000u | (std::uint32_t{palette_[i].r} << 16) | (std::uint32_t{palette_[i].g} << 8) | palette_[i].b;
  }
  for (int y = 0; y < height_; ++y) {
    std::uint32_t* dst = out.data() + static_cast<std::size_t>(y) * w;
    const std::uint8_t* src = row(y);
    switch (format_) {
      case PixelFormat::Bits8:
        for (std::size_t x = 0; x < w; ++x) dst[x] = lookup[src[x]];
        break;
      case PixelFormat::Bits24:
        for (std::size_t x = 0; x < w; ++x, src += 3)
          dst[x] = 0xFF000000u | (std::uint32_t{src[2]} << 16) | (std::uint32_t{src[1]} << 8) | src[0];
        break;
      case PixelFormat::Bits32:
        for (std::size_t x = 0; x < w; ++x) dst[x] = loadLE<std::uint32_t>(src + 4 * x) | 0xFF000000u;
        break;
      default:
        for (int x = 0; x < width_; ++x) dst[x] = colour(x, y);
        break;
    }
  }
  return true;
}

void Bitmap::setSize(int width, int height) {
  if (width == width_ && height == height_) return;
  checkBitmapSize(width, height, format_, nullptr);
  std::size_t newStride = strideFor(width, format_);
  ByteBuffer fresh(newStride * static_cast<std::size_t>(height), 0);
  int keepRows = std::min(height, height_);
  // Bits of the kept pixels; a partly kept byte of a packed format is masked below.
  std::size_t keepBits = static_cast<std::size_t>(std::min(width, width_)) * bitsPerPixel();
  for (int y = 0; y < keepRows; ++y) {
    std::uint8_t* dst = fresh.data() + static_cast<std::size_t>(y) * newStride;
    std::memcpy(dst, row(y), keepBits / 8);
    if (keepBits % 8) {
      auto mask = static_cast<std::uint8_t>(0xFF00u >> (keepBits % 8));
      dst[keepBits / 8] = row(y)[keepBits / 8] & mask;
    }
  }
  pixels_ = std::move(fresh);
  width_ = width;
  height_ = height;
  stride_ = newStride;
}

std::uint8_t Bitmap::nearestIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b) const noexcept {
  int count = paletteCount_ > 0 ? paletteCount_ : 256;
  int best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < count; ++i) {
    const PaletteEntry& e = palette_[static_cast<std::size_t>(i)];
    int dr = e.r - r, dg = e.g - g, db = e.b - b;
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return static_cast<std::uint8_t>(best);
}

bool operator==(const Bitmap& a, const Bitmap& b) {
  if (a.width_ != b.width_ || a.height_ != b.height_ || a.format_ != b.format_) return false;
  if (isIndexed(a.format_)) {
    if (a.paletteCount_ != b.paletteCount_) return false;
    if (!std::equal(a.palette_.begin(), a.palette_.begin() + a.paletteCount_, b.palette_.begin())) return false;
  }
  for (int y = 0; y < a.height_; ++y) {
    for (int x = 0; x < a.width_; ++x) {
      if (a.rawPixel(x, y) != b.rawPixel(x, y)) return false;
    }
  }
  return true;
}

}  // namespace velorina
