#pragma once
// Truevision TGA pictures: colour-mapped (types 1 and 9), true-colour (2 and 10)
// and greyscale (3 and 11), run-length coded or not, 8, 15, 16, 24 or 32 bits per
// pixel, rows bottom-up or top-down (descriptor bit 5), right-to-left when bit 4
// says so. Colour-mapped and grey pictures come out as 8 bits with a palette,
// 15/16-bit ones as X1R5G5B5, 24-bit as 24 and 32-bit as B,G,R,A.
#include <cstdint>
#include <span>
#include <string>

#include "imaging/Bitmap.h"

namespace velorina {

Bitmap decodeTga(std::span<const std::uint8_t> bytes, const std::string& source);

}  // namespace velorina
