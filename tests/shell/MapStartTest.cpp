// The header and start a game map gets, the camera height that follows its floors
// (driven by a fixed-step clock over a fake floor), and the player's options for it.
#include <gtest/gtest.h>

#include <cmath>

#include "doommap/TestWad.h"
#include "doommap/WadDirectory.h"
#include "platform/display/ManualClock.h"
#include "shell/MapStart.h"
#include "shell/PlayerOptions.h"
#include "support/TempDir.h"

namespace velorina {
namespace {

// Floor 0 west of x = 0, 1 east of it, nothing beyond x = 10.
class StepFloor final : public FloorHeightSource {
 public:
  std::optional<float> floorAt(float x, float) const override {
    if (x > 10) return std::nullopt;
    return x < 0 ? 0.0f : 1.0f;
  }
};

FloorFollowing settings() {
  FloorFollowing f;
  f.eyeHeight = 1.5f;
  f.ratePerSecond = 2.0f;
  f.minY = 0;
  f.maxY = 5;
  return f;
}

class FollowTest : public ::testing::Test {
 protected:
  // The camera's y after `ms` milliseconds at (x, y, 0).
  float after(int ms, float x, float y) {
    clock.advanceMilliseconds(ms);
    return camera.follow({x, y, 0}, clock.GetTickCount());
  }
  ManualClock clock;
  FloorFollowingCamera camera{std::make_unique<StepFloor>(), settings()};
};

TEST_F(FollowTest, ClimbsAStepAtTheFixedRateAndStopsAtEyeHeight) {
  float y = camera.start({-1, 0, 0}, clock.GetTickCount());
  EXPECT_FLOAT_EQ(y, 1.5f);  // placed at once, no climb from 0
  y = after(100, 1, y);      // onto the step: 0.2 of the 1.0 climb
  EXPECT_NEAR(y, 1.7f, 1e-5);
  EXPECT_FLOAT_EQ(camera.targetHeight(), 2.5f);
  y = after(200, 1, y);
  EXPECT_NEAR(y, 2.1f, 1e-5);
  y = after(1000, 1, y);  // never past the target
  EXPECT_FLOAT_EQ(y, 2.5f);
  y = after(250, -1, y);  // down again at the same rate
  EXPECT_NEAR(y, 2.0f, 1e-5);
}

TEST_F(FollowTest, RiseAndSinkStayAnOffsetAboveTheFloor) {
  float y = camera.start({-1, 0, 0}, clock.GetTickCount());
  y = after(10, -1, y + 0.75f);  // the rise key moved the camera up
  EXPECT_NEAR(y, 2.25f, 1e-5);
  y = after(1000, 1, y);  // onto the step: the offset rides along
  EXPECT_NEAR(y, 3.25f, 1e-5);
  y = after(10, 1, y - 0.25f);  // sink a little
  EXPECT_NEAR(y, 3.0f, 1e-5);
}

TEST_F(FollowTest, OutsideEveryFloorTheLastOneCountsAndTheBoxHolds) {
  float y = camera.start({5, 0, 0}, clock.GetTickCount());
  EXPECT_FLOAT_EQ(y, 2.5f);
  y = after(500, 20, y);  // beyond the map: height kept
  EXPECT_FLOAT_EQ(y, 2.5f);
  y = after(10, 20, 5.0f);  // risen to the box's top (where the camera step stops)
  EXPECT_FLOAT_EQ(y, 5.0f);
  y = after(10, -1, y);  // the floor drops by 1: the offset keeps the camera
  EXPECT_NEAR(y, 4.98f, 1e-5);  // 2.5 above the falling eye height
  y = after(10, -1, y - 1.0f);  // and sinks by what was sunk
  EXPECT_NEAR(y, 3.96f, 1e-5);
}

TEST(FloorFollowingCamera, TickWrapIsAShortStep) {
  FloorFollowingCamera camera(std::make_unique<StepFloor>(), settings());
  const float y = camera.start({-1, 0, 0}, 0xFFFFFF9Cu);  // 100 ms before the wrap
  EXPECT_NEAR(camera.follow({1, y, 0}, 100), 1.9f, 1e-5);  // 200 ms later
}

// A square room of 512 map units with a raised eastern half (floor 64) and player
// 1's start in the western half, facing north.
std::string twoFloorWad(const test::TempDir& dir) {
  testwad::MapBuilder m;
  m.sectors = {{0, 128, "FLOOR", "CEIL", 160}, {64, 200, "FLOOR", "CEIL", 160}};
  m.room({{-256, 256}, {0, 256}, {0, -256}, {-256, -256}}, 0);
  m.room({{0, 256}, {256, 256}, {256, -256}, {0, -256}}, 1);
  m.things = {{-128, 32}};
  auto lumps = m.lumps("MAP01");
  auto second = testwad::MapBuilder{m}.lumps("MAP02");
  lumps.insert(lumps.end(), second.begin(), second.end());
  return dir.writeBytes("two.wad", testwad::buildWad(lumps, "IWAD"));
}

TEST(MapStart, HeaderBoxIsTheMapsBoundsAndTheCameraStandsAtPlayerOne) {
  test::TempDir dir;
  const std::string wad = twoFloorWad(dir);
  const MapStart start = readMapStart(wad, "");  // the first map
  EXPECT_EQ(start.mapName, "MAP01");
  EXPECT_EQ(start.header.MapName, "MAP01");
  EXPECT_EQ(start.header.Title, "MAP01 - two.wad");
  EXPECT_FLOAT_EQ(start.header.MinX, -8);
  EXPECT_FLOAT_EQ(start.header.MaxX, 8);
  EXPECT_FLOAT_EQ(start.header.MinZ, -8);
  EXPECT_FLOAT_EQ(start.header.MaxZ, 8);
  EXPECT_FLOAT_EQ(start.header.MinY, 0);
  EXPECT_FLOAT_EQ(start.header.MaxY, 200 / 32.0f * 4 / 3);
  EXPECT_EQ(start.header.Antialias, 0);
  EXPECT_EQ(start.header.DisplayWidth, 1024u);
  EXPECT_EQ(start.header.DisplayHeight, 768u);
  ASSERT_TRUE(start.hasPlayerStart);
  EXPECT_FLOAT_EQ(start.position.x, -4);
  EXPECT_FLOAT_EQ(start.position.z, 1);
  EXPECT_FLOAT_EQ(start.position.y, 41 / 32.0f * 4 / 3);
  EXPECT_NEAR(start.rotation.y, 0, 1e-6);  // angle 90 (north) looks along +z
  EXPECT_GT(start.mapBytes, 0u);
  EXPECT_EQ(start.entryCount, 16u);

  // Walking east onto the raised half, the eye climbs the 64 units smoothly.
  const float eye = 41 / 32.0f * 4 / 3, raised = 64 / 32.0f * 4 / 3;
  float y = start.camera->start(start.position, 0);
  EXPECT_FLOAT_EQ(y, eye);
  y = start.camera->follow({4, y, 1}, 100);
  EXPECT_GT(y, eye);
  EXPECT_LT(y, eye + raised);
  y = start.camera->follow({4, y, 1}, 2000);
  EXPECT_FLOAT_EQ(y, eye + raised);
}

TEST(MapStart, AMapThatIsNotThereNamesItAndTheFile) {
  test::TempDir dir;
  const std::string wad = twoFloorWad(dir);
  EXPECT_EQ(readMapStart(wad, "map02").mapName, "MAP02");
  try {
    readMapStart(wad, "MAP09");
    FAIL() << "no error";
  } catch (const EDoomWadError& e) {
    EXPECT_EQ(std::string(e.what()), "Ο χάρτης MAP09 δεν βρέθηκε στο αρχείο " + wad + ".");
    EXPECT_NE(e.describe().find("map not found"), std::string::npos) << e.describe();
  }
  const std::string empty = dir.writeBytes("empty.wad", testwad::buildWad({{"PLAYPAL", {}}}, "IWAD"));
  EXPECT_THROW(readMapStart(empty, ""), EDoomWadError);
}

TEST(MapStart, WithoutPlayerOneTheCameraStandsInTheMiddle) {
  test::TempDir dir;
  testwad::MapBuilder m;
  m.sectors = {{16, 128, "FLOOR", "CEIL", 160}};
  m.room({{0, 64}, {64, 64}, {64, 0}, {0, 0}}, 0);
  const MapStart start = readMapStart(dir.writeBytes("none.wad", testwad::buildWad(m.lumps("E1M1"))), "");
  EXPECT_FALSE(start.hasPlayerStart);
  EXPECT_FLOAT_EQ(start.position.x, 1);
  EXPECT_FLOAT_EQ(start.position.z, 1);
  EXPECT_FLOAT_EQ(start.position.y, 57 / 32.0f * 4 / 3);
}

TEST(PlayerOptions, MapAndLumpNameTheSameAndAntialiasIsOffUnlessAsked) {
  EXPECT_EQ(parsePlayerOptions({"doom.wad", "--map", "MAP07"}).lump, "MAP07");
  EXPECT_EQ(parsePlayerOptions({"doom.wad", "--lump", "MAP07"}).lump, "MAP07");
  EXPECT_FALSE(parsePlayerOptions({"doom.wad"}).antialias);
  EXPECT_TRUE(parsePlayerOptions({"doom.wad", "--antialias"}).antialias);
  EXPECT_THROW(parsePlayerOptions({"doom.wad", "--map"}), std::invalid_argument);
}

}  // namespace
}  // namespace velorina
