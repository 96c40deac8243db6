// Floors and ceilings: each sector's loops triangulated (odd winding) and handed
// over as triangle lists at floor and, unless the ceiling is sky, ceiling height.
#include <algorithm>

#include "doommap/MapImportContext.h"
#include "doommap/SectorOutlines.h"
#include "geometry/Triangulator.h"

namespace velorina {

namespace {

// A triangle list stays below the polygon's point limit by whole triangles.
constexpr std::size_t kMaxListPoints = 32766;

class FloorBuilder {
 public:
  explicit FloorBuilder(MapImportContext& c) : c_(c) {
    piece_.ID = c.group;
    piece_.TexMode = 1;
    piece_.FrameCount = 1;
    piece_.BlendMode = 16;
    piece_.CullMode = 1;
    piece_.PrimitiveType = static_cast<std::int32_t>(D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST);
    piece_.TexScaleU = piece_.TexScaleV = static_cast<float>(c.scale / 64.0);
    piece_.Points.reserve(kMaxListPoints);
    skyNames_[0] = c.resolveTextureName("F_SKY1");
    skyNames_[1] = c.resolveTextureName("F_SKY");
  }

  void build(const ImportProgress& progress) {
    const SectorOutlines outlines = buildSectorOutlines(c_.map);
    c_.report.skippedEdges += outlines.skippedEdges;
    const std::size_t n = c_.map.sectors.size();
    for (std::size_t s = 0; s < n; ++s) {
      sector(c_.map.sectors[s], outlines.loops[s]);
      if (progress && (s + 1) % 256 == 0) progress("sectors", s + 1, n);
    }
    if (progress) progress("sectors", n, n);
  }

 private:
  void sector(const DoomSector& sector, const std::vector<std::vector<Point2>>& loops) {
    const std::vector<Point2> triangles = loops.empty() ? std::vector<Point2>{} : triangulateOddWinding(loops);
    if (triangles.empty()) {
      ++c_.report.sectorsWithoutFloor;
      return;
    }
    c_.report.floorTriangles += triangles.size() / 3;
    piece_.Color = sectorGrey(sector.lightLevel(), c_.brightness);
    const std::string floorName = c_.resolveTextureName(sector.floorFlat);
    const std::string ceilingName = c_.resolveTextureName(sector.ceilingFlat);
    const bool sky = ceilingName == skyNames_[0] || ceilingName == skyNames_[1];
    for (std::size_t first = 0; first < triangles.size(); first += kMaxListPoints) {
      const std::size_t count = std::min(kMaxListPoints, triangles.size() - first);
      const auto part = std::span(triangles).subspan(first, count);
      handOver(part, sector.floor, floorName);
      ++c_.report.floorPieces;
      if (!sky) {
        handOver(part, sector.ceiling, ceilingName);
        ++c_.report.ceilingPieces;
      }
    }
  }

  void handOver(std::span<const Point2> corners, int height, const std::string& texture) {
    piece_.Points.clear();
    for (const Point2& p : corners) piece_.Points.push_back(mapToScene(p.x, p.y, height, c_.scale));
    piece_.PointCount = static_cast<std::int16_t>(piece_.Points.size());
    piece_.TextureNames.set(0, texture);
    c_.sink.addOrMergeObject(piece_);
  }

  MapImportContext& c_;
  TD3DPolygonInfo piece_{};
  std::string skyNames_[2];
};

}  // namespace

void buildFloors(MapImportContext& context, const ImportProgress& progress) { FloorBuilder(context).build(progress); }

}  // namespace velorina
