#include "tools/fontgen/FontPayload.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "archive/LittleEndian.h"

namespace velorina::fontgen {

namespace {

std::int16_t toInt16(double v) {
  if (!(v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max())) {
    throw std::runtime_error("glyph coordinate " + std::to_string(v) + " does not fit 16 bits");
  }
  return static_cast<std::int16_t>(std::lround(v));
}

}  // namespace

void FontPayload::appendGlyph(std::span<const Point2> corners) {
  if (corners.size() % 3 != 0) throw std::runtime_error("a glyph's points must form whole triangles");
  entries_.push_back({static_cast<std::uint32_t>(bytes_.size()), static_cast<std::uint32_t>(corners.size())});
  const std::size_t start = bytes_.size();
  bytes_.resize(start + corners.size() * 4);
  std::uint8_t* p = bytes_.data() + start;
  for (const Point2& c : corners) {
    storeLE<std::int16_t>(p, toInt16(c.x));
    storeLE<std::int16_t>(p + 2, toInt16(c.y));
    p += 4;
  }
}

}  // namespace velorina::fontgen
