// Worlds with spheres and texts, written as other programs write them, loaded
// through the scene.
#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/SceneTestWorlds.h"
#include "scene/records/SceneStreamWriter.h"
#include "support/ArchiveBuilder.h"
#include "scene/objects/Sphere.h"
#include "scene/objects/Text.h"
#include "StoredForms.h"
#include "support/TempDir.h"

namespace velorina {
namespace {

TD3DSphereInfo earth() {
  TD3DSphereInfo s;
  s.ID = 5;
  s.Color = 0x808080;
  s.TexScaleU = s.TexScaleV = 1;
  s.TexOffsetU = 0.5f;
  s.FrameCount = 1;
  s.FramePeriod = 2;
  s.Position = {0, 0, 4};
  s.Angles = {0, 0.5f, 0};
  s.Scale = {1, 1.5f, 1};
  s.CullMode = 3;
  s.Stacks = 6;
  s.Slices = 12;
  return s;
}

TD3DTextInfo dance() {
  TD3DTextInfo t;
  t.ID = 15;
  t.FrontColor = 0x00FFFF;
  t.BackColor = 0x004040;
  t.TexScaleU = t.TexScaleV = 1;
  t.FrameCount = 1;
  t.Position = {0, -1, 3};
  t.Scale = {1, 1, 0.2f};
  t.BlendMode = 1;
  t.Sides = false;
  t.ShearX = 0.6f;
  t.Filled = false;
  t.Text = "o/";
  return t;
}

// A headed stream of `version` with a sphere textured by line 0 and a text by line 1.
std::string world(std::int32_t version) {
  MemoryStream s;
  s.writeExact("SCENEDEF", 8);
  s.writeU32(static_cast<std::uint32_t>(version));
  const std::string textures = "earth.bmp\r\nstone.bmp";
  s.writeU32(static_cast<std::uint32_t>(textures.size()));
  s.writeExact(textures.data(), textures.size());
  s.writeU32(2);
  s.writeU8(9);
  s.writeI16(1);
  s.writeI16(0);
  s.writeI16(-1);
  testing::writeSphereRecord(s, earth(), version);
  s.writeU8(15);
  s.writeI16(1);
  s.writeI16(1);
  s.writeI16(1);
  testing::writeTextRecord(s, dance(), version);
  s.writeU32(0);  // no sounds; the optional sections are absent
  return std::string(s.bytes().begin(), s.bytes().end());
}

template <typename Record>
Record withoutNames(Record r) {
  r.TextureNames.clear();
  return r;
}

class SphereTextWorld : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::Rig rig;
  TD3DScene scene{&rig.display, nullptr, rig.clock};

  SphereTextWorld() {
    dir.write("earth.bmp", test::bmpFile(40, 90, 200));
    dir.write("stone.bmp", test::bmpFile(120, 120, 120));
  }
};

TEST_F(SphereTextWorld, EveryStoredVersionLoadsBuildsAndDraws) {
  for (std::int32_t version : {99, 100, 101, 104, 105, 106, 107, 116, 117}) {
    SCOPED_TRACE(version);
    scene.LoadFromFile(dir.write("world.d3d", world(version)));
    ASSERT_EQ(scene.Objects.size(), 2u);
    const auto* sphere = dynamic_cast<const TD3DSphere*>(scene.Objects[0].object.get());
    const auto* text = dynamic_cast<const TD3DText*>(scene.Objects[1].object.get());
    ASSERT_NE(sphere, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(sphere->GetTextureName(), dir.file("earth.bmp"));  // as the texture is cached
    EXPECT_EQ(text->GetTextureName(), dir.file("stone.bmp"));
    EXPECT_EQ(withoutNames(sphere->GetInfo()), testing::sphereAsStoredIn(earth(), version));
    EXPECT_EQ(withoutNames(text->GetInfo()), testing::textAsStoredIn(dance(), version));
    ASSERT_NE(sphere->Texture(), nullptr);
    EXPECT_EQ(sphere->Texture()->width(), 16u);  // the picture, not an own colour texture
    EXPECT_EQ(sphere->Picture().width(), 0);
    ASSERT_NE(text->Texture(), nullptr);
    EXPECT_EQ(text->TexturePairs()[0].first, text->TexturePairs()[0].second);
    EXPECT_EQ(sphere->ModelVertexCount, 6 * 2 * 13);
    EXPECT_GT(text->ModelVertexCount, 0);
    std::vector<SceneItemRef> found;
    EXPECT_EQ(scene.CollectSpheres(5, found), 1u);
    EXPECT_EQ(scene.CountByKind(15), 1u);
    scene.Frame(0);
    EXPECT_GT(scene.VertexCount(), 0);
  }
}

TEST_F(SphereTextWorld, HeaderlessStreamsBuildSpheresAndSkipTexts) {
  MemoryStream s;
  s.writeU32(3);
  s.writeU8(9);
  s.writeU8(9);
  s.writeExact("earth.bmp", 9);
  s.writeU8(2);  // two frames
  s.writeU8(0);  // no mask for frame 0
  s.writeU8(9);
  s.writeExact("stone.bmp", 9);  // frame 1's image
  s.writeU8(0);                  // and no mask
  testing::writeSphereRecord(s, earth(), 0);
  s.writeU8(15);  // a text: its name, and nothing more
  s.writeU8(1);
  s.writeExact("t", 1);
  s.writeU8(9);
  s.writeU8(0);
  s.writeU8(1);
  s.writeU8(0);
  testing::writeSphereRecord(s, earth(), 0);
  s.writeU32(0);
  scene.LoadFromFile(dir.write("old.d3d", std::string(s.bytes().begin(), s.bytes().end())));
  ASSERT_EQ(scene.Objects.size(), 2u);
  const auto* first = dynamic_cast<const TD3DSphere*>(scene.Objects[0].object.get());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetInfo().TextureNames.get(0), dir.file("earth.bmp"));
  EXPECT_EQ(first->GetInfo().TextureNames.get(2), dir.file("stone.bmp"));
  EXPECT_NE(first->TexturePairs()[1].first, nullptr);
  EXPECT_EQ(withoutNames(first->GetInfo()), testing::sphereAsStoredIn(earth(), 0));
  // The second sphere names no texture and paints its own colour.
  EXPECT_EQ(scene.Objects[1].object->Picture().width(), 2);
}

struct Messages final : MessageReporter {
  std::vector<std::pair<std::string, std::string>> shown;
  void showError(const std::string& text, const std::string& caption) override { shown.emplace_back(text, caption); }
};

TEST_F(SphereTextWorld, AddObjectBuildsSpheresAndTextsWithTheirTextures) {
  auto messages = std::make_shared<Messages>();
  scene.SetMessageReporter(messages, "Velorina test");
  scene.LoadFromFile(dir.write("world.d3d", world(117)));
  TD3DSphereInfo s = earth();
  s.ID = 77;
  s.TextureNames.set(0, "stone.bmp");
  TD3DObject* added = scene.AddObject(s);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->KindCode(), 9);
  EXPECT_EQ(scene.Objects[scene.Objects.size() - 1].name, "stone.bmp");
  EXPECT_EQ(added->Texture(), scene.Objects[1].object->Texture());  // the cached texture, shared
  TD3DTextInfo t = dance();
  t.ID = 78;
  t.Text = std::string(20000, 'M');  // far more than one object holds
  t.Sides = true;
  auto* text = dynamic_cast<TD3DText*>(scene.AddObject(t));
  ASSERT_NE(text, nullptr);
  EXPECT_LE(text->ModelVertexCount, TD3DText::kMaxModelVertices);
  EXPECT_EQ(text->GetText().size(), 20000u);
  ASSERT_EQ(messages->shown.size(), 1u);  // the cut is told through the scene's reporter
  EXPECT_EQ(messages->shown[0].second, "Velorina test");
  EXPECT_TRUE(scene.Modified);
  EXPECT_EQ(scene.Objects.size(), 4u);
}

TEST_F(SphereTextWorld, SavedSpheresAndTextsLoadBackWithTheirRecordsAndTextures) {
  scene.LoadFromFile(dir.write("world.d3d", world(117)));
  const std::string saved = dir.write("saved.d3d", "");
  scene.SaveToFile(saved);
  TD3DScene again{&rig.display, nullptr, rig.clock};
  again.LoadFromFile(saved);
  ASSERT_EQ(again.Objects.size(), 2u);
  const auto* sphere = dynamic_cast<const TD3DSphere*>(again.Objects[0].object.get());
  const auto* text = dynamic_cast<const TD3DText*>(again.Objects[1].object.get());
  ASSERT_NE(sphere, nullptr);
  ASSERT_NE(text, nullptr);
  const auto* before = dynamic_cast<const TD3DSphere*>(scene.Objects[0].object.get());
  EXPECT_EQ(sphere->GetInfo(), before->GetInfo());  // texture names included
  EXPECT_EQ(text->GetInfo(), dynamic_cast<const TD3DText*>(scene.Objects[1].object.get())->GetInfo());
  EXPECT_EQ(sphere->GetTextureName(), dir.file("earth.bmp"));
  EXPECT_EQ(text->GetTextureName(), dir.file("stone.bmp"));
}


TEST_F(SphereTextWorld, ACanonicalArchiveWorldSavesBackToItsBytes) {
  SceneDocument doc;
  doc.Version = 117;
  doc.Textures = {"C:\\earth.bmp", "C:\\stone.bmp"};
  TD3DSphereInfo sphere = earth();
  sphere.TextureNames.set(0, "C:\\earth.bmp");
  TD3DTextInfo text = dance();
  text.TextureNames.set(0, "C:\\stone.bmp");
  text.TextureNames.set(1, "C:\\stone.bmp");
  doc.Objects.push_back({9, "", sphere, sphere.TextureNames});
  doc.Objects.push_back({15, "", text, text.TextureNames});
  const ByteBuffer stream = SceneStreamWriter("C:\\MAP01.D3D").write(doc);
  const test::Bytes archive = test::ArchiveBuilder()
                                  .add("C:\\MAP01.D3D", std::string(stream.begin(), stream.end()))
                                  .add("C:\\earth.bmp", test::bmpFile(40, 90, 200))
                                  .add("C:\\stone.bmp", test::bmpFile(120, 120, 120))
                                  .build();
  test::loadPackage(scene, archive);
  ASSERT_EQ(scene.Objects.size(), 2u);
  ASSERT_EQ(scene.Textures->size(), 2u);
  EXPECT_EQ(scene.SaveToBytes(), stream);
}

}  // namespace
}  // namespace velorina
