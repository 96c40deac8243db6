#pragma once
// Reads glyph outlines of a TrueType or OpenType font with FreeType, in font
// units scaled to 1/1000 of the em, curves flattened by OutlineFlattener.

#include <memory>
#include <string>
#include <vector>

#include "geometry/Point2.h"

namespace velorina::fontgen {

struct GlyphOutline {
  std::vector<std::vector<Point2>> contours;  // 1/1000 em, baseline at y = 0
  double advance = 0;                         // the font's own advance, 1/1000 em
};

class FontOutlineReader {
 public:
  // Curves are flattened to within `tolerance` (1/1000 em) of the outline. Throws
  // std::runtime_error naming the file when FreeType cannot open it.
  explicit FontOutlineReader(const std::string& path, double tolerance = 0.5);
  ~FontOutlineReader();
  FontOutlineReader(const FontOutlineReader&) = delete;
  FontOutlineReader& operator=(const FontOutlineReader&) = delete;

  // The outline of the glyph for a Unicode code point; throws std::runtime_error
  // when the font has no such glyph or it is not an outline.
  GlyphOutline glyph(char32_t codePoint) const;

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
  std::string path_;
  double tolerance_;
};

}  // namespace velorina::fontgen
