// Walls: the middle, upper and lower pieces of every side of every line.
#include <cmath>
#include <optional>
#include <stdexcept>

#include "doommap/DoomMessages.h"
#include "doommap/MapImportContext.h"

namespace velorina {

namespace {

constexpr int kUnknownTextureSide = 128;

// The two sectors on either side of a sidedef, from the first two-sided line that
// has it.
struct SideSectors {
  std::size_t self = 0, other = 0;
};

class WallBuilder {
 public:
  explicit WallBuilder(MapImportContext& c) : c_(c), neighbours_(c.map.sideDefs.size()) {
    wall_.ID = c.group;
    for (const DoomLineDef& line : c.map.lineDefs) {
      if (!c.validSide(line.right) || !c.validSide(line.left)) continue;
      const auto sectorOf = [&](std::int16_t side) { return static_cast<std::size_t>(c.map.sideDefs[side].sector); };
      auto& right = neighbours_[static_cast<std::size_t>(line.right)];
      if (!right) right = SideSectors{sectorOf(line.right), sectorOf(line.left)};
      auto& left = neighbours_[static_cast<std::size_t>(line.left)];
      if (!left) left = SideSectors{sectorOf(line.left), sectorOf(line.right)};
    }
  }

  void build(const ImportProgress& progress) {
    const auto& lines = c_.map.lineDefs;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const DoomLineDef& line = lines[i];
      if (!c_.validVertex(line.start) || !c_.validVertex(line.end) || !sideInRange(line.right) ||
          !sideInRange(line.left)) {
        ++c_.report.skippedLines;
        continue;
      }
      for (const std::int16_t side : {line.right, line.left}) {
        if (side == -1) continue;
        if (!c_.validSide(side)) {
          ++c_.report.skippedSides;
          continue;
        }
        buildSide(line, side);
      }
      if (progress && (i + 1) % 1024 == 0) progress("walls", i + 1, lines.size());
    }
    if (progress) progress("walls", lines.size(), lines.size());
  }

 private:
  bool sideInRange(std::int16_t side) const {
    return side == -1 || (side >= 0 && static_cast<std::size_t>(side) < c_.map.sideDefs.size());
  }

  void buildSide(const DoomLineDef& line, std::int16_t sideIndex) {
    const DoomSideDef& side = c_.map.sideDefs[static_cast<std::size_t>(sideIndex)];
    const DoomSector& sector = c_.map.sectors[static_cast<std::size_t>(side.sector)];
    const DoomVertex& a = c_.map.vertices[static_cast<std::size_t>(line.start)];
    const DoomVertex& b = c_.map.vertices[static_cast<std::size_t>(line.end)];
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    const std::uint32_t grey = sectorGrey(sector.lightLevel(), c_.brightness);
    wall_.Colors = {grey, grey, grey, grey};
    if (isPresentName(side.middle)) middle(line, side, sector, a, b, length);
    if (isPresentName(side.upper) || isPresentName(side.lower)) {
      if (const auto& n = neighbours_[static_cast<std::size_t>(sideIndex)]) upperAndLower(side, *n, a, b, length);
    }
  }

  void middle(const DoomLineDef& line, const DoomSideDef& side, const DoomSector& sector, const DoomVertex& a,
              const DoomVertex& b, double length) {
    const bool seeThrough = (line.flags & DoomLineDef::kTwoSided) != 0 || line.right == -1 || line.left == -1;
    wall_.Flags = seeThrough ? 1 : 0;
    wall_.Transparent = seeThrough;
    corners(a, b, sector.ceiling, sector.floor);
    texture(side.middle, length, sector.ceiling - sector.floor, side, false);
    c_.sink.addOrMergeObject(wall_);
    ++c_.report.middleWalls;
  }

  void upperAndLower(const DoomSideDef& side, const SideSectors& n, const DoomVertex& a, const DoomVertex& b,
                     double length) {
    const DoomSector& self = c_.map.sectors[n.self];
    const DoomSector& other = c_.map.sectors[n.other];
    // Upper and lower pieces are drawn from both sides and are never see-through.
    wall_.Flags = 1;
    wall_.Transparent = false;
    if (isPresentName(side.upper) && self.ceiling > other.ceiling) {
      corners(a, b, self.ceiling, other.ceiling);
      texture(side.upper, length, self.ceiling - other.ceiling, side, true);
      c_.sink.addOrMergeObject(wall_);
      ++c_.report.upperWalls;
    }
    if (isPresentName(side.lower) && self.floor < other.floor) {
      corners(a, b, other.floor, self.floor);
      texture(side.lower, length, other.floor - self.floor, side, false);
      c_.sink.addOrMergeObject(wall_);
      ++c_.report.lowerWalls;
    }
  }

  void corners(const DoomVertex& a, const DoomVertex& b, int top, int bottom) {
    Make3DQInfVertex(0, a.x, top, a.y);
    Make3DQInfVertex(1, b.x, top, b.y);
    Make3DQInfVertex(2, a.x, bottom, a.y);
    Make3DQInfVertex(3, b.x, bottom, b.y);
  }

  void Make3DQInfVertex(int index, double x, double height, double y) {
    if (index < 0 || index > 3) throw std::invalid_argument(messages::kQuadrangleVertexIndex);
    wall_.Corners[static_cast<std::size_t>(index)] = mapToScene(x, y, height, c_.scale);
  }

  // Spans and offsets in units of the texture's own size: its bitmap is stretched
  // over the whole square device texture, so one repetition is one texture.
  void texture(const std::string& name, double length, int height, const DoomSideDef& side, bool zeroOffsetV) {
    wall_.TextureName = c_.resolveTextureName(name);
    const double wallHeight = height > 0 ? height : 1.0 / c_.scale;
    const auto size = c_.textureSizes.find(name);
    if (size != c_.textureSizes.end()) {
      SetWallTexturing(size->second.first, size->second.second, length, wallHeight, side.xOffset, side.yOffset);
    } else {
      SetWallTexturing(kUnknownTextureSide, kUnknownTextureSide, length, wallHeight, 0, 0);
    }
    if (zeroOffsetV) wall_.TexOffsetV = 0;
  }

  void SetWallTexturing(int width, int height, double length, double wallHeight, double offsetX, double offsetY) {
    wall_.TexSpanU = width >= 1 ? static_cast<float>(length / width) : 1.0f;
    wall_.TexOffsetU = width >= 1 ? static_cast<float>(offsetX / width) : 0.0f;
    wall_.TexSpanV = height >= 1 ? static_cast<float>(wallHeight / height) : 1.0f;
    wall_.TexOffsetV = height >= 1 ? static_cast<float>(offsetY / height) : 0.0f;
  }

  MapImportContext& c_;
  std::vector<std::optional<SideSectors>> neighbours_;
  TD3DQuadrangleInfo wall_{};
};

}  // namespace

void buildWalls(MapImportContext& context, const ImportProgress& progress) { WallBuilder(context).build(progress); }

}  // namespace velorina
