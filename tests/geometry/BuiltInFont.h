#pragma once
// The two built-in fonts as the program holds them: read through the resource
// lookup and the compressed binary data component, glyphs decoded with ByteReader.

#include <string>
#include <vector>

#include "archive/BinaryData.h"
#include "archive/LittleEndian.h"
#include "geometry/Point2.h"
#include "scene/objects/FontGlyphTables.h"

namespace velorina::test {

enum class FontStyle { Filled, Outline };

class BuiltInFont {
 public:
  explicit BuiltInFont(FontStyle style)
      : style_(style), data_(TBinaryData::fromResource("FONTDATA", style == FontStyle::Filled ? "FILLED" : "OUTLINE")) {}

  const std::array<font_tables::GlyphEntry, font_tables::kGlyphCount>& table() const {
    return style_ == FontStyle::Filled ? font_tables::kFilled : font_tables::kOutline;
  }
  std::span<const std::uint8_t> bytes() const { return data_.bytes(); }

  // The triangle corners of the glyph of `code` (33..126).
  std::vector<Point2> glyph(int code) const {
    const auto& e = table()[code - font_tables::kFirstCode];
    ByteReader r(bytes(), "FONTDATA");
    r.seek(e.offset);
    std::vector<Point2> out;
    for (std::uint32_t i = 0; i < e.count; ++i) {
      const double x = r.i16();
      out.push_back({x, double(r.i16())});
    }
    return out;
  }

  static int advance(int code) { return font_tables::kAdvance[code - font_tables::kFirstCode]; }

 private:
  FontStyle style_;
  TBinaryData data_;
};

}  // namespace velorina::test
