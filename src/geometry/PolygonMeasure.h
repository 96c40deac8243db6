#pragma once
// Measures of contours and triangle lists: areas, containment, distances. Used to
// orient contours and to check triangulations against the region they cover.

#include <span>
#include <vector>

#include "geometry/Point2.h"

namespace velorina {

// Shoelace area of a closed contour: positive when it turns counter-clockwise.
double signedArea(std::span<const Point2> contour) noexcept;

// Sum of the (unsigned) areas of a triangle list (consecutive triples).
double trianglesArea(std::span<const Point2> corners) noexcept;

// True when `p` lies inside an odd number of the closed contours (crossing count
// along a ray in +x). A point exactly on an edge may go either way.
bool insideOddWinding(Point2 p, std::span<const std::vector<Point2>> contours) noexcept;

// Distance from `p` to the segment a-b.
double distanceToSegment(Point2 p, Point2 a, Point2 b) noexcept;

// Distance from `p` to the nearest edge of the closed contours (infinity when there
// are no edges).
double distanceToContours(Point2 p, std::span<const std::vector<Point2>> contours) noexcept;

}  // namespace velorina
