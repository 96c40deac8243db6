#pragma once
// ImportDoomMap: one map of a Doom-family WAD made into scene surfaces. Walls
// become textured quadrangles, sectors floor and ceiling polygons; every surface of
// one import carries the same identifier, its group number.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "doommap/DoomMapSink.h"
#include "doommap/MapRecords.h"

namespace velorina {

// The import's default scale (map units per scene unit) and brightness.
inline constexpr int kDefaultMapScale = 32;
inline constexpr float kDefaultMapBrightness = 0.3f;

struct MapBounds {
  std::int16_t minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// What an import made and what it had to leave out.
struct DoomImportReport {
  std::size_t middleWalls = 0, upperWalls = 0, lowerWalls = 0;
  std::size_t floorPieces = 0, ceilingPieces = 0;   // polygon records handed over
  std::size_t floorTriangles = 0;                    // triangles of all floors
  std::size_t skippedLines = 0;    // lines with a vertex or sidedef outside its array
  std::size_t skippedSides = 0;    // sides whose sector is outside its array
  std::size_t skippedEdges = 0;    // floor edges over the limit or on such lines
  std::size_t sectorsWithoutFloor = 0;
  std::size_t textures = 0;        // texture names the map uses
  std::optional<DoomThing> playerStart;  // the first thing of type 1
  MapBounds bounds;
  std::int32_t groupNumber = 0;
  std::size_t skipped() const noexcept { return skippedLines + skippedSides; }
};

// Called as the import proceeds: a stage ("textures", "walls", "sectors"), the
// items done and the items of that stage.
using ImportProgress = std::function<void(std::string_view stage, std::size_t done, std::size_t total)>;

// Throws EDoomWadError (map not found, a damaged file) before anything reaches the
// scene; refuses a Scale below 1 (std::invalid_argument).
DoomImportReport ImportDoomMap(DoomMapSink& scene, const std::string& wadFile, const std::string& mapFile,
                               const std::string& mapName, int scale, float brightness, bool groupByTexture,
                               const ImportProgress& progress = {});

// The grey of a sector: round(255 x Brightness + (1 - Brightness) x light), as a
// colour value 0x00BBGGRR.
std::uint32_t sectorGrey(std::uint8_t light, float brightness) noexcept;

// The scene position of a map point at a height: (x / Scale, h / Scale x 4/3, y / Scale).
D3DVECTOR mapToScene(double x, double y, double height, int scale) noexcept;

}  // namespace velorina
