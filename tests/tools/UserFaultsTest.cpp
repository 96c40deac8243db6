// End-to-end tests of what a new user meets: files that must never be lost,
// failures that must not hang or pass for success, messages people can read, and
// options spelled the same way everywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "archive/MemoryStream.h"
#include "scene/records/QuadrangleInfo.h"
#include "shell/WorldPackage.h"
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
std::size_t occurrences(const std::string& s, const std::string& part) {
  std::size_t n = 0;
  for (auto at = s.find(part); at != std::string::npos; at = s.find(part, at + part.size())) ++n;
  return n;
}
bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

// A scene stream of quadrangles at z = 4, each painted with `texture`.
std::string quadScene(int quads, const std::string& texture) {
  MemoryStream s;
  s.writeExact("SCENEDEF", 8);
  s.writeU32(117);
  s.writeU32(static_cast<std::uint32_t>(texture.size() + 1));
  s.writeExact(texture.data(), texture.size());
  s.writeExact("\n", 1);
  s.writeU32(static_cast<std::uint32_t>(quads));
  for (int i = 0; i < quads; ++i) {
    TD3DQuadrangleInfo q;
    q.ID = i + 1;
    const float x = static_cast<float>(i) * 0.5f;
    q.Corners = {D3DVECTOR{x - 1, 1, 4}, {x + 1, 1, 4}, {x - 1, -1, 4}, {x + 1, -1, 4}};
    q.TexSpanU = q.TexSpanV = 1;
    q.Colors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    q.Flags = 1;
    s.writeU8(2);
    s.writeI16(1);
    s.writeI16(0);
    s.writeI16(-1);
    q.write(s);
  }
  s.writeU32(0);
  return std::string(s.bytes().begin(), s.bytes().end());
}

std::string emptyScene() {
  MemoryStream s;
  s.writeExact("SCENEDEF", 8);
  for (int i = 0; i < 4; ++i) s.writeU32(i == 0 ? 117 : 0);
  return std::string(s.bytes().begin(), s.bytes().end());
}

TEST(UserFaults, NothingTheUserNamedIsEverRemovedOrReplacedByAFailedWrite) {
  test::TempDir dir;
  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder().add("MAP01.D3D", emptyScene()).build());
  // Directories standing where a picture is to go, named with and without a
  // picture extension.
  for (const char* name : {"shot.png", "frame.png", "test.bmp"}) std::filesystem::create_directory(dir.file(name));
  const std::string commands[] = {
      kTool + " render " + quote(wad) + " --size 8x8 --out " + quote(dir.file("frame.png")),
      kTool + " render-test --size 8x8 --out " + quote(dir.file("test.bmp")),
      kPlayer + " " + quote(wad) + " --headless --frames 1 --screenshot " + quote(dir.file("shot.png")),
  };
  for (const auto& c : commands) {
    const auto r = runCommand(c);
    EXPECT_EQ(r.status, 1) << c;
    EXPECT_TRUE(contains(r.err, "It is a directory")) << c << "\n" << r.err;
  }
  for (const char* name : {"shot.png", "frame.png", "test.bmp"}) EXPECT_TRUE(std::filesystem::is_directory(dir.file(name)));

  // The archive writers refuse what would leave an archive worse than before.
  const auto keep = dir.writeBytes("keep.wad", test::ArchiveBuilder().add("a", "b").build());
  const std::string before = test::TempDir::read(keep);
  const auto upper = dir.write("A.TXT", "1");
  const auto lower = dir.write("a.txt", "2");
  const std::string prefix = std::to_string(dir.path().string().size() + 1);
  const struct {
    std::string command;
    std::string mustSay;
  } refusals[] = {
      {kTool + " wad create " + quote(keep), "no FILE"},
      {kTool + " wad create " + quote(keep) + " --strip 999 " + quote(upper), "leaves an empty entry name"},
      {kTool + " wad create " + quote(keep) + " --strip " + prefix + " " + quote(upper) + " " + quote(lower),
       "would both be stored as"},
  };
  for (const auto& c : refusals) {
    const auto r = runCommand(c.command);
    EXPECT_EQ(r.status, 1) << c.command;
    EXPECT_TRUE(contains(r.err, "keep.wad")) << r.err;
    EXPECT_TRUE(contains(r.err, c.mustSay)) << r.err;
  }
  EXPECT_EQ(test::TempDir::read(keep), before);
}

TEST(UserFaults, AFrameIsWrittenInTheFormatItsNameAsksForOrRefused) {
  test::TempDir dir;
  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder().add("MAP01.D3D", emptyScene()).build());
  ASSERT_EQ(runCommand(kTool + " render " + quote(wad) + " --size 8x8 -o " + quote(dir.file("f.bmp"))).status, 0);
  EXPECT_EQ(test::TempDir::read(dir.file("f.bmp")).substr(0, 2), "BM");
  ASSERT_EQ(runCommand(kTool + " render-test --size 8x8 -o " + quote(dir.file("t.PNG"))).status, 0);
  EXPECT_EQ(test::TempDir::read(dir.file("t.PNG")).substr(1, 3), "PNG");

  auto r = runCommand(kTool + " render " + quote(wad) + " --out " + quote(dir.file("f.jpg")));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "cannot write pictures of type \"JPG\" (PNG, BMP)")) << r.err;
  r = runCommand(kPlayer + " " + quote(wad) + " --headless --screenshot " + quote(dir.file("s.jpg")));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "JPG")) << r.err;

  // A screenshot without --frames draws one frame and keeps it.
  r = runCommand(kPlayer + " " + quote(wad) + " --headless --screenshot " + quote(dir.file("s.png")));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::TempDir::read(dir.file("s.png")).substr(1, 3), "PNG");
  EXPECT_FALSE(std::filesystem::exists(dir.file("f.jpg")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.jpg")));
}

TEST(UserFaults, OutOfRangeValuesExitOneNamingTheOptionInOneWording) {
  test::TempDir dir;
  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder().add("MAP01.D3D", emptyScene()).build());
  const struct {
    std::string command;
    std::string mustSay;
  } cases[] = {
      {kTool + " render " + quote(wad) + " --detail 99 --out " + quote(dir.file("x.png")),
       "velorina-tool render: --detail must lie between 0 and 6, not \"99\""},
      {kTool + " tone --frequency 5 -o " + quote(dir.file("t.wav")),
       "velorina-tool tone: --frequency must lie between 20 and 20000, not \"5\""},
      {kTool + " tone --sustain 101 -o " + quote(dir.file("t.wav")), "--sustain must lie between 0 and 100"},
      {kTool + " render " + quote(wad) + " --size 9000x8 --out " + quote(dir.file("x.png")),
       "--size must lie between 1 and 8192"},
      {kTool + " pack --archive " + quote(wad) + " -o " + quote(dir.file("p")) + " --player " + quote(kPlayer) +
           " --display 99999x99999",
       "velorina-tool pack: --display must lie between 1 and 16384"},
      {kTool + " pack --archive " + quote(wad) + " -o " + quote(dir.file("p")) + " --player " + quote(kPlayer) +
           " --display 0x600",
       "--display must lie between 1 and 16384"},
  };
  for (const auto& c : cases) {
    const auto r = runCommand(c.command);
    EXPECT_EQ(r.status, 1) << c.command;
    EXPECT_EQ(lines(r.err), 1u) << r.err;
    EXPECT_TRUE(contains(r.err, c.mustSay)) << c.command << "\n" << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("t.wav")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("p")));
}

// A copy of the bare player with a package whose header asks for `width` x `height`.
std::string playerWithDisplay(const test::TempDir& dir, std::uint32_t width, std::uint32_t height) {
  const std::string path = dir.file("big-player");
  std::filesystem::copy_file(kPlayer, path);
  TWorldHeader header = TWorldHeader::shipped();
  header.DisplayWidth = width;
  header.DisplayHeight = height;
  const test::Bytes archive = test::ArchiveBuilder().add("MAP01.D3D", emptyScene()).build();
  MemoryStream package;
  appendWorldPackage(package, header, archive);
  // The trailer must hold the package's offset in the whole file.
  const auto imageSize = static_cast<std::uint32_t>(std::filesystem::file_size(path));
  std::string bytes(package.bytes().begin(), package.bytes().end());
  for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<char>((imageSize >> (8 * i)) & 0xFF);
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
  return path;
}

TEST(UserFaults, FailuresSaySoInsteadOfHangingAbortingOrPassingForSuccess) {
  test::TempDir dir;
  // A header asking for 99999 x 99999 is refused, not allocated.
  const auto big = playerWithDisplay(dir, 99999, 99999);
  auto r = runCommand(quote(big) + " --headless --frames 1");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "99999 x 99999")) << r.err;
  EXPECT_TRUE(contains(r.err, "between 1 and 16384")) << r.err;
  r = runCommand(kTool + " render " + quote(big) + " --out " + quote(dir.file("big.png")));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "99999x99999")) << r.err;

  // A DISPLAY whose server is not there: a message and status 1, soon.
  r = runCommand("env -u SDL_VIDEODRIVER DISPLAY=:97 timeout 20 " + quote(big) + " --windowed");
  EXPECT_EQ(r.status, 1) << r.err;
  r = runCommand("env -u SDL_VIDEODRIVER DISPLAY=:97 timeout 20 " + kPlayer + " " + quote(big) + " --windowed");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(contains(r.err, "DISPLAY is \":97\"")) << r.err;

  // pack takes only a player of ours; --info of a player without a world fails.
  const auto script = dir.write("not-a-player.sh", "#!/bin/sh\necho hello\n");
  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder().add("MAP01.D3D", emptyScene()).build());
  r = runCommand(kTool + " pack --archive " + quote(wad) + " -o " + quote(dir.file("out")) + " --player " + quote(script));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "ELF")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
  r = runCommand(kTool + " pack --info " + quote(kPlayer));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(contains(r.err, "carries no world package")) << r.err;

  // scene dump prints nothing unless the whole scene was read.
  const std::string whole = quadScene(2, "C:\\T.BMP");
  const auto truncated = dir.write("cut.D3D", whole.substr(0, whole.size() - 30));
  const auto empty = dir.write("empty.D3D", "");
  for (const auto& file : {truncated, empty}) {
    r = runCommand(kTool + " scene dump " + quote(file));
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_EQ(r.out, "") << file;
    EXPECT_EQ(lines(r.err), 1u) << r.err;
    EXPECT_TRUE(r.err.starts_with("velorina-tool scene: ")) << r.err;
  }

  // A scene file is a world the player reads, as its help says.
  const auto sceneFile = dir.write("WORLD.D3D", whole);
  r = runCommand(kPlayer + " " + quote(sceneFile) + " --headless");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "lump \"WORLD.D3D\", " + std::to_string(whole.size()) + " bytes")) << r.out;
  r = runCommand(kPlayer + " " + quote(sceneFile) + " --headless --frames 2");
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST(UserFaults, AMissingTextureIsReportedOnceOnStandardError) {
  test::TempDir dir;
  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder().add("MAP01.D3D", quadScene(3, "C:\\NOWHERE.BMP")).build());
  auto r = runCommand(kTool + " render " + quote(wad) + " --size 16x16 --out " + quote(dir.file("x.png")));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(occurrences(r.err, "NOWHERE.BMP"), 1u) << r.err;
  EXPECT_TRUE(r.err.starts_with("velorina-tool render: warning: texture")) << r.err;
  r = runCommand(kPlayer + " " + quote(wad) + " --headless --frames 3");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(occurrences(r.err, "velorina: warning: texture \"C:\\NOWHERE.BMP\" not found"), 1u) << r.err;
}

TEST(UserFaults, MessagesCarryTheSystemsTextThenAnEnglishGloss) {
  test::TempDir dir;
  const auto wad = dir.writeBytes("world.wad", test::ArchiveBuilder().add("a", "b").build());
  auto r = runCommand(kTool + " wad extract " + quote(wad) + " NAME");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "velorina-tool wad: " + wad + ": Η καταχώρηση δεν βρέθηκε στο αρχείο WAD: NAME (entry not found in the archive)\n");
  const auto text = dir.write("notes.txt", "no archive");
  r = runCommand(kTool + " wad list " + quote(text));
  EXPECT_TRUE(contains(r.err, "Το αρχείο είναι ακατάλληλου τύπου (the file is not of the right type")) << r.err;

  // The bare player says that it carries no world and how to give it one.
  r = runCommand(kPlayer + " --headless");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "Το αρχείο είναι ακατάλληλου τύπου")) << r.err;
  EXPECT_TRUE(contains(r.err, "no world is packed into this player")) << r.err;
  EXPECT_TRUE(contains(r.err, "velorina-tool pack")) << r.err;

  // Without a sound device the sound libraries' own lines give way to one of ours.
  const auto world = dir.writeBytes("w.wad", test::ArchiveBuilder().add("MAP01.D3D", emptyScene()).build());
  r = runCommand("SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH=/nonexistent " + kPlayer + " " + quote(world) +
                 " --headless --frames 1");
  EXPECT_EQ(r.status, 0);
  if (contains(r.err, "no audio device")) {
    EXPECT_EQ(r.err, "velorina: no audio device: sound is off\n");
  }
}

TEST(UserFaults, TheSceneLumpIsChosenAlikeByEveryProgram) {
  test::TempDir dir;
  const std::string scene = quadScene(1, "C:\\T.BMP");
  const auto one = dir.writeBytes("one.wad", test::ArchiveBuilder().add("C:\\WORLDS\\HALL.D3D", scene).add("notes.txt", "x").build());
  const auto two = dir.writeBytes("two.wad", test::ArchiveBuilder().add("A.D3D", scene).add("B.D3D", scene).build());
  const auto both = dir.writeBytes("both.wad", test::ArchiveBuilder().add("A.D3D", scene).add("C:\\MAP01.D3D", scene).build());

  // The only .D3D lump, for every reader, and pack stores the name it chose.
  EXPECT_EQ(runCommand(kTool + " scene dump " + quote(one)).status, 0);
  auto r = runCommand(kTool + " render " + quote(one) + " --size 8x8 -o " + quote(dir.file("x.png")));
  EXPECT_EQ(r.status, 0) << r.err;
  r = runCommand(kPlayer + " " + quote(one) + " --headless");
  EXPECT_TRUE(contains(r.out, "lump \"C:\\WORLDS\\HALL.D3D\"")) << r.out << r.err;
  const auto player = dir.file("player");
  ASSERT_EQ(runCommand(kTool + " pack --archive " + quote(one) + " --out " + quote(player) + " --player " + quote(kPlayer)).status, 0);
  r = runCommand(quote(player) + " --headless");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "lump \"C:\\WORLDS\\HALL.D3D\"")) << r.out;

  // MAP01.D3D by file name wins over other scenes.
  r = runCommand(kPlayer + " " + quote(both) + " --headless");
  EXPECT_TRUE(contains(r.out, "lump \"C:\\MAP01.D3D\"")) << r.out << r.err;
  r = runCommand(kTool + " scene dump " + quote(both));
  EXPECT_EQ(r.status, 0) << r.err;

  // Several and none of them MAP01.D3D: every program names the candidates.
  for (const std::string& c : {kTool + " scene dump " + quote(two), kTool + " render " + quote(two) + " -o x.png",
                               kPlayer + " " + quote(two) + " --headless",
                               kTool + " pack --archive " + quote(two) + " -o " + quote(dir.file("p2")) +
                                   " --player " + quote(kPlayer)}) {
    r = runCommand(c);
    EXPECT_EQ(r.status, 1) << c;
    EXPECT_TRUE(contains(r.err, "\"A.D3D\", \"B.D3D\"")) << c << "\n" << r.err;
  }
}

TEST(UserFaults, ArchivesInsidePackedPlayersAndOptionsSpelledAlike) {
  test::TempDir dir;
  const auto wad = dir.writeBytes("w.wad", test::ArchiveBuilder().add("MAP01.D3D", emptyScene()).add("note.txt", "hi").build());
  const auto player = dir.file("player");
  ASSERT_EQ(runCommand(kTool + " pack --archive " + quote(wad) + " -o " + quote(player) + " --player " + quote(kPlayer)).status, 0);
  EXPECT_EQ(runCommand(kTool + " wad list " + quote(player)).out, "MAP01.D3D\nnote.txt\n");
  EXPECT_EQ(runCommand(kTool + " wad extract " + quote(player) + " note.txt").out, "hi");
  ASSERT_EQ(runCommand(kTool + " wad extract " + quote(player) + " note.txt --out " + quote(dir.file("n"))).status, 0);
  EXPECT_EQ(test::TempDir::read(dir.file("n")), "hi");
  ASSERT_EQ(runCommand(kTool + " pack --extract " + quote(player) + " -o " + quote(dir.file("back.wad"))).status, 0);
  EXPECT_EQ(test::TempDir::read(dir.file("back.wad")), test::TempDir::read(wad));
  auto r = runCommand(kTool + " pack --extract " + quote(kPlayer) + " -o " + quote(dir.file("none.wad")));
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.wad")));

  // Both programs tell their version; every toolbox failure names its command.
  for (const std::string& program : {kTool, kPlayer}) {
    r = runCommand(program + " --version");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with(program == kTool ? "velorina-tool " : "velorina ")) << r.out;
  }
  for (const char* command : {"wad", "pack", "render", "render-test", "scene", "image", "sound", "tone"}) {
    r = runCommand(kTool + " " + command + " " + quote(dir.file("absent.file")) + " --no-such-option");
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_TRUE(r.err.starts_with(std::string("velorina-tool ") + command + ": ")) << r.err;
  }
  r = runCommand(kTool + " image info " + quote(dir.file("absent.bmp")));
  EXPECT_TRUE(r.err.starts_with("velorina-tool image: ")) << r.err;
  r = runCommand(kTool + " wad list " + quote(dir.file("absent.wad")));
  EXPECT_TRUE(r.err.starts_with("velorina-tool wad: ")) << r.err;
}

}  // namespace
}  // namespace velorina
