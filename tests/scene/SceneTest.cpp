#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "archive/MemoryStream.h"
#include "imaging/BmpCodec.h"
#include "platform/display/DXDraw.h"
#include "platform/display/ManualClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/QuadrAngle.h"
#include "scene/records/SoundInfo.h"
#include "support/ArchiveBuilder.h"
#include "support/TempDir.h"
#include "SceneTestWorlds.h"

namespace velorina {
namespace {

using test::bmpFile;
using test::Rig;
using test::sceneStream;
using test::wall;

TEST(Scene, LoadsAnArchiveWorldWithTexturesLightsDataAndANestedScene) {
  const std::string inner = sceneStream("C:\\TEX\\red.bmp", {{wall(8, 5), 0}});
  const auto archive = test::ArchiveBuilder()
                           .add("C:\\MAP01.D3D", sceneStream("C:\\TEX\\red.bmp\r\nC:\\TEX\\green.bmp",
                                                             {{wall(1, 2), 0}, {wall(2, 3), 1}, {wall(3, 4), -1}},
                                                             {"C:\\inner.d3d"}, true))
                           .add("C:\\inner.d3d", inner)
                           .add("C:\\TEX\\red.bmp", bmpFile(255, 0, 0))
                           .add("C:\\TEX\\green.bmp", bmpFile(0, 255, 0))
                           .build();
  MemoryStream file;
  file.writeBytes(test::Bytes(100, 0));
  file.writeBytes(archive);

  Rig rig;
  TD3DScene scene(&rig.display, nullptr, rig.clock);
  scene.LoadFromPackage(file, 100, static_cast<std::uint32_t>(archive.size()), "MAP01.D3D");
  ASSERT_EQ(scene.Objects.size(), 4u);
  EXPECT_EQ(scene.Textures->size(), 2u);  // shared with the nested scene: red is loaded once
  EXPECT_EQ((*scene.Textures)[0].name, "C:\\TEX\\green.bmp");  // sorted by name
  EXPECT_EQ(scene.SubScenes.size(), 1u);
  EXPECT_EQ(scene.SubScenes[0]->Objects.size(), 1u);
  EXPECT_EQ(scene.SubScenes[0]->ObjectID(), 70);
  EXPECT_EQ(scene.DataItems.size(), 1u);
  EXPECT_EQ(scene.Lights.size(), 1u);
  EXPECT_FALSE(scene.LoadingFromArchive);  // the package's archive is closed after loading
  EXPECT_EQ(scene.Archive, nullptr);
  EXPECT_EQ(ObjectIdCounter::value(), 70);  // the highest identifier in the world
  // The light colours every vertex of every object it reaches.
  const auto& red = static_cast<const TD3DQuadrAngle&>(*scene.Objects[0].object);
  EXPECT_EQ(red.Vertices()[0].color, 0x00FF0000u);
  // The quadrangle without a texture made its own.
  const auto& plain = static_cast<const TD3DQuadrAngle&>(*scene.Objects[2].object);
  EXPECT_NE(plain.Texture(), nullptr);
}

TEST(Scene, AWorldThatIncludesItselfIsRefused) {
  const auto archive = test::ArchiveBuilder()
                           .add("C:\\MAP01.D3D", sceneStream("", {}, {"loop.d3d"}))
                           .add("loop.d3d", sceneStream("", {}, {"loop.d3d"}))
                           .build();
  MemoryStream file{std::span<const std::uint8_t>(archive)};
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  EXPECT_THROW(scene.LoadFromPackage(file, 0, static_cast<std::uint32_t>(archive.size()), "MAP01.D3D"), Error);
  EXPECT_FALSE(scene.LoadingFromArchive);
  EXPECT_EQ(scene.Archive, nullptr);
}

TEST(Scene, CameraChangesFlagOnlyRealMovesAndWrapAnglesOnce) {
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  scene.PendingChanges = 0;
  scene.SetCameraPosition({1, 0, 0});
  EXPECT_EQ(scene.PendingChanges, pcPosition | pcLighting);
  scene.PendingChanges = 0;
  scene.SetCameraPosition({1, 0, 0});  // the same
  scene.SetCameraPosition({0, 0, 0});  // back to the previous one
  EXPECT_EQ(scene.PendingChanges, 0);
  scene.SetCameraRotation({3.5f, 7.0f, 10.0f});
  EXPECT_NEAR(scene.CameraRotation.x, 3.5f - 2 * kPi, 1e-5);
  EXPECT_NEAR(scene.CameraRotation.y, 7.0f - 2 * kPi, 1e-5);
  EXPECT_NEAR(scene.CameraRotation.z, 10.0f - 2 * kPi, 1e-5);  // still above pi
}

TEST(Scene, FramesDrawTheObjectsThroughTheDevice) {
  test::TempDir dir;
  dir.write("world.d3d", sceneStream("red.bmp", {{wall(1, 3), 0}}));
  dir.write("RED.BMP", bmpFile(255, 0, 0));  // found without regard to case
  Rig rig;
  TD3DScene scene(&rig.display, nullptr, rig.clock);
  scene.LoadFromFile(dir.file("world.d3d"));
  ASSERT_EQ(scene.Objects.size(), 1u);
  IDirect3DDevice7& device = *rig.display.D3DDevice7();
  D3DVIEWPORT7 viewport{0, 0, 64, 48, 0, 1};
  device.SetViewport(viewport);
  D3DMATRIX projection;
  projection._11 = projection._22 = projection._33 = projection._34 = 1;
  projection._43 = -1;
  device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION, projection);
  scene.RebuildDeviceState();
  rig.clock.advanceMilliseconds(20);
  scene.Frame(0x00FF0000);  // blue background (0x00BBGGRR)
  std::vector<std::uint32_t> pixels(64 * 48);
  device.ReadRenderTarget(pixels);
  EXPECT_EQ(pixels[24 * 64 + 32] & 0xFFFFFF, 0xFF0000u);  // the red wall in the middle
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x0000FFu);            // the background in the corner
}

TEST(Scene, ActionsMoveTheirTargetsEveryFrame) {
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  scene.Objects.add("a", std::make_unique<TD3DQuadrAngle>(nullptr, nullptr, wall(5, 0)));
  TD3DActionInfo move;
  move.Kind = 211;
  move.TargetKind = 2;
  move.TargetID = 5;
  move.Vector1 = {1, 0, 0};
  move.Duration = 1;
  move.Temporary = 1;
  scene.AddAction(move);
  EXPECT_FALSE(scene.Modified);  // temporary actions never modify the scene
  for (int i = 0; i < 100; ++i) {
    clock.advanceMilliseconds(10);
    scene.Frame(0);
  }
  EXPECT_NEAR(scene.Objects[0].object->GetCenter(0).x, 1.0f, 0.02f);
  scene.DeleteTemporaryActions();
  EXPECT_TRUE(scene.Actions.empty());
}

TEST(Scene, SoundsAndTonesLoadMoveAndAreCountedWithEverythingElse) {
  MemoryStream s;
  test::writeSceneHead(s, "", 1);
  s.writeU8(2);
  s.writeI16(0);
  wall(3, 2).write(s);
  s.writeU32(2);
  s.writeU8(101);  // a wave sound whose wave is missing: silent, but there
  s.writeU8(8);
  s.writeExact("none.wav", 8);
  TD3DSoundInfo sound;
  sound.ID = 3;
  sound.Range = 10;
  sound.Enabled = true;
  sound.write(s);
  s.writeU8(102);
  TD3DToneInfo tone;
  tone.ID = 4;
  tone.Frequency = 0;  // made safe by the generator's limits
  tone.Range = 5;
  tone.write(s);
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  scene.LoadFromBytes(s.bytes(), "sounds.d3d");
  ASSERT_EQ(scene.AudioObjects.size(), 2u);
  EXPECT_EQ(scene.CountByKind(-1), 3u);
  EXPECT_EQ(scene.CountByKind(101), 1u);
  EXPECT_EQ(scene.CountByKind(2), 1u);
  scene.MoveTargets(-1, 3, {1, 0, 0});  // moves the quadrangle and the sound with identifier 3
  EXPECT_FLOAT_EQ(scene.Objects[0].object->GetCenter(0).x, 1.0f);
  EXPECT_FLOAT_EQ(scene.AudioObjects[0].object->DistanceTo({1, 0, 0}), 0.0f);
  scene.SetPaused(true);
  scene.StopWaveSounds(4);  // only a tone has identifier 4: nothing happens
  scene.SetPaused(false);
  std::vector<SceneItemRef> found;
  EXPECT_EQ(scene.CollectByKindAndId(-1, 3, found), 2u);  // the quadrangle, then the sound
  EXPECT_TRUE(std::holds_alternative<TD3DObject*>(found[0]));
  EXPECT_TRUE(std::holds_alternative<TD3DBaseAudio*>(found[1]));
  EXPECT_EQ(scene.CollectSpheres(3, found), 0u);
  EXPECT_EQ(scene.CollectQuadrangles(3, found), 1u);
  EXPECT_EQ(found.size(), 3u);
  scene.HideObjects(2, 3);
  EXPECT_TRUE(scene.Objects[0].object->Hidden);
  scene.ShowObjects(-1, 3);
  EXPECT_FALSE(scene.Objects[0].object->Hidden);
}

TEST(Scene, ATextureDetailChangeRebuildsTexturesInPlace) {
  test::TempDir dir;
  dir.write("world.d3d", sceneStream("red.bmp", {{wall(1, 3), 0}}));
  dir.write("red.bmp", bmpFile(255, 0, 0));
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  scene.LoadFromFile(dir.file("world.d3d"));
  TD3DActionInfo spin;
  spin.Kind = 210;
  spin.Duration = 1;
  spin.Temporary = 1;
  scene.AddAction(spin);
  TDirect3DTexture2* texture = scene.Objects[0].object->Texture();
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->width(), 16u);
  scene.SetTextureDetail(1);  // half size
  EXPECT_EQ(scene.Objects[0].object->Texture(), texture);  // the same texture, rebuilt
  EXPECT_EQ(texture->width(), 8u);
  EXPECT_EQ(texture->texels()[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(scene.Actions.size(), 1u);  // a temporary action survives
  scene.SetTextureDetail(3);  // double size, from the original picture
  EXPECT_EQ(texture->width(), 32u);
}

TEST(Scene, LoadsAWorldFromTheProgramsResourcesAndLeavesResourceModeAfterwards) {
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  scene.LoadFromResource("C:\\maps\\map01.d3d");
  EXPECT_FALSE(scene.ResourceMode);
  EXPECT_THROW(scene.LoadFromResource("no such world"), EResNotFound);
  EXPECT_FALSE(scene.ResourceMode);
}

}  // namespace
}  // namespace velorina
