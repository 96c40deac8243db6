#pragma once
// Tables of the two built-in vector fonts ("FONTDATA" resources "FILLED" and
// "OUTLINE"), written by the font generator together with the resources.

#include <array>
#include <cstdint>

namespace velorina::font_tables {

inline constexpr int kFirstCode = 33;
inline constexpr int kLastCode = 126;
inline constexpr int kGlyphCount = kLastCode - kFirstCode + 1;  // 94
// Every code outside kFirstCode..kLastCode (the space included) advances this much.
inline constexpr std::int32_t kDefaultAdvance = 250;

// Where a glyph lies in its payload: byte offset and number of points (a multiple of 3).
struct GlyphEntry {
  std::uint32_t offset;
  std::uint32_t count;
};

extern const std::array<GlyphEntry, kGlyphCount> kFilled;
extern const std::array<GlyphEntry, kGlyphCount> kOutline;
// Advance widths in 1/1000 of the font size, codes 33..126 (the same for both styles).
extern const std::array<std::int16_t, kGlyphCount> kAdvance;

}  // namespace velorina::font_tables
