#pragma once
// Builds closed polyline contours from an outline of lines and Bézier curves (the
// move/line/conic/cubic steps a font rasteriser walks). Each curve becomes a fixed
// number of chords, so the same outline always gives the same points.

#include <vector>

#include "geometry/Point2.h"

namespace velorina {

class OutlineFlattener {
 public:
  static constexpr int kConicSteps = 6;
  static constexpr int kCubicSteps = 8;

  // Ends the current contour (if any) and starts one at `p`.
  void moveTo(Point2 p);
  void lineTo(Point2 p);
  // Quadratic Bézier from the current point through control `c` to `p`.
  void conicTo(Point2 c, Point2 p);
  // Cubic Bézier from the current point through controls `c1`, `c2` to `p`.
  void cubicTo(Point2 c1, Point2 c2, Point2 p);

  // The closed contours so far (a contour's last point joins its first; a closing
  // point equal to the first is left out).
  std::vector<std::vector<Point2>> finish();

 private:
  void add(Point2 p);
  void closeContour();

  std::vector<std::vector<Point2>> contours_;
  std::vector<Point2> current_;
};

}  // namespace velorina
