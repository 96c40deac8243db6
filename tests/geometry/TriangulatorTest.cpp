#include "geometry/Triangulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "geometry/PolygonMeasure.h"

namespace velorina {
namespace {

using Contours = std::vector<std::vector<Point2>>;

bool insideTriangle(Point2 p, Point2 a, Point2 b, Point2 c) {
  auto side = [&](Point2 u, Point2 v) { return (v.x - u.x) * (p.y - u.y) - (v.y - u.y) * (p.x - u.x); };
  const double d1 = side(a, b), d2 = side(b, c), d3 = side(c, a);
  return (d1 > 0 && d2 > 0 && d3 > 0) || (d1 < 0 && d2 < 0 && d3 < 0);
}

// The triangles cover exactly the odd-winding region: their area is `area`, every
// centroid lies inside, and each point of a grid (placed off any lattice an edge
// could follow) lies in one triangle when inside the region and in none outside.
void expectCovers(const Contours& contours, double area, const std::vector<Point2>& tris) {
  ASSERT_EQ(tris.size() % 3, 0u);
  EXPECT_NEAR(trianglesArea(tris), area, 1e-6 * std::max(1.0, area));
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
  for (const auto& c : contours) {
    for (const Point2& p : c) {
      minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
  }
  for (std::size_t i = 0; i < tris.size(); i += 3) {
    const Point2 centroid{(tris[i].x + tris[i + 1].x + tris[i + 2].x) / 3,
                          (tris[i].y + tris[i + 1].y + tris[i + 2].y) / 3};
    EXPECT_TRUE(insideOddWinding(centroid, contours)) << "triangle " << i / 3 << " lies outside";
    const double z = (tris[i + 1].x - tris[i].x) * (tris[i + 2].y - tris[i].y) -
                     (tris[i + 1].y - tris[i].y) * (tris[i + 2].x - tris[i].x);
    EXPECT_GT(z, 0) << "triangle " << i / 3 << " is not counter-clockwise";
  }
  constexpr int kGrid = 37;
  int wrong = 0;
  for (int gy = 0; gy < kGrid; ++gy) {
    for (int gx = 0; gx < kGrid; ++gx) {
      const Point2 p{minX + (maxX - minX) * (gx + 0.1234567) / kGrid, minY + (maxY - minY) * (gy + 0.3141593) / kGrid};
      int covering = 0;
      for (std::size_t i = 0; i < tris.size(); i += 3) covering += insideTriangle(p, tris[i], tris[i + 1], tris[i + 2]);
      wrong += covering != (insideOddWinding(p, contours) ? 1 : 0);
    }
  }
  EXPECT_EQ(wrong, 0) << "grid points covered wrongly (gaps or overlaps)";
}

std::vector<Point2> square(double x, double y, double side, bool counterClockwise = true) {
  std::vector<Point2> s{{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
  if (!counterClockwise) std::reverse(s.begin(), s.end());
  return s;
}

TEST(Triangulator, SquaresWithHolesOfEitherTurnKeepTheHolesOpen) {
  const Contours c{square(0, 0, 10), square(1, 1, 3, false), square(5, 5, 4, true)};
  const auto tris = triangulateOddWinding(c);
  expectCovers(c, 100 - 9 - 16, tris);
  // A hole inside a hole fills again.
  const Contours nested{square(0, 0, 10), square(2, 2, 6, false), square(4, 4, 2)};
  expectCovers(nested, 100 - 36 + 4, triangulateOddWinding(nested));
}

TEST(Triangulator, DisjointPartsAndOverlappingContours) {
  const Contours parts{square(0, 0, 2), square(10, 10, 3, false)};
  expectCovers(parts, 4 + 9, triangulateOddWinding(parts));
  // Two squares overlapping by a 2 × 2 corner: the shared part is inside both, so it stays empty.
  const Contours overlap{square(0, 0, 4), square(2, 2, 4)};
  expectCovers(overlap, 16 + 16 - 2 * 4, triangulateOddWinding(overlap));
}

TEST(Triangulator, CrossingEdgesGetNewCorners) {
  const Contours bowTie{{{0, 0}, {10, 10}, {10, 0}, {0, 10}}};
  expectCovers(bowTie, 50, triangulateOddWinding(bowTie));
  // A pentagram: the odd rule leaves its centre pentagon empty.
  std::vector<Point2> star;
  for (int i = 0; i < 5; ++i) {
    const double a = std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
    star.push_back({100 * std::cos(a), 100 * std::sin(a)});
  }
  const Contours pentagram{star};
  const auto tris = triangulateOddWinding(pentagram);
  const double R = 100, r = R * std::sin(std::numbers::pi / 10) / std::sin(7 * std::numbers::pi / 10);
  const double tipArea = 5 * R * r * std::sin(std::numbers::pi / 5) - 5.0 / 2 * r * r * std::sin(2 * std::numbers::pi / 5);
  expectCovers(pentagram, tipArea, tris);
}

TEST(Triangulator, SelfTouchingOutlinesAndTouchingHoles) {
  // One contour through a corner it visits twice: two squares meeting at (2, 2).
  const Contours figureEight{{{0, 0}, {2, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}, {0, 2}}};
  expectCovers(figureEight, 8, triangulateOddWinding(figureEight));
  // A hole whose corner touches the outer contour's edge.
  const Contours touchingHole{square(0, 0, 10), {{0, 5}, {4, 3}, {4, 7}}};
  expectCovers(touchingHole, 100 - 8, triangulateOddWinding(touchingHole));
}

TEST(Triangulator, StrayEdgesRepeatsAndDegenerateContoursAddNothing) {
  // Out and back along a stray edge, outside and inside the square.
  const Contours outward{{{0, 0}, {10, 0}, {10, 5}, {14, 5}, {10, 5}, {10, 10}, {0, 10}}};
  expectCovers(outward, 100, triangulateOddWinding(outward));
  const Contours inward{{{0, 0}, {10, 0}, {10, 5}, {6, 5}, {10, 5}, {10, 10}, {0, 10}}};
  expectCovers(inward, 100, triangulateOddWinding(inward));
  const Contours repeats{{{0, 0}, {0, 0}, {10, 0}, {10, 10}, {10, 10}, {10, 10}, {0, 10}, {0, 0}}};
  expectCovers(repeats, 100, triangulateOddWinding(repeats));
  const Contours nothing{{}, {{1, 1}}, {{1, 1}, {2, 2}}, {{0, 0}, {1, 1}, {2, 2}}, {{3, 3}, {3, 3}, {3, 3}}};
  EXPECT_TRUE(triangulateOddWinding(nothing).empty());
  EXPECT_TRUE(triangulateOddWinding(Contours{}).empty());
  // A degenerate contour beside a real one changes nothing.
  const Contours mixed{square(0, 0, 3), {{5, 5}, {6, 6}, {7, 7}}};
  expectCovers(mixed, 9, triangulateOddWinding(mixed));
}

TEST(Triangulator, RandomStarPolygonsWithAndWithoutHoles) {
  std::mt19937 random(20240611);
  std::uniform_real_distribution<double> radius(20, 100);
  for (int round = 0; round < 40; ++round) {
    const int corners = 3 + round * 3;
    std::vector<Point2> star;
    double smallest = 1e300;
    for (int i = 0; i < corners; ++i) {
      const double a = 2 * std::numbers::pi * i / corners;
      const double r = radius(random);
      smallest = std::min(smallest, r);
      star.push_back({500 + r * std::cos(a), -300 + r * std::sin(a)});
    }
    Contours c{star};
    double area = std::abs(signedArea(star));
    if (round % 2 == 1) {
      // A hole well inside the kernel of the star.
      std::vector<Point2> hole;
      for (int i = 0; i < 7; ++i) {
        const double a = 2 * std::numbers::pi * i / 7;
        hole.push_back({500 + 0.4 * smallest * std::cos(a), -300 + 0.4 * smallest * std::sin(a)});
      }
      area -= std::abs(signedArea(hole));
      c.push_back(hole);
    }
    SCOPED_TRACE("round " + std::to_string(round));
    expectCovers(c, area, triangulateOddWinding(c));
  }
}

TEST(Triangulator, EdgesOverlappingAlongAStretchCancelInPairs) {
  // Two rooms sharing part of a wall: the shared stretch bounds nothing.
  const Contours rooms{square(0, 0, 4), square(4, 1, 2, false)};
  expectCovers(rooms, 16 + 4, triangulateOddWinding(rooms));
  // Three edges over one stretch: it still bounds the region once.
  const Contours thrice{square(0, 0, 4), {{0, 0}, {4, 0}, {2, -3}}, {{1, 0}, {3, 0}, {2, 5}}};
  const auto tris = triangulateOddWinding(thrice);
  expectCovers(thrice, trianglesArea(tris), tris);
  // Found by fuzzing: a crossed outline with a second one whose edge runs along its
  // diagonal and ends on it; the sliver beside the shared stretch went missing.
  const Contours crossed{{{0, 0}, {20, 20}, {-10, 4}, {10, 0}}, {{10, 10}, {-17, 18}, {0, -1}, {-1, -1}}};
  const auto crossedTris = triangulateOddWinding(crossed);
  expectCovers(crossed, trianglesArea(crossedTris), crossedTris);
}

TEST(Triangulator, RefusesCoordinatesItCannotHandle) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_THROW(triangulateOddWinding(Contours{{{0, 0}, {nan, 1}, {1, 1}}}), std::invalid_argument);
  EXPECT_THROW(triangulateOddWinding(Contours{{{0, 0}, {1, inf}, {1, 1}}}), std::invalid_argument);
  EXPECT_THROW(triangulateOddWinding(Contours{{{0, 0}, {1e13, 0}, {1, 1}}}), std::invalid_argument);
}

}  // namespace
}  // namespace velorina
