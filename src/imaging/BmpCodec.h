#pragma once
// Windows bitmap files ("BM" + info header + colour table + pixel rows) and packed
// device-independent bitmaps (the same without the 14-byte file header, as stored
// in resources, icons and metafiles).
//
// Read: info headers of 12 (OS/2 core), 40, 52, 56, 108 and 124 bytes; 1, 4, 8,
// 16, 24 and 32 bits per pixel; bottom-up and top-down rows; BI_RGB, BI_RLE8,
// BI_RLE4, BI_BITFIELDS and BI_ALPHABITFIELDS; colour tables shorter than the full
// 2^bits entries. Indexed pictures stay indexed with their colour table; 16-bit
// pictures with the X1R5G5B5 masks stay 16-bit, other bit-field layouts become
// 32-bit B,G,R,A. Everything is checked against the bytes that exist before a
// bitmap is sized; damage raises EInvalidGraphic.
//
// Write: bottom-up BI_RGB in the bitmap's own format, the colour table holding the
// bitmap's palette count (all 2^bits entries when that count is 0).
#include <cstdint>
#include <span>
#include <string>

#include "archive/ByteBuffer.h"
#include "imaging/Bitmap.h"

namespace velorina {

inline constexpr std::size_t kBmpFileHeaderSize = 14;

// A whole bitmap file.
Bitmap readBmp(std::span<const std::uint8_t> file, const std::string& source);

// A packed DIB. `pixelOffset`, when not zero, is where the pixel rows begin
// (counted from the start of `dib`); otherwise they follow the colour table.
Bitmap readDib(std::span<const std::uint8_t> dib, const std::string& source, std::size_t pixelOffset = 0);

// A packed DIB from an icon or cursor: the header's height covers the colour
// image and the 1-bit AND mask below it. Answers 32 bits per pixel where masked
// (and, in 32-bit icons, fully transparent) pixels are 0x00000000 and all others
// have alpha 255.
Bitmap readIconDib(std::span<const std::uint8_t> dib, const std::string& source);

ByteBuffer writeBmp(const Bitmap& bitmap);

}  // namespace velorina
