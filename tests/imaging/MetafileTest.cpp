#include "imaging/MetafileDecoder.h"

#include <gtest/gtest.h>

#include "archive/LittleEndian.h"
#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "Golden.h"
#include "TestPictures.h"

namespace velorina {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian fields appended in order.
struct Writer {
  Bytes out;
  Writer& u16(std::uint16_t v) { return put(v); }
  Writer& i16(std::int16_t v) { return put(v); }
  Writer& u32(std::uint32_t v) { return put(v); }
  Writer& i32(std::int32_t v) { return put(v); }
  Writer& bytes(const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); return *this; }
  template <typename T>
  Writer& put(T v) {
    std::size_t at = out.size();
    out.resize(at + sizeof(T));
    storeLE(out.data() + at, v);
    return *this;
  }
};

Bytes checkerDib() {
  Bitmap b(4, 4, PixelFormat::Bits24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) b.setColour(x, y, ((x + y) & 1) ? 0xFFFFFF : 0x8000FF);
  ByteBuffer file = writeBmp(b);
  return Bytes(file.begin() + kBmpFileHeaderSize, file.end());
}

// One WMF record: size in 16-bit words, function, parameters.
void wmfRecord(Writer& w, std::uint16_t function, const Bytes& params) {
  w.u32(static_cast<std::uint32_t>(3 + params.size() / 2)).u16(function).bytes(params);
}
Bytes words(std::initializer_list<int> values) {
  Writer w;
  for (int v : values) w.i16(static_cast<std::int16_t>(v));
  return w.out;
}

Bytes sampleWmf() {
  Writer w;
  w.u32(0x9AC6CDD7u).u16(0).i16(0).i16(0).i16(200).i16(160).u16(192).u32(0).u16(0);  // 200 x 160 units at 192 per inch
  w.u16(1).u16(9).u16(0x300).u32(0).u16(4).u32(0).u16(0);
  auto brush = [&](std::uint32_t colorRef) { wmfRecord(w, 0x02FC, Writer().u16(0).u32(colorRef).u16(0).out); };
  brush(0x0000FF);                                                             // slot 0: red
  wmfRecord(w, 0x02FA, Writer().u16(0).i16(6).i16(0).u32(0xFF0000).out);       // slot 1: blue pen, 3 pixels
  wmfRecord(w, 0x012D, words({0}));
  wmfRecord(w, 0x012D, words({1}));
  wmfRecord(w, 0x041B, words({80, 100, 20, 20}));                              // rectangle (10,10)-(50,40)
  brush(0x00FF00);                                                             // slot 2: green
  wmfRecord(w, 0x012D, words({2}));
  wmfRecord(w, 0x0418, words({150, 190, 60, 100}));                            // ellipse (50,30)-(95,75)
  wmfRecord(w, 0x0521, words({1, 0x4141, 5, 5}));                              // TEXTOUT: not drawn, skipped
  wmfRecord(w, 0x01F0, words({0}));
  brush(0xFFFF00);                                                             // cyan, into the freed slot 0
  wmfRecord(w, 0x012D, words({0}));
  wmfRecord(w, 0x0324, words({3, 10, 150, 60, 90, 90, 156}));                 // triangle
  wmfRecord(w, 0x0325, words({3, 0, 0, 40, 140, 80, 0}));                      // polyline
  wmfRecord(w, 0x0F43, Writer().u32(0xCC0020).u16(0).i16(4).i16(4).i16(0).i16(0)
                           .i16(40).i16(60).i16(10).i16(120).bytes(checkerDib()).out);  // bitmap at (60,5), 30 x 20
  wmfRecord(w, 0x0000, {});
  return w.out;
}

void emfRecord(Writer& w, std::uint32_t type, const Bytes& params) {
  w.u32(type).u32(static_cast<std::uint32_t>(8 + params.size())).bytes(params);
}

Bytes sampleEmf() {
  Writer w;
  Writer header;
  header.i32(0).i32(0).i32(99).i32(79).i32(0).i32(0).i32(2645).i32(2116).u32(0x464D4520).u32(0x10000).u32(0).u32(0)
      .u16(4).u16(0).u32(0).u32(0).u32(0).i32(1024).i32(768).i32(270).i32(203);
  emfRecord(w, 1, header.out);
  emfRecord(w, 17, Writer().u32(8).out);                                       // MM_ANISOTROPIC
  emfRecord(w, 9, Writer().i32(200).i32(160).out);                             // window extent
  emfRecord(w, 11, Writer().i32(100).i32(80).out);                             // viewport extent: half size
  emfRecord(w, 39, Writer().u32(1).u32(0).u32(0x0000FF).u32(0).out);           // red brush
  emfRecord(w, 38, Writer().u32(2).u32(0).i32(6).i32(0).u32(0xFF0000).out);    // blue pen
  emfRecord(w, 37, Writer().u32(1).out);
  emfRecord(w, 37, Writer().u32(2).out);
  emfRecord(w, 43, Writer().i32(20).i32(20).i32(100).i32(80).out);
  emfRecord(w, 37, Writer().u32(0x80000005u).out);                             // NULL_BRUSH
  emfRecord(w, 42, Writer().i32(100).i32(60).i32(190).i32(150).out);           // outline only
  emfRecord(w, 37, Writer().u32(0x80000004u).out);                             // BLACK_BRUSH... on black
  emfRecord(w, 19, Writer().u32(2).out);                                       // winding
  emfRecord(w, 39, Writer().u32(3).u32(0).u32(0x00FFFF).u32(0).out);           // yellow brush
  emfRecord(w, 37, Writer().u32(3).out);
  emfRecord(w, 86, Writer().i32(0).i32(0).i32(0).i32(0).u32(4)
                       .i16(10).i16(150).i16(60).i16(90).i16(90).i16(156).i16(30).i16(100).out);
  emfRecord(w, 27, Writer().i32(0).i32(0).out);
  emfRecord(w, 54, Writer().i32(80).i32(0).out);
  Bytes dib = checkerDib();
  std::uint32_t headerBytes = 40;
  Writer stretch;
  stretch.i32(0).i32(0).i32(0).i32(0).i32(120).i32(10).i32(0).i32(0).i32(4).i32(4)
      .u32(8 + 72).u32(headerBytes).u32(8 + 72 + headerBytes).u32(static_cast<std::uint32_t>(dib.size() - headerBytes))
      .u32(0).u32(0xCC0020).i32(60).i32(40).bytes(dib);
  emfRecord(w, 81, stretch.out);
  emfRecord(w, 14, Writer().u32(0).u32(0).u32(20).out);
  return w.out;
}

TEST(Metafile, WmfShapesBitmapsAndObjectSlots) {
  Bitmap b = decodeWmf(sampleWmf(), "sample.wmf");
  ASSERT_EQ(b.width(), 100);  // 200 units at 192 per inch, shown at 96 per inch
  ASSERT_EQ(b.height(), 80);
  EXPECT_EQ(b.colour(30, 25), 0xFFFF0000u);  // rectangle fill
  EXPECT_EQ(b.colour(10, 25), 0xFF0000FFu);  // its border
  EXPECT_EQ(b.colour(72, 52), 0xFF00FF00u);  // ellipse fill
  EXPECT_EQ(b.colour(28, 70), 0xFF00FFFFu);  // triangle in the brush created in the freed slot
  EXPECT_EQ(b.colour(2, 78), 0xFF000000u);   // unpainted: black
  EXPECT_EQ(b.colour(60, 5), 0xFF8000FFu);   // checker bitmap, top-left cell
  testing::expectMatchesGolden(b, "metafile-wmf");
}

TEST(Metafile, EmfShapesMappingAndStockObjects) {
  Bitmap b = decodeEmf(sampleEmf(), "sample.emf");
  ASSERT_EQ(b.width(), 100);
  ASSERT_EQ(b.height(), 80);
  EXPECT_EQ(b.colour(30, 25), 0xFFFF0000u);
  EXPECT_EQ(b.colour(72, 52), 0xFF000000u);  // the ellipse has no fill
  EXPECT_EQ(b.colour(61, 6), 0xFF8000FFu);  // bitmap at (120, 10) logical, half size
  testing::expectMatchesGolden(b, "metafile-emf");
}

TEST(Metafile, DamagedRecordsAreRefused) {
  Bytes wmf = sampleWmf();
  Bytes bad = wmf;
  storeLE<std::uint32_t>(bad.data() + 22 + 18, 0x7FFFFFFF);  // first record far longer than the file
  EXPECT_THROW(decodeWmf(bad, "bad.wmf"), EInvalidGraphic);
  Bytes huge = wmf;
  storeLE<std::int16_t>(huge.data() + 10, 32000);  // bounding box beyond the size limit
  storeLE<std::int16_t>(huge.data() + 12, 32000);
  storeLE<std::uint16_t>(huge.data() + 14, 96);
  EXPECT_THROW(decodeWmf(huge, "huge.wmf"), EInvalidGraphic);
  Bytes emf = sampleEmf();
  EXPECT_THROW(decodeEmf(Bytes(emf.begin(), emf.begin() + 50), "cut.emf"), EInvalidGraphic);
  Bytes points = emf;
  // The POLYGON16 record's point count, far beyond its record.
  for (std::size_t i = 0; i + 8 < points.size(); i += 4) {
    if (loadLE<std::uint32_t>(points.data() + i) == 86) {
      storeLE<std::uint32_t>(points.data() + i + 8 + 16, 0x10000000);
      break;
    }
  }
  EXPECT_THROW(decodeEmf(points, "points.emf"), EInvalidGraphic);
}

}  // namespace
}  // namespace velorina
