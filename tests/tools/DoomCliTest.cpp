// velorina-tool doom probe, maps, texture and convert on small game WADs made here
// (Doom, Heretic-marked and Hexen-form), and the player opening what they make.
#include <gtest/gtest.h>

#include "doommap/TestWad.h"
#include "imaging/PngCodec.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace velorina {
namespace {

using namespace testwad;
using test::quote;
using test::runCommand;

const std::string kTool = std::string(VELORINA_BINARY_DIR) + "/velorina-tool";
// The bare player, which carries no world.
const std::string kPlayer = std::string(VELORINA_BINARY_DIR) + "/velorina-player";

enum class Game { Doom, Heretic, Hexen };

// A game WAD of one kind: its marker lump, a palette, a wall texture of two
// patches, a flat, and two maps (E1M1 before MAP01), each a room holding a raised
// block and player 1's start.
std::string gameWad(const test::TempDir& dir, Game game, const std::string& name) {
  Bytes palette;
  for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i)});
  std::vector<Lump> lumps = {
      {game == Game::Doom ? "M_DOOM" : game == Game::Heretic ? "MAPE1" : "PLAYPAL", {1}},
      {"PLAYPAL", palette},
      {"PNAMES", pnames({"LEFT", "RIGHT"})},
      {"TEXTURE1", textureLump({{"WALL", 8, 4, {{0, 0, 0}, {4, 0, 1}}}})},
      {"P_START", {}},
      {"LEFT", patchLump(4, 4, 0, {10, 11, 12, 13})},
      {"RIGHT", patchLump(4, 4, 0, {200, 201, 202, 203})},
      {"P_END", {}},
      {"F_START", {}},
      {"FLOOR", Bytes(4096, 40)},
      {"F_END", {}},
  };
  MapBuilder m;
  m.sectors = {{0, 128, "FLOOR", "FLOOR", 160}, {24, 128, "FLOOR", "FLOOR", 160}};
  m.room({{0, 256}, {256, 256}, {256, 0}, {0, 0}}, 0, "WALL");
  m.room({{64, 128}, {128, 128}, {128, 64}, {64, 64}}, 1, "WALL");  // one-sided: a solid block
  m.things = {{32, 32}};
  const bool hexen = game == Game::Hexen;
  for (const char* map : {"E1M1", "MAP01"}) {
    for (auto& l : m.lumps(map, hexen)) lumps.push_back(l);
    if (hexen) lumps.push_back({"BEHAVIOR", {0}});
  }
  return dir.writeBytes(name, buildWad(lumps, "IWAD"));
}

TEST(DoomCli, ProbeNamesTheKindByNumberAndName) {
  test::TempDir dir;
  EXPECT_EQ(runCommand(kTool + " doom probe " + quote(gameWad(dir, Game::Doom, "d.wad"))).out, "0 doom\n");
  EXPECT_EQ(runCommand(kTool + " doom probe " + quote(gameWad(dir, Game::Heretic, "h.wad"))).out, "1 heretic\n");
  EXPECT_EQ(runCommand(kTool + " doom probe " + quote(gameWad(dir, Game::Hexen, "x.wad"))).out, "2 hexen\n");
  const auto r = runCommand(kTool + " doom probe " + quote(dir.write("n.wad", "not a wad at all")));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "5 not a WAD\n");
  const auto missing = runCommand(kTool + " doom probe " + quote(dir.file("gone.wad")));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("gone.wad"), std::string::npos) << missing.err;
  EXPECT_EQ(runCommand(kTool + " doom probe").status, 1);  // no WAD named
  EXPECT_EQ(runCommand(kTool + " doom --help").status, 0);
}

TEST(DoomCli, MapsInDirectoryOrderAndTexturesAsPictures) {
  test::TempDir dir;
  const std::string wad = gameWad(dir, Game::Doom, "d.wad");
  EXPECT_EQ(runCommand(kTool + " doom maps " + quote(wad)).out, "E1M1\nMAP01\n");

  const std::string png = dir.file("wall.png");
  ASSERT_EQ(runCommand(kTool + " doom texture " + quote(wad) + " wall -o " + quote(png)).status, 0);
  const std::string bytes = test::TempDir::read(png);
  const Bitmap wall = decodePng(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), png);
  ASSERT_EQ(wall.width(), 8);
  ASSERT_EQ(wall.height(), 4);
  EXPECT_EQ(wall.colour(0, 0), 0xFF0A00F5u);  // LEFT's index 10: (10, 0, 245)
  EXPECT_EQ(wall.colour(4, 3), 0xFFCB0034u);  // RIGHT's index 203
  ASSERT_EQ(runCommand(kTool + " doom texture " + quote(wad) + " FLOOR -o " + quote(dir.file("f.bmp"))).status, 0);

  const auto wrongType = runCommand(kTool + " doom texture " + quote(wad) + " WALL -o " + quote(dir.file("w.jpg")));
  EXPECT_EQ(wrongType.status, 1);
  EXPECT_NE(wrongType.err.find("w.jpg"), std::string::npos) << wrongType.err;
  EXPECT_EQ(runCommand(kTool + " doom texture " + quote(wad) + " WALL").status, 1);  // no -o
  const auto notWad = runCommand(kTool + " doom texture " + quote(dir.write("n.wad", "text")) + " WALL -o " +
                                 quote(dir.file("n.png")));
  EXPECT_EQ(notWad.status, 1);
  EXPECT_NE(notWad.err.find("n.wad"), std::string::npos) << notWad.err;
}

// Every kind goes through the whole import: converted into a world that plays
// without the WAD (the textures inside it as BMP lumps), and opened by the player.
TEST(DoomCli, EachKindConvertsIntoAWorldThePlayerOpens) {
  test::TempDir dir;
  for (const Game game : {Game::Doom, Game::Heretic, Game::Hexen}) {
    const std::string wad = gameWad(dir, game, "game.wad");
    const std::string world = dir.file("world.wad");
    const auto r = runCommand(kTool + " doom convert " + quote(wad) + " map01 -o " + quote(world));
    ASSERT_EQ(r.status, 0) << r.err;
    // 8 one-sided walls (the room's and the alcove's); textures WALL and FLOOR.
    EXPECT_NE(r.out.find(": 8 walls,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(", 2 textures"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("velorina-tool pack --archive " + world + " --map MAP01.D3D --min-x -1 --max-x 7 --min-y 0"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(runCommand(kTool + " wad list " + quote(world)).out, "C:\\MAP01.D3D\nFLOOR.BMP\nWALL.BMP\n");
    std::filesystem::remove(wad);  // the world needs the game WAD no more
    const auto played = runCommand(kPlayer + " " + quote(world) + " --headless --device software --frames 2");
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_NE(played.out.find("MAP01.D3D"), std::string::npos) << played.out;

    const std::string again = gameWad(dir, game, "game.wad");
    const auto direct = runCommand(kPlayer + " " + quote(again) + " --headless --device software --frames 2");
    EXPECT_EQ(direct.status, 0) << direct.err;
    EXPECT_NE(direct.out.find("map \"E1M1\""), std::string::npos) << direct.out;  // the first map
  }
}

TEST(DoomCli, ConvertFailuresNameTheFileAndLeaveTheOutputAlone) {
  test::TempDir dir;
  const std::string wad = gameWad(dir, Game::Doom, "d.wad");
  const std::string world = dir.write("world.wad", "keep me");
  const auto noMap = runCommand(kTool + " doom convert " + quote(wad) + " MAP09 -o " + quote(world));
  EXPECT_EQ(noMap.status, 1);
  EXPECT_NE(noMap.err.find("Ο χάρτης MAP09 δεν βρέθηκε στο αρχείο " + wad + "."), std::string::npos) << noMap.err;
  EXPECT_NE(noMap.err.find("map not found"), std::string::npos) << noMap.err;
  for (const char* bad : {" --scale 0", " --scale x", " --brightness 2"}) {
    const auto r = runCommand(kTool + " doom convert " + quote(wad) + " MAP01 -o " + quote(world) + bad);
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_NE(r.err.find(std::string(bad).substr(1, 7)), std::string::npos) << r.err;
  }
  const auto notWad = runCommand(kTool + " doom convert " + quote(world) + " MAP01 -o " + quote(dir.file("o.wad")));
  EXPECT_EQ(notWad.status, 1);
  EXPECT_NE(notWad.err.find("world.wad"), std::string::npos) << notWad.err;
  EXPECT_EQ(test::TempDir::read(world), "keep me");
  const auto player = runCommand(kPlayer + " " + quote(wad) + " --map MAP09 --headless");
  EXPECT_EQ(player.status, 1);
  EXPECT_NE(player.err.find("map not found"), std::string::npos) << player.err;
}

}  // namespace
}  // namespace velorina
