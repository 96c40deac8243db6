#include "archive/Resources.h"

#include <gtest/gtest.h>

#include "archive/IDSoftDataModule.h"

namespace velorina {
namespace {

TEST(Resources, LooksUpByTypeAndNameOrNumberIgnoringCase) {
  static const unsigned char a[] = {1, 2, 3};
  static const unsigned char b[] = {4};
  const EmbeddedResource table[] = {{"WAVE", "Boom", a, 3}, {"BMP", "101", b, 1}};
  ResourceRegistry r(table);
  ASSERT_TRUE(r.find("wave", "BOOM"));
  EXPECT_EQ(r.find("wave", "BOOM")->size(), 3u);
  EXPECT_FALSE(r.find("BMP", "Boom"));
  EXPECT_EQ(r.get("bmp", 101)[0], 4);
  try {
    r.get("WAVE", "missing");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Resource missing not found");
  }
}

TEST(Resources, TheDefaultPalettesHaveTheirSizes) {
  TIDSoftDataModule module;
  EXPECT_EQ(module.DefaultDoomPalette.Size(), 10752u);
  EXPECT_EQ(module.DefaultHereticPalette.Size(), 10752u);
  EXPECT_EQ(module.DefaultHexenPalette.Size(), 21532u);
  EXPECT_EQ(module.DefaultDoomPalette.CompressionLevel(), TCompressionLevel::clMax);
  // Palette 0 colour 0 of a Doom-family PLAYPAL is black.
  EXPECT_EQ(module.DefaultDoomPalette.Memory()[0], 0);
}

}  // namespace
}  // namespace velorina
