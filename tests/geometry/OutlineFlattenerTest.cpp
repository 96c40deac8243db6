#include "geometry/OutlineFlattener.h"

#include <gtest/gtest.h>

#include "geometry/PolygonMeasure.h"

namespace velorina {
namespace {

TEST(OutlineFlattener, CurvesBecomeAFixedNumberOfChordsOnTheCurve) {
  OutlineFlattener f;
  // A parabolic segment closed by its base; the parabola's area is 2/3 of base × height.
  f.moveTo({0, 0});
  f.conicTo({50, 100}, {100, 0});
  f.lineTo({0, 0});
  const auto contours = f.finish();
  ASSERT_EQ(contours.size(), 1u);
  // The start, six chord ends, and no closing repeat of the start.
  ASSERT_EQ(contours[0].size(), 1u + OutlineFlattener::kConicSteps);
  EXPECT_DOUBLE_EQ(contours[0][3].x, 50);
  EXPECT_DOUBLE_EQ(contours[0][3].y, 50);
  // Chords at equal parameter steps leave exactly 1/n² of a parabola's area out.
  const double n = OutlineFlattener::kConicSteps;
  EXPECT_NEAR(std::abs(signedArea(contours[0])), 2.0 / 3 * 100 * 50 * (1 - 1 / (n * n)), 1e-9);
}

TEST(OutlineFlattener, CubicsMoveToAndShortContours) {
  OutlineFlattener f;
  f.moveTo({0, 0});
  f.cubicTo({0, 100}, {100, 100}, {100, 0});
  f.moveTo({5, 5});  // ends the first contour
  f.lineTo({6, 6});  // two points bound nothing and are dropped
  f.moveTo({0, 0});
  f.lineTo({1, 0});
  f.lineTo({1, 1});
  f.lineTo({0, 0});
  const auto contours = f.finish();
  ASSERT_EQ(contours.size(), 2u);
  ASSERT_EQ(contours[0].size(), 1u + OutlineFlattener::kCubicSteps);
  // t = 1/2 of this cubic is (50, 75).
  EXPECT_DOUBLE_EQ(contours[0][OutlineFlattener::kCubicSteps / 2].x, 50);
  EXPECT_DOUBLE_EQ(contours[0][OutlineFlattener::kCubicSteps / 2].y, 75);
  EXPECT_EQ(contours[1].size(), 3u);
}

}  // namespace
}  // namespace velorina
