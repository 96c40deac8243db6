#pragma once
// PNG pictures (libpng's simplified interface, which keeps libpng's own error
// jumps inside the library). Palette pictures come out as 8 bits per pixel with
// their palette and indices; everything else as 32-bit B,G,R,A. Fully transparent
// pixels and palette entries are made black, the scene's see-through colour.
#include <cstdint>
#include <span>
#include <string>

#include "archive/ByteBuffer.h"
#include "imaging/Bitmap.h"

namespace velorina {

Bitmap decodePng(std::span<const std::uint8_t> bytes, const std::string& source);

// Indexed bitmaps are written as palette PNGs (1, 4 bits widened to 8 first),
// others as RGB.
ByteBuffer encodePng(const Bitmap& bitmap);

// True when the bytes start with the PNG signature.
bool isPng(std::span<const std::uint8_t> bytes) noexcept;

}  // namespace velorina
