#pragma once
// What the steps of one map import share: the map, the sink, the texture sizes and
// the resolved texture names.

#include <string>
#include <unordered_map>
#include <utility>

#include "doommap/MapImport.h"
#include "doommap/MapRecords.h"

namespace velorina {

class MapImportContext {
 public:
  MapImportContext(DoomMapSink& sink, std::string wadFile, const DoomMapLumps& map, int scale, float brightness,
                   DoomImportReport& report)
      : sink(sink), wadFile(std::move(wadFile)), map(map), scale(scale), brightness(brightness), report(report) {}

  DoomMapSink& sink;
  const std::string wadFile;
  const DoomMapLumps& map;
  const int scale;
  const float brightness;
  DoomImportReport& report;
  std::int32_t group = 0;
  // Width and height of each wall texture by name (the first definition counts).
  std::unordered_map<std::string, std::pair<int, int>> textureSizes;

  // The reference to the WAD's lump when the scene has that texture, else the
  // lump name with ".BMP".
  const std::string& resolveTextureName(const std::string& name);
  bool validSector(std::int16_t index) const noexcept {
    return index >= 0 && static_cast<std::size_t>(index) < map.sectors.size();
  }
  bool validVertex(std::int16_t index) const noexcept {
    return index >= 0 && static_cast<std::size_t>(index) < map.vertices.size();
  }
  // A sidedef index that names a sidedef whose sector exists.
  bool validSide(std::int16_t index) const noexcept {
    return index >= 0 && static_cast<std::size_t>(index) < map.sideDefs.size() &&
           validSector(map.sideDefs[static_cast<std::size_t>(index)].sector);
  }

 private:
  std::unordered_map<std::string, std::string> resolved_;
};

// A texture name that names something: not empty and not "-".
inline bool isPresentName(const std::string& name) { return !name.empty() && name != "-"; }

void buildWalls(MapImportContext& context, const ImportProgress& progress);
void buildFloors(MapImportContext& context, const ImportProgress& progress);

}  // namespace velorina
