#include "geometry/PolygonMeasure.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velorina {

double signedArea(std::span<const Point2> contour) noexcept {
  double twice = 0;
  for (std::size_t i = 0, n = contour.size(); i < n; ++i) {
    const Point2& a = contour[i];
    const Point2& b = contour[(i + 1) % n];
    twice += a.x * b.y - b.x * a.y;
  }
  return twice / 2;
}

double trianglesArea(std::span<const Point2> corners) noexcept {
  double sum = 0;
  for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
    const Point2& a = corners[i];
    const Point2& b = corners[i + 1];
    const Point2& c = corners[i + 2];
    sum += std::abs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
  }
  return sum;
}

bool insideOddWinding(Point2 p, std::span<const std::vector<Point2>> contours) noexcept {
  bool inside = false;
  for (const auto& contour : contours) {
    for (std::size_t i = 0, n = contour.size(); i < n; ++i) {
      const Point2& a = contour[i];
      const Point2& b = contour[(i + 1) % n];
      // Half-open in y, so a ray through a corner counts it once.
      if ((a.y > p.y) != (b.y > p.y)) {
        const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
        if (x > p.x) inside = !inside;
      }
    }
  }
  return inside;
}

double distanceToSegment(Point2 p, Point2 a, Point2 b) noexcept {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double distanceToContours(Point2 p, std::span<const std::vector<Point2>> contours) noexcept {
  double best = std::numeric_limits<double>::infinity();
  for (const auto& contour : contours) {
    for (std::size_t i = 0, n = contour.size(); i < n; ++i) {
      best = std::min(best, distanceToSegment(p, contour[i], contour[(i + 1) % n]));
    }
  }
  return best;
}

}  // namespace velorina
