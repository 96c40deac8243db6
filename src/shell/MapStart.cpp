#include "shell/MapStart.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>

#include "doommap/LumpName.h"
#include "doommap/MapLumps.h"

namespace velorina {

namespace {

bool isMapLumpName(std::string_view name) {
  constexpr std::array<std::string_view, 12> kNames = {"THINGS", "LINEDEFS", "SIDEDEFS", "VERTEXES",
                                                       "SEGS",   "SSECTORS", "NODES",    "SECTORS",
                                                       "REJECT", "BLOCKMAP", "BEHAVIOR", "SCRIPTS"};
  return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

// The bytes of the lumps that follow the map's marker.
std::size_t mapBytesOf(const WadDirectory& wad, const std::string& mapName) {
  const auto marker = wad.findEntry(mapName);
  if (!marker) return 0;
  std::size_t bytes = 0;
  for (std::size_t i = *marker + 1; i < wad.size() && isMapLumpName(wad[i].name); ++i) {
    bytes += static_cast<std::size_t>(wad[i].size);
  }
  return bytes;
}

std::string firstMapOf(const WadDirectory& wad) {
  const auto maps = listMapNames(wad);
  if (maps.empty()) {
    throw EDoomWadError("No maps in the WAD", ErrorContext{wad.fileName(), std::nullopt, std::nullopt,
                                                            "no map marker is followed by a THINGS lump"});
  }
  return maps.front();
}

// The lowest floor and the highest ceiling of the map, in map units.
std::pair<int, int> heightRangeOf(const DoomMapLumps& map) {
  if (map.sectors.empty()) return {0, 0};
  int lowest = map.sectors[0].floor, highest = map.sectors[0].ceiling;
  for (const DoomSector& s : map.sectors) {
    lowest = std::min<int>(lowest, s.floor);
    highest = std::max<int>(highest, std::max(s.floor, s.ceiling));
  }
  return {lowest, highest};
}

// The box of the vertices, in map units.
MapBounds boundsOf(const DoomMapLumps& map) {
  MapBounds b;
  if (map.vertices.empty()) return b;
  b.minX = b.maxX = map.vertices[0].x;
  b.minY = b.maxY = map.vertices[0].y;
  for (const DoomVertex& v : map.vertices) {
    b.minX = std::min(b.minX, v.x), b.maxX = std::max(b.maxX, v.x);
    b.minY = std::min(b.minY, v.y), b.maxY = std::max(b.maxY, v.y);
  }
  return b;
}

TWorldHeader headerFor(const DoomMapLumps& map, const std::string& wadFile, const std::string& mapName, int scale) {
  TWorldHeader h = TWorldHeader::shipped();
  const MapBounds b = boundsOf(map);
  const auto [lowest, highest] = heightRangeOf(map);
  const D3DVECTOR low = mapToScene(b.minX, b.minY, lowest, scale);
  const D3DVECTOR high = mapToScene(b.maxX, b.maxY, std::max(highest, lowest + kEyeHeightMapUnits), scale);
  h.MinX = low.x, h.MaxX = high.x;
  h.MinY = low.y, h.MaxY = high.y;
  h.MinZ = low.z, h.MaxZ = high.z;
  h.MoveSpeed = kMapMoveSpeed;
  h.TurnFactor = kMapTurnFactor;
  h.MinFilter = h.MagFilter = 1;  // point sampling: the games' own look, and cheaper to draw
  h.Antialias = 0;
  h.DisplayWidth = 1024;
  h.DisplayHeight = 768;
  h.BackgroundColor = 0;
  h.Title = mapName + " - " + std::filesystem::path(wadFile).filename().string();
  h.MapName = mapName;
  return h;
}

}  // namespace

MapFloorHeights::MapFloorHeights(const DoomMapLumps& map, int scale) : locator_(map), scale_(scale) {}

std::optional<float> MapFloorHeights::floorAt(float x, float z) const {
  const double s = scale_;
  const auto floor = locator_.floorAt(x * s, z * s);
  if (!floor) return std::nullopt;
  return mapToScene(0, 0, *floor, scale_).y;
}

MapStart readMapStart(const std::string& wadFile, const std::string& mapName, int scale) {
  WadDirectory wad = WadDirectory::open(wadFile);
  MapStart start;
  start.mapName = mapName.empty() ? firstMapOf(wad) : LumpNameToUpper(mapName);
  const DoomMapLumps map = ReadMapLumps(wadFile, start.mapName, ProbeWadKind(wadFile));
  start.header = headerFor(map, wadFile, start.mapName, scale);
  start.entryCount = wad.size();
  start.mapBytes = mapBytesOf(wad, start.mapName);

  const auto player = std::find_if(map.things.begin(), map.things.end(), [](const DoomThing& t) { return t.type == 1; });
  start.hasPlayerStart = player != map.things.end();
  double x = 0, y = 0;
  if (start.hasPlayerStart) {
    x = player->x, y = player->y;
    start.rotation = {0, MapFloorLocator::headingFor(player->angle), 0};
  } else {
    const MapBounds b = boundsOf(map);
    x = (b.minX + b.maxX) / 2.0, y = (b.minY + b.maxY) / 2.0;
  }
  const int floor = MapFloorLocator(map).floorAt(x, y).value_or(heightRangeOf(map).first);
  start.position = mapToScene(x, y, floor + kEyeHeightMapUnits, scale);
  start.following.eyeHeight = mapToScene(0, 0, kEyeHeightMapUnits, scale).y;
  start.following.ratePerSecond = mapToScene(0, 0, kFloorFollowMapUnitsPerSecond, scale).y;
  start.following.minY = start.header.MinY;
  start.following.maxY = start.header.MaxY;
  start.camera = std::make_unique<FloorFollowingCamera>(std::make_unique<MapFloorHeights>(map, scale), start.following);
  return start;
}

}  // namespace velorina
