#include "geometry/OutlineFlattener.h"

#include <gtest/gtest.h>

#include "geometry/PolygonMeasure.h"

namespace velorina {
namespace {

TEST(OutlineFlattener, ConicsBecomeEqualParameterStepsOnTheCurve) {
  // |P0 - 2P1 + P2| = 200, so the chords leave the curve by 200 / (4 n²): this
  // tolerance calls for ceil(sqrt(35)) = 6 of them.
  OutlineFlattener f(200.0 / 140);
  // A parabolic segment closed by its base; the parabola's area is 2/3 of base × height.
  f.moveTo({0, 0});
  f.conicTo({50, 100}, {100, 0});
  f.lineTo({0, 0});
  const auto contours = f.finish();
  ASSERT_EQ(contours.size(), 1u);
  // The start, six chord ends, and no closing repeat of the start.
  ASSERT_EQ(contours[0].size(), 7u);
  EXPECT_DOUBLE_EQ(contours[0][3].x, 50);
  EXPECT_DOUBLE_EQ(contours[0][3].y, 50);
  // Chords at equal parameter steps leave exactly 1/n² of a parabola's area out.
  EXPECT_NEAR(std::abs(signedArea(contours[0])), 2.0 / 3 * 100 * 50 * (1 - 1.0 / 36), 1e-9);
}

// Every point of the curve lies within the tolerance of the chords.
TEST(OutlineFlattener, ChordsStayWithinTheTolerance) {
  for (double tolerance : {0.25, 0.5, 2.0}) {
    OutlineFlattener f(tolerance);
    const Point2 a{0, 0}, c1{-40, 300}, c2{400, 250}, b{300, 0};
    f.moveTo(a);
    f.cubicTo(c1, c2, b);
    f.conicTo({150, -200}, a);
    const auto contours = f.finish();
    ASSERT_EQ(contours.size(), 1u);
    double worst = 0;
    for (int i = 0; i <= 1000; ++i) {
      const double t = i / 1000.0, s = 1 - t;
      const Point2 cubic{s * s * s * a.x + 3 * s * s * t * c1.x + 3 * s * t * t * c2.x + t * t * t * b.x,
                         s * s * s * a.y + 3 * s * s * t * c1.y + 3 * s * t * t * c2.y + t * t * t * b.y};
      const Point2 conic{s * s * b.x + 2 * s * t * 150 + t * t * a.x, s * s * b.y + 2 * s * t * -200 + t * t * a.y};
      worst = std::max({worst, distanceToContours(cubic, contours), distanceToContours(conic, contours)});
    }
    EXPECT_LE(worst, tolerance) << "tolerance " << tolerance;
    EXPECT_GT(worst, tolerance / 8) << "more chords than the tolerance needs";
  }
}

TEST(OutlineFlattener, MoveToEndsContoursAndShortOnesAreDropped) {
  OutlineFlattener f;
  f.moveTo({5, 5});
  f.lineTo({6, 6});  // two points bound nothing
  f.moveTo({0, 0});
  f.lineTo({1, 0});
  f.lineTo({1, 1});
  f.lineTo({1, 1});
  f.lineTo({0, 0});
  f.moveTo({9, 9});
  f.conicTo({9, 9}, {9, 9});  // a curve without length adds nothing
  const auto contours = f.finish();
  ASSERT_EQ(contours.size(), 1u);
  EXPECT_EQ(contours[0].size(), 3u);
}

}  // namespace
}  // namespace velorina
