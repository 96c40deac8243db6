#include "doommap/MapImport.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

#include "doommap/DoomTextures.h"
#include "doommap/LumpReference.h"
#include "doommap/MapImportContext.h"
#include "doommap/MapLumps.h"

namespace velorina {

namespace {

bool isSkyName(const std::string& name) { return name == "F_SKY1" || name == "F_SKY"; }

// Every texture name the map's sectors and sidedefs use, each once, flats first.
std::pair<std::vector<std::string>, std::vector<std::string>> textureNamesOf(const DoomMapLumps& map) {
  std::set<std::string> flats, walls;
  for (const DoomSector& s : map.sectors) {
    flats.insert(s.floorFlat);
    if (!isSkyName(s.ceilingFlat)) flats.insert(s.ceilingFlat);
  }
  for (const DoomSideDef& s : map.sideDefs) {
    for (const std::string* name : {&s.upper, &s.lower, &s.middle}) {
      if (isPresentName(*name)) walls.insert(*name);
    }
  }
  return {{flats.begin(), flats.end()}, {walls.begin(), walls.end()}};
}

std::vector<std::string> referencesTo(const std::string& wadFile, const std::vector<std::string>& names) {
  std::vector<std::string> out;
  out.reserve(names.size());
  for (const std::string& n : names) out.push_back(MakeLumpReference(wadFile, n));
  return out;
}

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

// The flat holders take the blend mode the floor pieces carry, so that the pieces
// merge into them.
constexpr std::uint8_t kFlatBlendMode = 16;
constexpr std::uint8_t kWallBlendMode = 16;

}  // namespace

const std::string& MapImportContext::resolveTextureName(const std::string& name) {
  auto it = resolved_.find(name);
  if (it != resolved_.end()) return it->second;
  std::string reference = MakeLumpReference(wadFile, name);
  if (!sink.hasTexture(reference)) reference = name + ".BMP";
  return resolved_.emplace(name, std::move(reference)).first->second;
}

std::uint32_t sectorGrey(std::uint8_t light, float brightness) noexcept {
  const double b = brightness;  // the single-precision value, widened exactly
  const long g = std::clamp(std::lround(255.0 * b + (1.0 - b) * light), 0L, 255L);
  const auto v = static_cast<std::uint32_t>(g);
  return v | (v << 8) | (v << 16);
}

D3DVECTOR mapToScene(double x, double y, double height, int scale) noexcept {
  const double s = scale;
  return {static_cast<float>(x / s), static_cast<float>(height / s * 4.0 / 3.0), static_cast<float>(y / s)};
}

DoomImportReport ImportDoomMap(DoomMapSink& scene, const std::string& wadFile, const std::string& mapFile,
                               const std::string& mapName, int scale, float brightness, bool groupByTexture,
                               const ImportProgress& progress) {
  if (scale < 1) throw std::invalid_argument("the map scale must be a whole number of at least 1");
  const std::string mapPath = mapFile.empty() ? wadFile : mapFile;
  const TWadKind kind = ProbeWadKind(wadFile);
  const DoomMapLumps map = ReadMapLumps(mapPath, mapName, kind);

  DoomImportReport report;
  report.bounds = boundsOf(map);
  const auto start = std::find_if(map.things.begin(), map.things.end(), [](const DoomThing& t) { return t.type == 1; });
  if (start != map.things.end()) report.playerStart = *start;

  MapImportContext context(scene, wadFile, map, scale, brightness, report);
  auto [flatNames, wallNames] = textureNamesOf(map);
  report.textures = flatNames.size() + wallNames.size();
  if (progress) progress("textures", 0, report.textures);
  if (auto builder = DoomTextureBuilder::open(wadFile)) {
    for (const DoomTextureDefinition& d : builder->definitions()) context.textureSizes.try_emplace(d.name, d.width, d.height);
    std::vector<std::string> all = flatNames;
    all.insert(all.end(), wallNames.begin(), wallNames.end());
    LoadDoomTextures(*builder, scene, wadFile, std::move(all), {});
  }
  if (progress) progress("textures", report.textures, report.textures);
  if (groupByTexture) {
    scene.addTextureHolders(referencesTo(wadFile, flatNames), 1, kFlatBlendMode, 1);
    scene.addTextureHolders(referencesTo(wadFile, wallNames), 0, kWallBlendMode, 1);
    scene.addTextureHolders(referencesTo(wadFile, wallNames), 0, kWallBlendMode, 3);
  }
  context.group = scene.nextObjectId();
  report.groupNumber = context.group;
  buildWalls(context, progress);
  buildFloors(context, progress);
  if (groupByTexture) scene.removeEmptyPolygons();
  return report;
}

}  // namespace velorina
