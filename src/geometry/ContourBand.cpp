#include "geometry/ContourBand.h"

#include <algorithm>
#include <cmath>

#include "geometry/PolygonMeasure.h"

namespace velorina {

namespace {

Point2 operator+(Point2 a, Point2 b) { return {a.x + b.x, a.y + b.y}; }
Point2 operator-(Point2 a, Point2 b) { return {a.x - b.x, a.y - b.y}; }
Point2 operator*(Point2 a, double k) { return {a.x * k, a.y * k}; }

// The unit normal on the left of a → b.
Point2 leftNormal(Point2 a, Point2 b) {
  const Point2 d = b - a;
  const double length = std::hypot(d.x, d.y);
  return {-d.y / length, d.x / length};
}

std::vector<Point2> distinctCorners(const std::vector<Point2>& contour) {
  std::vector<Point2> out;
  for (const Point2& p : contour) {
    if (out.empty() || !(out.back() == p)) out.push_back(p);
  }
  while (out.size() > 1 && out.front() == out.back()) out.pop_back();
  return out;
}

// +1 when the region lies on the left of the contour's direction, -1 when on the
// right: probed just beside the middle of its longest edge.
double insideSide(const std::vector<Point2>& contour, std::span<const std::vector<Point2>> all) {
  std::size_t longest = 0;
  double best = -1;
  for (std::size_t i = 0, n = contour.size(); i < n; ++i) {
    const Point2 d = contour[(i + 1) % n] - contour[i];
    const double length = std::hypot(d.x, d.y);
    if (length > best) best = length, longest = i;
  }
  const Point2 a = contour[longest];
  const Point2 b = contour[(longest + 1) % contour.size()];
  const Point2 probe = (a + b) * 0.5 + leftNormal(a, b) * (best * 1e-4);
  return insideOddWinding(probe, all) ? 1.0 : -1.0;
}

void addTriangle(std::vector<Point2>& out, Point2 a, Point2 b, Point2 c) {
  const double z = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  if (z == 0.0 || !std::isfinite(z)) return;
  out.push_back(a);
  out.push_back(z > 0 ? b : c);
  out.push_back(z > 0 ? c : b);
}

// Where the band's inner edge passes corner p: on the bisector of the two inner
// normals, at the mitre (2w/|m| from the corner) or, for a corner so sharp that
// the mitre would reach further, at kBandMiterLimit × w.
Point2 innerCorner(Point2 p, Point2 incomingDirection, Point2 outgoingDirection, Point2 incomingNormal,
                   Point2 outgoingNormal, double width) {
  Point2 m = incomingNormal + outgoingNormal;
  double length = std::hypot(m.x, m.y);
  if (length < 1e-9) {
    // The contour turns straight back (a spike or a slit): go back along it.
    m = outgoingDirection - incomingDirection;
    length = std::hypot(m.x, m.y);
    return p + m * (kBandMiterLimit * width / length);
  }
  const double reach = std::min(2 / length, kBandMiterLimit) * width;
  return p + m * (reach / length);
}

Point2 unit(Point2 a, Point2 b) {
  const Point2 d = b - a;
  return d * (1 / std::hypot(d.x, d.y));
}

void addBand(std::vector<Point2>& out, const std::vector<Point2>& c, double side, double width) {
  const std::size_t n = c.size();
  std::vector<Point2> directions(n), normals(n);
  for (std::size_t i = 0; i < n; ++i) {
    directions[i] = unit(c[i], c[(i + 1) % n]);
    normals[i] = leftNormal(c[i], c[(i + 1) % n]) * side;
  }
  std::vector<Point2> inner(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t before = (i + n - 1) % n;
    inner[i] = innerCorner(c[i], directions[before], directions[i], normals[before], normals[i], width);
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    addTriangle(out, c[i], c[j], inner[j]);
    addTriangle(out, c[i], inner[j], inner[i]);
  }
}

}  // namespace

std::vector<Point2> bandInsideContours(std::span<const std::vector<Point2>> contours, double width) {
  std::vector<std::vector<Point2>> cleaned;
  for (const auto& contour : contours) {
    auto c = distinctCorners(contour);
    if (c.size() >= 3) cleaned.push_back(std::move(c));
  }
  std::vector<Point2> out;
  for (const auto& c : cleaned) addBand(out, c, insideSide(c, cleaned), width);
  return out;
}

}  // namespace velorina
