// The committed font resources and tables are what the generator makes from the
// installed font.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/RunCommand.h"

namespace velorina {
namespace {

using test::quote;
using test::TempDir;

TEST(FontGenerator, MakesTheCommittedBytesFromTheInstalledFont) {
  if (!std::filesystem::exists(VELORINA_FONT_FILE)) GTEST_SKIP() << VELORINA_FONT_FILE << " is not installed";
  TempDir out;
  const auto r = test::runCommand(std::string(quote(VELORINA_FONTGEN)) + " --font " + quote(VELORINA_FONT_FILE) +
                                  " --resources " + quote(out.file("res")) + " --tables " +
                                  quote(out.file("FontGlyphTables.cpp")));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string src = VELORINA_SOURCE_DIR;
  const std::pair<std::string, std::string> outputs[] = {
      {"res/FONTDATA/FILLED.zblk", "data/resources/FONTDATA/FILLED.zblk"},
      {"res/FONTDATA/OUTLINE.zblk", "data/resources/FONTDATA/OUTLINE.zblk"},
      {"FontGlyphTables.cpp", "src/scene/objects/FontGlyphTables.cpp"}};
  for (const auto& [made, committed] : outputs) {
    const std::string a = TempDir::read(out.file(made)), b = TempDir::read(src + "/" + committed);
    // Binary contents are not printed; sizes say enough to start looking.
    EXPECT_TRUE(a == b) << committed << " differs from the generator's output (" << b.size() << " bytes committed, "
                        << a.size() << " made); run the fontgen-update target";
  }
}

TEST(FontGenerator, RefusesBadArgumentsAndMissingFonts) {
  TempDir out;
  const std::string gen = quote(VELORINA_FONTGEN);
  auto r = test::runCommand(gen);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("nothing to write"), std::string::npos) << r.err;
  r = test::runCommand(gen + " --frobnicate");
  EXPECT_EQ(r.status, 2);
  r = test::runCommand(gen + " --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--resources"), std::string::npos);
  r = test::runCommand(gen + " --font " + quote(out.file("none.ttf")) + " --tables " + quote(out.file("t.cpp")));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("none.ttf"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(out.file("t.cpp")));
}

}  // namespace
}  // namespace velorina
