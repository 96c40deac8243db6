#pragma once
// The outlines of a map's sectors: every side of every line is an edge running
// with its sector on the right; each sector's edges are chained into closed loops
// by their coordinates. Loops are what the floors are triangulated from, and their
// shoelace areas say how large a sector truly is.

#include <cstddef>
#include <vector>

#include "doommap/MapRecords.h"
#include "geometry/Point2.h"

namespace velorina {

// At most this many edges are kept for one map.
inline constexpr std::size_t kMaxMapEdges = 65535;

struct SectorOutlines {
  // Per sector: its closed loops (each loop's last point joins its first).
  std::vector<std::vector<std::vector<Point2>>> loops;
  std::size_t skippedEdges = 0;  // over the edge limit, or on a line with bad indices
};

SectorOutlines buildSectorOutlines(const DoomMapLumps& map);

// The sector's true area: the shoelace areas of its loops, holes (loops turning the
// other way) subtracted.
double sectorArea(const std::vector<std::vector<Point2>>& loops) noexcept;

}  // namespace velorina
