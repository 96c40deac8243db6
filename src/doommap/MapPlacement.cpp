#include "doommap/MapPlacement.h"

#include <numbers>

#include "geometry/PolygonMeasure.h"

namespace velorina {

MapFloorLocator::MapFloorLocator(const DoomMapLumps& map) : loops_(buildSectorOutlines(map).loops) {
  for (std::size_t s = 0; s < loops_.size(); ++s) {
    areas_.push_back(sectorArea(loops_[s]));
    floors_.push_back(map.sectors[s].floor);
  }
}

std::optional<std::size_t> MapFloorLocator::sectorAt(double x, double y) const {
  std::optional<std::size_t> best;
  for (std::size_t s = 0; s < loops_.size(); ++s) {
    if (loops_[s].empty() || (best && areas_[s] >= areas_[*best])) continue;
    if (insideOddWinding({x, y}, loops_[s])) best = s;
  }
  return best;
}

std::optional<int> MapFloorLocator::floorAt(double x, double y) const {
  const auto s = sectorAt(x, y);
  if (!s) return std::nullopt;
  return floors_[*s];
}

float MapFloorLocator::headingFor(std::int16_t angle) noexcept {
  return static_cast<float>(std::numbers::pi / 2 - angle * std::numbers::pi / 180);
}

}  // namespace velorina
