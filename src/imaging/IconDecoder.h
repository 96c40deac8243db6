#pragma once
// Windows icons and cursors (.ico, .cur): of the directory's entries the largest
// (by pixel count), then the deepest is decoded, whether it is stored as a DIB
// with an AND mask or as a PNG. The result is 32-bit B,G,R,A with transparent
// pixels 0x00000000 (black, the scene's see-through colour).
#include <cstdint>
#include <span>
#include <string>

#include "imaging/Bitmap.h"

namespace velorina {

Bitmap decodeIcon(std::span<const std::uint8_t> bytes, const std::string& source);

}  // namespace velorina
