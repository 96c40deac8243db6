#pragma once
// Where a walker stands in an imported map: the sector under a point, the floor
// there, and the start of player 1 as a camera position and heading.

#include <optional>
#include <vector>

#include "doommap/MapImport.h"
#include "doommap/MapRecords.h"
#include "doommap/SectorOutlines.h"

namespace velorina {

// The eye of a player stands this many map units above the floor.
inline constexpr int kEyeHeightMapUnits = 41;

class MapFloorLocator {
 public:
  explicit MapFloorLocator(const DoomMapLumps& map);

  // The sector under a map point (the smallest one holding it); nothing outside
  // every sector.
  std::optional<std::size_t> sectorAt(double x, double y) const;
  // The floor height under a map point, in map units; nothing outside every sector.
  std::optional<int> floorAt(double x, double y) const;
  // The scene's camera heading (0 looks along +z, growing clockwise from above)
  // for a thing's angle (degrees anticlockwise from +x).
  static float headingFor(std::int16_t angle) noexcept;

 private:
  std::vector<std::vector<std::vector<Point2>>> loops_;
  std::vector<double> areas_;
  std::vector<int> floors_;
};

}  // namespace velorina
