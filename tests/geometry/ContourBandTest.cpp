#include "geometry/ContourBand.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "geometry/PolygonMeasure.h"

namespace velorina {
namespace {

using Contours = std::vector<std::vector<Point2>>;

std::vector<Point2> square(double x, double y, double side, bool counterClockwise) {
  std::vector<Point2> s{{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
  if (!counterClockwise) std::reverse(s.begin(), s.end());
  return s;
}

// Every band triangle lies in the region (its centroid inside) and near the
// contour (every corner within the mitre limit, the centroid within the width).
void expectInsideAndNarrow(const Contours& c, const std::vector<Point2>& band, double width) {
  ASSERT_EQ(band.size() % 3, 0u);
  ASSERT_FALSE(band.empty());
  for (std::size_t i = 0; i < band.size(); i += 3) {
    const Point2 centroid{(band[i].x + band[i + 1].x + band[i + 2].x) / 3,
                          (band[i].y + band[i + 1].y + band[i + 2].y) / 3};
    EXPECT_TRUE(insideOddWinding(centroid, c)) << "triangle " << i / 3;
    EXPECT_LE(distanceToContours(centroid, c), width + 1e-9) << "triangle " << i / 3;
    for (int k = 0; k < 3; ++k) EXPECT_LE(distanceToContours(band[i + k], c), kBandMiterLimit * width + 1e-9);
  }
}

TEST(ContourBand, RunsInsideTheRegionWhicheverWayTheContoursTurn) {
  for (bool ccw : {true, false}) {
    const Contours c{square(0, 0, 100, ccw)};
    const auto band = bandInsideContours(c, 10);
    expectInsideAndNarrow(c, band, 10);
    EXPECT_NEAR(trianglesArea(band), 100 * 100 - 80 * 80, 1e-6);
  }
  // Around a hole the band lies in the material, outside the hole.
  const Contours withHole{square(0, 0, 100, false), square(30, 30, 40, false)};
  const auto band = bandInsideContours(withHole, 10);
  expectInsideAndNarrow(withHole, band, 10);
  EXPECT_NEAR(trianglesArea(band), (100 * 100 - 80 * 80) + (60 * 60 - 40 * 40), 1e-6);
}

TEST(ContourBand, SharpCornersStayWithinTheMitreLimit) {
  // A long thin wedge: its tip angle is about 11 degrees.
  const Contours wedge{{{0, 0}, {400, 40}, {400, -40}}};
  const auto band = bandInsideContours(wedge, 10);
  expectInsideAndNarrow(wedge, band, 10);
  EXPECT_LT(trianglesArea(band), std::abs(signedArea(wedge[0])));
  // A slit cut into a square and its mirror, a spike: the contour turns straight back.
  const Contours slit{{{0, 0}, {100, 0}, {100, 50}, {60, 50}, {100, 50}, {100, 100}, {0, 100}}};
  for (std::size_t i = 0; i < 1; ++i) {
    const auto b = bandInsideContours(slit, 10);
    ASSERT_EQ(b.size() % 3, 0u);
    for (const Point2& p : b) EXPECT_LE(distanceToContours(p, slit), kBandMiterLimit * 10 + 1e-9);
  }
}

TEST(ContourBand, DegenerateContoursGiveNothing) {
  EXPECT_TRUE(bandInsideContours(Contours{{{1, 1}, {2, 2}}, {{3, 3}, {3, 3}, {3, 3}}}, 5).empty());
  EXPECT_TRUE(bandInsideContours(Contours{}, 5).empty());
}

}  // namespace
}  // namespace velorina
