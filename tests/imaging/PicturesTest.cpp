#include <gtest/gtest.h>

#include <cstdio>

#include <gif_lib.h>
#include <jpeglib.h>

#include <cstring>
#include <filesystem>

#include "archive/LittleEndian.h"
#include "archive/MemoryStream.h"
#include "imaging/BmpCodec.h"
#include "imaging/GifDecoder.h"
#include "imaging/IconDecoder.h"
#include "imaging/ImagingError.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PictureRegistry.h"
#include "imaging/PixelConversion.h"
#include "imaging/PngCodec.h"
#include "imaging/PpmCodec.h"
#include "imaging/TgaDecoder.h"
#include "imaging/ZBitmap.h"
#include "TestPictures.h"

namespace velorina {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes asBytes(const ByteBuffer& b) { return Bytes(b.begin(), b.end()); }

// A GIF written with giflib's encoder: 8 colours, one frame at (1, 1) on a
// 6 x 4 screen, colour 5 transparent, interlaced or not.
Bytes makeGif(bool interlaced) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* data, int n) {
    auto* o = static_cast<Bytes*>(g->UserData);
    o->insert(o->end(), data, data + n);
    return n;
  }, &error);
  GifColorType colours[8];
  for (int i = 0; i < 8; ++i) colours[i] = {GifByteType(i * 30), GifByteType(255 - i * 30), GifByteType(i)};
  ColorMapObject* map = GifMakeMapObject(8, colours);
  EGifPutScreenDesc(gif, 6, 4, 3, 2, map);
  GraphicsControlBlock gcb{0, false, 0, 5};
  GifByteType ext[4];
  EGifGCBToExtension(&gcb, ext);
  EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
  EGifPutImageDesc(gif, 1, 1, 4, 3, interlaced, nullptr);
  for (int y = 0; y < 3; ++y) {
    GifPixelType line[4];
    for (int x = 0; x < 4; ++x) line[x] = static_cast<GifPixelType>((x + y) % 8);
    // Interlaced rows go in pass order: 0, then 2, then 1.
    int row = interlaced ? (y == 0 ? 0 : y == 1 ? 2 : 1) : y;
    for (int x = 0; x < 4; ++x) line[x] = static_cast<GifPixelType>((x + row) % 8);
    EGifPutLine(gif, line, 4);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

Bytes makeJpeg(const Bitmap& rgb, int quality) {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(rgb.width());
  info.image_height = static_cast<JDIMENSION>(rgb.height());
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  for (int y = 0; y < rgb.height(); ++y) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.row(y));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  free(buffer);
  return out;
}

TEST(PictureRegistry, ExtensionsAreNormalisedAndUnknownOnesNamed) {
  EXPECT_EQ(PictureRegistry::extensionOf("dir.v2/Wall.Bmp"), "BMP");
  EXPECT_EQ(PictureRegistry::extensionOf(std::string("a.j\0pg", 6)), "JPG");
  EXPECT_EQ(PictureRegistry::extensionOf("noext"), "");
  const auto& r = PictureRegistry::standard();
  for (const char* e : {"BMP", "DIB", "GIF", "JPG", "JPEG", "PNG", "PPM", "TGA", "ICO", "BMZ", "WZ1", "WZ2"})
    EXPECT_NE(r.find(e), nullptr) << e;
  EXPECT_EQ(r.find("bmz")->description, "zBitmap");
  EXPECT_EQ(r.find("WZ1")->description, "WZ1-Format");
  try {
    r.createFor("photo.xyz");
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Άγνωστος τύπος εικόνας: photo.xyz");
  }
}

TEST(PictureRegistry, LoadsByExtensionAndDrawsOntoACanvas) {
  Bitmap src = testing::indexedPattern(6, 5, PixelFormat::Bits8);
  MemoryStream stream;
  TZBitmap(src).SaveToStream(stream);
  stream.setPosition(0);
  EXPECT_EQ(loadPicture("tex.BMZ", stream), src);
  MemoryStream bmp(writeBmp(src));
  auto picture = PictureRegistry::standard().createFor("x.bmp");
  picture->LoadFromStream(bmp);
  EXPECT_EQ(picture->width(), 6);
  Bitmap canvas(8, 8, PixelFormat::Bits24);
  picture->draw(canvas, 2, 3);
  EXPECT_EQ(canvas.colour(2, 3), src.colour(0, 0));
  EXPECT_EQ(canvas.colour(7, 7), src.colour(5, 4));
  EXPECT_EQ(canvas.colour(1, 3), 0xFF000000u);
  // Bounds errors of the readers come out as the picture error, with the name.
  MemoryStream cut(Bytes{'B', 'M', 0, 0});
  try {
    loadPicture("cut.bmp", cut);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.context().file, "cut.bmp");
  }
}

TEST(GifDecoder, FrameOnItsScreenWithTransparency) {
  for (bool interlaced : {false, true}) {
    Bytes gif = makeGif(interlaced);
    Bitmap b = decodeGif(gif, "t.gif");
    ASSERT_EQ(b.width(), 6);
    ASSERT_EQ(b.height(), 4);
    EXPECT_EQ(b.format(), PixelFormat::Bits8);
    EXPECT_EQ(b.rawPixel(0, 0), 5u);  // outside the frame: the transparent index
    EXPECT_EQ(b.rawPixel(1, 1), 0u);
    EXPECT_EQ(b.rawPixel(4, 3), 5u);  // (3 + 2) of the frame
    EXPECT_EQ(b.rawPixel(2, 3), 3u);
    EXPECT_EQ(b.colour(0, 0), 0xFF000000u);  // transparent is black
    EXPECT_EQ(b.colour(2, 1), 0xFF1EE101u);
  }
}

TEST(GifDecoder, DamagedAndHostileFilesAreRefused) {
  Bytes gif = makeGif(false);
  EXPECT_THROW(decodeGif(Bytes(gif.begin(), gif.begin() + 30), "cut.gif"), EInvalidGraphic);
  Bytes huge = gif;
  storeLE<std::uint16_t>(huge.data() + 6, 30000);  // logical screen 30000 x 30000
  storeLE<std::uint16_t>(huge.data() + 8, 30000);
  EXPECT_THROW(decodeGif(huge, "huge.gif"), EInvalidGraphic);
  EXPECT_THROW(decodeGif(Bytes{'G', 'I', 'F'}, "t.gif"), EInvalidGraphic);
}

TEST(JpegDecoder, DecodesCloseToTheSourceAndSurvivesDamage) {
  Bitmap src = testing::colourGradient(40, 24);
  Bytes jpeg = makeJpeg(src, 95);
  Bitmap b = decodeJpeg(jpeg, "t.jpg");
  ASSERT_EQ(b.width(), 40);
  ASSERT_EQ(b.format(), PixelFormat::Bits24);
  auto a = src.toARGB32(), c = b.toARGB32();
  double err = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    for (int s : {0, 8, 16}) err += std::abs(int(a[i] >> s & 255) - int(c[i] >> s & 255));
  EXPECT_LT(err / (3.0 * a.size()), 6.0);
  // A fatal libjpeg error comes back as an exception, not exit().
  EXPECT_THROW(decodeJpeg(Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0}, "bad.jpg"), EInvalidGraphic);
  EXPECT_THROW(decodeJpeg(Bytes(jpeg.begin(), jpeg.begin() + 20), "cut.jpg"), EInvalidGraphic);
  // Data cut in the middle of the scan decodes with a warning (the rest grey).
  EXPECT_NO_THROW(decodeJpeg(Bytes(jpeg.begin(), jpeg.end() - jpeg.size() / 3), "short.jpg"));
}

// A flat JPEG in greyscale (1 component) or Adobe CMYK (4 components, stored inverted).
Bytes makeFlatJpeg(int components, std::initializer_list<std::uint8_t> value) {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = 16, info.image_height = 8, info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  Bytes row;
  for (int x = 0; x < 16; ++x) row.insert(row.end(), value);
  for (int y = 0; y < 8; ++y) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  free(buffer);
  return out;
}

TEST(JpegDecoder, GreyscaleAndCmykPictures) {
  Bitmap grey = decodeJpeg(makeFlatJpeg(1, {100}), "grey.jpg");
  ASSERT_EQ(grey.format(), PixelFormat::Bits8);
  EXPECT_NEAR(int(grey.rawPixel(3, 3)), 100, 2);
  EXPECT_EQ(grey.palette()[100], (PaletteEntry{100, 100, 100, 0}));
  Bitmap cmyk = decodeJpeg(makeFlatJpeg(4, {255, 0, 0, 255}), "red.jpg");  // inverted: no cyan, full magenta and yellow
  ASSERT_EQ(cmyk.format(), PixelFormat::Bits24);
  std::uint32_t c = cmyk.colour(5, 5);
  EXPECT_GT(int(c >> 16 & 255), 240);
  EXPECT_LT(int(c >> 8 & 255), 15);
  EXPECT_LT(int(c & 255), 15);
}

TEST(PngCodec, PaletteAndTrueColourRoundTrip) {
  Bitmap eight = testing::indexedPattern(11, 7, PixelFormat::Bits8);
  Bitmap back = decodePng(encodePng(eight), "t.png");
  EXPECT_EQ(back, eight);  // indices and palette kept
  Bitmap rgb = testing::colourGradient(11, 7);
  EXPECT_EQ(decodePng(encodePng(rgb), "t.png").toARGB32(), rgb.toARGB32());
  Bytes png = asBytes(encodePng(rgb));
  EXPECT_THROW(decodePng(Bytes(png.begin(), png.begin() + png.size() / 2), "cut.png"), EInvalidGraphic);
  Bytes huge = png;
  storeLE<std::uint32_t>(huge.data() + 16, 0x00800000);  // big-endian width 32768: CRC breaks too
  EXPECT_THROW(decodePng(huge, "huge.png"), EInvalidGraphic);
}

TEST(PpmCodec, BinaryAndDecimalForms) {
  Bitmap b = decodePpm(Bytes{'P', '3', '\n', '#', ' ', 'c', '\n', '2', ' ', '1', ' ', '4', '\n',
                             '4', ' ', '0', ' ', '0', ' ', '0', ' ', '2', ' ', '4'},
                       "t.ppm");
  EXPECT_EQ(b.toARGB32(), (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF0080FFu}));
  Bitmap rgb = testing::colourGradient(9, 5);
  EXPECT_EQ(decodePpm(encodePpm(rgb), "t.ppm").toARGB32(), rgb.toARGB32());
  Bytes wide = {'P', '6', ' ', '1', ' ', '1', ' ', '6', '5', '5', '3', '5', '\n', 0xFF, 0xFF, 0, 0, 0x80, 0};
  EXPECT_EQ(decodePpm(wide, "t.ppm").colour(0, 0), 0xFFFF0080u);
  EXPECT_THROW(decodePpm(Bytes{'P', '6', ' ', '9', '9', '9', '9', ' ', '9', '9', '9', '9', ' ', '2', '5', '5', ' '}, "t"),
               EInvalidGraphic);
  EXPECT_THROW(decodePpm(Bytes{'P', '5', ' ', '1'}, "t"), EInvalidGraphic);
}

TEST(TgaDecoder, RunLengthColourMappedAndBottomUp) {
  // Type 9 (RLE, colour-mapped), 3 x 2, map of 2 entries of 24 bits, bottom-up.
  Bytes tga = {0, 1, 9, 0, 0, 2, 0, 24, 0, 0, 0, 0, 3, 0, 2, 0, 8, 0};
  tga.insert(tga.end(), {0, 0, 255, 255, 0, 0});  // entry 0 red, entry 1 blue
  tga.insert(tga.end(), {0x82, 1, 0x02, 0, 1, 0});  // bottom row 1,1,1; top row 0,1,0
  Bitmap b = decodeTga(tga, "t.tga");
  ASSERT_EQ(b.format(), PixelFormat::Bits8);
  EXPECT_EQ(b.rawPixel(0, 1), 1u);
  EXPECT_EQ(b.rawPixel(1, 0), 1u);
  EXPECT_EQ(b.colour(0, 0), 0xFFFF0000u);
  // Type 2, 32 bits, top-down.
  Bytes t32 = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 0x28, 1, 2, 3, 4};
  EXPECT_EQ(decodeTga(t32, "t.tga").colourWithAlpha(0, 0), 0x04030201u);
  Bytes big = t32;
  big[12] = 0xFF, big[13] = 0xFF, big[14] = 0xFF, big[15] = 0xFF;
  EXPECT_THROW(decodeTga(big, "t.tga"), EInvalidGraphic);
}

TEST(IconDecoder, PicksTheLargestDeepestEntry) {
  // Entry 1: 2 x 1, 24 bits with mask; entry 2: 4 x 4 PNG; entry 3 points outside the file.
  Bytes dib(40, 0);
  storeLE<std::uint32_t>(dib.data(), 40);
  storeLE<std::int32_t>(dib.data() + 4, 2);
  storeLE<std::int32_t>(dib.data() + 8, 2);
  storeLE<std::uint16_t>(dib.data() + 12, 1);
  storeLE<std::uint16_t>(dib.data() + 14, 24);
  dib.insert(dib.end(), {0, 0, 255, 0, 255, 0, 0, 0, 0x40, 0, 0, 0});
  Bytes png = asBytes(encodePng(testing::colourGradient(4, 4)));
  auto build = [&](bool withPng) {
    Bytes ico = {0, 0, 1, 0, 3, 0};
    std::uint32_t offset = 6 + 16 * 3;
    auto entry = [&](int w, int bits, std::uint32_t size, std::uint32_t at) {
      Bytes e(16, 0);
      e[0] = static_cast<std::uint8_t>(w), e[1] = static_cast<std::uint8_t>(w);
      storeLE<std::uint16_t>(e.data() + 6, static_cast<std::uint16_t>(bits));
      storeLE<std::uint32_t>(e.data() + 8, size);
      storeLE<std::uint32_t>(e.data() + 12, at);
      ico.insert(ico.end(), e.begin(), e.end());
    };
    entry(2, 24, static_cast<std::uint32_t>(dib.size()), offset);
    entry(4, 32, withPng ? static_cast<std::uint32_t>(png.size()) : 0, offset + static_cast<std::uint32_t>(dib.size()));
    entry(64, 32, 1000, 1u << 30);
    ico.insert(ico.end(), dib.begin(), dib.end());
    if (withPng) ico.insert(ico.end(), png.begin(), png.end());
    return ico;
  };
  Bitmap big = decodeIcon(build(true), "t.ico");
  EXPECT_EQ(big.width(), 4);
  Bitmap small = decodeIcon(build(false), "t.ico");
  ASSERT_EQ(small.width(), 2);
  EXPECT_EQ(small.colourWithAlpha(0, 0), 0xFFFF0000u);
  EXPECT_EQ(small.colourWithAlpha(1, 0), 0u);
  Bytes lying = {0, 0, 1, 0, 0xFF, 0xFF, 1};
  EXPECT_THROW(decodeIcon(lying, "t.ico"), EInvalidGraphic);
}

TEST(Pictures, FilesFromDebianPackagesDecode) {
  namespace fs = std::filesystem;
  int decoded = 0;
  for (const char* path : {"/usr/share/doc/libxslt1-dev/html/smallfootonly.gif", "/usr/share/doc/nodejs/thin-white-stripe.jpg",
                           "/usr/share/gitweb/static/git-logo.png", "/usr/share/clang/scan-view-14/share/bugcatcher.ico",
                           "/usr/share/doc/fp-compiler/3.2.2/wince/SysInfo/sysinfo.ico",
                           "/usr/share/doc/fp-compiler/3.2.2/palmos/pilrc.bmp", "/usr/share/icons/freedoom1.png",
                           "/usr/share/doc/libpng-dev/examples/pngtest.png"}) {
    if (!fs::is_regular_file(path)) continue;
    Bytes bytes = testing::readFile(path);
    MemoryStream stream{std::span<const std::uint8_t>(bytes)};
    Bitmap b = loadPicture(path, stream);
    EXPECT_GT(b.width(), 0) << path;
    ++decoded;
  }
  if (decoded == 0) GTEST_SKIP() << "no picture files from other programs on this machine";
}

}  // namespace
}  // namespace velorina
