#include <gtest/gtest.h>

#include "archive/Wad.h"
#include "scene/records/SceneStreamReader.h"
#include "support/ArchiveBuilder.h"
#include "support/TempDir.h"
#include "SceneTestWorlds.h"

namespace velorina {
namespace {

std::string bytesText(const test::Bytes& b) { return std::string(b.begin(), b.end()); }
std::string bufferText(const ByteBuffer& b) { return std::string(b.begin(), b.end()); }

SceneDocument documentOf(const std::string& bytes) {
  SceneDocument doc;
  SceneStreamReader(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "test").read(doc);
  return doc;
}

struct SaveRig {
  test::TempDir dir;
  ManualClock clock;
  TD3DScene scene{nullptr, nullptr, clock, dir.path().string()};
};

// A world whose textures lie in its archive: two walls of one picture and a light.
test::Bytes worldArchive() {
  return test::ArchiveBuilder()
      .add("C:\\MAP01.D3D", test::sceneStream("C:\\red.bmp\r\n", {{test::wall(5, 2), 0}, {test::wall(6, 3), 0}}, {}, true))
      .add("C:\\red.bmp", test::bmpFile(255, 0, 0))
      .build();
}

TEST(SceneSaving, AWorldLoadedAndSavedGivesBackItsBytes) {
  SaveRig rig;
  const std::string map = test::sceneStream("C:\\red.bmp\r\n", {{test::wall(5, 2), 0}, {test::wall(6, 3), 0}}, {}, true);
  test::loadPackage(rig.scene, worldArchive());
  ASSERT_EQ(rig.scene.Textures->size(), 1u);
  EXPECT_EQ(bufferText(rig.scene.SaveToBytes()), map);

  // Textures that cannot be found keep their names in the saved texture text.
  TD3DScene missing{nullptr, nullptr, rig.clock, rig.dir.path().string()};
  const std::string unknown = test::sceneStream("nowhere.bmp\r\n", {{test::wall(1, 2), 0}});
  missing.ReadSceneStream(std::span(reinterpret_cast<const std::uint8_t*>(unknown.data()), unknown.size()), "t");
  EXPECT_EQ(missing.Textures->size(), 0u);
  EXPECT_EQ(bufferText(missing.SaveToBytes()), unknown);
}

TEST(SceneSaving, OnlyPersistentObjectsAndLastingActionsAreWritten) {
  SaveRig rig;
  rig.scene.AddObject(ObjectKind::Quadrangle, test::wall(1, 2));
  rig.scene.AddObject(ObjectKind::Quadrangle, test::wall(2, 2))->Persistent = false;
  TD3DActionInfo action;
  action.ID = 3;
  action.Duration = 1;
  rig.scene.AddAction(action);
  action.Temporary = 1;
  rig.scene.AddAction(action);
  const SceneDocument doc = documentOf(bufferText(rig.scene.SaveToBytes()));
  ASSERT_EQ(doc.Objects.size(), 1u);
  EXPECT_EQ(std::get<TD3DQuadrangleInfo>(doc.Objects[0].Record).ID, 1);
  EXPECT_EQ(doc.Actions.size(), 1u);
}

TEST(SceneSaving, TextureNamesDifferingInCaseAreListedOnce) {
  SaveRig rig;
  TD3DQuadrangleInfo a = test::wall(1, 2), b = test::wall(2, 2);
  a.TextureName = "Wall.bmp";
  b.TextureName = "WALL.BMP";
  rig.scene.AddObject(ObjectKind::Quadrangle, a);
  rig.scene.AddObject(ObjectKind::Quadrangle, b);
  const SceneDocument doc = rig.scene.ToDocument();
  EXPECT_EQ(doc.Textures, std::vector<std::string>{"Wall.bmp"});
}

TEST(SceneSaving, SavingOverAFileKeepsTheOldOneAsABackup) {
  SaveRig rig;
  const std::string path = rig.dir.write("world.d3d", "old world");
  rig.scene.AddObject(ObjectKind::Quadrangle, test::wall(1, 2));
  rig.scene.SaveToFile(path);
  EXPECT_EQ(test::TempDir::read(rig.dir.file("world.~D3D")), "old world");
  EXPECT_EQ(rig.scene.FileName, path);
  EXPECT_FALSE(rig.scene.Modified);

  TD3DScene reloaded{nullptr, nullptr, rig.clock};
  reloaded.LoadFromFile(path);
  EXPECT_EQ(reloaded.ToDocument(), rig.scene.ToDocument());

  // A file without an extension gets one for its copy; a ".~D3D" is not copied.
  const std::string bare = rig.dir.write("bare", "x");
  rig.scene.SaveToFile(bare);
  EXPECT_EQ(test::TempDir::read(rig.dir.file("bare.~D3D")), "x");
  rig.scene.SaveToFile(rig.dir.file("world.~D3D"));
  EXPECT_FALSE(std::filesystem::exists(rig.dir.file("world.~D3D.~D3D")));
}

TEST(SceneSaving, ARefusedSaveLeavesTheFileTheNameAndTheFlag) {
  SaveRig rig;
  const std::string path = rig.dir.write("world.d3d", "old world");
  rig.scene.FileName = "before";
  rig.scene.AddData({std::string(300, 'n'), 1});
  ASSERT_TRUE(rig.scene.Modified);
  EXPECT_THROW(rig.scene.SaveToFile(path), EStreamError);
  EXPECT_EQ(test::TempDir::read(path), "old world");
  EXPECT_FALSE(std::filesystem::exists(rig.dir.file("world.~D3D")));
  EXPECT_EQ(rig.scene.FileName, "before");
  EXPECT_TRUE(rig.scene.Modified);
  EXPECT_EQ(rig.dir.names().size(), 1u);  // no temporary file stays behind
}

TEST(SceneSaving, AnArchiveSaveRefusedForALongLumpNameLeavesTheArchive) {
  SaveRig rig;
  const std::string path = rig.dir.writeBytes("world.wad", worldArchive());
  rig.scene.AddObject(ObjectKind::Quadrangle, test::wall(1, 2));
  EXPECT_THROW(rig.scene.SaveToArchiveFile(path, std::string(300, 'M')), EWadError);
  EXPECT_EQ(test::TempDir::read(path), bytesText(worldArchive()));
  EXPECT_EQ(rig.dir.names().size(), 1u);  // neither a backup nor a temporary file
  EXPECT_TRUE(rig.scene.Modified);
}

TEST(SceneSaving, SceneLumpsAreNamedAfterTheMapOnDriveC) {
  EXPECT_EQ(TD3DScene::SceneLumpName("MAP01"), "C:\\MAP01.D3D");
  EXPECT_EQ(TD3DScene::SceneLumpName("D:\\W\\MAP02.D3D"), "D:\\W\\MAP02.D3D");
  EXPECT_EQ(TD3DScene::SceneLumpName("map03.d3d"), "C:\\map03.d3d");
}

TEST(SceneSaving, AnArchiveSavedFromAnArchiveKeepsTheMediaItCameFrom) {
  SaveRig rig;
  const std::string source = rig.dir.writeBytes("source.wad", worldArchive());
  ASSERT_TRUE(rig.scene.OpenFromArchiveFile(source, "MAP01.D3D"));
  const std::string target = rig.dir.file("copy.wad");
  const auto report = rig.scene.SaveToArchiveFile(target, "MAP01");
  EXPECT_EQ(report.sceneLump, "C:\\MAP01.D3D");
  EXPECT_EQ(report.mediaWritten, std::vector<std::string>{"C:\\red.bmp"});
  EXPECT_EQ(report.mediaMissing, std::vector<std::string>{"blob"});  // the world's data item is nowhere
  EXPECT_FALSE(rig.scene.Modified);

  TD3DScene reloaded{nullptr, nullptr, rig.clock};
  ASSERT_TRUE(reloaded.OpenFromArchiveFile(target, "MAP01.D3D"));
  EXPECT_EQ(reloaded.Textures->size(), 1u);
  EXPECT_EQ(reloaded.ToDocument(), rig.scene.ToDocument());

  // Saving again over it keeps a backup; the scene-only form drops the media.
  TD3DScene::ArchiveSaveOptions sceneOnly;
  sceneOnly.form = TD3DScene::ArchiveSave::SceneOnly;
  rig.scene.SaveToArchiveFile(target, "MAP01", sceneOnly);
  EXPECT_EQ(TWad(rig.dir.file("copy.~WAD")).Count(), 2u);
  EXPECT_EQ(TWad(target).Names(), std::vector<std::string>{"C:\\MAP01.D3D"});
}

TEST(SceneSaving, APackageWorldFindsItsMediaInTheArchiveItIsGiven) {
  SaveRig rig;
  const test::Bytes archive = worldArchive();
  test::loadPackage(rig.scene, archive);
  const std::string target = rig.dir.file("out.wad");
  // The package's archive is closed after loading: without it the picture is found nowhere.
  EXPECT_TRUE(rig.scene.SaveToArchiveFile(target, "MAP01").mediaWritten.empty());

  MemoryStream bytes{std::span<const std::uint8_t>(archive)};
  TWad package(bytes);
  TD3DScene::ArchiveSaveOptions options;
  options.media = std::vector<std::string>{"C:\\red.bmp"};
  options.mediaArchive = &package;
  const auto report = rig.scene.SaveToArchiveFile(target, "MAP01", options);
  EXPECT_EQ(report.mediaWritten, std::vector<std::string>{"C:\\red.bmp"});
  EXPECT_TRUE(TWad(target).Exists("C:\\red.bmp"));
}

TEST(SceneSaving, MediaOfNestedScenesAreCollectedWithTheirWorlds) {
  SaveRig rig;
  const std::string blue = rig.dir.write("blue.bmp", test::bmpFile(0, 0, 255));
  const std::string red = rig.dir.write("red.bmp", test::bmpFile(255, 0, 0));
  const std::string inner = rig.dir.write("inner.d3d", test::sceneStream("blue.bmp\r\n", {{test::wall(2, 2), 0}}));
  const std::string outer =
      rig.dir.write("outer.d3d", test::sceneStream("red.bmp\r\nmissing.bmp\r\n", {{test::wall(1, 2), 0}, {test::wall(3, 2), 1}},
                                                   {"inner.d3d"}));
  rig.scene.LoadFromFile(outer);
  ASSERT_EQ(rig.scene.SubScenes.size(), 1u);
  std::vector<std::string> media{red};
  rig.scene.CollectMediaFiles(media);
  // Textures found, then the data item (found or not), then the nested world.
  EXPECT_EQ(media, (std::vector<std::string>{red, blue, "blob", inner}));
}

TEST(SceneSaving, ANestedSceneInAnArchiveFindsItsMediaThere) {
  SaveRig rig;
  const std::string inner = test::sceneStream("C:\\blue.bmp\r\n", {{test::wall(2, 2), 0}});
  const std::string path = rig.dir.writeBytes(
      "nested.wad", test::ArchiveBuilder()
                        .add("C:\\MAP01.D3D", test::sceneStream("", {}, {"C:\\INNER.D3D"}))
                        .add("C:\\INNER.D3D", inner)
                        .add("C:\\blue.bmp", test::bmpFile(0, 0, 255))
                        .build());
  ASSERT_TRUE(rig.scene.OpenFromArchiveFile(path, "MAP01.D3D"));
  ASSERT_EQ(rig.scene.SubScenes.size(), 1u);
  EXPECT_EQ(rig.scene.SubScenes[0]->Objects.size(), 1u);
  EXPECT_EQ(rig.scene.Textures->size(), 1u);  // the picture only the nested world names
}

TEST(SceneSaving, TheProgramDirectoryIsSearchedForNames) {
  SaveRig rig;
  const std::string picture = rig.dir.write("only-here.bmp", test::bmpFile(1, 2, 3));
  EXPECT_EQ(rig.scene.ResolveFileName("C:\\DATA\\only-here.bmp"), picture);
}

TEST(SceneSaving, ANestedSceneOfAResourceWorldComesFromTheResources) {
  SaveRig rig;
  // No file of that name exists: only the program's resources hold the world.
  rig.scene.ResourceMode = true;
  TD3DSceneInfo nested;
  nested.Name = "C:\\MAP01.D3D";
  TD3DObject* child = nullptr;
  EXPECT_NO_THROW(child = rig.scene.AddObject(ObjectKind::Scene, nested));
  rig.scene.ResourceMode = false;
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(static_cast<TD3DScene*>(child)->SceneInfo.Name, "MAP01");
}

}  // namespace
}  // namespace velorina
