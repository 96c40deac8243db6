#pragma once
// The two built-in vector fonts: resource "FONTDATA" "FILLED" (solid letters) and
// "OUTLINE" (hollow letters). Each resource is a compressed block whose payload is
// a list of int16 (x, y) points in 1/1000 of the font size, baseline at y = 0,
// three points per triangle; a fixed table says where each glyph of the codes
// 33..126 lies in it. Every other code (the space included) draws nothing.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "archive/Error.h"
#include "scene/objects/FontGlyphTables.h"

namespace velorina {

enum class GlyphStyle { Filled, Outline };

struct GlyphPoint {
  std::int16_t x = 0;
  std::int16_t y = 0;
  bool operator==(const GlyphPoint&) const = default;
};

// A font's payload does not agree with its table.
class EFontError : public Error {
 public:
  using Error::Error;
};

class GlyphFont {
 public:
  // The program's font of `style`, read from its resource and checked on first use,
  // then kept for the life of the process; safe to call from any thread. Throws
  // EResNotFound, EDecompressionError or EFontError when the resource is missing
  // or damaged (and tries again on the next call).
  static const GlyphFont& Program(GlyphStyle style);

  // A font over an inflated payload and its table of (byte offset, point count) per
  // code 33..126. Throws EFontError, naming `source` and the code, for a payload
  // that is not whole points or an entry that is not whole triangles or that
  // reaches past the payload.
  GlyphFont(std::span<const std::uint8_t> payload, std::span<const font_tables::GlyphEntry> table,
            const std::string& source);

  // Whether `code` has a glyph (33..126).
  static bool HasGlyph(int code) noexcept;
  // The points of the glyph of `code`; empty for a code without one.
  std::span<const GlyphPoint> Glyph(int code) const noexcept;
  // How many points the glyph of `code` has; 0 for a code without one.
  std::uint32_t PointCount(int code) const noexcept;
  // The pen advance of `code` in 1/1000 of the font size.
  static std::int32_t Advance(int code) noexcept;

 private:
  struct Range {
    std::uint32_t first = 0;  // index of the first point
    std::uint32_t count = 0;
  };

  std::vector<GlyphPoint> points_;
  std::array<Range, font_tables::kGlyphCount> ranges_{};
};

}  // namespace velorina
