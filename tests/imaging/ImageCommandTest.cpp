#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "imaging/BmpCodec.h"
#include "tools/Commands.h"
#include "TestPictures.h"

namespace velorina {
namespace {

namespace fs = std::filesystem;

class ImageCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("velorina-image-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

void writeFile(const std::string& path, const ByteBuffer& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

TEST_F(ImageCommand, EightBitPicturesRoundTripExactlyThroughTheOwnFormats) {
  Bitmap src = testing::indexedPattern(33, 17, PixelFormat::Bits8);
  writeFile(path("in.bmp"), writeBmp(src));
  EXPECT_EQ(tools::runImageCommand({"convert", path("in.bmp"), path("a.bmz"), "--level", "max"}), 0);
  EXPECT_EQ(tools::runImageCommand({"convert", path("a.bmz"), path("b.wz1")}), 0);
  EXPECT_EQ(tools::runImageCommand({"convert", path("b.wz1"), path("c.png")}), 0);
  EXPECT_EQ(tools::runImageCommand({"convert", path("c.png"), path("d.bmp")}), 0);
  auto bytes = testing::readFile(path("d.bmp"));
  Bitmap back = readBmp(bytes, "d.bmp");
  // WZ1 always stores 256 palette entries; the pixels and used colours are unchanged.
  EXPECT_EQ(back.toARGB32(), src.toARGB32());
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x) ASSERT_EQ(back.rawPixel(x, y), src.rawPixel(x, y));

  ::testing::internal::CaptureStdout();
  EXPECT_EQ(tools::runImageCommand({"info", path("b.wz1")}), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "33x17 8 WZ1 (WZ1-Format)\n");
}

TEST_F(ImageCommand, FailuresPrintOneLineNamingTheFile) {
  writeFile(path("bad.wz2"), ByteBuffer(10, 1));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(tools::runImageCommand({"convert", path("bad.wz2"), path("out.bmp")}), 1);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find(path("bad.wz2")), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  EXPECT_FALSE(fs::exists(path("out.bmp")));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(tools::runImageCommand({"info", path("none.xyz")}), 1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Άγνωστος τύπος εικόνας"), std::string::npos);
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(tools::runImageCommand({"--help"}), 0);
  EXPECT_NE(::testing::internal::GetCapturedStdout().find("convert"), std::string::npos);
}

}  // namespace
}  // namespace velorina
