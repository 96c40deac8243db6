#pragma once
// A Doom-family map opened as a world has no package header: the player makes one
// from the map. The walking box is the map's bounds, the camera stands at player
// 1's start facing its angle, and its height follows the floor under it.

#include <cstdint>
#include <memory>
#include <string>

#include "doommap/MapImport.h"
#include "doommap/MapPlacement.h"
#include "shell/FloorFollowingCamera.h"
#include "shell/WorldHeader.h"

namespace velorina {

// The map's floors in scene units: the floor under a scene point, converted the
// way the import converts heights.
class MapFloorHeights final : public FloorHeightSource {
 public:
  MapFloorHeights(const DoomMapLumps& map, int scale);
  std::optional<float> floorAt(float x, float z) const override;

 private:
  MapFloorLocator locator_;
  int scale_;
};

// Walking at 256 map units per second (at the default scale), turning at the
// shipped player's 150 degrees per second.
inline constexpr float kMapMoveSpeed = 8.0f;
inline constexpr float kMapTurnFactor = 150.0f / kMapMoveSpeed;

// How fast the eye follows a change of floor height, in map units per second: a
// 24-unit stair in about a seventh of a second.
inline constexpr double kFloorFollowMapUnitsPerSecond = 160.0;

struct MapStart {
  std::string mapName;      // the map opened
  TWorldHeader header;      // the header made for it
  D3DVECTOR position{};     // the camera at player 1's start, at eye height
  D3DVECTOR rotation{};     // facing player 1's angle
  bool hasPlayerStart = false;  // false: the middle of the map, facing +z
  std::size_t entryCount = 0;   // entries of the WAD's directory
  std::size_t mapBytes = 0;     // bytes of the map's lumps
  FloorFollowing following;     // how the eye follows the floor
  std::unique_ptr<FloorFollowingCamera> camera;  // over the map's floors
};

// Reads `mapName` of `wadFile` (the first map when empty, matched upper-cased) and
// makes its header, start and camera. Throws EDoomWadError: no maps, the map not
// there, a damaged file.
MapStart readMapStart(const std::string& wadFile, const std::string& mapName, int scale = kDefaultMapScale);

}  // namespace velorina
