#include <gtest/gtest.h>

#include <zlib.h>

#include "archive/LittleEndian.h"
#include "archive/MemoryStream.h"
#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "imaging/WZ1Bitmap.h"
#include "imaging/WZ2Bitmap.h"
#include "imaging/WZFormat.h"
#include "imaging/ZBitmap.h"
#include "TestPictures.h"

namespace velorina {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <typename Format>
Bitmap roundTrip(const Bitmap& b) {
  MemoryStream s;
  Format(b).SaveToStream(s);
  s.setPosition(0);
  Format back;
  back.LoadFromStream(s);
  return back.bitmap();
}

// The run pairs after the WZ header.
Bytes runsOf(const ByteBuffer& stored) { return Bytes(stored.begin() + wz::kHeaderSize, stored.end()); }

Bitmap indexRows(std::initializer_list<std::initializer_list<int>> rows) {
  Bitmap b(static_cast<int>(rows.begin()->size()), static_cast<int>(rows.size()), PixelFormat::Bits8);
  for (int i = 0; i < 256; ++i) b.palette()[static_cast<std::size_t>(i)] = {std::uint8_t(i), 0, std::uint8_t(255 - i), 0};
  int y = 0;
  for (auto row : rows) {
    int x = 0;
    for (int v : row) b.setRawPixel(x++, y, static_cast<std::uint32_t>(v));
    ++y;
  }
  return b;
}

constexpr int A = 1, B = 2, C = 3;

TEST(ZBitmap, EightAndTwentyFourBitsRoundTripExactly) {
  Bitmap eight = testing::indexedPattern(37, 11, PixelFormat::Bits8);
  EXPECT_EQ(roundTrip<TZBitmap>(eight), eight);
  Bitmap rgb = testing::colourGradient(37, 11);
  EXPECT_EQ(roundTrip<TZBitmap>(rgb), rgb);
  Bitmap four = testing::indexedPattern(9, 5, PixelFormat::Bits4);
  EXPECT_EQ(roundTrip<TZBitmap>(four), four);
  Bitmap thin = testing::indexedPattern(1, 6, PixelFormat::Bits8);
  EXPECT_EQ(roundTrip<TZBitmap>(thin), thin);
  for (PixelFormat f : {PixelFormat::Bits16, PixelFormat::Bits32}) {
    Bitmap b = testing::colourGradient(10, 4, f);
    Bitmap back = roundTrip<TZBitmap>(b);
    EXPECT_EQ(back.format(), PixelFormat::Bits24);
    EXPECT_EQ(back.toARGB32(), b.toARGB32());
  }
}

TEST(ZBitmap, StoredFormIsAFilteredBitmapFileWithTheSizeAtTheEnd) {
  Bitmap b(4, 1, PixelFormat::Bits8);
  for (int x = 0; x < 4; ++x) b.setRawPixel(x, 0, static_cast<std::uint32_t>(10 + 3 * x));
  TZBitmap z(b);
  z.CompressionLevel = TCompressionLevel::clNone;
  MemoryStream s;
  z.SaveToStream(s);
  Bytes stored(s.bytes().begin(), s.bytes().end());
  std::uint32_t size = loadLE<std::uint32_t>(stored.data() + stored.size() - 4);
  Bytes file(size);
  uLongf got = size;
  ASSERT_EQ(uncompress(file.data(), &got, stored.data(), static_cast<uLong>(stored.size() - 4)), Z_OK);
  ASSERT_EQ(got, size);
  Bitmap filtered = readBmp(file, "inner");
  EXPECT_EQ(filtered.rawPixel(0, 0), 10u);
  EXPECT_EQ(filtered.rawPixel(3, 0), 3u);
}

TEST(ZBitmap, DamagedStreamsAreRefusedWithoutLooping) {
  auto load = [](Bytes bytes) {
    MemoryStream s{std::span<const std::uint8_t>(bytes)};
    TZBitmap z;
    z.LoadFromStream(s);
  };
  EXPECT_THROW(load({1, 2, 3}), EInvalidGraphic);
  MemoryStream good;
  TZBitmap(testing::indexedPattern(8, 8, PixelFormat::Bits8)).SaveToStream(good);
  Bytes stored(good.bytes().begin(), good.bytes().end());
  Bytes bigger = stored;
  storeLE<std::uint32_t>(bigger.data() + bigger.size() - 4, 0xFFFFFF00u);  // more than deflate can give
  EXPECT_THROW(load(bigger), EInvalidGraphic);
  Bytes longer = stored;
  storeLE<std::uint32_t>(longer.data() + longer.size() - 4, loadLE<std::uint32_t>(stored.data() + stored.size() - 4) + 10);
  EXPECT_THROW(load(longer), EInvalidGraphic);  // zlib stream ends before the size
  Bytes cut(stored.begin(), stored.begin() + static_cast<std::ptrdiff_t>(stored.size() / 2));
  cut.insert(cut.end(), stored.end() - 4, stored.end());
  EXPECT_THROW(load(cut), EInvalidGraphic);
  // A zlib stream of something that is not a bitmap file.
  Bytes text(40, 'x');
  uLongf n = compressBound(40);
  Bytes z(n);
  compress(z.data(), &n, text.data(), 40);
  z.resize(n);
  z.insert(z.end(), {40, 0, 0, 0});
  EXPECT_THROW(load(z), EInvalidGraphic);
}

TEST(WZ, ThreeByTwoPictureInBothFormats) {
  Bitmap img = indexRows({{A, A, B}, {C, C, C}});
  EXPECT_EQ(runsOf(TWZ2Bitmap(img).encode()), (Bytes{2, A, 1, B, 2, C}));
  EXPECT_EQ(runsOf(TWZ1Bitmap(img).encode()), (Bytes{2, A, 1, B, 2, C, 1, C}));
  EXPECT_EQ(roundTrip<TWZ2Bitmap>(img), indexRows({{A, A, B}, {B, C, C}}));
  EXPECT_EQ(roundTrip<TWZ1Bitmap>(img), img);
}

TEST(WZ, LongRowsAndThinPictures) {
  Bitmap row(300, 1, PixelFormat::Bits8);
  std::fill(row.row(0), row.row(0) + 300, 7);
  EXPECT_EQ(runsOf(TWZ2Bitmap(row).encode()), (Bytes{255, 7, 45, 7}));
  EXPECT_EQ(runsOf(TWZ1Bitmap(row).encode()), (Bytes{255, 7, 44, 7, 1, 7}));
  Bitmap thin = indexRows({{4}, {5}, {6}});
  EXPECT_EQ(runsOf(TWZ1Bitmap(thin).encode()), (Bytes{1, 4, 1, 5, 1, 6}));
  EXPECT_EQ(roundTrip<TWZ1Bitmap>(thin), thin);
  // In WZ2 only the top pixel of a one-pixel-wide picture is coded.
  EXPECT_EQ(runsOf(TWZ2Bitmap(thin).encode()), (Bytes{1, 4}));
  EXPECT_EQ(roundTrip<TWZ2Bitmap>(thin), indexRows({{4}, {4}, {4}}));
  // Rows that start with the last index of the row above survive WZ2 exactly.
  Bitmap chained = indexRows({{1, 2, 3, 3}, {3, 9, 9, 8}, {8, 8, 0, 1}});
  EXPECT_EQ(roundTrip<TWZ2Bitmap>(chained), chained);
  Bitmap pattern = testing::indexedPattern(64, 9, PixelFormat::Bits8);
  pattern.setPaletteCount(256);
  EXPECT_EQ(roundTrip<TWZ1Bitmap>(pattern), pattern);
}

ByteBuffer withRuns(const Bitmap& header, Bytes runs) {
  ByteBuffer out;
  wz::writeHeader(header, out);
  out.insert(out.end(), runs.begin(), runs.end());
  return out;
}

TEST(WZ, ReadingOverlongRunsTruncatedDataAndOddBytes) {
  Bitmap header = indexRows({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
  TWZ1Bitmap one;
  one.decode(withRuns(header, {5, A, 2, B, 1, C, 9}), "t.wz1");  // excess of the first run dropped
  EXPECT_EQ(one.bitmap(), indexRows({{A, A, A}, {B, B, C}, {0, 0, 0}}));
  TWZ2Bitmap two;
  two.decode(withRuns(header, {4, A, 1}), "t.wz2");  // data ends inside row 2
  EXPECT_EQ(two.bitmap(), indexRows({{A, A, A}, {A, A, 0}, {0, 0, 0}}));
  Bitmap wide(20, 2, PixelFormat::Bits8);
  two.decode(withRuns(wide, {2, A, 3, B}), "t.wz2");  // data ends early in a wide row
  for (int x = 0; x < 20; ++x) EXPECT_EQ(two.bitmap().rawPixel(x, 0), x < 2 ? 1u : x < 5 ? 2u : 0u) << x;
  for (std::size_t i = 20; i < two.bitmap().stride(); ++i) EXPECT_EQ(two.bitmap().row(0)[i], 0) << "padding";
  two.decode(withRuns(header, {255, B, 255, C}), "t.wz2");  // pairs beyond the last row ignored
  EXPECT_EQ(two.bitmap(), indexRows({{B, B, B}, {B, B, B}, {B, B, B}}));
}

TEST(WZ, Wz2ReadingMatchesThePixelByPixelRule) {
  // Random runs over widths around the decoder's 32-byte stores, against the
  // rule applied one pixel at a time; pixels the data does not reach stay 0.
  std::uint32_t seed = 99;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int width : {1, 3, 31, 32, 33, 64, 100}) {
    Bitmap header(width, 7, PixelFormat::Bits8);
    Bytes runs;
    for (int i = 0; i < 40; ++i) runs.push_back(static_cast<std::uint8_t>(next() % 40 + 1)), runs.push_back(static_cast<std::uint8_t>(next()));
    ByteBuffer stored = withRuns(header, runs);
    TWZ2Bitmap two;
    two.decode(stored, "t.wz2");
    Bitmap expected(width, 7, PixelFormat::Bits8);
    int x = 0, y = 0;
    for (std::size_t i = 0; i < runs.size(); i += 2)
      for (int n = 0; n < runs[i] && y < 7; ++n) {
        expected.setRawPixel(x++, y, runs[i + 1]);
        while (x == width && ++y < 7) expected.setRawPixel(0, y, runs[i + 1]), x = 1;
      }
    for (int yy = 0; yy < 7; ++yy)
      for (int xx = 0; xx < width; ++xx) ASSERT_EQ(two.bitmap().rawPixel(xx, yy), expected.rawPixel(xx, yy)) << width;
  }
}

TEST(WZ, BadHeadersRaiseTheFormatsError) {
  auto decodeWith = [](int w, int h) {
    ByteBuffer bytes(wz::kHeaderSize + 2, 1);
    storeLE<std::int16_t>(bytes.data(), static_cast<std::int16_t>(w));
    storeLE<std::int16_t>(bytes.data() + 2, static_cast<std::int16_t>(h));
    TWZ1Bitmap b;
    b.decode(bytes, "bad.wz1");
  };
  EXPECT_THROW(decodeWith(2049, 1), EWZException);
  EXPECT_THROW(decodeWith(0, 5), EWZException);
  EXPECT_THROW(decodeWith(5, -1), EWZException);
  EXPECT_NO_THROW(decodeWith(2048, 2));
  EXPECT_THROW(decodeWith(2048, 32767), EWZException);  // far beyond what two bytes can fill
  TWZ2Bitmap two;
  EXPECT_THROW(two.decode(Bytes(100, 1), "short.wz2"), EWZException);
  try {
    two.LoadFromFile("/nonexistent/picture.wz2");
    FAIL();
  } catch (const EWZException& e) {
    EXPECT_STREQ(e.what(), "Το αρχείο WZ δεν βρέθηκε");
  }
  EXPECT_THROW(TWZ1Bitmap(Bitmap(3000, 1, PixelFormat::Bits8)).encode(), EWZException);
}

TEST(WZ, TrueColourIsQuantisedOnSaving) {
  Bitmap rgb = testing::colourGradient(20, 20);
  MemoryStream s;
  TWZ1Bitmap(rgb).SaveToStream(s);
  s.setPosition(0);
  TWZ1Bitmap back;
  back.LoadFromStream(s);
  EXPECT_EQ(back.bitmap().format(), PixelFormat::Bits8);
  EXPECT_EQ(back.bitmap().width(), 20);
}

}  // namespace
}  // namespace velorina
