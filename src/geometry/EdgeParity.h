#pragma once
// Contours whose edges overlap along a stretch (two edges on one line sharing more
// than a point) trip up the tessellator: it may drop or double the sliver beside the
// shared stretch. Under the odd winding rule such a stretch counts once per edge, so
// an even number of edges over it bounds nothing there. These helpers rewrite the
// contours so that no two edges overlap, keeping the odd-winding region.

#include <span>
#include <vector>

#include "geometry/Point2.h"

namespace velorina {

// True when two edges of the contours (closed: each last point joins the first) lie
// on one line and share a stretch of positive length. Exact arithmetic on the given
// coordinates: only exact overlaps count.
bool hasOverlappingEdges(std::span<const std::vector<Point2>> contours);

// Contours bounding the same odd-winding region in which no two edges overlap: every
// edge is cut where another edge's end lies on it, each piece is kept when an odd
// number of edges cover it, and the kept pieces are joined again into closed loops.
std::vector<std::vector<Point2>> withoutOverlappingEdges(std::span<const std::vector<Point2>> contours);

}  // namespace velorina
