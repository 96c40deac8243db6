// End-to-end tests of velorina-tool and the player's headless start-up.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/ArchiveBuilder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace velorina {
namespace {

using test::quote;
using test::runCommand;

const std::string kTool = std::string(VELORINA_BINARY_DIR) + "/velorina-tool";
const std::string kPlayer = std::string(VELORINA_BINARY_DIR) + "/velorina";

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

}  // namespace
}  // namespace velorina
