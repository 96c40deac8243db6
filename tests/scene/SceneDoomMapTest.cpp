// The scene filled from Doom-family maps: textures cached under their references,
// surfaces merged into the texture holders, empty holders removed.
#include <gtest/gtest.h>

#include <filesystem>

#include "../doommap/TestWad.h"
#include "platform/display/IClock.h"
#include "scene/Scene.h"
#include "scene/objects/Polygon.h"
#include "support/TempDir.h"
#include "SceneTestWorlds.h"

namespace velorina {
namespace {

using namespace testwad;

std::string smallMap(test::TempDir& dir) {
  MapBuilder m;
  m.sectors.push_back({.floor = 0, .ceiling = 128, .floorFlat = "FLOOR", .ceilingFlat = "F_SKY1"});
  m.room({{0, 0}, {0, 64}, {64, 64}, {64, 0}}, 0, "WALL");
  Bytes pn, tx;
  i32(pn, 0);
  i32(tx, 1), i32(tx, 8), name8(tx, "WALL"), i32(tx, 0), i16(tx, 64), i16(tx, 64), i32(tx, 0), i16(tx, 0);
  std::vector<Lump> lumps = {{"M_DOOM", {1}}, {"PNAMES", pn}, {"TEXTURE1", tx},
                             {"F_START", {}}, {"FLOOR", Bytes(4096, 3)}, {"F_END", {}}};
  for (auto& l : m.lumps("MAP01")) lumps.push_back(l);
  return dir.writeBytes("small.wad", buildWad(lumps));
}

std::size_t emptyPolygons(const TD3DScene& scene) {
  std::size_t n = 0;
  for (const auto& entry : scene.Objects) {
    const auto* p = dynamic_cast<const TD3DPolygon*>(entry.object.get());
    if (p != nullptr && p->PointCount() == 0) ++n;
  }
  return n;
}

TEST(SceneDoomMap, OpeningAGameWadImportsItsMapIntoHolders) {
  test::TempDir dir;
  const std::string path = smallMap(dir);
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  ASSERT_TRUE(scene.OpenFromArchiveFile(path, "map01"));
  EXPECT_EQ(scene.FileName, path);
  EXPECT_FALSE(scene.Modified);
  // The flat is cached under its reference, square; the walls (see-through, cull
  // none) and the floor went into holders; the sky ceiling made nothing.
  const std::string reference = "->" + path + "::FLOOR";
  ASSERT_GE(scene.Textures->indexOf(reference), 0);
  EXPECT_EQ(emptyPolygons(scene), 0u);
  ASSERT_EQ(scene.Objects.size(), 2u);
  std::size_t points = 0;
  for (const auto& entry : scene.Objects) points += static_cast<std::size_t>(entry.object->VertexCount());
  EXPECT_EQ(points, 4u * 6 + 2 * 3);

  const auto bitmap = scene.BitmapFromLumpReference(reference);
  ASSERT_TRUE(bitmap.has_value());
  EXPECT_EQ(bitmap->width(), 64);
  EXPECT_FALSE(scene.BitmapFromLumpReference("->" + dir.file("none.wad") + "::FLOOR").has_value());
  EXPECT_FALSE(scene.BitmapFromLumpReference("FLOOR").has_value());

  // Loading the map again adds to the scene.
  ASSERT_TRUE(scene.LoadFromArchiveFile(path, "MAP01", {}));
  EXPECT_TRUE(scene.Modified);
  EXPECT_GE(scene.Objects.size(), 2u);
}

TEST(SceneDoomMap, Freedoom2Map01) {
  const std::string wad = "/usr/share/games/doom/freedoom2.wad";
  if (!std::filesystem::exists(wad)) GTEST_SKIP() << "the freedoom package is not installed";
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  ASSERT_TRUE(scene.OpenFromArchiveFile(wad, {}));  // the first map
  EXPECT_EQ(emptyPolygons(scene), 0u);
  std::size_t polygons = 0;
  for (const auto& entry : scene.Objects) polygons += entry.object->KindCode() == 4;
  std::printf("MAP01: %zu objects, %zu polygons, %zu textures\n", scene.Objects.size(), polygons,
              scene.Textures->size());
  EXPECT_GT(scene.Objects.size(), 10u);
  EXPECT_EQ(polygons, scene.Objects.size());  // every surface went into a holder
}

}  // namespace
}  // namespace velorina
