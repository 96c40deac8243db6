#include "imaging/BmpCodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "archive/LittleEndian.h"
#include "imaging/ImagingError.h"

namespace velorina {

namespace {

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;
// Run-length data may leave parts of the picture uncoded (end-of-bitmap, deltas),
// but a picture far larger than its coded bytes is refused before allocation.
constexpr std::uint64_t kMaxRlePixelsPerByte = 1024;

struct DibHeader {
  std::int64_t width = 0;
  std::int64_t height = 0;  // positive
  bool topDown = false;
  int bits = 0;
  std::uint32_t compression = kBiRgb;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
  bool hasMasks = false;
  int paletteCount = 0;
  int paletteEntrySize = 4;
};

[[noreturn]] void bad(const std::string& source, const std::string& detail) { throwInvalidPicture(source, detail); }

void readMasks(ByteReader& in, DibHeader& h, int count) {
  for (int i = 0; i < count; ++i) h.masks[static_cast<std::size_t>(i)] = in.u32();
  h.hasMasks = true;
}

DibHeader parseHeader(ByteReader& in, const std::string& source) {
  DibHeader h;
  std::uint32_t size = in.u32();
  if (size == 12) {
    h.width = in.u16();
    h.height = in.u16();
    in.u16();
    h.bits = in.u16();
    h.paletteEntrySize = 3;
  } else if (size >= 40 && size <= 4096) {
    h.width = in.i32();
    std::int64_t height = in.i32();
    in.u16();  // planes
    h.bits = in.u16();
    h.compression = in.u32();
    in.skip(12);  // image size, resolution
    std::uint32_t used = in.u32();
    in.u32();  // important colours
    if (size >= 52) readMasks(in, h, size >= 56 ? 4 : 3);
    in.seek(size);
    if (size == 40 && h.compression == kBiBitfields) readMasks(in, h, 3);
    if (size == 40 && h.compression == kBiAlphaBitfields) readMasks(in, h, 4);
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    if (h.bits <= 8) {
      if (used > (1u << h.bits)) used = 1u << h.bits;  // more entries than indices: the rest is unused
      h.paletteCount = static_cast<int>(used);
    }
  } else {
    bad(source, "unknown bitmap header size " + std::to_string(size));
  }
  if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32) {
    bad(source, "unsupported bit count " + std::to_string(h.bits));
  }
  if (h.bits <= 8 && h.paletteCount == 0) h.paletteCount = 1 << h.bits;
  if (h.width <= 0 || h.height <= 0) bad(source, "bitmap width or height is not positive");
  bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
  if ((h.compression == kBiRle8 && h.bits != 8) || (h.compression == kBiRle4 && h.bits != 4) ||
      (rle && h.topDown)) {
    bad(source, "run-length compression does not match the bit count");
  }
  bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
  if (h.compression != kBiRgb && !rle && !fields) {
    bad(source, "unsupported compression " + std::to_string(h.compression));
  }
  if (fields && h.bits != 16 && h.bits != 32) bad(source, "bit fields need 16 or 32 bits per pixel");
  if (!fields) h.hasMasks = false;
  return h;
}

void readPalette(ByteReader& in, const DibHeader& h, Palette& out) {
  for (int i = 0; i < h.paletteCount; ++i) {
    auto entry = in.bytes(static_cast<std::size_t>(h.paletteEntrySize));
    out[static_cast<std::size_t>(i)] = {entry[2], entry[1], entry[0], 0};
  }
}

bool isX1R5G5B5(const DibHeader& h) {
  return !h.hasMasks || (h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x001F);
}

PixelFormat outputFormat(const DibHeader& h) {
  if (h.bits == 16) return isX1R5G5B5(h) ? PixelFormat::Bits16 : PixelFormat::Bits32;
  if (h.bits == 32) return PixelFormat::Bits32;
  return pixelFormatFromBits(h.bits);
}

// A channel pulled out by its mask and scaled to 8 bits.
std::uint32_t maskedChannel(std::uint32_t value, std::uint32_t mask) {
  if (!mask) return 0;
  int shift = std::countr_zero(mask);
  std::uint32_t width = static_cast<std::uint32_t>(std::popcount(mask >> shift));
  std::uint32_t v = (value & mask) >> shift;
  std::uint32_t max = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
  if (width != static_cast<std::uint32_t>(32 - std::countl_zero(mask >> shift))) return 0;  // gaps in the mask
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(v) * 255 + max / 2) / max);
}

void decodeFieldsRow(const std::uint8_t* in, const DibHeader& h, Bitmap& out, int y) {
  for (int x = 0; x < out.width(); ++x) {
    std::uint32_t v = h.bits == 16 ? loadLE<std::uint16_t>(in + 2 * x) : loadLE<std::uint32_t>(in + 4 * x);
    std::uint32_t a = h.masks[3] ? maskedChannel(v, h.masks[3]) : 255;
    out.setRawPixel(x, y, a << 24 | maskedChannel(v, h.masks[0]) << 16 | maskedChannel(v, h.masks[1]) << 8 |
                              maskedChannel(v, h.masks[2]));
  }
}

void decodeRows(std::span<const std::uint8_t> bits, const DibHeader& h, Bitmap& out, const std::string& source) {
  std::size_t stride = strideFor(static_cast<int>(h.width), pixelFormatFromBits(h.bits));
  if (bits.size() / stride < static_cast<std::size_t>(h.height)) {
    bad(source, "pixel rows need " + std::to_string(stride * static_cast<std::size_t>(h.height)) + " bytes, " +
                    std::to_string(bits.size()) + " present");
  }
  const bool raw = out.format() == pixelFormatFromBits(h.bits) && !(h.bits == 32 && h.hasMasks);
  for (int i = 0; i < out.height(); ++i) {
    int y = h.topDown ? i : out.height() - 1 - i;
    const std::uint8_t* in = bits.data() + static_cast<std::size_t>(i) * stride;
    if (raw) {
      std::memcpy(out.row(y), in, std::min(stride, out.stride()));
    } else {
      decodeFieldsRow(in, h, out, y);
    }
  }
}

// BI_RLE8 and BI_RLE4: (count, value) runs and escapes (0,0 end of line; 0,1 end
// of bitmap; 0,2,dx,dy move; 0,n n literal pixels padded to a 16-bit boundary).
// Rows run bottom-up; pixels beyond the right edge are dropped.
void decodeRle(std::span<const std::uint8_t> bits, const DibHeader& h, Bitmap& out, const std::string& source) {
  ByteReader in(bits, source);
  bool four = h.compression == kBiRle4;
  int x = 0, row = 0;
  auto put = [&](int value) {
    if (x < out.width() && row < out.height()) out.setRawPixel(x, out.height() - 1 - row, static_cast<std::uint32_t>(value));
    ++x;
  };
  while (in.remaining() >= 2 && row < out.height()) {
    int count = in.u8(), value = in.u8();
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
    } else if (value == 0) {
      x = 0, ++row;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      x += in.u8();
      row += in.u8();
    } else {
      std::size_t bytes = four ? (static_cast<std::size_t>(value) + 1) / 2 : static_cast<std::size_t>(value);
      auto literal = in.bytes(bytes);
      for (int i = 0; i < value; ++i) {
        std::uint8_t b = literal[static_cast<std::size_t>(four ? i / 2 : i)];
        put(four ? ((i & 1) ? b & 15 : b >> 4) : b);
      }
      if (bytes & 1) in.skip(std::min<std::size_t>(1, in.remaining()));
    }
    if (x > kMaxBitmapSide) x = kMaxBitmapSide;  // a long run of deltas cannot overflow
  }
}

Bitmap decodeDib(std::span<const std::uint8_t> dib, const std::string& source, std::size_t pixelOffset,
                 std::int64_t heightDivisor, DibHeader* headerOut) {
  ByteReader in(dib, source);
  DibHeader h = parseHeader(in, source);
  h.height /= heightDivisor;
  if (h.height <= 0) bad(source, "bitmap height is not positive");
  PixelFormat format = outputFormat(h);
  checkBitmapSize(h.width, h.height, format, source.c_str());
  Palette palette{};
  if (h.bits <= 8) readPalette(in, h, palette);
  std::size_t start = pixelOffset ? pixelOffset : in.offset();
  if (start > dib.size()) bad(source, "pixel data offset lies beyond the file");
  auto bits = dib.subspan(start);
  bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
  if (rle && static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height) >
                 (bits.size() + 2) * kMaxRlePixelsPerByte) {
    bad(source, "run-length picture is far larger than its data");
  }
  // Uncompressed rows in the stored format are copied whole, padding included.
  bool rawRows = !rle && format == pixelFormatFromBits(h.bits) && !(h.bits == 32 && h.hasMasks);
  Bitmap out(static_cast<int>(h.width), static_cast<int>(h.height), format,
             rawRows ? PixelInit::Uninitialised : PixelInit::Zero);
  if (h.bits <= 8) {
    out.palette() = palette;
    out.setPaletteCount(h.paletteCount);
  }
  if (rle) {
    decodeRle(bits, h, out, source);
  } else {
    decodeRows(bits, h, out, source);
  }
  if (headerOut) *headerOut = h;
  return out;
}

void putHeader(ByteBuffer& out, std::size_t at, const Bitmap& b, int paletteCount, std::size_t imageBytes) {
  std::uint8_t* p = out.data() + at;
  storeLE<std::uint32_t>(p, 40);
  storeLE<std::int32_t>(p + 4, b.width());
  storeLE<std::int32_t>(p + 8, b.height());
  storeLE<std::uint16_t>(p + 12, 1);
  storeLE<std::uint16_t>(p + 14, static_cast<std::uint16_t>(b.bitsPerPixel()));
  storeLE<std::uint32_t>(p + 16, kBiRgb);
  storeLE<std::uint32_t>(p + 20, static_cast<std::uint32_t>(imageBytes));
  storeLE<std::int32_t>(p + 24, 2835);  // 72 dpi
  storeLE<std::int32_t>(p + 28, 2835);
  storeLE<std::uint32_t>(p + 32, static_cast<std::uint32_t>(paletteCount));
  storeLE<std::uint32_t>(p + 36, 0);
}

}  // namespace

Bitmap readBmp(std::span<const std::uint8_t> file, const std::string& source) {
  return guardPictureReads([&] {
    ByteReader in(file, source);
    if (in.u8() != 'B' || in.u8() != 'M') bad(source, "not a bitmap file (no \"BM\" signature)");
    in.skip(8);
    std::uint32_t offBits = in.u32();
    auto dib = file.subspan(kBmpFileHeaderSize);
    // Some writers leave the offset 0; the rows then follow the colour table.
    std::size_t pixelOffset = offBits >= kBmpFileHeaderSize ? offBits - kBmpFileHeaderSize : 0;
    if (offBits > file.size()) bad(source, "pixel data offset lies beyond the file");
    return decodeDib(dib, source, pixelOffset, 1, nullptr);
  });
}

Bitmap readDib(std::span<const std::uint8_t> dib, const std::string& source, std::size_t pixelOffset) {
  return guardPictureReads([&] {
    return decodeDib(dib, source, pixelOffset, 1, nullptr);
  });
}

Bitmap readIconDib(std::span<const std::uint8_t> dib, const std::string& source) {
  return guardPictureReads([&] {
    DibHeader h;
    Bitmap colour = decodeDib(dib, source, 0, 2, &h);
    Bitmap out(colour.width(), colour.height(), PixelFormat::Bits32);
    bool alpha = h.bits == 32;
    bool anyAlpha = false;
    for (int y = 0; alpha && y < colour.height(); ++y)
      for (int x = 0; x < colour.width(); ++x) anyAlpha |= (colour.colourWithAlpha(x, y) >> 24) != 0;
    // The AND mask follows the colour rows: 1 bit per pixel, bottom-up, rows padded to 4 bytes.
    ByteReader in(dib, source);
    DibHeader full = parseHeader(in, source);
    std::size_t paletteBytes = h.bits <= 8 ? static_cast<std::size_t>(h.paletteCount * h.paletteEntrySize) : 0;
    std::size_t colourBytes = strideFor(colour.width(), pixelFormatFromBits(h.bits)) * static_cast<std::size_t>(colour.height());
    std::size_t maskStart = in.offset() + paletteBytes + colourBytes;
    std::size_t maskStride = strideFor(colour.width(), PixelFormat::Bits1);
    bool haveMask = full.compression == kBiRgb && maskStart <= dib.size() &&
                    (dib.size() - maskStart) / maskStride >= static_cast<std::size_t>(colour.height());
    for (int y = 0; y < colour.height(); ++y) {
      const std::uint8_t* mask =
          haveMask ? dib.data() + maskStart + static_cast<std::size_t>(colour.height() - 1 - y) * maskStride : nullptr;
      for (int x = 0; x < colour.width(); ++x) {
        std::uint32_t c = colour.colourWithAlpha(x, y);
        bool masked = mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
        bool clear = anyAlpha ? (c >> 24) == 0 : masked;
        out.setRawPixel(x, y, clear ? 0u : (c | 0xFF000000u));
      }
    }
    return out;
  });
}

ByteBuffer writeBmp(const Bitmap& bitmap) {
  int paletteCount = 0;
  if (isIndexed(bitmap.format())) {
    paletteCount = bitmap.paletteCount() > 0 ? std::min(bitmap.paletteCount(), 1 << bitmap.bitsPerPixel())
                                             : 1 << bitmap.bitsPerPixel();
  }
  std::size_t imageBytes = bitmap.stride() * static_cast<std::size_t>(bitmap.height());
  std::size_t offBits = kBmpFileHeaderSize + 40 + 4 * static_cast<std::size_t>(paletteCount);
  ByteBuffer out(offBits + imageBytes, 0);
  out[0] = 'B', out[1] = 'M';
  storeLE<std::uint32_t>(out.data() + 2, static_cast<std::uint32_t>(out.size()));
  storeLE<std::uint32_t>(out.data() + 6, 0);
  storeLE<std::uint32_t>(out.data() + 10, static_cast<std::uint32_t>(offBits));
  putHeader(out, kBmpFileHeaderSize, bitmap, paletteCount, imageBytes);
  std::uint8_t* table = out.data() + kBmpFileHeaderSize + 40;
  for (int i = 0; i < paletteCount; ++i) {
    const PaletteEntry& e = bitmap.palette()[static_cast<std::size_t>(i)];
    table[4 * i] = e.b, table[4 * i + 1] = e.g, table[4 * i + 2] = e.r, table[4 * i + 3] = 0;
  }
  for (int y = 0; y < bitmap.height(); ++y) {
    std::memcpy(out.data() + offBits + static_cast<std::size_t>(bitmap.height() - 1 - y) * bitmap.stride(),
                bitmap.row(y), bitmap.stride());
  }
  return out;
}

}  // namespace velorina
