#include "imaging/BmpCodec.h"

#include <gtest/gtest.h>

#include <cstring>

#include "archive/LittleEndian.h"
#include "imaging/ImagingError.h"
#include "imaging/PixelConversion.h"
#include "TestPictures.h"

namespace velorina {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes toBytes(const ByteBuffer& b) { return Bytes(b.begin(), b.end()); }

// A 40-byte info header with the given fields, followed by `extra`.
Bytes infoHeader(std::int32_t w, std::int32_t h, int bits, std::uint32_t compression, std::uint32_t used = 0) {
  Bytes out(40, 0);
  storeLE<std::uint32_t>(out.data(), 40);
  storeLE<std::int32_t>(out.data() + 4, w);
  storeLE<std::int32_t>(out.data() + 8, h);
  storeLE<std::uint16_t>(out.data() + 12, 1);
  storeLE<std::uint16_t>(out.data() + 14, static_cast<std::uint16_t>(bits));
  storeLE<std::uint32_t>(out.data() + 16, compression);
  storeLE<std::uint32_t>(out.data() + 32, used);
  return out;
}

void append(Bytes& to, std::initializer_list<std::uint8_t> bytes) { to.insert(to.end(), bytes); }

TEST(BmpCodec, EveryFormatRoundTripsWithOddWidths) {
  for (PixelFormat f : {PixelFormat::Bits1, PixelFormat::Bits4, PixelFormat::Bits8}) {
    Bitmap src = testing::indexedPattern(13, 7, f);
    Bitmap back = readBmp(writeBmp(src), "t.bmp");
    EXPECT_EQ(back, src) << bitsPerPixel(f);
    EXPECT_EQ(back.paletteCount(), src.paletteCount());
  }
  for (PixelFormat f : {PixelFormat::Bits16, PixelFormat::Bits24, PixelFormat::Bits32}) {
    Bitmap src = testing::colourGradient(13, 7, f);
    EXPECT_EQ(readBmp(writeBmp(src), "t.bmp"), src) << bitsPerPixel(f);
  }
}

TEST(BmpCodec, ShortPaletteAndTopDownRows) {
  Bitmap src = testing::indexedPattern(5, 3, PixelFormat::Bits8);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) src.setRawPixel(x, y, static_cast<std::uint32_t>((x + y) % 3));
  src.setPaletteCount(3);
  Bytes file = toBytes(writeBmp(src));
  EXPECT_EQ(file.size(), 14u + 40 + 3 * 4 + 8 * 3);
  EXPECT_EQ(readBmp(file, "t.bmp"), src);
  // Turn it into a top-down file: negative height, rows in reading order.
  Bytes topDown = file;
  storeLE<std::int32_t>(topDown.data() + 22, -3);
  std::size_t rows = 14 + 40 + 12;
  for (int i = 0; i < 3; ++i) std::memcpy(topDown.data() + rows + 8 * i, file.data() + rows + 8 * (2 - i), 8);
  EXPECT_EQ(readBmp(topDown, "t.bmp"), src);
}

TEST(BmpCodec, BitFieldsAndCoreHeaders) {
  // 16-bit R5G6B5, one pixel of pure green and one of pure red.
  Bytes dib = infoHeader(2, 1, 16, 3);
  append(dib, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});
  append(dib, {0xE0, 0x07, 0x00, 0xF8});
  Bitmap b = readDib(dib, "t.dib");
  ASSERT_EQ(b.format(), PixelFormat::Bits32);
  EXPECT_EQ(b.toARGB32(), (std::vector<std::uint32_t>{0xFF00FF00u, 0xFFFF0000u}));
  // OS/2 core header: 3-byte palette entries.
  Bytes core = {12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0};
  append(core, {0, 0, 0, 0x10, 0x20, 0x30});
  append(core, {0x40, 0, 0, 0});
  Bitmap c = readDib(core, "t.dib");
  EXPECT_EQ(c.toARGB32(), (std::vector<std::uint32_t>{0xFF000000u, 0xFF302010u}));
}

TEST(BmpCodec, RunLengthEncodedRowsDecode) {
  // RLE8, 4 x 2, bottom-up: bottom row = run of 3 x 5 then literal (9); top row delta-skipped then end.
  Bytes dib = infoHeader(4, 2, 8, 1, 16);
  dib.resize(dib.size() + 16 * 4, 0);
  append(dib, {3, 5, 0, 3, 9, 8, 7, 0, 0, 0, 0, 2, 2, 0, 1, 4, 0, 1});
  Bitmap b = readDib(dib, "t.bmp");
  EXPECT_EQ(b.rawPixel(0, 1), 5u);
  EXPECT_EQ(b.rawPixel(2, 1), 5u);
  EXPECT_EQ(b.rawPixel(3, 1), 9u);  // literal 9,8,7: the 8 and 7 fall beyond the row
  EXPECT_EQ(b.rawPixel(0, 0), 0u);  // skipped by the delta
  EXPECT_EQ(b.rawPixel(2, 0), 4u);
  // RLE4: a run alternates the two nibbles.
  Bytes four = infoHeader(5, 1, 4, 2, 16);
  four.resize(four.size() + 16 * 4, 0);
  append(four, {5, 0x12, 0, 1});
  EXPECT_EQ(readDib(four, "t.bmp").rawPixel(4, 0), 1u);
  EXPECT_EQ(readDib(four, "t.bmp").rawPixel(3, 0), 2u);
}

TEST(BmpCodec, HostileHeadersAreRefusedBeforeAllocating) {
  Bytes file = toBytes(writeBmp(testing::indexedPattern(4, 4, PixelFormat::Bits8)));
  auto refused = [](Bytes bytes) {
    EXPECT_THROW(readBmp(bytes, "bad.bmp"), EInvalidGraphic);
  };
  Bytes huge = file;
  storeLE<std::int32_t>(huge.data() + 18, 30000);
  storeLE<std::int32_t>(huge.data() + 22, 30000);
  refused(huge);
  Bytes rleHuge = file;  // RLE pictures may not claim far more pixels than their bytes
  storeLE<std::int32_t>(rleHuge.data() + 18, 20000);
  storeLE<std::int32_t>(rleHuge.data() + 22, 20000);
  storeLE<std::uint32_t>(rleHuge.data() + 30, 1);
  refused(rleHuge);
  Bytes offset = file;
  storeLE<std::uint32_t>(offset.data() + 10, 0x7FFFFFF0);
  refused(offset);
  Bytes zeroWidth = file;
  storeLE<std::int32_t>(zeroWidth.data() + 18, 0);
  refused(zeroWidth);
  Bytes bits = file;
  storeLE<std::uint16_t>(bits.data() + 28, 7);
  refused(bits);
  refused(Bytes(file.begin(), file.begin() + 60));  // palette cut short
  refused(Bytes(file.begin(), file.end() - 1));     // last row cut short
  refused({'B', 'M'});
  refused({'P', 'K', 3, 4});
}

TEST(BmpCodec, IconDibAppliesTheAndMask) {
  // 2 x 1 icon, 24 bits: colour row padded to 8 bytes, then the mask row.
  Bytes dib = infoHeader(2, 2, 24, 0);
  append(dib, {0xFF, 0, 0, 0, 0xFF, 0, 0, 0});
  append(dib, {0x40, 0, 0, 0});  // second pixel masked
  Bitmap icon = readIconDib(dib, "t.ico");
  ASSERT_EQ(icon.height(), 1);
  EXPECT_EQ(icon.colourWithAlpha(0, 0), 0xFF0000FFu);
  EXPECT_EQ(icon.colourWithAlpha(1, 0), 0u);
}

TEST(BmpCodec, FilesFromOtherProgramsDecode) {
  auto path = testing::firstExisting({"/usr/share/doc/fp-compiler/3.2.2/palmos/pilrc.bmp",
                                      "/usr/share/doc/fp-compiler/3.2.2/palmos/pilrcic.bmp"});
  if (path.empty()) GTEST_SKIP() << "no bitmap file on this machine";
  Bytes bytes = testing::readFile(path);
  Bitmap b = readBmp(bytes, path.string());
  EXPECT_GT(b.width(), 0);
  EXPECT_EQ(readBmp(writeBmp(b), "again"), b);
}

}  // namespace
}  // namespace velorina
