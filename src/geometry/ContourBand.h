#pragma once
// A band of triangles running along the inner side of closed contours: the stroke
// of a hollow (outlined) letter.

#include <span>
#include <vector>

#include "geometry/Point2.h"

namespace velorina {

// The band's inner corners lie at most this many widths from the contour's corner:
// a sharper corner has its mitre cut short there.
inline constexpr double kBandMiterLimit = 2.0;

// Triangles (consecutive triples, counter-clockwise) covering, for every contour,
// a band `width` wide along its inner side, the side where the odd-winding region
// of all the contours lies. Every corner lies within kBandMiterLimit × width of the
// contour it belongs to. Contours with fewer than three distinct points give none.
std::vector<Point2> bandInsideContours(std::span<const std::vector<Point2>> contours, double width);

}  // namespace velorina
