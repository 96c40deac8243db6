#pragma once
// Triangulation of plane regions bounded by closed contours: letters with holes,
// sector floors with pillars. One wrapper over GLU's tessellator.

#include <span>
#include <vector>

#include "geometry/Point2.h"

namespace velorina {

// Triangles covering the region inside an odd number of the closed contours (each contour's last point
// joins its first). Answers the triangles' corners as consecutive triples.
//
// Contours may touch themselves or each other, cross (the crossing points become new
// corners), repeat points, run out and back along a stray edge, or have fewer than
// three distinct points (they then bound nothing). Every answered triangle turns
// counter-clockwise (positive signed area) and none has zero area. Throws
// std::invalid_argument for a coordinate that is not finite or whose magnitude
// exceeds kMaxTriangulatorCoordinate, and std::runtime_error when the tessellator
// itself fails (out of memory).
std::vector<Point2> triangulateOddWinding(std::span<const std::vector<Point2>> contours);

// The largest coordinate magnitude accepted: far beyond any map or font, and far
// enough below the tessellator's own limit that its products cannot overflow.
inline constexpr double kMaxTriangulatorCoordinate = 1e12;

}  // namespace velorina
