#pragma once
// The inflated payload of a built-in font: the glyphs of codes 33..126 in code
// order, each a triangle list of points (int16 x, int16 y, little-endian), and
// where each glyph starts.

#include <cstdint>
#include <span>
#include <vector>

#include "geometry/Point2.h"

namespace velorina::fontgen {

struct PayloadEntry {
  std::uint32_t offset = 0;  // bytes
  std::uint32_t count = 0;   // points
};

class FontPayload {
 public:
  // Appends the next glyph's triangle corners (whole units). Throws
  // std::runtime_error when a corner does not fit 16 bits.
  void appendGlyph(std::span<const Point2> corners);

  const std::vector<std::uint8_t>& bytes() const noexcept { return bytes_; }
  const std::vector<PayloadEntry>& entries() const noexcept { return entries_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<PayloadEntry> entries_;
};

}  // namespace velorina::fontgen
