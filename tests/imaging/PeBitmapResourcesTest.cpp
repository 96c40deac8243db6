#include "imaging/PeBitmapResources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "archive/LittleEndian.h"
#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "TestPictures.h"

namespace velorina {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kSectionRva = 0x1000, kSectionOffset = 0x200;

void put16(Bytes& b, std::size_t at, std::uint16_t v) { storeLE(b.data() + at, v); }
void put32(Bytes& b, std::size_t at, std::uint32_t v) { storeLE(b.data() + at, v); }

// A directory header at `at` with `named` named and `ids` identifier entries.
void directory(Bytes& s, std::size_t at, int named, int ids) {
  put16(s, at + 12, static_cast<std::uint16_t>(named));
  put16(s, at + 14, static_cast<std::uint16_t>(ids));
}
void entry(Bytes& s, std::size_t at, std::uint32_t name, std::uint32_t target) {
  put32(s, at, name);
  put32(s, at + 4, target);
}

// A PE32 module with one resource section holding two bitmaps: identifier 7 and
// the name "LOGO".
Bytes makeModule(const Bytes& dib7, const Bytes& dibLogo) {
  Bytes rsrc(0x200, 0);
  directory(rsrc, 0x00, 0, 1);  // root: type RT_BITMAP
  entry(rsrc, 0x10, 2, 0x80000000u | 0x18);
  directory(rsrc, 0x18, 1, 1);  // names: "LOGO", 7
  entry(rsrc, 0x28, 0x80000000u | 0x100, 0x80000000u | 0x40);
  entry(rsrc, 0x30, 7, 0x80000000u | 0x58);
  directory(rsrc, 0x40, 0, 1);  // languages
  entry(rsrc, 0x50, 0x409, 0x70);
  directory(rsrc, 0x58, 0, 1);
  entry(rsrc, 0x68, 0x409, 0x80);
  put32(rsrc, 0x70, kSectionRva + 0x200);  // data entries: address, size
  put32(rsrc, 0x74, static_cast<std::uint32_t>(dibLogo.size()));
  put32(rsrc, 0x80, kSectionRva + 0x200 + static_cast<std::uint32_t>(dibLogo.size()));
  put32(rsrc, 0x84, static_cast<std::uint32_t>(dib7.size()));
  const char16_t logo[] = u"Logo";
  put16(rsrc, 0x100, 4);
  for (int i = 0; i < 4; ++i) put16(rsrc, 0x102 + 2 * static_cast<std::size_t>(i), static_cast<std::uint16_t>(logo[i]));
  rsrc.insert(rsrc.end(), dibLogo.begin(), dibLogo.end());
  rsrc.insert(rsrc.end(), dib7.begin(), dib7.end());

  Bytes pe(kSectionOffset + rsrc.size(), 0);
  pe[0] = 'M', pe[1] = 'Z';
  put32(pe, 0x3C, 0x40);
  put32(pe, 0x40, 0x4550);
  put16(pe, 0x46, 1);      // one section
  put16(pe, 0x54, 224);    // optional header size
  put16(pe, 0x58, 0x10B);  // PE32
  put32(pe, 0x58 + 92, 16);
  put32(pe, 0x58 + 96 + 16, kSectionRva);
  put32(pe, 0x58 + 96 + 20, 0x200);
  std::size_t section = 0x58 + 224;
  put32(pe, section + 8, static_cast<std::uint32_t>(rsrc.size()));
  put32(pe, section + 12, kSectionRva);
  put32(pe, section + 16, static_cast<std::uint32_t>(rsrc.size()));
  put32(pe, section + 20, kSectionOffset);
  std::copy(rsrc.begin(), rsrc.end(), pe.begin() + kSectionOffset);
  return pe;
}

Bytes packedDib(const Bitmap& b) {
  ByteBuffer file = writeBmp(b);
  return Bytes(file.begin() + kBmpFileHeaderSize, file.end());
}

TEST(PeBitmapResources, FindsBitmapsByIdentifierAndByName) {
  Bitmap seven = testing::indexedPattern(5, 3, PixelFormat::Bits4);
  Bitmap logo = testing::colourGradient(4, 4);
  Bytes module = makeModule(packedDib(seven), packedDib(logo));
  EXPECT_EQ(readModuleBitmap(module, "7", "t.dll"), seven);
  EXPECT_EQ(readModuleBitmap(module, "#7", "t.dll"), seven);
  EXPECT_EQ(readModuleBitmap(module, "logo", "t.dll"), logo);
  EXPECT_THROW(readModuleBitmap(module, "8", "t.dll"), EResNotFound);
  EXPECT_THROW(readModuleBitmap(module, "7.5", "t.dll"), EResNotFound);

  auto dir = std::filesystem::temp_directory_path() / ("velorina-pe-" + std::to_string(module.size()));
  std::filesystem::create_directories(dir);
  std::ofstream((dir / "tex.dll").string(), std::ios::binary)
      .write(reinterpret_cast<const char*>(module.data()), static_cast<std::streamsize>(module.size()));
  EXPECT_EQ(LoadLibraryBitmap((dir / "tex").string(), "LOGO"), logo);  // ".dll" added as Windows does
  std::filesystem::remove_all(dir);
}

TEST(PeBitmapResources, DamagedTablesAreRefused) {
  Bytes module = makeModule(packedDib(testing::indexedPattern(5, 3, PixelFormat::Bits8)), packedDib(testing::colourGradient(2, 2)));
  auto refused = [](Bytes m) { EXPECT_THROW(readModuleBitmap(m, "7", "bad.dll"), EInvalidGraphic); };
  refused(Bytes(module.begin(), module.begin() + 0x100));  // section table cut off
  Bytes lfanew = module;
  put32(lfanew, 0x3C, 0xFFFFFFF0u);
  refused(lfanew);
  Bytes entries = module;
  put16(entries, kSectionOffset + 0x18 + 14, 0xFFFF);  // more entries than the section holds
  refused(entries);
  Bytes data = module;
  put32(data, kSectionOffset + 0x84, 0x7FFFFFFF);  // resource size beyond the file
  refused(data);
  Bytes sections = module;
  put16(sections, 0x46, 0xFFFF);
  refused(sections);
  Bytes notPe = module;
  notPe[0] = 'X';
  refused(notPe);
}

}  // namespace
}  // namespace velorina
