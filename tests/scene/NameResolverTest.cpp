#include "scene/NameResolver.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempDir.h"

namespace velorina {
namespace {

TEST(NameResolver, FindsWindowsNamesInTheSearchPlacesWithoutRegardToCase) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "world" / "tex");
  std::filesystem::create_directories(dir.path() / "extra");
  const auto wall = dir.write("world/Wall.BMP", "w");
  const auto sky = dir.write("extra/sky.bmp", "s");
  const auto nested = dir.write("world/tex/inner.bmp", "i");
  FileSearchPlaces places;
  places.sceneFileName = dir.file("world/map.d3d");
  places.searchPaths = {dir.file("extra")};
  places.subSceneNames = {dir.file("world/tex/sub.d3d")};

  EXPECT_EQ(ResolveFileName("C:\\TEXTURES\\wall.bmp", places), wall);       // the scene's directory
  EXPECT_EQ(ResolveFileName("D:\\Sky.BMP", places), sky);                   // a search path
  EXPECT_EQ(ResolveFileName("  inner.bmp  ", places), nested);             // a sub-scene's directory
  EXPECT_EQ(ResolveFileName(wall, places), wall);                          // the name itself
  EXPECT_EQ(ResolveFileName(std::string("sky.bmp\0junk", 12), places), sky);
  EXPECT_EQ(ResolveFileName("missing.bmp", places), "missing.bmp");        // unchanged
  // A directory or a device is not a file.
  EXPECT_EQ(ResolveFileName(dir.file("world"), places), dir.file("world"));
  EXPECT_EQ(ResolveFileName("/dev/zero", places), "/dev/zero");
}

TEST(NameResolver, ResourceNamesDropBlanksDashesAndTheExtension) {
  EXPECT_EQ(ResolveResourceName("C:\\maps\\my-wall 1.bmp"), "mywall1");
  EXPECT_EQ(ResolveResourceName("plain"), "plain");
  EXPECT_EQ(ResolveResourceName("a.b.c"), "a");
}

}  // namespace
}  // namespace velorina
