#include "imaging/TextureShape.h"

#include <gtest/gtest.h>

#include "Golden.h"
#include "TestPictures.h"

namespace velorina {
namespace {

TEST(TextureShape, SizeRule) {
  EXPECT_FALSE(textureSizeFor(256, 256).changed);
  EXPECT_FALSE(textureSizeFor(2, 2).changed);
  auto s = textureSizeFor(300, 200);
  EXPECT_TRUE(s.changed);
  EXPECT_EQ(s.width, 512);
  EXPECT_EQ(s.height, 512);
  EXPECT_EQ(textureSizeFor(2000, 2000).width, 1024);
  EXPECT_EQ(textureSizeFor(512, 512).width, 512);
  EXPECT_EQ(textureSizeFor(513, 513).width, 1024);
  EXPECT_EQ(textureSizeFor(64, 32).width, 64);  // unequal sides always count as a change
  EXPECT_TRUE(textureSizeFor(64, 32).changed);
  EXPECT_EQ(textureSizeFor(3, 3).width, 4);
  EXPECT_EQ(textureSizeFor(1, 1).width, 2);
}

TEST(TextureShape, DetailModesGiveTheExpectedSizes) {
  auto shaped = [](int w, int h, int detail) {
    Bitmap b(w, h, PixelFormat::Bits8);  // sizes only: content does not matter here
    shapeForDetail(b, detail);
    return std::pair{b.width(), b.height()};
  };
  EXPECT_EQ(shaped(300, 200, 0), (std::pair{512, 512}));
  EXPECT_EQ(shaped(256, 256, 3), (std::pair{512, 512}));
  EXPECT_EQ(shaped(300, 200, 3), (std::pair{600, 400}));  // left for tiling
  EXPECT_EQ(shaped(1, 1, 0), (std::pair{2, 2}));
  EXPECT_EQ(shaped(100, 7, 0), (std::pair{2, 2}));
  EXPECT_EQ(shaped(2000, 2000, 0), (std::pair{1024, 1024}));
  EXPECT_EQ(shaped(256, 256, 1), (std::pair{128, 128}));
  EXPECT_EQ(shaped(256, 256, 2), (std::pair{64, 64}));
  EXPECT_EQ(shaped(256, 256, 4), (std::pair{2, 2}));
  EXPECT_EQ(shaped(256, 256, 9), (std::pair{256, 256}));  // unknown modes behave as 0
  Bitmap none;
  shapeForDetail(none, 0);
  EXPECT_EQ(none.width(), 2);
}

TEST(TextureShape, StretchCoversTheWholeTextureWithoutTiling) {
  // 300 x 200 with a distinct right half: after FitTexture the right half of the
  // 512 texture shows it, and the last source column is left out.
  Bitmap b(300, 200, PixelFormat::Bits8);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) b.setRawPixel(x, y, x < 150 ? 1 : x == 299 ? 3 : 2);
  FitTexture(b, TextureStretch::Stretch);
  ASSERT_EQ(b.width(), 512);
  EXPECT_EQ(b.rawPixel(0, 511), 1u);
  EXPECT_EQ(b.rawPixel(511, 0), 2u);
  for (int x = 0; x < 512; ++x) ASSERT_NE(b.rawPixel(x, 300), 3u);
  // A picture above 1024 is reduced whole, not cut.
  Bitmap big(2000, 2000, PixelFormat::Bits8);
  for (int y = 0; y < 2000; ++y)
    for (int x = 1980; x < 1998; ++x) big.setRawPixel(x, y, 9);
  FitTexture(big, TextureStretch::Stretch);
  bool seen = false;
  for (int x = 1000; x < 1024; ++x) seen |= big.rawPixel(x, 5) == 9u;
  EXPECT_TRUE(seen);
  Bitmap keep = testing::indexedPattern(3, 3, PixelFormat::Bits8);
  FitTexture(keep, TextureStretch::Keep);
  EXPECT_EQ(keep.width(), 4);
  EXPECT_EQ(keep.rawPixel(2, 2), testing::indexedPattern(3, 3, PixelFormat::Bits8).rawPixel(2, 2));
  EXPECT_EQ(keep.rawPixel(3, 3), 0u);
}

TEST(TextureShape, TilingRepeatsAlongTheShortSide) {
  Bitmap b(6, 2, PixelFormat::Bits8);
  for (int x = 0; x < 6; ++x) b.setRawPixel(x, 0, 1), b.setRawPixel(x, 1, 2);
  tileToSquare(b);
  ASSERT_EQ(b.width(), 6);
  ASSERT_EQ(b.height(), 6);
  // Each copy stretches the first row (the last row is left out) over two rows.
  for (int y = 0; y < 5; ++y) EXPECT_EQ(b.rawPixel(0, y), 1u) << y;
  Bitmap tall(2, 5, PixelFormat::Bits8);
  tall.setRawPixel(0, 0, 7);
  tileToSquare(tall);
  EXPECT_EQ(tall.width(), 5);
  EXPECT_EQ(tall.rawPixel(2, 0), 7u);  // the second copy starts at x = 2
}

TEST(TextureShape, SmoothingAveragesAndKeepsBlack) {
  Bitmap b(3, 2, PixelFormat::Bits24);
  b.setColour(0, 0, 0x404040);
  b.setColour(1, 0, 0x808080);
  b.setColour(0, 1, 0xC0C0C0);
  b.setColour(1, 1, 0xFFFFFF);
  b.setColour(2, 0, 0x102030);
  SmoothTexture(b);
  EXPECT_EQ(b.colour(0, 0) & 0xFF, (0x40 + 0x80 + 0xC0 + 0xFF) / 4u);
  // (1, 0) averages with (2, 0) = 10 20 30, (1, 1) = white and (2, 1) = black, per channel.
  EXPECT_EQ(b.colour(1, 0), 0xFF000000u | ((0x80 + 0x10 + 0xFF) / 4u) << 16 | ((0x80 + 0x20 + 0xFF) / 4u) << 8 |
                                ((0x80 + 0x30 + 0xFF) / 4u));
  EXPECT_EQ(b.colour(2, 0), 0xFF102030u);  // last column unchanged
  Bitmap dark(2, 2, PixelFormat::Bits24);
  dark.setColour(0, 0, 0x00FFFF);  // a zero colour byte: left alone
  dark.setColour(1, 1, 0xFFFFFF);
  SmoothTexture(dark);
  EXPECT_EQ(dark.colour(0, 0), 0xFF00FFFFu);
}

TEST(TextureShape, DoubledSmoothedAndTiledPictureMatchesItsReference) {
  // Detail mode 3 on a 40 x 24 picture: the picture is stretched over the 128 x 128
  // texture square made from 80 x 48, of which the top-left 80 x 48 is kept and
  // smoothed; the loader then tiles that into an 80 x 80 square.
  Bitmap b = testing::colourGradient(40, 24);
  for (int y = 2; y < 6; ++y)
    for (int x = 4; x < 20; ++x) b.setColour(x, y, 0);  // a black bar stays sharp: black is not smoothed
  shapeForDetail(b, 3);
  ASSERT_EQ(b.width(), 80);
  ASSERT_EQ(b.height(), 48);
  tileToSquare(b);
  ASSERT_EQ(b.height(), 80);
  testing::expectMatchesGolden(b, "texture-detail3-tiled");
}

}  // namespace
}  // namespace velorina
