#include <gtest/gtest.h>

#include "platform/sound/WaveBuilder.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/Polygon.h"
#include "support/TempDir.h"
#include "SceneTestWorlds.h"

namespace velorina {
namespace {

struct EditRig {
  ManualClock clock;
  TD3DScene scene{nullptr, nullptr, clock};
};

TD3DQuadrangleInfo quad(std::int32_t id, const std::string& texture = "stone.bmp") {
  TD3DQuadrangleInfo q = test::wall(id, 2);
  q.Flags = 0;  // one-sided, as the holders below cull
  q.TextureName = texture;
  return q;
}

TD3DPolygonInfo fan(std::int32_t id, int points) {
  TD3DPolygonInfo p;
  p.ID = id;
  p.PrimitiveType = 6;
  p.FrameCount = 1;
  p.PointCount = static_cast<std::int16_t>(points);
  for (int i = 0; i < points; ++i) p.Points.push_back({static_cast<float>(i), static_cast<float>(i % 2), 0});
  return p;
}

TEST(SceneEditing, AddObjectBuildsOnlyTheKindItIsGiven) {
  EditRig rig;
  EXPECT_EQ(rig.scene.AddObject(static_cast<ObjectKind>(3), quad(1)), nullptr);
  EXPECT_EQ(rig.scene.AddObject(ObjectKind::Polygon, quad(1)), nullptr);  // a record of another kind
  EXPECT_FALSE(rig.scene.Modified);
  EXPECT_TRUE(rig.scene.Objects.empty());

  TD3DObject* added = rig.scene.AddObject(ObjectKind::Quadrangle, quad(40));
  ASSERT_NE(added, nullptr);
  EXPECT_TRUE(rig.scene.Modified);
  EXPECT_EQ(rig.scene.Objects[0].name, "stone.bmp");
  EXPECT_GE(ObjectIdCounter::value(), 40);

  TD3DSceneInfo nested;
  nested.ID = 7;
  ASSERT_NE(rig.scene.AddObject(ObjectKind::Scene, nested), nullptr);
  EXPECT_EQ(rig.scene.SubScenes.size(), 1u);
}

TEST(SceneEditing, SurfacesMergeIntoTheFirstHolderOfTheirTexture) {
  EditRig rig;
  rig.scene.AddTextureHolders({"grass.bmp", "stone.bmp"}, 0, TD3DScene::HolderBlend::Opaque, 3);
  rig.scene.AddTextureHolders({"stone.bmp"}, 0, TD3DScene::HolderBlend::Opaque, 3);
  rig.scene.Modified = false;
  ASSERT_EQ(rig.scene.Objects.size(), 3u);

  EXPECT_TRUE(rig.scene.AddOrMergeObject(ObjectKind::Quadrangle, quad(1)));
  EXPECT_TRUE(rig.scene.Modified);
  EXPECT_TRUE(rig.scene.AddOrMergeObject(ObjectKind::Quadrangle, quad(2)));
  const auto& first = dynamic_cast<const TD3DPolygon&>(*rig.scene.Objects[1].object);
  const auto& second = dynamic_cast<const TD3DPolygon&>(*rig.scene.Objects[2].object);
  EXPECT_EQ(first.PointCount(), 12);  // two triangles each, into the first stone holder
  EXPECT_EQ(second.PointCount(), 0);

  // No holder of that texture (or a two-sided one): added as an object of its own.
  EXPECT_FALSE(rig.scene.AddOrMergeObject(ObjectKind::Quadrangle, quad(3, "sand.bmp")));
  TD3DQuadrangleInfo twoSided = quad(4);
  twoSided.Flags = 1;
  EXPECT_FALSE(rig.scene.AddOrMergeObject(ObjectKind::Quadrangle, twoSided));
  EXPECT_EQ(rig.scene.Objects.size(), 5u);

  // After a deletion the index follows the list: the first stone holder is gone.
  rig.scene.DeleteObject(1);
  EXPECT_TRUE(rig.scene.AddOrMergeObject(ObjectKind::Quadrangle, quad(5)));
  EXPECT_EQ(dynamic_cast<const TD3DPolygon&>(*rig.scene.Objects[1].object).PointCount(), 6);
}

TEST(SceneEditing, DeleteAndReplaceObjectsCheckTheIndex) {
  EditRig rig;
  rig.scene.AddObject(ObjectKind::Quadrangle, quad(1));
  rig.scene.AddObject(ObjectKind::Quadrangle, quad(2));
  rig.scene.Modified = false;
  rig.scene.DeleteObject(2);
  rig.scene.DeleteObject(static_cast<std::size_t>(-1));
  EXPECT_EQ(rig.scene.ReplaceObject(2, ObjectKind::Quadrangle, quad(3)), nullptr);
  EXPECT_EQ(rig.scene.ReplaceObject(0, static_cast<ObjectKind>(16), quad(3)), nullptr);
  EXPECT_EQ(rig.scene.ReplaceObject(0, ObjectKind::Polygon, quad(3)), nullptr);
  EXPECT_FALSE(rig.scene.Modified);
  EXPECT_EQ(rig.scene.Objects.size(), 2u);

  rig.scene.PendingChanges = 0;
  TD3DObject* replaced = rig.scene.ReplaceObject(1, ObjectKind::Polygon, fan(90, 4));
  ASSERT_NE(replaced, nullptr);
  EXPECT_EQ(rig.scene.Objects[1].object.get(), replaced);
  EXPECT_EQ(rig.scene.Objects[1].name, "");
  EXPECT_EQ(rig.scene.PendingChanges, pcPosition | pcRotation | pcLighting);
  EXPECT_TRUE(rig.scene.Modified);
  EXPECT_GE(ObjectIdCounter::value(), 90);

  rig.scene.DeleteObject(0);
  ASSERT_EQ(rig.scene.Objects.size(), 1u);
  EXPECT_EQ(rig.scene.Objects[0].object.get(), replaced);
}

TEST(SceneEditing, SplittingAPolygonAddsItsTrianglesAtTheEnd) {
  EditRig rig;
  rig.scene.AddObject(ObjectKind::Polygon, fan(1, 5));
  rig.scene.PendingChanges = 0;
  rig.scene.SplitPolygon(0, false, false);
  EXPECT_EQ(rig.scene.Objects.size(), 4u);  // the fan and its three triangles
  EXPECT_EQ(rig.scene.PendingChanges, 0);
  rig.scene.SplitPolygon(0, true, true);
  EXPECT_EQ(rig.scene.Objects.size(), 6u);
  EXPECT_EQ(rig.scene.PendingChanges, pcPosition);
  for (const auto& e : rig.scene.Objects) EXPECT_EQ(dynamic_cast<const TD3DPolygon&>(*e.object).PointCount(), 3);
}

TEST(SceneEditing, SplitAllPolygonsKeepsTheOthersInOrderFollowedByThePieces) {
  EditRig rig;
  rig.scene.AddObject(ObjectKind::Quadrangle, quad(1));
  rig.scene.AddObject(ObjectKind::Polygon, fan(2, 4));
  rig.scene.AddObject(ObjectKind::Quadrangle, quad(3));
  rig.scene.AddObject(ObjectKind::Polygon, fan(4, 3));
  rig.scene.AddObject(ObjectKind::Quadrangle, quad(5));
  rig.scene.SplitAllPolygons();
  ASSERT_EQ(rig.scene.Objects.size(), 6u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(rig.scene.Objects[i].object->ObjectID(), static_cast<int>(2 * i + 1));
  for (std::size_t i = 3; i < 6; ++i) EXPECT_EQ(rig.scene.Objects[i].object->KindCode(), 4);
  EXPECT_EQ(rig.scene.Objects[3].object->ObjectID(), 2);
  EXPECT_EQ(rig.scene.Objects[5].object->ObjectID(), 4);
}

TEST(SceneEditing, LightsAreAddedReplacedAndDeletedByIndex) {
  EditRig rig;
  TD3DSceneLightInfo light;
  light.ID = 300;
  light.Range = 10;
  rig.scene.AddLight(light);
  EXPECT_TRUE(rig.scene.Modified);
  EXPECT_EQ(rig.scene.PendingChanges & pcLighting, pcLighting);
  EXPECT_GE(ObjectIdCounter::value(), 300);

  rig.scene.Modified = false;
  light.ID = 301;
  rig.scene.ReplaceLight(static_cast<std::size_t>(-1), light);  // an index below zero
  rig.scene.ReplaceLight(1, light);
  rig.scene.DeleteLight(1);
  EXPECT_FALSE(rig.scene.Modified);
  EXPECT_EQ(rig.scene.Lights[0].object->LightID(), 300);

  rig.scene.ReplaceLight(0, light);
  EXPECT_EQ(rig.scene.Lights[0].object->LightID(), 301);
  EXPECT_TRUE(rig.scene.Modified);
  rig.scene.DeleteLight(0);
  EXPECT_TRUE(rig.scene.Lights.empty());
}

TEST(SceneEditing, SoundsShareTheirWaveAndTonesAreListedAsTone) {
  test::TempDir dir;
  const auto wave = testing::pcm16Wave(std::vector<std::int16_t>(800, 0), 8000);
  const std::string path = dir.writeBytes("bell.wav", wave);
  EditRig rig;
  TD3DSoundInfo sound;
  sound.ID = 11;
  sound.WaveName = path;
  rig.scene.AddSound(sound);
  sound.ID = 12;
  rig.scene.AddSound(sound);
  EXPECT_EQ(rig.scene.WaveStreams->size(), 1u);  // the file is found once
  EXPECT_EQ(rig.scene.AudioObjects[1].name, path);
  TD3DToneInfo tone;
  tone.ID = 13;
  rig.scene.AddTone(tone);
  EXPECT_EQ(rig.scene.AudioObjects[2].name, "Tone");
  EXPECT_GE(ObjectIdCounter::value(), 13);

  rig.scene.Modified = false;
  EXPECT_EQ(rig.scene.ReplaceSound(3, sound), nullptr);
  EXPECT_EQ(rig.scene.ReplaceTone(3, tone), nullptr);
  rig.scene.DeleteAudio(3);
  EXPECT_FALSE(rig.scene.Modified);

  tone.ID = 14;
  TD3DBaseAudio* replaced = rig.scene.ReplaceTone(0, tone);
  ASSERT_NE(replaced, nullptr);
  EXPECT_EQ(rig.scene.AudioObjects[0].name, "Tone");
  EXPECT_EQ(replaced->AudioID(), 14);
  sound.ID = 15;
  EXPECT_EQ(rig.scene.ReplaceSound(2, sound)->AudioID(), 15);
  EXPECT_EQ(rig.scene.AudioObjects[2].name, path);
  rig.scene.DeleteAudio(1);
  EXPECT_EQ(rig.scene.AudioObjects.size(), 2u);
  EXPECT_TRUE(rig.scene.Modified);
}

TEST(SceneEditing, ReplacingDataWithTheSameRecordLeavesTheSceneUnmodified) {
  test::TempDir dir;
  const std::string path = dir.write("table.dat", "0123");
  EditRig rig;
  TCustomData* item = rig.scene.AddData({path, 21});
  ASSERT_NE(item, nullptr);
  EXPECT_NE(item->DataStream(), nullptr);
  EXPECT_TRUE(rig.scene.Modified);

  rig.scene.Modified = false;
  rig.scene.ReplaceData(0, {path, 21});
  EXPECT_FALSE(rig.scene.Modified);
  rig.scene.ReplaceData(1, {path, 22});
  EXPECT_FALSE(rig.scene.Modified);
  rig.scene.ReplaceData(0, {path, 22});
  EXPECT_TRUE(rig.scene.Modified);
  EXPECT_EQ(rig.scene.DataItems[0].object->DataID(), 22);
  rig.scene.DeleteData(0);
  EXPECT_TRUE(rig.scene.DataItems.empty());
}

}  // namespace
}  // namespace velorina
