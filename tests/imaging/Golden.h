#pragma once
// Golden-image comparison: a drawn bitmap against a reference PNG under
// tests/imaging/golden. With VELORINA_REGENERATE_GOLDEN=1 the reference is
// rewritten from the bitmap instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "imaging/Bitmap.h"
#include "imaging/PngCodec.h"
#include "TestPictures.h"

namespace velorina::testing {

// Pixels may differ by up to `channelTolerance` per channel; at most `maxOffPixels`
// may differ by more.
inline void expectMatchesGolden(const Bitmap& drawn, const std::string& name, int channelTolerance = 2,
                                int maxOffPixels = 0) {
  const std::filesystem::path path = std::filesystem::path(VELORINA_TEST_DATA_DIR) / "imaging" / "golden" / (name + ".png");
  const char* regenerate = std::getenv("VELORINA_REGENERATE_GOLDEN");
  if (regenerate && std::string(regenerate) == "1") {
    ByteBuffer png = encodePng(drawn);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(path)) << path << " missing; run with VELORINA_REGENERATE_GOLDEN=1";
  auto bytes = readFile(path);
  Bitmap reference = decodePng(bytes, path.string());
  ASSERT_EQ(reference.width(), drawn.width());
  ASSERT_EQ(reference.height(), drawn.height());
  auto a = drawn.toARGB32(), b = reference.toARGB32();
  int off = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    for (int shift : {0, 8, 16})
      if (std::abs(int(a[i] >> shift & 255) - int(b[i] >> shift & 255)) > channelTolerance) {
        ++off;
        break;
      }
  EXPECT_LE(off, maxOffPixels) << name << ": " << off << " pixels differ from the reference";
}

}  // namespace velorina::testing
