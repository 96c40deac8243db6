#include "imaging/Bitmap.h"

#include <gtest/gtest.h>

#include "imaging/ImagingError.h"

namespace velorina {
namespace {

TEST(Bitmap, RowsArePaddedToFourBytesInEveryFormat) {
  EXPECT_EQ(Bitmap(1, 1, PixelFormat::Bits1).stride(), 4u);
  EXPECT_EQ(Bitmap(33, 1, PixelFormat::Bits1).stride(), 8u);
  EXPECT_EQ(Bitmap(9, 1, PixelFormat::Bits4).stride(), 8u);
  EXPECT_EQ(Bitmap(5, 1, PixelFormat::Bits8).stride(), 8u);
  EXPECT_EQ(Bitmap(3, 1, PixelFormat::Bits16).stride(), 8u);
  EXPECT_EQ(Bitmap(3, 1, PixelFormat::Bits24).stride(), 12u);
  EXPECT_EQ(Bitmap(3, 1, PixelFormat::Bits32).stride(), 12u);
}

TEST(Bitmap, PackedPixelsPutTheLeftmostPixelInTheHighBits) {
  Bitmap one(10, 1, PixelFormat::Bits1);
  one.setRawPixel(0, 0, 1);
  one.setRawPixel(9, 0, 1);
  EXPECT_EQ(one.row(0)[0], 0x80);
  EXPECT_EQ(one.row(0)[1], 0x40);
  Bitmap four(3, 1, PixelFormat::Bits4);
  four.setRawPixel(0, 0, 0xA);
  four.setRawPixel(1, 0, 0x5);
  four.setRawPixel(2, 0, 0xF);
  EXPECT_EQ(four.row(0)[0], 0xA5);
  EXPECT_EQ(four.row(0)[1], 0xF0);
  EXPECT_EQ(four.rawPixel(1, 0), 5u);
}

TEST(Bitmap, ToArgbResolvesEveryFormat) {
  Bitmap b8(2, 1, PixelFormat::Bits8);
  b8.palette()[7] = {10, 20, 30, 0};
  b8.setRawPixel(1, 0, 7);
  EXPECT_EQ(b8.toARGB32(), (std::vector<std::uint32_t>{0xFF000000u, 0xFF0A141Eu}));

  Bitmap b16(1, 1, PixelFormat::Bits16);
  b16.setRawPixel(0, 0, 0x7C00);  // pure red in X1R5G5B5
  EXPECT_EQ(b16.toARGB32()[0], 0xFFFF0000u);

  Bitmap b24(1, 1, PixelFormat::Bits24);
  b24.setColour(0, 0, 0x123456);
  EXPECT_EQ(b24.row(0)[0], 0x56);  // stored B, G, R
  EXPECT_EQ(b24.row(0)[2], 0x12);
  EXPECT_EQ(b24.toARGB32()[0], 0xFF123456u);

  std::vector<std::uint32_t> buffer(2, 7);
  EXPECT_FALSE(b8.toARGB32(std::span(buffer).first(1)));  // too small: nothing written
  EXPECT_EQ(buffer[0], 7u);
  EXPECT_TRUE(b8.toARGB32(buffer));
  EXPECT_EQ(buffer[1], 0xFF0A141Eu);

  Bitmap b32(1, 1, PixelFormat::Bits32);
  b32.setColour(0, 0, 0x00ABCDEF);
  EXPECT_EQ(b32.toARGB32()[0], 0xFFABCDEFu);  // textures always get opaque alpha
}

TEST(Bitmap, SetSizeKeepsTopLeftPixelsAndZeroesTheRest) {
  Bitmap b(5, 3, PixelFormat::Bits4);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) b.setRawPixel(x, y, static_cast<std::uint32_t>(x + y + 1));
  b.setSize(3, 4);
  ASSERT_EQ(b.width(), 3);
  EXPECT_EQ(b.rawPixel(2, 1), 4u);
  EXPECT_EQ(b.rawPixel(2, 3), 0u);
  b.setSize(6, 4);
  EXPECT_EQ(b.rawPixel(2, 2), 5u);
  EXPECT_EQ(b.rawPixel(3, 0), 0u);  // the cut-off half byte does not come back
}

TEST(Bitmap, RefusesAbsurdSizes) {
  EXPECT_THROW(Bitmap(-1, 2, PixelFormat::Bits8), EInvalidGraphic);
  EXPECT_THROW(Bitmap(kMaxBitmapSide + 1, 1, PixelFormat::Bits8), EInvalidGraphic);
  EXPECT_THROW(Bitmap(30000, 30000, PixelFormat::Bits32), EInvalidGraphic);
}

}  // namespace
}  // namespace velorina
