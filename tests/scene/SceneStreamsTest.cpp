#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "scene/Scene.h"
#include "scene/objects/Sound.h"
#include "scene/records/SoundInfo.h"
#include "platform/sound/WaveBuilder.h"
#include "support/ArchiveBuilder.h"
#include "support/TempDir.h"
#include "SceneTestWorlds.h"

namespace velorina {
namespace {

// A PCM wave of 800 silent 16-bit mono samples at 8000 Hz.
std::string waveFile() {
  const auto bytes = testing::pcm16Wave(std::vector<std::int16_t>(800, 0), 8000);
  return std::string(bytes.begin(), bytes.end());
}

void shortName(MemoryStream& s, const std::string& name) {
  s.writeU8(static_cast<std::uint8_t>(name.size()));
  s.writeExact(name.data(), name.size());
}

// A world of two sounds playing the same wave and a data item named `data`.
std::string soundWorld(const std::string& wave, const std::string& data) {
  MemoryStream s;
  test::writeSceneHead(s, "", 0);
  s.writeU32(2);
  for (std::int32_t id : {1, 2}) {
    s.writeU8(101);
    shortName(s, wave);
    TD3DSoundInfo sound;
    sound.ID = id;
    sound.Range = 10;
    sound.write(s);
  }
  s.writeU32(1);
  shortName(s, data);
  s.writeI32(7);
  return std::string(s.bytes().begin(), s.bytes().end());
}

const TD3DSound& soundAt(const TD3DScene& scene, std::size_t i) {
  return static_cast<const TD3DSound&>(*scene.AudioObjects[i].object);
}

TEST(SceneStreams, AWaveUsedTwiceIsReadOnceAndEachSoundStreamsOnItsOwn) {
  const auto archive = test::ArchiveBuilder()
                           .add("C:\\MAP01.D3D", soundWorld("C:\\SND\\beep.wav", "C:\\blob.dat"))
                           .add("C:\\SND\\beep.wav", waveFile())
                           .add("C:\\blob.dat", "payload")
                           .build();
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  test::loadPackage(scene, archive);
  ASSERT_EQ(scene.AudioObjects.size(), 2u);
  EXPECT_EQ(scene.WaveStreams->size(), 1u);
  EXPECT_NE(soundAt(scene, 0).stream(), nullptr);
  EXPECT_NE(soundAt(scene, 1).stream(), nullptr);
  EXPECT_NE(soundAt(scene, 0).stream(), soundAt(scene, 1).stream());

  // The data item reads its archive entry, cached by name.
  ASSERT_EQ(scene.DataItems.size(), 1u);
  Stream* data = scene.DataItems[0].object->DataStream();
  ASSERT_NE(data, nullptr);
  char text[8] = {};
  data->seek(0, SeekOrigin::Begin);
  EXPECT_EQ(data->read(text, 7), 7u);
  EXPECT_STREQ(text, "payload");
  EXPECT_EQ(scene.DataStreams->size(), 1u);
  scene.ClearAll();
  EXPECT_EQ(scene.WaveStreams->size(), 0u);
  EXPECT_EQ(scene.DataStreams->size(), 0u);
}

TEST(SceneStreams, FilesAreFoundOnceAndMissingOnesLeaveSilence) {
  test::TempDir dir;
  dir.write("beep.wav", waveFile());
  dir.write("world.d3d", soundWorld("C:\\SOUNDS\\BEEP.WAV", "missing.dat"));
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  scene.LoadFromFile(dir.file("world.d3d"));
  ASSERT_EQ(scene.AudioObjects.size(), 2u);
  ASSERT_EQ(scene.WaveStreams->size(), 1u);
  EXPECT_EQ((*scene.WaveStreams)[0].name, dir.file("beep.wav"));  // found in the world's folder, case aside
  EXPECT_NE(soundAt(scene, 1).stream(), nullptr);
  EXPECT_EQ(scene.DataItems[0].object->DataStream(), nullptr);

  std::string name = "nowhere.wav";
  EXPECT_EQ(scene.GetWaveStream(name), nullptr);
  std::string again = "beep.wav";
  EXPECT_NE(scene.GetWaveStream(again), nullptr);
  EXPECT_EQ(again, dir.file("beep.wav"));
  EXPECT_EQ(scene.WaveStreams->size(), 1u);
}

TEST(SceneStreams, NestedScenesShareTheCaches) {
  test::TempDir dir;
  dir.write("inner.d3d", test::sceneStream("", {{test::wall(2, 3), -1}}));
  dir.write("world.d3d", test::sceneStream("", {}, {dir.file("inner.d3d")}));
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  scene.LoadFromFile(dir.file("world.d3d"));
  ASSERT_EQ(scene.SubScenes.size(), 1u);
  EXPECT_EQ(scene.SubScenes[0]->WaveStreams, scene.WaveStreams);
  EXPECT_EQ(scene.SubScenes[0]->DataStreams, scene.DataStreams);
  EXPECT_EQ(scene.SubScenes[0]->Textures, scene.Textures);
}

}  // namespace
}  // namespace velorina
