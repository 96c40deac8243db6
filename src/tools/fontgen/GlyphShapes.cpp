#include "tools/fontgen/GlyphShapes.h"

#include <cmath>

#include "geometry/ContourBand.h"
#include "geometry/Triangulator.h"

namespace velorina::fontgen {

namespace {

Point2 rounded(Point2 p) { return {std::round(p.x), std::round(p.y)}; }

}  // namespace

Contours roundedContours(const Contours& contours) {
  Contours out;
  for (const auto& contour : contours) {
    std::vector<Point2> c;
    for (const Point2& p : contour) {
      const Point2 r = rounded(p);
      if (c.empty() || !(c.back() == r)) c.push_back(r);
    }
    while (c.size() > 1 && c.front() == c.back()) c.pop_back();
    if (c.size() >= 3) out.push_back(std::move(c));
  }
  return out;
}

std::vector<Point2> filledTriangles(const Contours& rounded) { return roundedTriangles(triangulateOddWinding(rounded)); }

std::vector<Point2> outlineTriangles(const Contours& rounded) {
  return roundedTriangles(bandInsideContours(rounded, kOutlineWidth));
}

std::vector<Point2> roundedTriangles(std::span<const Point2> corners) {
  std::vector<Point2> out;
  out.reserve(corners.size());
  for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
    const Point2 a = rounded(corners[i]), b = rounded(corners[i + 1]), c = rounded(corners[i + 2]);
    const double z = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (z == 0) continue;
    out.push_back(a);
    out.push_back(z > 0 ? b : c);
    out.push_back(z > 0 ? c : b);
  }
  return out;
}

}  // namespace velorina::fontgen
