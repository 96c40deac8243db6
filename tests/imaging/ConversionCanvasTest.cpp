#include <gtest/gtest.h>

#include "imaging/Canvas.h"
#include "imaging/PixelConversion.h"
#include "imaging/Quantizer.h"
#include "TestPictures.h"

namespace velorina {
namespace {

using testing::colourGradient;
using testing::indexedPattern;

Bitmap rowOfIndices(std::initializer_list<int> values) {
  Bitmap b(static_cast<int>(values.size()), 1, PixelFormat::Bits8);
  int x = 0;
  for (int v : values) b.setRawPixel(x++, 0, static_cast<std::uint32_t>(v));
  return b;
}

std::vector<int> indicesOf(const Bitmap& b, int y = 0) {
  std::vector<int> out;
  for (int x = 0; x < b.width(); ++x) out.push_back(static_cast<int>(b.rawPixel(x, y)));
  return out;
}

TEST(PixelConversion, NarrowIndexedWidensKeepingIndicesAndPalette) {
  for (PixelFormat f : {PixelFormat::Bits1, PixelFormat::Bits4}) {
    Bitmap src = indexedPattern(13, 5, f);
    Bitmap wide = convertPixelFormat(src, PixelFormat::Bits8);
    ASSERT_EQ(wide.format(), PixelFormat::Bits8);
    EXPECT_EQ(wide.paletteCount(), src.paletteCount());
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 13; ++x) EXPECT_EQ(wide.rawPixel(x, y), src.rawPixel(x, y));
    EXPECT_EQ(wide.toARGB32(), src.toARGB32());
  }
}

TEST(PixelConversion, EveryFormatReachesTrueColourWithTheSameColours) {
  Bitmap src = indexedPattern(9, 4, PixelFormat::Bits8);
  for (PixelFormat f : {PixelFormat::Bits24, PixelFormat::Bits32}) {
    EXPECT_EQ(convertPixelFormat(src, f).toARGB32(), src.toARGB32());
  }
  Bitmap grad = colourGradient(17, 9, PixelFormat::Bits32);
  EXPECT_EQ(convertPixelFormat(grad, PixelFormat::Bits24).toARGB32(), grad.toARGB32());
  // 16 bits keep 5 bits per channel.
  Bitmap s16 = convertPixelFormat(grad, PixelFormat::Bits16);
  auto a = grad.toARGB32(), b = s16.toARGB32();
  for (std::size_t i = 0; i < a.size(); ++i)
    for (int shift : {0, 8, 16}) EXPECT_NEAR(int(a[i] >> shift & 0xFF), int(b[i] >> shift & 0xFF), 8);
}

TEST(PixelConversion, TrueColourWithFewColoursGetsThemExactly) {
  Bitmap src = indexedPattern(40, 30, PixelFormat::Bits8);
  Bitmap back = convertPixelFormat(convertPixelFormat(src, PixelFormat::Bits24), PixelFormat::Bits8);
  EXPECT_EQ(back.toARGB32(), src.toARGB32());
  EXPECT_EQ(back.paletteCount(), 256);
}

TEST(PixelConversion, MedianCutKeepsManyColoursClose) {
  Bitmap src = colourGradient(128, 128);
  Bitmap q = quantize(src, 256);
  ASSERT_EQ(q.format(), PixelFormat::Bits8);
  EXPECT_GT(q.paletteCount(), 128);
  auto a = src.toARGB32(), b = q.toARGB32();
  double totalError = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    for (int shift : {0, 8, 16}) totalError += std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF));
  // A uniform 3-3-2 bit palette errs by about 13 per channel on this picture.
  EXPECT_LT(totalError / (3.0 * a.size()), 7.0);
  Bitmap sixteen = convertPixelFormat(src, PixelFormat::Bits4);
  EXPECT_LE(sixteen.paletteCount(), 16);
}

TEST(Canvas, StretchPicksTheNearestPixelWithExclusiveEdges) {
  Bitmap src = rowOfIndices({0, 1, 2, 3});
  Bitmap dst(8, 1, PixelFormat::Bits8);
  stretchDraw(dst, {0, 0, 8, 1}, src, {0, 0, 4, 1});
  EXPECT_EQ(indicesOf(dst), (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3}));
  // The source rectangle (0,0)-(w-1,h-1) leaves the last column out, as the tiling does.
  stretchDraw(dst, {0, 0, 6, 1}, src, {0, 0, 3, 1});
  EXPECT_EQ(indicesOf(dst), (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3}));
  Bitmap tall(1, 4, PixelFormat::Bits8);
  stretchDraw(tall, {0, 1, 1, 3}, src, {1, 0, 2, 1});
  EXPECT_EQ(tall.rawPixel(0, 0), 0u);
  EXPECT_EQ(tall.rawPixel(0, 1), 1u);
  EXPECT_EQ(tall.rawPixel(0, 2), 1u);
  EXPECT_EQ(tall.rawPixel(0, 3), 0u);
}

TEST(Canvas, InPlaceReductionAndClipping) {
  Bitmap b = rowOfIndices({10, 11, 12, 13, 14});
  stretchDraw(b, {0, 0, 3, 1}, b, boundsOf(b));  // the half-size step of texture detail 1
  EXPECT_EQ(indicesOf(b), (std::vector<int>{10, 11, 13, 13, 14}));
  Bitmap dst(3, 1, PixelFormat::Bits8);
  draw(dst, -2, 0, rowOfIndices({1, 2, 3, 4}));  // partly left of the target
  EXPECT_EQ(indicesOf(dst), (std::vector<int>{3, 4, 0}));
  stretchDraw(dst, {0, 0, 3, 1}, rowOfIndices({9}), {0, 0, 3, 1});  // source rectangle beyond the source
  EXPECT_EQ(indicesOf(dst), (std::vector<int>{9, 4, 0}));
  stretchDraw(dst, {2, 0, 2, 1}, rowOfIndices({7}), {0, 0, 1, 1});  // empty target: nothing
  EXPECT_EQ(indicesOf(dst), (std::vector<int>{9, 4, 0}));
}

TEST(Canvas, TransparentDrawLeavesKeyedPixelsAndConvertsColours) {
  Bitmap patch(3, 1, PixelFormat::Bits24);
  patch.setColour(0, 0, 0x00FF0000);
  patch.setColour(2, 0, 0x000000FF);  // pixel 1 stays black
  Bitmap wall(4, 1, PixelFormat::Bits8);
  wall.palette()[0] = {0, 0, 0, 0};
  wall.palette()[1] = {250, 0, 0, 0};
  wall.palette()[2] = {0, 0, 240, 0};
  wall.palette()[3] = {9, 9, 9, 0};
  wall.setPaletteCount(4);
  fillRect(wall, boundsOf(wall), 0x00080808);
  EXPECT_EQ(indicesOf(wall), (std::vector<int>{3, 3, 3, 3}));
  drawTransparent(wall, 1, 0, patch, 0);
  EXPECT_EQ(indicesOf(wall), (std::vector<int>{3, 1, 3, 2}));
}

}  // namespace
}  // namespace velorina
