// The importer on the real maps of Debian's freedoom package (skipped where it is
// not installed): every map imports, and every sector's floor covers exactly the
// sector.
#include <gtest/gtest.h>

#include <filesystem>

#include "RecordingSink.h"
#include "doommap/DoomTextures.h"
#include "doommap/MapImport.h"
#include "doommap/MapLumps.h"
#include "doommap/SectorOutlines.h"
#include "geometry/PolygonMeasure.h"
#include "geometry/Triangulator.h"
#include "support/GoldenImage.h"

namespace velorina {
namespace {

const char* const kWads[] = {"/usr/share/games/doom/freedoom1.wad", "/usr/share/games/doom/freedoom2.wad"};

bool haveFreedoom() {
  for (const char* w : kWads) {
    if (!std::filesystem::exists(w)) return false;
  }
  return true;
}

#define SKIP_WITHOUT_FREEDOOM() \
  if (!haveFreedoom()) GTEST_SKIP() << "the freedoom package is not installed (/usr/share/games/doom)"

TEST(Freedoom, EveryMapOfBothWadsImports) {
  SKIP_WITHOUT_FREEDOOM();
  std::size_t maps = 0;
  for (const char* path : kWads) {
    auto wad = WadDirectory::open(path);
    for (const std::string& name : listMapNames(wad)) {
      test::RecordingSink sink;
      const DoomImportReport r = ImportDoomMap(sink, path, {}, name, 32, 0.3f, true);
      EXPECT_EQ(r.skipped(), 0u) << name;
      EXPECT_GT(r.middleWalls, 0u) << name;
      EXPECT_EQ(sink.walls.size(), r.middleWalls + r.upperWalls + r.lowerWalls) << name;
      EXPECT_EQ(sink.pieces.size(), r.floorPieces + r.ceilingPieces) << name;
      EXPECT_TRUE(r.playerStart.has_value()) << name;
      for (const auto& [texture, bitmap] : sink.textures) {
        EXPECT_EQ(bitmap.format(), PixelFormat::Bits8) << texture;
      }
      ++maps;
    }
  }
  EXPECT_EQ(maps, 68u);
}

TEST(Freedoom, Map01WallsByKind) {
  SKIP_WITHOUT_FREEDOOM();
  test::RecordingSink sink;
  const DoomImportReport r = ImportDoomMap(sink, kWads[1], {}, "MAP01", 32, 0.3f, true);
  // Pinned from a reviewed import: a change here changes what MAP01 looks like.
  EXPECT_EQ(r.middleWalls, 490u);
  EXPECT_EQ(r.upperWalls, 279u);
  EXPECT_EQ(r.lowerWalls, 351u);
  EXPECT_EQ(r.sectorsWithoutFloor, 0u);
  EXPECT_EQ(r.playerStart->x, -192);
  EXPECT_EQ(r.playerStart->y, -160);
}

// The triangles of each sector against the sector itself: the same area (within
// 0.5 %) and every triangle's centre inside the sector.
TEST(Freedoom, EverySectorsFloorCoversExactlyTheSector) {
  SKIP_WITHOUT_FREEDOOM();
  std::size_t sectors = 0, wrongArea = 0, outside = 0;
  for (const char* path : kWads) {
    auto wad = WadDirectory::open(path);
    for (const std::string& name : listMapNames(wad)) {
      const DoomMapLumps map = ReadMapLumps(wad, name, MapForm::Doom);
      const SectorOutlines outlines = buildSectorOutlines(map);
      for (std::size_t s = 0; s < outlines.loops.size(); ++s) {
        const auto& loops = outlines.loops[s];
        ++sectors;
        const double truth = sectorArea(loops);
        const std::vector<Point2> triangles = loops.empty() ? std::vector<Point2>{} : triangulateOddWinding(loops);
        const double area = trianglesArea(triangles);
        if (std::abs(area - truth) > 0.005 * truth) {
          ++wrongArea;
          ADD_FAILURE() << path << " " << name << " sector " << s << ": triangles " << area << ", sector " << truth;
        }
        for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
          const Point2 c{(triangles[t].x + triangles[t + 1].x + triangles[t + 2].x) / 3,
                         (triangles[t].y + triangles[t + 1].y + triangles[t + 2].y) / 3};
          if (!insideOddWinding(c, loops)) {
            ++outside;
            break;
          }
        }
      }
    }
  }
  EXPECT_GT(sectors, 20000u);
  std::printf("%zu sectors measured\n", sectors);
  EXPECT_EQ(wrongArea, 0u);
  EXPECT_EQ(outside, 0u);
}

// EXITDOOR: four different patches (door panels and a sign) composed into one
// 128 x 72 wall texture with the game's palette.
TEST(Freedoom, WallTextureComposedFromSeveralPatches) {
  SKIP_WITHOUT_FREEDOOM();
  const auto bitmap = MakeDoomTextureBitmap(kWads[1], "EXITDOOR");
  ASSERT_TRUE(bitmap.has_value());
  ASSERT_EQ(bitmap->width(), 128);
  ASSERT_EQ(bitmap->height(), 72);
  const std::vector<std::uint32_t> argb = bitmap->toARGB32();
  EXPECT_TRUE(testing::matchesGoldenIn("doommap/golden", "freedoom2_exitdoor", 128, 72, argb, 0));
}

}  // namespace
}  // namespace velorina
