// Random contours (small integer corners, so crossings, touching corners, repeats
// and stray edges are frequent) through the triangulator. Beyond not crashing, the
// triangles must cover exactly the odd-winding region: sample points away from
// every edge lie in one triangle when inside and in none outside.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "geometry/PolygonMeasure.h"
#include "geometry/Triangulator.h"

namespace {

using velorina::Point2;

std::vector<std::vector<Point2>> contoursFrom(const std::uint8_t* data, std::size_t size) {
  std::vector<std::vector<Point2>> contours;
  std::size_t i = 0;
  while (i < size && contours.size() < 6) {
    const std::size_t count = data[i++] % 24;
    std::vector<Point2> c;
    for (std::size_t k = 0; k < count && i + 1 < size; ++k, i += 2) {
      c.push_back({double(std::int8_t(data[i]) % 32), double(std::int8_t(data[i + 1]) % 32)});
    }
    contours.push_back(std::move(c));
  }
  return contours;
}

bool insideTriangle(Point2 p, Point2 a, Point2 b, Point2 c) {
  auto side = [&](Point2 u, Point2 v) { return (v.x - u.x) * (p.y - u.y) - (v.y - u.y) * (p.x - u.x); };
  const double d1 = side(a, b), d2 = side(b, c), d3 = side(c, a);
  return (d1 > 0 && d2 > 0 && d3 > 0) || (d1 < 0 && d2 < 0 && d3 < 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto contours = contoursFrom(data, size);
  const std::vector<Point2> tris = velorina::triangulateOddWinding(contours);
  if (tris.size() % 3 != 0) std::abort();
  for (int gy = 0; gy < 24; ++gy) {
    for (int gx = 0; gx < 24; ++gx) {
      const Point2 p{-32 + (gx + 0.3183099) * 64 / 24, -32 + (gy + 0.6180340) * 64 / 24};
      if (velorina::distanceToContours(p, contours) < 1e-3) continue;
      int covering = 0;
      for (std::size_t i = 0; i < tris.size(); i += 3) covering += insideTriangle(p, tris[i], tris[i + 1], tris[i + 2]);
      if (covering != (velorina::insideOddWinding(p, contours) ? 1 : 0)) std::abort();
    }
  }
  return 0;
}
