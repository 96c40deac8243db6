// The built-in fonts as stored: payload layout against the tables, glyph boxes
// against the advance widths, and a picture of a line of each style.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "archive/CompressedBlock.h"
#include "geometry/BuiltInFont.h"
#include "geometry/PolygonMeasure.h"
#include "archive/Resources.h"
#include "support/GoldenImage.h"

namespace velorina {
namespace {

using test::BuiltInFont;
using test::FontStyle;
using namespace font_tables;

TEST(FontData, PayloadsHoldEveryGlyphInCodeOrderWithoutGaps) {
  for (FontStyle style : {FontStyle::Filled, FontStyle::Outline}) {
    const BuiltInFont font(style);
    // The resource is one compressed block; decoding it directly agrees with the component.
    const auto raw = ResourceRegistry::program().get("FONTDATA", style == FontStyle::Filled ? "FILLED" : "OUTLINE");
    Inflater inflater;
    ByteBuffer direct;
    decodeCompressedBlock(raw, inflater, direct, "FONTDATA");
    ASSERT_TRUE(std::equal(direct.begin(), direct.end(), font.bytes().begin(), font.bytes().end()));

    std::uint32_t offset = 0;
    for (int code = kFirstCode; code <= kLastCode; ++code) {
      const GlyphEntry& e = font.table()[code - kFirstCode];
      EXPECT_EQ(e.offset, offset) << "code " << code;
      EXPECT_EQ(e.count % 3, 0u) << "code " << code;
      EXPECT_GT(e.count, 0u) << "code " << code;
      offset += 4 * e.count;
    }
    EXPECT_EQ(offset, font.bytes().size());
  }
}

TEST(FontData, AdvanceWidthsAreTheProgramsOwn) {
  // Spot values across the table, the apostrophe among them (wider than the source font's).
  EXPECT_EQ(BuiltInFont::advance('!'), 333);
  EXPECT_EQ(BuiltInFont::advance('\''), 333);
  EXPECT_EQ(BuiltInFont::advance('@'), 921);
  EXPECT_EQ(BuiltInFont::advance('W'), 944);
  EXPECT_EQ(BuiltInFont::advance('|'), 200);
  EXPECT_EQ(BuiltInFont::advance('~'), 541);
  int sum = 0;
  for (int w : kAdvance) sum += w;
  EXPECT_EQ(sum, 48361);
  EXPECT_EQ(kDefaultAdvance, 250);
}

struct Box {
  double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
};

Box boxOf(const std::vector<Point2>& points) {
  Box b;
  for (const Point2& p : points) {
    b.minX = std::min(b.minX, p.x), b.maxX = std::max(b.maxX, p.x);
    b.minY = std::min(b.minY, p.y), b.maxY = std::max(b.maxY, p.y);
  }
  return b;
}

// Serif letters reach a little beyond their advance box (at most 29 units left of
// the pen and 8 past the advance in this face); nothing reaches far.
constexpr double kOverhang = 40;

TEST(FontData, EveryGlyphFitsItsAdvanceBox) {
  for (FontStyle style : {FontStyle::Filled, FontStyle::Outline}) {
    const BuiltInFont font(style);
    for (int code = kFirstCode; code <= kLastCode; ++code) {
      const Box b = boxOf(font.glyph(code));
      EXPECT_GE(b.minX, -kOverhang) << "code " << code;
      EXPECT_LE(b.maxX, BuiltInFont::advance(code) + kOverhang) << "code " << code;
      EXPECT_GE(b.minY, -230) << "code " << code;
      EXPECT_LE(b.maxY, 740) << "code " << code;
      EXPECT_GT(b.maxX - b.minX, 0) << "code " << code;
    }
  }
}

TEST(FontData, OutlineLettersAreHollow) {
  const BuiltInFont filled(FontStyle::Filled), outline(FontStyle::Outline);
  double filledSum = 0, outlineSum = 0;
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    const double f = trianglesArea(filled.glyph(code)), o = trianglesArea(outline.glyph(code));
    filledSum += f, outlineSum += o;
    // On thin strokes the bands of the two sides overlap, but they never cover more than the letter.
    EXPECT_LT(o, f) << "code " << code;
  }
  EXPECT_LT(outlineSum, 0.7 * filledSum);
}

// Draws text with a plain triangle rasteriser: pixel centres inside a triangle
// take its colour. `size` pixels per em, baseline at `baseline`.
void drawText(std::vector<std::uint32_t>& picture, std::uint32_t width, const BuiltInFont& font, const std::string& text,
              double x, double baseline, double size, std::uint32_t colour) {
  const std::uint32_t height = picture.size() / width;
  double pen = 0;
  for (unsigned char c : text) {
    if (c < kFirstCode || c > kLastCode) {
      pen += kDefaultAdvance;
      continue;
    }
    const auto corners = font.glyph(c);
    for (std::size_t i = 0; i < corners.size(); i += 3) {
      Point2 t[3];
      for (int k = 0; k < 3; ++k) t[k] = {x + (corners[i + k].x + pen) * size / 1000, baseline - corners[i + k].y * size / 1000};
      const Box b = boxOf({t[0], t[1], t[2]});
      for (int py = std::max(0, int(b.minY)); py <= std::min(int(height) - 1, int(b.maxY)); ++py) {
        for (int px = std::max(0, int(b.minX)); px <= std::min(int(width) - 1, int(b.maxX)); ++px) {
          const Point2 p{px + 0.5, py + 0.5};
          auto side = [&](Point2 u, Point2 v) { return (v.x - u.x) * (p.y - u.y) - (v.y - u.y) * (p.x - u.x); };
          const double d1 = side(t[0], t[1]), d2 = side(t[1], t[2]), d3 = side(t[2], t[0]);
          if ((d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0)) picture[py * width + px] = colour;
        }
      }
    }
    pen += BuiltInFont::advance(c);
  }
}

TEST(FontData, LinesOfBothStylesLookRight) {
  constexpr std::uint32_t kWidth = 720, kHeight = 200;
  std::vector<std::uint32_t> picture(kWidth * kHeight, 0xFFFFFFFFu);
  const BuiltInFont filled(FontStyle::Filled), outline(FontStyle::Outline);
  drawText(picture, kWidth, filled, "Velorina: AaBbOo&@ 0123 {'|~}", 8, 60, 48, 0xFF202060u);
  drawText(picture, kWidth, outline, "Velorina: AaBbOo&@ 0123 {'|~}", 8, 150, 48, 0xFF602020u);
  EXPECT_TRUE(testing::matchesGoldenIn("geometry/golden", "font_lines", kWidth, kHeight, picture, 0));
}

// Large enough to see the holes, the serifs and the stroke of the hollow letters.
TEST(FontData, LargeLettersOfBothStylesLookRight) {
  constexpr std::uint32_t kWidth = 720, kHeight = 400;
  std::vector<std::uint32_t> picture(kWidth * kHeight, 0xFFFFFFFFu);
  const BuiltInFont filled(FontStyle::Filled), outline(FontStyle::Outline);
  drawText(picture, kWidth, filled, "AaBg&@", 20, 150, 160, 0xFF202060u);
  drawText(picture, kWidth, outline, "AaBg&@", 20, 350, 160, 0xFF602020u);
  EXPECT_TRUE(testing::matchesGoldenIn("geometry/golden", "font_letters", kWidth, kHeight, picture, 0));
}

}  // namespace
}  // namespace velorina
