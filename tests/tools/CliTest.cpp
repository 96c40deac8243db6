// End-to-end tests of velorina-tool and the player's headless start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "archive/MemoryStream.h"
#include "imaging/BmpCodec.h"
#include "imaging/PngCodec.h"
#include "scene/records/QuadrangleInfo.h"
#include "scene/records/SoundInfo.h"
#include "support/ArchiveBuilder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace velorina {
namespace {

using test::quote;
using test::runCommand;

const std::string kTool = std::string(VELORINA_BINARY_DIR) + "/velorina-tool";
// The bare player, which carries no world.
const std::string kPlayer = std::string(VELORINA_BINARY_DIR) + "/velorina-player";

std::size_t lines(const std::string& s) { return static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n')); }

TEST(Cli, EveryCommandHasHelp) {
  for (const char* cmd : {"--help", "wad --help", "pack --help"}) {
    const auto r = runCommand(kTool + " " + cmd);
    EXPECT_EQ(r.status, 0) << cmd;
    EXPECT_NE(r.out.find("usage:"), std::string::npos) << cmd;
  }
  const auto p = runCommand(kPlayer + " --help");
  EXPECT_EQ(p.status, 0);
  EXPECT_NE(p.out.find("usage: velorina"), std::string::npos);
}

TEST(Cli, WadCommandsListExtractCreateAndAdd) {
  test::TempDir dir;
  const auto map = dir.write("MAP01.D3D", "scene bytes");
  const auto tex = dir.write("wall.bmp", std::string(5000, 'x'));
  const auto wad = dir.file("w.wad");
  const std::string prefix = std::to_string(dir.path().string().size() + 1);
  ASSERT_EQ(runCommand(kTool + " wad create " + quote(wad) + " --strip " + prefix + " --level fastest " +
                       quote(tex) + " " + quote(map)).status, 0);
  auto r = runCommand(kTool + " wad list " + quote(wad));
  EXPECT_EQ(r.out, "MAP01.D3D\nwall.bmp\n");
  r = runCommand(kTool + " wad extract " + quote(wad) + " map01.d3d");
  EXPECT_EQ(r.out, "scene bytes");

  // Add a nested archive and read through it with "|".
  const auto inner = dir.writeBytes("inner.wad", test::ArchiveBuilder().add("deep.txt", "deep").build());
  ASSERT_EQ(runCommand(kTool + " wad add " + quote(wad) + " " + quote(inner) + " --name INNER.WAD").status, 0);
  const auto out = dir.file("deep.out");
  EXPECT_EQ(runCommand(kTool + " wad extract " + quote(wad) + " 'inner.wad|DEEP.TXT' -o " + quote(out)).status, 0);
  EXPECT_EQ(test::TempDir::read(out), "deep");
  EXPECT_EQ(lines(runCommand(kTool + " wad list " + quote(wad)).out), 3u);
}

TEST(Cli, FailuresExitOneWithOneLineNamingTheFile) {
  test::TempDir dir;
  const auto notWad = dir.write("notes.txt", "plain text, no archive");
  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder().add("a", "b").build());
  const struct {
    std::string command;
    std::string mustSay;
  } cases[] = {
      {kTool + " wad list " + quote(notWad), "Το αρχείο είναι ακατάλληλου τύπου"},
      {kTool + " wad extract " + quote(wad) + " missing", "Η καταχώρηση δεν βρέθηκε στο αρχείο WAD: missing"},
      {kTool + " wad list " + quote(dir.file("absent.wad")), "absent.wad"},
      {kTool + " wad create " + quote(dir.file("x.wad")) + " " + quote(dir.file("absent")), "absent"},
      {kTool + " wad create x.wad --level huge a", "--level"},
      {kTool + " pack --info " + quote(notWad), "Το αρχείο είναι ακατάλληλου τύπου"},
      {kTool + " frobnicate", "frobnicate"},
  };
  for (const auto& c : cases) {
    const auto r = runCommand(c.command);
    EXPECT_EQ(r.status, 1) << c.command;
    EXPECT_EQ(lines(r.err), 1u) << c.command << "\n" << r.err;
    EXPECT_NE(r.err.find(c.mustSay), std::string::npos) << c.command << "\n" << r.err;
  }
  for (const auto& c : {notWad, wad}) EXPECT_TRUE(std::filesystem::exists(c));
}

TEST(Cli, PackedPlayerStartsWithItsWorldAndRepackingReplacesThePackage) {
  test::TempDir dir;
  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder().add("C:\\MAP01.D3D", "scene").add("t.bmp", "BM").build());
  const auto player = dir.file("player");
  ASSERT_EQ(runCommand(kTool + " pack --archive " + quote(wad) + " -o " + quote(player) + " --player " + quote(kPlayer) +
                       " --title 'Test World' --background '#102030' --display 640x480").status, 0);
  auto r = runCommand(quote(player) + " --headless --frames 1");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\"Test World\": map \"MAP01.D3D\" (lump \"C:\\MAP01.D3D\", 5 bytes), archive of 2 entries\n");
  // --verbose names the device and marks the first frame, once.
  r = runCommand(quote(player) + " --headless --frames 3 --device software --verbose");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("velorina: render device: "), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("velorina: first frame shown\n"), r.err.rfind("velorina: first frame shown\n")) << r.err;
  EXPECT_NE(r.err.find("velorina: first frame shown\n"), std::string::npos) << r.err;

  r = runCommand(kTool + " pack --info " + quote(player));
  EXPECT_NE(r.out.find("\"Title\": \"Test World\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"BackgroundColor\": 3153936"), std::string::npos) << r.out;  // 0x00302010
  EXPECT_NE(r.out.find("\"DisplayWidth\": 640"), std::string::npos);

  // Packing the packed player again replaces its world instead of stacking one.
  const auto again = dir.file("again");
  ASSERT_EQ(runCommand(kTool + " pack --archive " + quote(wad) + " -o " + quote(again) + " --player " + quote(player) +
                       " --title 'Test World' --background '#102030' --display 640x480").status, 0);
  EXPECT_EQ(std::filesystem::file_size(again), std::filesystem::file_size(player));
  EXPECT_EQ(runCommand(quote(again) + " --headless").status, 0);

  // The bare player carries no world: start-up fails with the wrong-type message.
  r = runCommand(quote(kPlayer) + " --headless");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Το αρχείο είναι ακατάλληλου τύπου"), std::string::npos) << r.err;
}

// The shipped `velorina` is the bare player with the shipped world packed behind it;
// pack takes either as its player (the shipped one by default) and gives the same
// file, the shipped world replaced by the new one.
TEST(Cli, PackTakesTheBareOrTheShippedPlayerAndReplacesTheShippedWorld) {
  test::TempDir dir;
  const std::string shipped = std::string(VELORINA_BINARY_DIR) + "/velorina";
  auto r = runCommand(quote(shipped) + " --headless");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("\"Velorina 3D Player\": map \"MAP01.D3D\" (lump \"C:\\MAP01.D3D\"", 0), 0u) << r.out;

  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder().add("C:\\MAP01.D3D", "scene").build());
  const auto fromBare = dir.file("from-bare");
  const auto fromShipped = dir.file("from-shipped");
  ASSERT_EQ(runCommand(kTool + " pack --archive " + quote(wad) + " -o " + quote(fromBare) + " --player " + quote(kPlayer) +
                       " --title Mine").status, 0);
  r = runCommand(kTool + " pack --archive " + quote(wad) + " -o " + quote(fromShipped) + " --title Mine");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::TempDir::read(fromShipped), test::TempDir::read(fromBare));
  const auto packageBytes = std::filesystem::file_size(fromBare) - std::filesystem::file_size(kPlayer);
  EXPECT_LT(packageBytes, 200u);  // the header and the small archive, nothing of the shipped world
  r = runCommand(quote(fromShipped) + " --headless");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "\"Mine\": map \"MAP01.D3D\" (lump \"C:\\MAP01.D3D\", 5 bytes), archive of 1 entries\n");
}

// A world archive with one red-textured wall at z = 4 and its texture.
test::Bytes wallWorld() {
  TD3DQuadrangleInfo q;
  q.ID = 1;
  q.Corners = {D3DVECTOR{-1, 1, 4}, {1, 1, 4}, {-1, -1, 4}, {1, -1, 4}};
  q.TexSpanU = q.TexSpanV = 1;
  q.Colors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  q.Flags = 1;
  MemoryStream s;
  s.writeExact("SCENEDEF", 8);
  s.writeU32(117);
  s.writeU32(13);
  s.writeExact("C:\\TEX\\R.BMP", 12);
  s.writeExact("\n", 1);
  s.writeU32(1);
  s.writeU8(2);
  s.writeI16(1);
  s.writeI16(0);
  s.writeI16(-1);
  q.write(s);
  s.writeU32(0);
  Bitmap red(8, 8, PixelFormat::Bits24);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) red.row(y)[3 * x + 2] = 255;
  }
  const ByteBuffer bmp = writeBmp(red);
  return test::ArchiveBuilder()
      .add("C:\\MAP01.D3D", std::string(s.bytes().begin(), s.bytes().end()))
      .add("C:\\TEX\\R.BMP", std::string(bmp.begin(), bmp.end()))
      .build();
}

TEST(Cli, SceneDumpAndHeadlessRenderOfAWorld) {
  test::TempDir dir;
  const auto wad = dir.writeBytes("w.wad", wallWorld());
  auto r = runCommand(kTool + " scene dump " + quote(wad));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"textures\": [\"C:\\\\TEX\\\\R.BMP\"]"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"TextureName\": \"C:\\\\TEX\\\\R.BMP\""), std::string::npos) << r.out;

  const auto png = dir.file("frame.png");
  r = runCommand(kTool + " render " + quote(wad) + " --size 64x48 --time 0.05 --out " + quote(png));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string bytes = test::TempDir::read(png);
  const Bitmap frame = decodePng(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), png);
  ASSERT_EQ(frame.width(), 64);
  const auto argb = frame.toARGB32();
  EXPECT_EQ(argb[24 * 64 + 32] & 0xFFFFFF, 0xFF0000u);  // the wall, textured red, in the middle
  EXPECT_EQ(argb[0] & 0xFFFFFF, 0u);                    // the black background

  r = runCommand(kTool + " render " + quote(wad) + " --size 0x0 --out " + quote(png));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(lines(r.err), 1u);
}

// A mono 8-bit 8 kHz WAVE of `frames` samples.
std::string tinyWave(std::uint32_t frames) {
  MemoryStream w;
  w.writeExact("RIFF", 4);
  w.writeU32(36 + frames);
  w.writeExact("WAVEfmt ", 8);
  w.writeU32(16);
  w.writeU16(1);
  w.writeU16(1);
  w.writeU32(8000);
  w.writeU32(8000);
  w.writeU16(1);
  w.writeU16(8);
  w.writeExact("data", 4);
  w.writeU32(frames);
  for (std::uint32_t i = 0; i < frames; ++i) w.writeU8(static_cast<std::uint8_t>(128 + ((i / 9) % 2 ? 60 : -60)));
  return std::string(w.bytes().begin(), w.bytes().end());
}

TEST(Cli, APackedWorldWithASoundPlaysHeadlessWithoutError) {
  test::TempDir dir;
  MemoryStream scene;
  scene.writeExact("SCENEDEF", 8);
  scene.writeU32(117);
  scene.writeU32(0);
  scene.writeU32(0);
  scene.writeU32(1);
  scene.writeU8(101);
  scene.writeU8(8);
  scene.writeExact("beep.wav", 8);
  TD3DSoundInfo sound;
  sound.ID = 7;
  sound.Position = {0, 0, 2};
  sound.Range = 10;
  sound.Looped = true;
  sound.Enabled = true;
  sound.write(scene);
  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder()
                                               .add("MAP01.D3D", std::string(scene.bytes().begin(), scene.bytes().end()))
                                               .add("beep.wav", tinyWave(4000))
                                               .build());
  const auto player = dir.file("player");
  ASSERT_EQ(runCommand(kTool + " pack --archive " + quote(wad) + " -o " + quote(player) + " --player " + quote(kPlayer)).status, 0);
  const auto r = runCommand("SDL_AUDIODRIVER=dummy " + quote(player) + " --headless --frames 20 --fixed-step 10");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace velorina
