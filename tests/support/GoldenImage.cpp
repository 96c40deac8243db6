#include "support/GoldenImage.h"

#include <algorithm>
#include <png.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/display/PngWriter.h"

namespace velorina::testing {

namespace {

std::string goldenPath(const std::string& folder, const std::string& name) {
  return std::string(VELORINA_TEST_DATA_DIR) + "/" + folder + "/" + name + ".png";
}

bool regenerating() {
  const char* v = std::getenv("VELORINA_REGENERATE_GOLDEN");
  return v != nullptr && std::string_view(v) == "1";
}

// Reads a PNG as 0xFFRRGGBB texels; false when it cannot be read.
bool readPng(const std::string& path, std::uint32_t& width, std::uint32_t& height, std::vector<std::uint32_t>& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  width = image.width;
  height = image.height;
  out.resize(std::size_t(width) * height);
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = 0xFF000000u | (std::uint32_t(rgb[i * 3]) << 16) | (std::uint32_t(rgb[i * 3 + 1]) << 8) | rgb[i * 3 + 2];
  }
  return true;
}

}  // namespace

::testing::AssertionResult matchesGolden(const std::string& name, std::uint32_t width, std::uint32_t height,
                                         std::span<const std::uint32_t> argb, int tolerance) {
  return matchesGoldenIn("platform/render/golden", name, width, height, argb, tolerance);
}

::testing::AssertionResult mostlyMatchesGolden(const std::string& name, const std::string& device, std::uint32_t width,
                                               std::uint32_t height, std::span<const std::uint32_t> argb,
                                               int tolerance, double fraction) {
  const std::string path = goldenPath("platform/render/golden", name);
  const std::string actual = std::string(VELORINA_BINARY_DIR) + "/" + name + "." + device + ".png";
  writePng(actual, width, height, argb);
  std::uint32_t gw = 0, gh = 0;
  std::vector<std::uint32_t> golden;
  if (!readPng(path, gw, gh, golden)) return ::testing::AssertionFailure() << "cannot read " << path;
  if (gw != width || gh != height) {
    return ::testing::AssertionFailure() << path << " is " << gw << " x " << gh << ", picture is " << width << " x "
                                         << height;
  }
  std::size_t bad = 0;
  int worst = 0;
  for (std::size_t i = 0; i < golden.size(); ++i) {
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8)
      d = std::max(d, std::abs(int((argb[i] >> shift) & 0xFF) - int((golden[i] >> shift) & 0xFF)));
    if (d > tolerance) ++bad;
    worst = std::max(worst, d);
  }
  const double within = 1.0 - double(bad) / double(golden.size());
  if (within >= fraction) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << bad << " of " << golden.size() << " pixels of " << name << " differ by more than "
                                       << tolerance << " (worst " << worst << "); picture saved as " << actual;
}

::testing::AssertionResult matchesGoldenIn(const std::string& folder, const std::string& name, std::uint32_t width,
                                           std::uint32_t height, std::span<const std::uint32_t> argb,
                                           int tolerance) {
  const std::string path = goldenPath(folder, name);
  if (regenerating()) {
    writePng(path, width, height, argb);
    return ::testing::AssertionSuccess() << "regenerated " << path;
  }
  std::uint32_t gw = 0, gh = 0;
  std::vector<std::uint32_t> golden;
  if (!readPng(path, gw, gh, golden)) {
    return ::testing::AssertionFailure() << "cannot read " << path
                                         << " (run with VELORINA_REGENERATE_GOLDEN=1 to create it)";
  }
  if (gw != width || gh != height) {
    return ::testing::AssertionFailure() << path << " is " << gw << " x " << gh << ", picture is " << width << " x "
                                         << height;
  }
  int worst = 0;
  std::size_t bad = 0, firstBad = 0;
  for (std::size_t i = 0; i < golden.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int d = std::abs(int((argb[i] >> shift) & 0xFF) - int((golden[i] >> shift) & 0xFF));
      if (d > tolerance) {
        if (bad == 0) firstBad = i;
        ++bad;
        if (d > worst) worst = d;
        break;
      }
    }
  }
  if (bad == 0) return ::testing::AssertionSuccess();
  // Keep the differing picture next to the build for inspection.
  const std::string actual = std::string(VELORINA_BINARY_DIR) + "/" + name + ".actual.png";
  writePng(actual, width, height, argb);
  return ::testing::AssertionFailure() << bad << " pixels of " << name << " differ (worst " << worst
                                       << ", first at x " << firstBad % width << " y " << firstBad / width
                                       << "); picture saved as " << actual;
}

}  // namespace velorina::testing
