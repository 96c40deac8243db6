#pragma once
// The records of a Doom-family map as the importer holds them, always in the Doom
// form (Hexen-form things and lines are converted on reading). Names are kept as
// LumpNameToString gives them.

#include <cstdint>
#include <string>
#include <vector>

namespace velorina {

struct DoomThing {
  std::int16_t x = 0, y = 0, angle = 0, type = 0, flags = 0;
};

struct DoomLineDef {
  static constexpr std::int16_t kTwoSided = 4;
  std::int16_t start = 0, end = 0, flags = 0, special = 0, tag = 0;
  std::int16_t right = -1, left = -1;  // sidedef indices, -1 = none
};

struct DoomSideDef {
  std::int16_t xOffset = 0, yOffset = 0;
  std::string upper, lower, middle;
  std::int16_t sector = 0;
};

struct DoomVertex {
  std::int16_t x = 0, y = 0;
};

struct DoomSector {
  std::int16_t floor = 0, ceiling = 0;
  std::string floorFlat, ceilingFlat;
  std::int16_t light = 0, special = 0, tag = 0;
  // The light level's low byte, 0 to 255.
  std::uint8_t lightLevel() const noexcept { return static_cast<std::uint8_t>(light & 0xFF); }
};

struct DoomMapLumps {
  std::vector<DoomThing> things;
  std::vector<DoomLineDef> lineDefs;
  std::vector<DoomSideDef> sideDefs;
  std::vector<DoomVertex> vertices;
  std::size_t segCount = 0;        // read and not used further
  std::size_t subSectorCount = 0;  // read and not used further
  std::vector<DoomSector> sectors;
};

}  // namespace velorina
