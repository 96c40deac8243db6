#include <gtest/gtest.h>

#include <cmath>

#include "../support/TempDir.h"
#include "RecordingSink.h"
#include "TestWad.h"
#include "doommap/MapImport.h"
#include "doommap/WadDirectory.h"

namespace velorina {
namespace {

using namespace testwad;

// TEXTURE1 with one 64 x 128 texture "TALL" and PNAMES without patches.
std::vector<Lump> textureLumps() {
  Bytes pn;
  i32(pn, 0);
  Bytes t;
  i32(t, 1), i32(t, 8);
  name8(t, "TALL");
  i32(t, 0), i16(t, 64), i16(t, 128), i32(t, 0), i16(t, 0);
  return {{"M_DOOM", {1}}, {"PNAMES", pn}, {"TEXTURE1", t}, {"F_START", {}}, {"FLOOR", Bytes(4096, 3)},
          {"F_END", {}}};
}

std::string writeMap(test::TempDir& dir, const MapBuilder& m, const std::string& name = "map.wad") {
  auto lumps = textureLumps();
  for (auto& l : m.lumps("MAP01")) lumps.push_back(l);
  return dir.writeBytes(name, buildWad(lumps));
}

TEST(MapImport, OneSidedRoomGivesSeeThroughWallsFromFloorToCeiling) {
  test::TempDir dir;
  MapBuilder m;
  m.sectors.push_back({.floor = 0, .ceiling = 96, .light = 160});
  m.room({{0, 0}, {0, 64}, {96, 64}, {96, 0}}, 0, "TALL");
  m.sides[1].xOffset = 16, m.sides[1].yOffset = 32;
  m.sides[2].middle = "UNKNOWN";
  m.things.push_back({32, 16});
  const std::string path = writeMap(dir, m);
  test::RecordingSink sink;
  const DoomImportReport report = ImportDoomMap(sink, path, {}, "MAP01", 32, kDefaultMapBrightness, true);
  ASSERT_EQ(sink.walls.size(), 4u);
  EXPECT_EQ(report.middleWalls, 4u);
  EXPECT_EQ(report.groupNumber, 41);
  const TD3DQuadrangleInfo& w = sink.walls[1];  // from (0, 64) to (96, 64)
  EXPECT_EQ(w.ID, 41);
  EXPECT_EQ(w.Flags, 1);
  EXPECT_TRUE(w.Transparent);
  EXPECT_EQ(w.Corners[0], (D3DVECTOR{0, 4, 2}));  // ceiling 96 / 32 x 4/3
  EXPECT_EQ(w.Corners[1], (D3DVECTOR{3, 4, 2}));
  EXPECT_EQ(w.Corners[3], (D3DVECTOR{3, 0, 2}));
  // Spans and offsets in units of the texture's own 64 x 128, not its 128 x 128 square.
  EXPECT_FLOAT_EQ(w.TexSpanU, 96.0f / 64);
  EXPECT_FLOAT_EQ(w.TexSpanV, 96.0f / 128);
  EXPECT_FLOAT_EQ(w.TexOffsetU, 16.0f / 64);
  EXPECT_FLOAT_EQ(w.TexOffsetV, 32.0f / 128);
  EXPECT_EQ(w.TextureName, "->" + path + "::TALL");
  const TD3DQuadrangleInfo& unknown = sink.walls[2];
  EXPECT_FLOAT_EQ(unknown.TexSpanU, 64.0f / 128);  // unknown: 128 x 128, no offsets
  EXPECT_EQ(unknown.TextureName, "UNKNOWN.BMP");
  // g = round(255 x 0.3 + 0.7 x 160) = 189
  EXPECT_EQ(w.Colors[0], 0xBDBDBDu);
  ASSERT_TRUE(report.playerStart.has_value());
  EXPECT_EQ(report.playerStart->x, 32);
  EXPECT_EQ(report.bounds.maxX, 96);
  EXPECT_EQ(sink.removals, 1);
}

TEST(MapImport, GreyLevelUsesTheSinglePrecisionBrightness) {
  EXPECT_EQ(sectorGrey(0, 0.3f), 0x4D4D4Du);  // 77: 255 x 0.3f is just above 76.5
  EXPECT_EQ(sectorGrey(255, 0.3f), 0xFFFFFFu);
  EXPECT_EQ(sectorGrey(100, 0.0f), 0x646464u);
  EXPECT_EQ(sectorGrey(0, 1.0f), 0xFFFFFFu);
  EXPECT_EQ(mapToScene(64, -32, 48, 32).y, 2.0f);
}

// Two rooms joined by a two-sided line: the front sector higher-ceilinged and
// lower-floored than the back.
MapBuilder twoRooms(const std::string& upper, const std::string& lower) {
  MapBuilder m;
  m.sectors.push_back({.floor = 0, .ceiling = 128});
  m.sectors.push_back({.floor = 16, .ceiling = 96});
  const int a = m.vertex(0, 0), b = m.vertex(0, 64), c = m.vertex(64, 64), d = m.vertex(64, 0);
  const int e = m.vertex(128, 64), f = m.vertex(128, 0);
  const auto wall = [&](int sector) { return m.side({.middle = "TALL", .sector = sector}); };
  m.line(a, b, wall(0));
  m.line(b, c, wall(0));
  m.line(d, a, wall(0));
  m.line(c, d, m.side({.upper = upper, .lower = lower, .sector = 0}), m.side({.upper = upper, .sector = 1}),
         DoomLineDef::kTwoSided);
  m.line(c, e, wall(1));
  m.line(e, f, wall(1));
  m.line(f, d, wall(1));
  return m;
}

TEST(MapImport, UpperAndLowerWallsOnlyWhereTheNeighbourStepsAndANameIsGiven) {
  test::TempDir dir;
  test::RecordingSink sink;
  ImportDoomMap(sink, writeMap(dir, twoRooms("TALL", "TALL")), {}, "MAP01", 32, 0.3f, true);
  std::vector<TD3DQuadrangleInfo> steps;
  for (const auto& w : sink.walls) {
    if (w.Corners[0].x == 2 && w.Corners[1].x == 2) steps.push_back(w);
  }
  ASSERT_EQ(steps.size(), 2u);  // front: upper and lower; back: upper name but lower ceiling, nothing
  const TD3DQuadrangleInfo& upper = steps[0];
  EXPECT_FLOAT_EQ(upper.Corners[0].y, 128.0f / 32 * 4 / 3);
  EXPECT_FLOAT_EQ(upper.Corners[2].y, 96.0f / 32 * 4 / 3);
  EXPECT_EQ(upper.Flags, 1);
  EXPECT_FALSE(upper.Transparent);
  EXPECT_EQ(upper.TexOffsetV, 0.0f);
  const TD3DQuadrangleInfo& lower = steps[1];
  EXPECT_FLOAT_EQ(lower.Corners[0].y, 16.0f / 32 * 4 / 3);
  EXPECT_FLOAT_EQ(lower.Corners[2].y, 0.0f);
  EXPECT_FLOAT_EQ(lower.TexSpanV, 16.0f / 128);

  test::RecordingSink noUpper;
  const auto report = ImportDoomMap(noUpper, writeMap(dir, twoRooms("-", "TALL"), "b.wad"), {}, "MAP01", 32, 0.3f, true);
  EXPECT_EQ(report.upperWalls, 0u);
  EXPECT_EQ(report.lowerWalls, 1u);
  EXPECT_EQ(report.middleWalls, 6u);
}

TEST(MapImport, ZeroHeightSectorAndHolders) {
  test::TempDir dir;
  MapBuilder m;
  m.sectors.push_back({.floor = 40, .ceiling = 40});
  m.room({{0, 0}, {0, 64}, {64, 64}, {64, 0}}, 0, "TALL");
  test::RecordingSink sink;
  const std::string path = writeMap(dir, m);
  ImportDoomMap(sink, path, {}, "MAP01", 32, 0.3f, true);
  ASSERT_FALSE(sink.walls.empty());
  EXPECT_FLOAT_EQ(sink.walls[0].TexSpanV, (1.0f / 32) / 128);
  // One flat holder per flat and two wall holders per wall texture (cull none, cull CCW).
  ASSERT_EQ(sink.holders.size(), 4u);
  EXPECT_EQ(sink.holders[0].reference, "->" + path + "::CEIL");
  EXPECT_EQ(sink.holders[0].texMode, 1);
  EXPECT_EQ(sink.holders[2].reference, "->" + path + "::TALL");
  EXPECT_EQ(sink.holders[2].cullMode, 1);
  EXPECT_EQ(sink.holders[3].cullMode, 3);
  EXPECT_EQ(sink.holders[3].blendMode, 16);

  test::RecordingSink ungrouped;
  ImportDoomMap(ungrouped, path, {}, "MAP01", 32, 0.3f, false);
  EXPECT_TRUE(ungrouped.holders.empty());
  EXPECT_EQ(ungrouped.removals, 0);
  EXPECT_THROW(ImportDoomMap(ungrouped, path, {}, "MAP01", 0, 0.3f, false), std::invalid_argument);
}

TEST(MapImport, IndicesOutsideTheirArraysSkipTheLineOrSide) {
  test::TempDir dir;
  MapBuilder m;
  m.sectors.push_back({});
  m.room({{0, 0}, {0, 64}, {64, 64}, {64, 0}}, 0, "TALL");
  m.line(0, 99, 0);                          // vertex outside
  m.line(0, 1, 500);                         // sidedef outside
  m.line(0, 1, -7);                          // negative, not -1
  m.line(1, 2, m.side({.middle = "TALL", .sector = 9}));  // sector outside
  test::RecordingSink sink;
  const auto report = ImportDoomMap(sink, writeMap(dir, m), {}, "MAP01", 32, 0.3f, true);
  EXPECT_EQ(report.skippedLines, 3u);
  EXPECT_EQ(report.skippedSides, 1u);
  EXPECT_EQ(sink.walls.size(), 4u);
}

TEST(MapImport, ErrorsBeforeAnySurfaceLeaveTheSinkAlone) {
  test::TempDir dir;
  MapBuilder m;
  m.sectors.push_back({});
  m.room({{0, 0}, {0, 64}, {64, 64}}, 0);
  const std::string path = writeMap(dir, m);
  test::RecordingSink sink;
  EXPECT_THROW(ImportDoomMap(sink, path, {}, "MAP07", 32, 0.3f, true), EDoomWadError);
  EXPECT_TRUE(sink.textures.empty());
  EXPECT_TRUE(sink.walls.empty());
  EXPECT_EQ(sink.lastId, 40);
}

}  // namespace
}  // namespace velorina
