#pragma once
// Small pictures made in code for the imaging tests.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

#include "imaging/Bitmap.h"

namespace velorina {
// Keeps failure messages short: size and format only.
inline void PrintTo(const Bitmap& b, std::ostream* os) {
  *os << b.width() << "x" << b.height() << " " << b.bitsPerPixel() << "bpp";
}
}  // namespace velorina

namespace velorina::testing {

// An indexed picture whose pixel (x, y) is (x * 7 + y * 3) mod 2^bits, with a
// palette of distinct colours.
inline Bitmap indexedPattern(int width, int height, PixelFormat format) {
  Bitmap b(width, height, format);
  int count = 1 << bitsPerPixel(format);
  for (int i = 0; i < count; ++i)
    b.palette()[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                                static_cast<std::uint8_t>(i * 3), 0};
  b.setPaletteCount(count);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.setRawPixel(x, y, static_cast<std::uint32_t>((x * 7 + y * 3) % count));
  return b;
}

// A true-colour gradient with many distinct colours.
inline Bitmap colourGradient(int width, int height, PixelFormat format = PixelFormat::Bits24) {
  Bitmap b(width, height, format);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      b.setColour(x, y, 0xFF000000u | static_cast<std::uint32_t>((x * 255 / std::max(1, width - 1)) << 16 |
                                                                  (y * 255 / std::max(1, height - 1)) << 8 |
                                                                  ((x + y) * 5 & 0xFF)));
  return b;
}

inline std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The first of the candidate files that exists on this machine, or empty.
inline std::filesystem::path firstExisting(std::initializer_list<const char*> candidates) {
  for (const char* c : candidates)
    if (std::filesystem::is_regular_file(c)) return c;
  return {};
}

}  // namespace velorina::testing
