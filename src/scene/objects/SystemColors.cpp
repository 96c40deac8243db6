#include "scene/objects/SystemColors.h"

#include <array>

namespace velorina {

namespace {

// The Windows default system colours, as 0x00RRGGBB, indexed by COLOR_* number.
constexpr std::array<std::uint32_t, 31> kSystemColors = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000,
    0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x434E54,
    0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF,
    0xF0F0F0};

}  // namespace

std::uint32_t colorValueToRGB(std::int32_t colorValue) noexcept {
  if (colorValue < 0) {
    const std::uint32_t index = static_cast<std::uint32_t>(colorValue) & 0xFF;
    return index < kSystemColors.size() ? kSystemColors[index] : 0;
  }
  const auto v = static_cast<std::uint32_t>(colorValue);
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

std::uint32_t resolveColorValue(std::int32_t colorValue) noexcept {
  const std::uint32_t rgb = colorValueToRGB(colorValue);
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

}  // namespace velorina
