#pragma once
// Windows virtual-key codes of the keys the player and the input component use.

#include <cstdint>

namespace velorina::vk {

inline constexpr std::uint32_t kBack = 8, kTab = 9, kClear = 12, kReturn = 13, kShift = 16, kControl = 17,
                               kMenu = 18, kEscape = 27, kSpace = 32, kPrior = 33, kNext = 34, kEnd = 35,
                               kHome = 36, kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kInsert = 45,
                               kDelete = 46;
inline constexpr std::uint32_t kDigit0 = 48;   // '0' .. '9' are 48 .. 57
inline constexpr std::uint32_t kLetterA = 65;  // 'A' .. 'Z' are 65 .. 90
inline constexpr std::uint32_t kNumpad0 = 96;  // keypad 0 .. 9 are 96 .. 105
inline constexpr std::uint32_t kMultiply = 106, kAdd = 107, kSeparator = 108, kSubtract = 109, kDecimal = 110,
                               kDivide = 111;
inline constexpr std::uint32_t kF1 = 112;  // F1 .. F12 are 112 .. 123

}  // namespace velorina::vk
