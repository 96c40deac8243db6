#include <gtest/gtest.h>

#include <fstream>

#include "imaging/ImagingError.h"
#include "imaging/WZ2Bitmap.h"
#include "imaging/ZBitmap.h"
#include "support/ArchiveBuilder.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/Polygon.h"
#include "scene/Scene.h"
#include "scene/objects/ObjectIdCounter.h"
#include "support/PeModuleBuilder.h"
#include "support/TempDir.h"
#include "SceneTestWorlds.h"

namespace velorina {
namespace {

struct TextureRig {
  test::TempDir dir;
  ManualClock clock;
  TD3DScene scene{nullptr, nullptr, clock};
  TextureRig() {
    for (const char* colour : {"red", "green", "blue", "mask"}) {
      const bool red = colour[0] == 'r', green = colour[0] == 'g', blue = colour[0] == 'b';
      dir.write(std::string(colour) + ".bmp", test::bmpFile(red ? 255 : 0, green ? 255 : 0, blue ? 255 : 0));
    }
    scene.SearchPaths->push_back(dir.path().string());
  }
};

TEST(SceneTextures, ANameTableIsCompactedAndResolvedPairByPair) {
  TextureRig rig;
  TTextureNames names;
  names.set(0, "red.bmp");
  names.set(4, "green.bmp");  // entry 2 is empty: green moves up to pair 1
  names.set(1, "missing.bmp");
  names.set(7, "mask.bmp");   // entry 3 becomes the mask of pair 1
  names.set(8, "blue.bmp");
  TTexturePairs pairs;
  rig.scene.AcquireTextureSet(names, pairs);

  EXPECT_EQ(fileNamePart(names.get(2)), "green.bmp");
  EXPECT_EQ(fileNamePart(names.get(3)), "mask.bmp");
  EXPECT_EQ(fileNamePart(names.get(4)), "blue.bmp");
  EXPECT_TRUE(names.get(7).empty());
  ASSERT_NE(pairs[0].first, nullptr);
  EXPECT_EQ(pairs[0].second, nullptr);  // a second name that finds nothing
  EXPECT_EQ(pairs[1].second, rig.scene.GetTexture("mask.bmp"));
  // A pair without a second name masks its own black.
  ASSERT_NE(pairs[2].first, nullptr);
  EXPECT_EQ(pairs[2].second, pairs[2].first);
  EXPECT_EQ(pairs[2].first->ColorKey(), 0u);
  EXPECT_FALSE(pairs[0].first->ColorKey());
  EXPECT_EQ(rig.scene.Textures->size(), 4u);
  TTextureNames one;
  one.set(0, "red.bmp");
  rig.scene.AcquireTextureSet(one, pairs);  // pairs of an earlier table are cleared
  EXPECT_EQ(pairs[2].first, nullptr);
}

TEST(SceneTextures, AFullTableStopsBeforeTheLastPair) {
  TextureRig rig;
  TTextureNames names;
  for (std::size_t i = 0; i < TTextureNames::kCount; i += 2) names.set(i, "red.bmp");
  TTexturePairs pairs;
  rig.scene.AcquireTextureSet(names, pairs);
  EXPECT_NE(pairs[190].first, nullptr);
  EXPECT_EQ(pairs[191].first, nullptr);
}

TEST(SceneTextures, LumpReferencesFindNothingAndNeverReadPlainFiles) {
  TextureRig rig;
  // A file named like the lump part must not be taken for it (it is not a picture).
  rig.dir.write("FLOOR4_8", "not a picture");
  std::vector<std::string> names = {"->doom.wad::FLOOR4_8", "red.bmp", "->doom.wad::STARTAN", "->other.wad::X"};
  rig.scene.AcquireTextureList(names);
  EXPECT_EQ(rig.scene.Textures->size(), 1u);
  EXPECT_EQ(fileNamePart(names[1]), "red.bmp");  // rewritten to the cached name
  EXPECT_EQ(names[0], "->doom.wad::FLOOR4_8");
  EXPECT_EQ(rig.scene.GetTexture("->doom.wad::FLOOR4_8"), nullptr);
  EXPECT_FALSE(rig.scene.BitmapFromLumpReference("->doom.wad::FLOOR4_8"));
  // Scene files and archives are never pictures.
  EXPECT_EQ(rig.scene.GetTexture("map01.d3d"), nullptr);
  EXPECT_EQ(rig.scene.GetTexture("DATA.WAD"), nullptr);
}

TEST(SceneTextures, WorldsLoadEveryTextureOfTheirTextureText) {
  TextureRig rig;
  rig.dir.write("world.d3d", test::sceneStream("red.bmp\r\nblue.bmp\r\n\r\n->x.wad::Y", {{test::wall(1, 3), 0}}));
  rig.scene.LoadFromFile(rig.dir.file("world.d3d"));
  EXPECT_EQ(rig.scene.Textures->size(), 2u);  // blue is loaded although no object uses it
}

// A 16 x 16 picture of one palette colour, 8 bits per pixel.
Bitmap flat8(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Bitmap bitmap(16, 16, PixelFormat::Bits8);
  bitmap.palette()[3] = {r, g, b, 0};
  for (int y = 0; y < 16; ++y) std::fill_n(bitmap.row(y), 16, std::uint8_t{3});
  return bitmap;
}

std::string text(std::span<const std::uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(SceneTextures, ArchiveWorldsTakeTheirTexturesFromEveryStoredFormat) {
  MemoryStream bmz;
  TZBitmap(flat8(0, 255, 0)).SaveToStream(bmz);
  const auto archive =
      test::ArchiveBuilder()
          .add("C:\\MAP01.D3D", test::sceneStream("C:\\T\\red.bmp\r\nC:\\T\\green.bmz\r\nC:\\T\\blue.wz2",
                                                  {{test::wall(1, 2), 0}, {test::wall(2, 3), 1}, {test::wall(3, 4), 2}}))
          .add("C:\\T\\red.bmp", test::bmpFile(255, 0, 0))
          .add("C:\\T\\green.bmz", text(bmz.bytes()))
          .add("C:\\T\\blue.wz2", text(TWZ2Bitmap(flat8(0, 0, 255)).encode()))
          .build();
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  test::loadPackage(scene, archive);
  ASSERT_EQ(scene.Objects.size(), 3u);
  const std::uint32_t expected[] = {0xFF0000, 0x00FF00, 0x0000FF};
  for (std::size_t i = 0; i < 3; ++i) {
    const TDirect3DTexture2* texture = scene.Objects[i].object->Texture();
    ASSERT_NE(texture, nullptr) << i;
    EXPECT_EQ(texture->width(), 16u);
    EXPECT_EQ(texture->texels()[17] & 0xFFFFFF, expected[i]) << i;
  }
}

TEST(SceneTextures, PolygonsOfAWorldGetTheirTexturePairs) {
  TextureRig rig;
  MemoryStream s;
  test::writeSceneHead(s, "red.bmp\r\nmask.bmp", 1);
  s.writeU8(4);
  s.writeI16(2);
  for (std::int16_t index : {-1, 1, 0, -1}) s.writeI16(index);  // pair 0 (none, mask), pair 1 (red, none)
  TD3DPolygonInfo strip;
  strip.PointCount = 4;
  strip.FrameCount = 1;
  strip.Points = {{0, 0, 2}, {1, 0, 2}, {0, 1, 2}, {1, 1, 2}};
  strip.write(s);
  s.writeU32(0);
  rig.dir.write("world.d3d", std::string(s.bytes().begin(), s.bytes().end()));
  rig.scene.LoadFromFile(rig.dir.file("world.d3d"));
  ASSERT_EQ(rig.scene.Objects.size(), 1u);
  const auto& polygon = dynamic_cast<const TD3DPolygon&>(*rig.scene.Objects[0].object);
  EXPECT_EQ(polygon.PointCount(), 4);
  // The first names move up to pair 0 (red), the second names too (mask).
  EXPECT_EQ(polygon.TexturePairs()[0].first, rig.scene.GetTexture("red.bmp"));
  EXPECT_EQ(polygon.TexturePairs()[0].second, rig.scene.GetTexture("mask.bmp"));
  EXPECT_EQ(polygon.Texture(), polygon.TexturePairs()[0].first);
}

TEST(SceneTextures, TextureHoldersKeepTexturesLoadedUntilEmptyPolygonsAreRemoved) {
  TextureRig rig;
  const std::int32_t before = ObjectIdCounter::value();
  ASSERT_NE(rig.scene.AddObject(test::wall(before + 5, 3)), nullptr);
  TD3DPolygonInfo fan;
  fan.PrimitiveType = 6;
  fan.PointCount = 3;
  fan.Points = {{0, 0, 2}, {1, 0, 2}, {0, 1, 2}};
  fan.TextureNames.set(0, "green.bmp");
  ASSERT_NE(rig.scene.AddObject(fan), nullptr);
  EXPECT_TRUE(rig.scene.Modified);
  EXPECT_EQ(ObjectIdCounter::value(), before + 5);  // raised to the new identifier

  rig.scene.AddTextureHolders({"red.bmp", "->doom.wad::FLOOR", "blue.bmp"}, 1, TD3DScene::HolderBlend::Blended, 3);
  ASSERT_EQ(rig.scene.Objects.size(), 5u);
  const auto& holder = dynamic_cast<const TD3DPolygon&>(*rig.scene.Objects[2].object);
  EXPECT_TRUE(holder.Merged);
  EXPECT_EQ(holder.PointCount(), 0);
  const TD3DPolygonInfo info = holder.GetInfo();
  EXPECT_EQ(info.BlendMode, 16);
  EXPECT_EQ(info.CullMode, 3);
  EXPECT_EQ(info.TexMode, 1);
  EXPECT_EQ(info.PrimitiveType, 4);
  EXPECT_EQ(info.FrameCount, 1);
  EXPECT_EQ(fileNamePart(info.TextureNames.get(0)), "red.bmp");
  EXPECT_NE(holder.Texture(), nullptr);
  EXPECT_EQ(rig.scene.Objects[3].object->GetTextureName(), "->doom.wad::FLOOR");
  EXPECT_EQ(rig.scene.Textures->size(), 3u);  // green, red and blue

  rig.scene.RemoveEmptyPolygons();
  ASSERT_EQ(rig.scene.Objects.size(), 2u);  // the quadrangle and the fan stay
  EXPECT_EQ(rig.scene.Objects[1].object->KindCode(), 4);
  EXPECT_EQ(rig.scene.Textures->size(), 3u);  // the textures stay cached
}

TEST(SceneTextures, LibraryBitmapsBecomeTransparentTexturesCachedUnderTheirReference) {
  TextureRig rig;
  const Bitmap seven = [] {
    Bitmap b(5, 3, PixelFormat::Bits1);
    b.row(1)[0] = 0x80;
    return b;
  }();
  const test::Bytes module = test::makeModule(test::packedDib(seven), test::packedDib(Bitmap(16, 16, PixelFormat::Bits24)));
  std::ofstream(rig.dir.file("pics.dll"), std::ios::binary).write(reinterpret_cast<const char*>(module.data()),
                                                                  static_cast<std::streamsize>(module.size()));

  TDirect3DTexture2* texture = rig.scene.GetLibraryTexture("C:\\WINDOWS\\pics.dll", "7");
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->width(), 8u);  // 5 x 3 fitted to a square power of two
  EXPECT_TRUE(texture->Transparent());
  EXPECT_EQ(texture->TransparentColor(), 0u);
  EXPECT_EQ(rig.scene.GetLibraryTexture("C:\\WINDOWS\\pics.dll", "->other.dll::7"), texture);
  EXPECT_EQ(rig.scene.GetTexture("->C:\\WINDOWS\\pics.dll::7"), texture);
  EXPECT_EQ(rig.scene.Textures->size(), 1u);

  const auto logo = rig.scene.LoadLibraryBitmapRef("->pics.dll::logo");
  ASSERT_TRUE(logo);
  EXPECT_EQ(logo->width(), 16);
  EXPECT_FALSE(rig.scene.LoadLibraryBitmapRef("pics.dll"));
  EXPECT_THROW(rig.scene.LoadLibraryBitmap("pics.dll", "99"), Error);
  EXPECT_THROW(rig.scene.GetLibraryTexture("nowhere.dll", "7"), Error);
}

}  // namespace
}  // namespace velorina
