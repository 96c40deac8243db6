#include "imaging/PeBitmapResources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "archive/LittleEndian.h"
#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "TestPictures.h"
#include "support/PeModuleBuilder.h"

namespace velorina {
namespace {

using Bytes = test::Bytes;
using test::makeModule;
using test::packedDib;
using namespace test::pe;

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
