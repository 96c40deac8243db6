// The built-in fonts measured against the font they were made from: FreeType's
// own rendering of each glyph gives its area and where it has ink, FreeType's
// bounding box where it ends.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "geometry/BuiltInFont.h"
#include "geometry/ContourBand.h"
#include "geometry/PolygonMeasure.h"
#include "tools/fontgen/FontOutlineReader.h"
#include "tools/fontgen/GlyphShapes.h"

namespace velorina {
namespace {

using test::BuiltInFont;
using test::FontStyle;
using namespace font_tables;

char32_t sourceCodePoint(int code) { return code == '\'' ? 0x2019 : char32_t(code); }

// A glyph rendered by FreeType at 1000 pixels per em, so one pixel is one unit.
struct Ink {
  struct Box {
    double minX, minY, maxX, maxY;
  };
  int left = 0, top = 0, width = 0, rows = 0;
  std::vector<std::uint8_t> coverage;
  double area = 0;  // sum of coverage, in square units
  Box box;
  // Coverage of the unit square whose lower left corner is (x, y).
  int at(int x, int y) const {
    const int col = x - left, row = top - 1 - y;
    if (col < 0 || row < 0 || col >= width || row >= rows) return 0;
    return coverage[std::size_t(row) * width + col];
  }
  // Ink within one unit of p (chords and rounding may leave the curve by that much).
  bool near(Point2 p) const {
    const int x = int(std::floor(p.x)), y = int(std::floor(p.y));
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (at(x + dx, y + dy) > 0) return true;
    return false;
  }
};

class SourceFont {
 public:
  SourceFont() {
    if (FT_Init_FreeType(&library_) != 0 || FT_New_Face(library_, VELORINA_FONT_FILE, 0, &face_) != 0) {
      throw std::runtime_error("cannot open " VELORINA_FONT_FILE);
    }
    FT_Set_Pixel_Sizes(face_, 1000, 1000);
  }
  ~SourceFont() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }

  Ink ink(char32_t codePoint) const {
    EXPECT_EQ(FT_Load_Char(face_, codePoint, FT_LOAD_RENDER | FT_LOAD_NO_HINTING), 0);
    const FT_Bitmap& b = face_->glyph->bitmap;
    Ink ink;
    ink.left = face_->glyph->bitmap_left;
    ink.top = face_->glyph->bitmap_top;
    ink.width = int(b.width);
    ink.rows = int(b.rows);
    ink.coverage.resize(std::size_t(b.width) * b.rows);
    for (unsigned r = 0; r < b.rows; ++r) {
      for (unsigned c = 0; c < b.width; ++c) {
        const std::uint8_t v = b.buffer[std::ptrdiff_t(r) * b.pitch + c];
        ink.coverage[r * b.width + c] = v;
        ink.area += v / 255.0;
      }
    }
    FT_BBox box;
    FT_Outline_Get_BBox(&face_->glyph->outline, &box);
    ink.box = {box.xMin / 64.0, box.yMin / 64.0, box.xMax / 64.0, box.yMax / 64.0};
    return ink;
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

class FontMeasure : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(VELORINA_FONT_FILE)) GTEST_SKIP() << VELORINA_FONT_FILE << " is not installed";
  }
};

TEST_F(FontMeasure, FilledGlyphsCoverTheirOutlinesAndNothingElse) {
  const SourceFont source;
  const BuiltInFont filled(FontStyle::Filled);
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    SCOPED_TRACE("code " + std::to_string(code));
    const Ink ink = source.ink(sourceCodePoint(code));
    const auto tris = filled.glyph(code);
    EXPECT_NEAR(trianglesArea(tris), ink.area, 0.01 * ink.area);
    int outside = 0;
    for (std::size_t i = 0; i < tris.size(); i += 3) {
      const Point2 centroid{(tris[i].x + tris[i + 1].x + tris[i + 2].x) / 3, (tris[i].y + tris[i + 1].y + tris[i + 2].y) / 3};
      outside += !ink.near(centroid);
    }
    EXPECT_EQ(outside, 0);
  }
}

TEST_F(FontMeasure, GlyphsEndWhereTheSourceGlyphsEnd) {
  const SourceFont source;
  for (FontStyle style : {FontStyle::Filled, FontStyle::Outline}) {
    const BuiltInFont font(style);
    for (int code = kFirstCode; code <= kLastCode; ++code) {
      SCOPED_TRACE("code " + std::to_string(code));
      const Ink ink = source.ink(sourceCodePoint(code));
      double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
      for (const Point2& p : font.glyph(code)) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
      }
      // Rounding to whole units moves an extreme by half a unit at most.
      EXPECT_NEAR(minX, ink.box.minX, 1.0);
      EXPECT_NEAR(maxX, ink.box.maxX, 1.0);
      EXPECT_NEAR(minY, ink.box.minY, 1.0);
      EXPECT_NEAR(maxY, ink.box.maxY, 1.0);
    }
  }
}

TEST_F(FontMeasure, OutlineBandsAreNarrowAndInsideTheLetters) {
  const SourceFont source;
  const fontgen::FontOutlineReader reader(VELORINA_FONT_FILE, 0.1);
  const BuiltInFont outline(FontStyle::Outline);
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    SCOPED_TRACE("code " + std::to_string(code));
    const auto contours = reader.glyph(sourceCodePoint(code)).contours;
    const Ink ink = source.ink(sourceCodePoint(code));
    const auto tris = outline.glyph(code);
    double widest = 0;
    int outside = 0;
    for (std::size_t i = 0; i < tris.size(); i += 3) {
      for (int k = 0; k < 3; ++k) widest = std::max(widest, distanceToContours(tris[i + k], contours));
      const Point2 centroid{(tris[i].x + tris[i + 1].x + tris[i + 2].x) / 3, (tris[i].y + tris[i + 1].y + tris[i + 2].y) / 3};
      outside += !ink.near(centroid);
    }
    // Corners lie within the mitre limit of the stroke width, give or take rounding.
    EXPECT_LE(widest, kBandMiterLimit * fontgen::kOutlineWidth + 1.5);
    EXPECT_EQ(outside, 0);
  }
}

}  // namespace
}  // namespace velorina
