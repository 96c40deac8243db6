#pragma once
// Colour values as worlds store them: 0x00BBGGRR, or a negative value that names a
// system colour by its low byte.

#include <cstdint>

namespace velorina {

// The colour as 0x00RRGGBB. System colours take the classic Windows defaults
// (COLOR_SCROLLBAR = 0 ... COLOR_MENUBAR = 30); an unknown index gives black.
std::uint32_t colorValueToRGB(std::int32_t colorValue) noexcept;

// The colour value 0x00BBGGRR of a stored colour, system colours resolved.
std::uint32_t resolveColorValue(std::int32_t colorValue) noexcept;

}  // namespace velorina
