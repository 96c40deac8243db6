// End-to-end tests of `velorina-tool scene build` and `scene save`: worlds dumped,
// built again from the dump, re-saved from every form the loader reads.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/MemoryStream.h"
#include "imaging/BmpCodec.h"
#include "imaging/PngCodec.h"
#include "scene/records/SceneStreamWriter.h"
#include "support/ArchiveBuilder.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"
#include "tools/SceneJson.h"
#include "tools/SceneJsonReader.h"

namespace velorina {
namespace {

using test::quote;
using test::runCommand;

const std::string kTool = std::string(VELORINA_BINARY_DIR) + "/velorina-tool";
// The bare player, which carries no world.
const std::string kPlayer = std::string(VELORINA_BINARY_DIR) + "/velorina-player";

std::string text(const ByteBuffer& b) { return std::string(b.begin(), b.end()); }

std::string bmp(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Bitmap picture(8, 8, PixelFormat::Bits24);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      std::uint8_t* p = picture.row(y) + 3 * x;
      p[0] = b, p[1] = g, p[2] = r;
    }
  }
  return text(writeBmp(picture));
}

// A mono 8-bit 8 kHz WAVE.
std::string wave(std::uint32_t frames) {
  MemoryStream w;
  w.writeExact("RIFF", 4);
  w.writeU32(36 + frames);
  w.writeExact("WAVEfmt ", 8);
  w.writeU32(16);
  w.writeU16(1);
  w.writeU16(1);
  w.writeU32(8000);
  w.writeU32(8000);
  w.writeU16(1);
  w.writeU16(8);
  w.writeExact("data", 4);
  w.writeU32(frames);
  for (std::uint32_t i = 0; i < frames; ++i) w.writeU8(static_cast<std::uint8_t>(i % 2 ? 60 : 196));
  return std::string(w.bytes().begin(), w.bytes().end());
}

TD3DQuadrangleInfo wall(std::int32_t id, float z, std::string texture) {
  TD3DQuadrangleInfo q;
  q.ID = id;
  q.Corners = {D3DVECTOR{-1, 1, z}, {1, 1, z}, {-1, -1, z}, {1, -1, z}};
  q.TexSpanU = q.TexSpanV = 1;
  q.Colors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  q.Flags = 1;
  q.TextureName = std::move(texture);
  return q;
}

SceneObjectEntry entry(SceneObjectRecord record, TTextureNames names = {}) {
  SceneObjectEntry e;
  e.Kind = static_cast<std::uint8_t>(d3dValue(kindOfRecord(record)));
  if (const auto* q = std::get_if<TD3DQuadrangleInfo>(&record)) names.set(0, q->TextureName);
  std::visit([&](auto& r) {
    if constexpr (requires { r.TextureNames; }) r.TextureNames = names;
  }, record);
  if (const auto* s = std::get_if<TD3DSceneInfo>(&record)) e.Name = s->Name;
  e.Record = std::move(record);
  e.TextureNames = std::move(names);
  return e;
}

// A world of every kind the scene builds (quadrangles, polygons in both point
// forms, a nested world with a texture of its own, a sound, a tone, a data item,
// an action and a light) as an archive holding its media under Windows names.
test::Bytes everyKindWorld() {
  SceneDocument inner;
  inner.Version = 117;
  inner.Textures = {"inner.bmp"};
  inner.Objects.push_back(entry(wall(71, 0, "inner.bmp")));

  SceneDocument doc;
  doc.Version = 117;
  doc.Textures = {"C:\\TEX\\R.BMP", "frame1.bmp", "mask.bmp", "inner.bmp"};
  doc.Objects.push_back(entry(wall(1, 4, "C:\\TEX\\R.BMP")));
  TD3DPolygonInfo flat;
  flat.ID = 2;
  flat.Color = 0x00FF00;
  flat.TexScaleU = flat.TexScaleV = 1;
  flat.FrameCount = 1;
  flat.PointCount = 3;
  flat.Points = {{-1, -1, 5}, {1, -1, 5}, {0, 1, 5}};
  TTextureNames frames;
  frames.set(0, "frame1.bmp");
  frames.set(1, "mask.bmp");
  doc.Objects.push_back(entry(flat, frames));
  TD3DPolygonInfo merged;
  merged.ID = 3;
  merged.Merged = true;
  merged.PrimitiveType = 4;
  merged.PointCount = 3;
  merged.Vertices.resize(3);
  merged.Vertices[1].x = 1;
  merged.Vertices[2].y = 1;
  for (auto& v : merged.Vertices) v.color = 0xFFFF0000;
  doc.Objects.push_back(entry(merged));
  TD3DSceneInfo nested;
  nested.ID = 70;
  nested.Name = "inner.d3d";
  nested.Position = {0, 0, 8};
  nested.Rotation = {0, 0.5f, 0};
  doc.Objects.push_back(entry(nested));
  TD3DSoundInfo sound;
  sound.ID = 7;
  sound.Position = {0, 0, 2};
  sound.Range = 10;
  sound.Looped = true;
  sound.WaveName = "C:\\SND\\BEEP.WAV";
  doc.Sounds.push_back({101, sound.WaveName, sound});
  TD3DToneInfo tone;
  tone.ID = 8;
  tone.Frequency = 440;
  tone.Duration = 100;
  doc.Sounds.push_back({102, "", tone});
  doc.Data.push_back({"blob.dat", 41});
  TD3DActionInfo turn;
  turn.Kind = 210;
  turn.ID = 9;
  turn.TargetKind = 2;
  turn.TargetID = 1;
  turn.Vector2 = {0, 1.5707964f, 0};
  turn.Duration = 1;
  doc.Actions.push_back(turn);
  TD3DSceneLightInfo light;
  light.ID = 10;
  light.Color = 0xFFFFFF;
  light.Range = 50;
  light.RangeFactor = 1;
  light.Position = {0, 2, 0};
  doc.Lights.push_back(light);

  return test::ArchiveBuilder()
      .add("C:\\TEX\\R.BMP", bmp(255, 0, 0))
      .add("frame1.bmp", bmp(0, 0, 255))
      .add("mask.bmp", bmp(255, 255, 255))
      .add("inner.d3d", text(SceneStreamWriter("inner.d3d").write(inner)))
      .add("inner.bmp", bmp(0, 255, 0))
      .add("C:\\SND\\BEEP.WAV", wave(800))
      .add("blob.dat", "forty-one")
      .add("C:\\MAP01.D3D", text(SceneStreamWriter("MAP01.D3D").write(doc)))
      .build();
}

// The lumps of that world as `wad list` shows them, sorted by name.
const std::string kEveryKindLumps =
    "blob.dat\nC:\\MAP01.D3D\nC:\\SND\\BEEP.WAV\nC:\\TEX\\R.BMP\nframe1.bmp\ninner.bmp\ninner.d3d\nmask.bmp\n";

std::string dump(const std::string& world, const std::string& lump = {}) {
  const auto r = runCommand(kTool + " scene dump " + quote(world) + (lump.empty() ? "" : " --lump " + quote(lump)));
  EXPECT_EQ(r.status, 0) << world << ": " << r.err;
  return r.out;
}

std::string lumps(const std::string& archive) { return runCommand(kTool + " wad list " + quote(archive)).out; }

TEST(SceneBuild, TheBuiltWorldDumpsAsItsDescription) {
  test::TempDir dir;
  const auto original = dir.writeBytes("original.wad", everyKindWorld());
  const std::string description = dump(original);
  dir.write("world.json", description);
  // The media lie in a folder of their own under their file names.
  std::filesystem::create_directory(dir.file("media"));
  for (const char* name : {"C:\\TEX\\R.BMP", "frame1.bmp", "mask.bmp", "inner.d3d", "inner.bmp", "C:\\SND\\BEEP.WAV",
                           "blob.dat"}) {
    const std::string file = std::string(name).substr(std::string(name).find_last_of('\\') + 1);
    ASSERT_EQ(runCommand(kTool + " wad extract " + quote(original) + " " + quote(name) + " -o " +
                         quote(dir.file("media/" + file))).status, 0);
  }
  const auto built = dir.file("built.wad");
  auto r = runCommand(kTool + " scene build " + quote(dir.file("world.json")) + " -o " + quote(built) +
                      " --media-dir " + quote(dir.file("media")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("7 media files"), std::string::npos) << r.out;
  EXPECT_EQ(dump(built), description);
  // Every media file under the name the world gives it, and the scene (listed by name).
  EXPECT_EQ(lumps(built), kEveryKindLumps);
  // The scene stream was in the writer's own form, so it is built to the same bytes.
  EXPECT_EQ(runCommand(kTool + " wad extract " + quote(built) + " 'C:\\MAP01.D3D'").out,
            runCommand(kTool + " wad extract " + quote(original) + " 'C:\\MAP01.D3D'").out);
  // The packed world starts in the player.
  const auto player = dir.file("player");
  ASSERT_EQ(runCommand(kTool + " pack --archive " + quote(built) + " -o " + quote(player) + " --player " +
                       quote(kPlayer)).status, 0);
  r = runCommand("SDL_AUDIODRIVER=dummy " + quote(player) + " --headless --frames 3");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  // The same from the worlds the other tool tests write: a description beside its media.
  const auto simple = dir.write("simple.json", R"({"objects": [{"kind": 2, "record": {"TextureName": "C:\\TEX\\R.BMP"}}],
      "sounds": [{"kind": 101, "name": "beep.wav", "record": {"ID": 7, "Range": 10, "Looped": true, "Enabled": true}}]})");
  dir.write("R.BMP", bmp(255, 0, 0));
  dir.write("beep.wav", wave(400));
  const auto small = dir.file("simple.wad");
  ASSERT_EQ(runCommand(kTool + " scene build " + quote(simple) + " --out " + quote(small) + " --lump " + quote("D:\\W\\MAP02.D3D")).status, 0);
  EXPECT_EQ(lumps(small), "beep.wav\nC:\\TEX\\R.BMP\nD:\\W\\MAP02.D3D\n");
  EXPECT_EQ(dump(small, "MAP02.D3D"), dump(small));
}

TEST(SceneBuild, FailuresNameTheFileAndThePlaceAndLeaveTheOutputAlone) {
  test::TempDir dir;
  const auto out = dir.write("out.wad", "the old world");
  dir.write("wall.bmp", bmp(1, 2, 3));
  dir.write("broken.bmp", "BM not really a picture");
  const struct {
    std::string json;
    std::string says;
  } cases[] = {
      {R"({"objects": [{"kind": 9, "record": {"Scale": [1, "2", 3]}}]})",
       "world.json: objects[0].record.Scale[1]: expected a number"},
      {R"({"objects": [{"kind": 2, "record": {"TextureName": "wall.bmp"}}, {"kind": 2, "record": {"TextureName": "gone.bmp"}}],
          "sounds": [{"kind": 101, "name": "C:\\SND\\gone.wav"}]})",
       "world.json: media not found in " + dir.path().string() +
           ": \"gone.bmp\" (objects[1]), \"C:\\SND\\gone.wav\" (sounds[0])"},
      {R"({"objects": [{"kind": 2, "record": {"TextureName": "broken.bmp"}}]})",
       "(the picture \"broken.bmp\" of objects[0])"},
      {R"({"objects": [{"kind": 7, "name": "broken.bmp"}]})", "broken.bmp"},
      {"{\"objects\": [\n", "world.json: line 2, column 1: syntax error"},
  };
  for (const auto& c : cases) {
    const auto json = dir.write("world.json", c.json);
    const auto r = runCommand(kTool + " scene build " + quote(json) + " -o " + quote(out));
    EXPECT_EQ(r.status, 1) << c.json;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err << "\nexpected: " << c.says;
    EXPECT_EQ(test::TempDir::read(out), "the old world");
  }
  // No scratch files are left behind.
  auto names = dir.names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"broken.bmp", "out.wad", "wall.bmp", "world.json"}));

  auto r = runCommand(kTool + " scene build " + quote(dir.file("world.json")));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("needs -o WORLD.wad"), std::string::npos) << r.err;
  r = runCommand(kTool + " scene build --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("README.md, section \"Scene descriptions (JSON)\""), std::string::npos) << r.out;
}

TEST(SceneSave, ResavesWorldsOfEveryFormWithTheirMedia) {
  test::TempDir dir;
  const auto original = dir.writeBytes("original.wad", everyKindWorld());
  const std::string description = dump(original);

  // From an archive: media read from it, the scene lump kept as it was named.
  const auto copy = dir.file("copy.wad");
  auto r = runCommand(kTool + " scene save " + quote(original) + " -o " + quote(copy));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dump(copy), description);
  EXPECT_EQ(lumps(copy), kEveryKindLumps);

  // From a packed player, whose archive is closed once the world is read.
  const auto player = dir.file("player");
  ASSERT_EQ(runCommand(kTool + " pack --archive " + quote(original) + " -o " + quote(player) + " --player " +
                       quote(kPlayer)).status, 0);
  const auto fromPlayer = dir.file("from-player.wad");
  r = runCommand(kTool + " scene save " + quote(player) + " -o " + quote(fromPlayer) + " --out-lump MAP07");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::string seventh = kEveryKindLumps;
  seventh.replace(seventh.find("MAP01"), 5, "MAP07");
  EXPECT_EQ(lumps(fromPlayer), seventh);
  EXPECT_EQ(dump(fromPlayer, "MAP07.D3D"), description);

  // As a scene file, saved again over itself: the old file is kept as .~D3D.
  const auto scene = dir.file("world.d3d");
  ASSERT_EQ(runCommand(kTool + " scene save " + quote(copy) + " -o " + quote(scene)).status, 0);
  EXPECT_EQ(dump(scene), description);
  ASSERT_EQ(runCommand(kTool + " scene save " + quote(copy) + " -o " + quote(scene)).status, 0);
  EXPECT_EQ(test::TempDir::read(dir.file("world.~D3D")), test::TempDir::read(scene));

  // A headerless scene file with its media beside it becomes a headed world.
  MemoryStream old;
  old.writeU32(1);
  old.writeU8(2);
  old.writeU8(8);
  old.writeExact("wall.bmp", 8);
  TD3DQuadrangleInfo q = wall(5, 3, "");
  old.writeI32(q.ID);
  for (const auto& c : q.Corners) {
    old.writeF32(c.x);
    old.writeF32(c.y);
    old.writeF32(c.z);
  }
  old.writeI32(0);
  old.writeU8(1);
  old.writeF32(1);
  old.writeF32(1);
  for (auto c : q.Colors) old.writeU32(c);
  old.writeU32(0);
  const auto headerless = dir.writeBytes("old.d3d", old.bytes());
  dir.write("wall.bmp", bmp(9, 9, 9));
  const auto upgraded = dir.file("old.wad");
  r = runCommand(kTool + " scene save " + quote(headerless) + " -o " + quote(upgraded));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(lumps(upgraded).substr(lumps(upgraded).find('\n') + 1), "C:\\MAP01.D3D\n");
  const std::string d = dump(upgraded);
  EXPECT_NE(d.find("\"form\": \"SCENEDEF\""), std::string::npos) << d;
  EXPECT_NE(d.find("wall.bmp\"}]"), std::string::npos) << d;

  r = runCommand(kTool + " scene save " + quote(dir.file("absent.wad")) + " -o " + quote(dir.file("x.wad")));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("absent.wad"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.wad")));
}

const std::string kFirstWorld = std::string(VELORINA_TEST_DATA_DIR) + "/../data/examples/first-world";

// The README's walk-through, as a new user types it: build, pack, render. Its
// sphere and text need the sphere and text objects, which the scene builds once
// they exist; until then `scene build` refuses the world.
TEST(FirstWorld, BuildsPacksAndRendersHeadless) {
  test::TempDir dir;
  const auto wad = dir.file("first.wad");
  auto r = runCommand(kTool + " scene build " + quote(kFirstWorld + "/world.json") + " -o " + quote(wad));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(lumps(wad), "bricks.bmp\nC:\\MAP01.D3D\nhum.wav\n");
  const auto player = dir.file("first-world");
  ASSERT_EQ(runCommand(kTool + " pack --archive " + quote(wad) + " -o " + quote(player) + " --player " +
                       quote(kPlayer) + " --title 'My first world'").status, 0);
  r = runCommand("SDL_AUDIODRIVER=dummy " + quote(player) + " --headless --frames 5");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  const auto png = dir.file("first.png");
  ASSERT_EQ(runCommand(kTool + " render " + quote(player) + " --size 160x120 --time 1 --out " + quote(png)).status, 0);
  const std::string bytes = test::TempDir::read(png);
  const auto argb =
      decodePng(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), png).toARGB32();
  ASSERT_EQ(argb.size(), 160u * 120u);
  const auto red = [](std::uint32_t c) { return (c >> 16) & 0xFF; };
  const auto blue = [](std::uint32_t c) { return c & 0xFF; };
  EXPECT_EQ(argb[2 * 160 + 80] & 0xFFFFFF, 0u);  // above the walls: the black background
  // The brick walls left and right and the floor: red above blue.
  for (const std::size_t at : {60u * 160u + 5u, 60u * 160u + 154u, 115u * 160u + 80u}) {
    EXPECT_GT(red(argb[at]), blue(argb[at]) + 40) << at << ": " << std::hex << argb[at];
  }
}

TEST(FirstWorld, DumpsAsItsDescription) {
  test::TempDir dir;
  const auto wad = dir.file("first.wad");
  ASSERT_EQ(runCommand(kTool + " scene build " + quote(kFirstWorld + "/world.json") + " -o " + quote(wad)).status, 0);
  SceneDocument doc =
      tools::readSceneDescription(test::TempDir::read(kFirstWorld + "/world.json"), "world.json");
  doc.Textures = {"bricks.bmp"};  // the world lists the texture its objects use
  EXPECT_EQ(dump(wad), tools::sceneDocumentToJson(doc) + "\n");
}

}  // namespace
}  // namespace velorina
