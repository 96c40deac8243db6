#pragma once
// Turns a glyph's flattened contours into the triangle lists of the two styles,
// on the integer grid of the stored points.

#include <span>
#include <vector>

#include "geometry/Point2.h"

namespace velorina::fontgen {

// Width of an outline letter's stroke, 1/1000 em: a quarter of a stem (that of
// "l" is 81 wide), so the letters read as hollow.
inline constexpr double kOutlineWidth = 20;

using Contours = std::vector<std::vector<Point2>>;

// The contours with every point rounded to whole units and the repeats that
// rounding makes removed; contours left with fewer than three points are dropped.
Contours roundedContours(const Contours& contours);

// Solid letter: the region inside an odd number of contours.
std::vector<Point2> filledTriangles(const Contours& rounded);
// Hollow letter: a band kOutlineWidth wide along the inner side of every contour.
std::vector<Point2> outlineTriangles(const Contours& rounded);

// The triangles with corners rounded to whole units; those that rounding leaves
// without area are dropped, the others turn counter-clockwise.
std::vector<Point2> roundedTriangles(std::span<const Point2> corners);

}  // namespace velorina::fontgen
