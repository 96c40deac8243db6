// The scene description reader: dumps read back to the documents they came from,
// short descriptions take the record defaults, and every bad value is refused with
// the file and the JSON path.
#include "tools/SceneJsonReader.h"

#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "scene/records/SceneStreamReader.h"
#include "tools/SceneJson.h"

namespace velorina::tools {
namespace {

void shortName(MemoryStream& s, std::string_view name) {
  s.writeU8(static_cast<std::uint8_t>(name.size()));
  s.writeExact(name.data(), name.size());
}

void table(MemoryStream& s, std::initializer_list<std::int16_t> indices) {
  s.writeI16(static_cast<std::int16_t>(indices.size() / 2));
  for (auto i : indices) s.writeI16(i);
}

// A stream holding every kind of object, sound, data item, action and light, read
// the way the scene reads worlds.
SceneDocument everyKind() {
  MemoryStream s;
  s.writeExact("SCENEDEF", 8);
  s.writeU32(117);
  const std::string textures = "C:\\TEX\\WALL.BMP\r\nmask.bmp\r\nglobe.jpg\r\nΛέξη.bmp\r\n";
  s.writeU32(static_cast<std::uint32_t>(textures.size()));
  s.writeExact(textures.data(), textures.size());
  s.writeU32(7);

  TD3DQuadrangleInfo q;
  q.ID = -3;
  q.Corners = {D3DVECTOR{-1, 1, 4}, {1, 1, 4}, {-1, -1, 4}, {1, -1.0e-7f, 4}};
  q.FixedDistance = 2147483647;
  q.Flags = 0x81;
  q.TexSpanU = 0.1f;
  q.TexSpanV = 3;
  q.TexOffsetU = -0.25f;
  q.Colors = {0xFFFFFF, 0xFF, 0xFF00, 0xFFFFFFFF};
  q.Transparent = true;
  s.writeU8(2);
  table(s, {0, -1});
  q.write(s);

  TD3DPolygonInfo flat;
  flat.ID = 4;
  flat.Color = 0x123456;
  flat.TexMode = 1;
  flat.PointCount = 3;
  flat.FrameCount = -32768;
  flat.FramePeriod = 0.3f;
  flat.PrimitiveType = 6;
  flat.CullMode = 3;
  flat.Points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 1e30f}};
  s.writeU8(4);
  table(s, {0, 1, 2, -1});
  flat.write(s);

  TD3DPolygonInfo merged;
  merged.Merged = true;
  merged.PointCount = 2;
  merged.Vertices.resize(2);
  merged.Vertices[1].x = 2;
  merged.Vertices[1].color = 0xFF00FF00;
  merged.Vertices[1].specular = 0x80000000;
  merged.Vertices[1].tu = 0.5f;
  s.writeU8(4);
  table(s, {});
  merged.write(s);

  TD3DSphereInfo sphere;
  sphere.ID = 5;
  sphere.Color = 0x808080;
  sphere.Position = {0, 1, 5};
  sphere.Angles = {0.1f, -3.14159f, 0};
  sphere.Scale = {1, 2, 3};
  sphere.Stacks = 255;
  sphere.Slices = 12;
  s.writeU8(9);
  table(s, {2, -1, -1, 1});
  sphere.write(s);

  TD3DTextInfo text;
  text.ID = 15;
  text.FrontColor = 0xFF;
  text.BackColor = 0xFF0000;
  text.Text = "Velorina \"dance\"\\ \xC3\xA9";
  text.Sides = false;
  text.Filled = false;
  text.ShearX = 0.25f;
  text.Scale = {1, 1, 0.2f};
  s.writeU8(15);
  table(s, {3, -1});
  text.write(s);

  s.writeU8(7);
  s.writeExact("inner.d3d", 10);
  TD3DSceneInfo nested;
  nested.ID = 77;
  nested.Position = {1, 2, 3};
  nested.Rotation = {0, 0.5f, 0};
  nested.write(s);
  s.writeU8(0);  // an empty entry: no object

  s.writeU32(2);
  TD3DSoundInfo sound;
  sound.ID = 9;
  sound.Position = {0, 0, 2};
  sound.Doppler = true;
  sound.SpeedOfSound = 300;
  sound.Range = 10;
  sound.Looped = true;
  s.writeU8(101);
  shortName(s, "boom.wav");
  sound.write(s);
  TD3DToneInfo tone;
  tone.ID = 10;
  tone.Frequency = 440;
  tone.Duration = -1;
  tone.Waveform = 3;
  tone.Attack = 32767;
  tone.Quality = 255;
  s.writeU8(102);
  tone.write(s);

  s.writeU32(1);
  shortName(s, "blob.dat");
  s.writeI32(33);
  s.writeU32(0);  // names
  s.writeU32(1);
  TD3DActionInfo action;
  action.Kind = 212;
  action.ID = 3;
  action.TargetKind = -1;
  action.TargetID = 5;
  action.Vector1 = {0, 1, 0};
  action.Vector2 = {0, 1.5707964f, 0};
  action.Duration = 0.1;
  action.write(s);
  s.writeU32(1);
  TD3DSceneLightInfo light;
  light.ID = 42;
  light.Color = 0xFFFFFF;
  light.Specular = 0x101010;
  light.Range = 100;
  light.RangeFactor = 2;
  light.Position = {0, 3, 0};
  light.LightType = 1;
  light.write(s);

  SceneDocument doc;
  SceneStreamReader(s.bytes(), "every.d3d").read(doc);
  return doc;
}

void expectSameDocument(const SceneDocument& a, const SceneDocument& b) {
  EXPECT_EQ(a.Form, b.Form);
  EXPECT_EQ(a.Version, b.Version);
  EXPECT_EQ(a.Textures, b.Textures);
  ASSERT_EQ(a.Objects.size(), b.Objects.size());
  for (std::size_t i = 0; i < a.Objects.size(); ++i) {
    EXPECT_EQ(a.Objects[i].Kind, b.Objects[i].Kind) << i;
    EXPECT_EQ(a.Objects[i].Name, b.Objects[i].Name) << i;
    EXPECT_TRUE(a.Objects[i].Record == b.Objects[i].Record) << "object " << i;
    EXPECT_EQ(a.Objects[i].TextureNames, b.Objects[i].TextureNames) << i;
  }
  ASSERT_EQ(a.Sounds.size(), b.Sounds.size());
  for (std::size_t i = 0; i < a.Sounds.size(); ++i) {
    EXPECT_EQ(a.Sounds[i].Kind, b.Sounds[i].Kind);
    EXPECT_EQ(a.Sounds[i].Name, b.Sounds[i].Name);
    EXPECT_TRUE(a.Sounds[i].Record == b.Sounds[i].Record) << "sound " << i;
  }
  EXPECT_EQ(a.Data, b.Data);
  EXPECT_EQ(a.Actions, b.Actions);
  EXPECT_EQ(a.Lights, b.Lights);
}

TEST(SceneJsonReader, ADumpOfEveryKindReadsBackToTheSameDocument) {
  const SceneDocument original = everyKind();
  ASSERT_EQ(original.Objects.size(), 6u);
  const std::string dump = sceneDocumentToJson(original);
  const SceneDocument back = readSceneDescription(dump, "every.json");
  expectSameDocument(back, original);
  EXPECT_EQ(sceneDocumentToJson(back), dump);

  // The headerless form and its named objects and tones as well.
  SceneDocument old = original;
  old.Form = SceneStreamForm::Headerless;
  old.Version = 0;
  old.Sounds[1].Name = "Tone";
  expectSameDocument(readSceneDescription(sceneDocumentToJson(old), "old.json"), old);
}

TEST(SceneJsonReader, AShortDescriptionTakesTheRecordDefaults) {
  const SceneDocument doc = readSceneDescription(R"({
    "objects": [
      {"kind": "quadrangle", "record": {"TextureName": "wall.bmp", "Colors": [1, 2, 3, 4]}},
      {"kind": 9, "record": {"Stacks": 8, "Scale": [1, 1, 1]},
       "textureNames": [{"name": "globe.bmp"}, {"name": "globe-mask.bmp"}, {"index": 4, "name": "f2.bmp"}]},
      {"kind": "polygon", "record": {"Points": [[0, 0, 0], [1, 0, 0], [0, 1, 0]]}},
      {"kind": "polygon", "record": {"Points": [{"Position": [0, 0, 0], "tu": 1}]}},
      {"kind": "scene", "name": "room.d3d"},
      {"kind": "text"}
    ],
    "sounds": [{"kind": "sound", "name": "beep.wav"}, {"kind": 102, "record": {"Frequency": 880}}],
    "lights": [{}]
  })", "short.json");
  EXPECT_EQ(doc.Form, SceneStreamForm::Headed);
  EXPECT_EQ(doc.Version, 117);
  ASSERT_EQ(doc.Objects.size(), 6u);

  TD3DQuadrangleInfo quad;
  quad.TextureName = "wall.bmp";
  quad.Colors = {1, 2, 3, 4};
  EXPECT_EQ(std::get<TD3DQuadrangleInfo>(doc.Objects[0].Record), quad);
  EXPECT_EQ(doc.Objects[0].TextureNames.get(0), "wall.bmp");  // the stored table names it too

  const auto& sphere = std::get<TD3DSphereInfo>(doc.Objects[1].Record);
  EXPECT_EQ(sphere.Stacks, 8);
  EXPECT_EQ(sphere.Slices, 0);
  EXPECT_EQ(sphere.Scale, (D3DVECTOR{1, 1, 1}));
  EXPECT_EQ(sphere.TextureNames.get(1), "globe-mask.bmp");  // indices follow on
  EXPECT_EQ(sphere.TextureNames.get(4), "f2.bmp");
  EXPECT_EQ(sphere.TextureNames.entries().size(), 3u);

  const auto& flat = std::get<TD3DPolygonInfo>(doc.Objects[2].Record);
  EXPECT_FALSE(flat.Merged);
  EXPECT_EQ(flat.PointCount, 3);
  EXPECT_EQ(flat.PrimitiveType, 5);
  const auto& merged = std::get<TD3DPolygonInfo>(doc.Objects[3].Record);
  EXPECT_TRUE(merged.Merged);  // whole vertices say so without the flag
  ASSERT_EQ(merged.Vertices.size(), 1u);
  EXPECT_EQ(merged.Vertices[0].tu, 1.0f);

  EXPECT_EQ(std::get<TD3DSceneInfo>(doc.Objects[4].Record).Name, "room.d3d");
  EXPECT_EQ(std::get<TD3DTextInfo>(doc.Objects[5].Record), TD3DTextInfo{});
  EXPECT_EQ(std::get<TD3DSoundInfo>(doc.Sounds[0].Record).WaveName, "beep.wav");
  EXPECT_EQ(std::get<TD3DToneInfo>(doc.Sounds[1].Record).Frequency, 880);
  EXPECT_EQ(doc.Lights.at(0), TD3DSceneLightInfo{});
}

// The error's one-line form: "FILE: PATH: problem".
std::string failure(const std::string& json) {
  try {
    readSceneDescription(json, "world.json");
  } catch (const ESceneDescriptionError& e) {
    EXPECT_EQ(e.context().file, "world.json");
    return e.describe();
  }
  ADD_FAILURE() << "accepted: " << json.substr(0, 200);
  return {};
}

std::string objects(const std::string& list) { return R"({"objects": [)" + list + "]}"; }

TEST(SceneJsonReader, EveryValueIsCheckedAgainstItsRecordField) {
  const struct {
    std::string json;
    std::string says;
  } cases[] = {
      {objects(R"({"kind": 2}, {"kind": 9, "record": {"Scale": [1, "2", 3]}})"),
       "world.json: objects[1].record.Scale[1]: expected a number"},
      {objects(R"({"kind": 9, "record": {"Scale": [1, 2]}})"), "objects[0].record.Scale: expected an array of three"},
      {objects(R"({"kind": 9, "record": {"FrameCount": 40000}})"),
       "objects[0].record.FrameCount: expected a whole number from -32768 to 32767, not 40000"},
      {objects(R"({"kind": 9, "record": {"Stacks": 256}})"), "Stacks: expected a whole number from 0 to 255"},
      {objects(R"({"kind": 9, "record": {"Stacks": -1}})"), "Stacks: expected a whole number from 0 to 255"},
      {objects(R"({"kind": 4, "record": {"Color": -1}})"), "Color: expected a whole number from 0 to 4294967295"},
      {objects(R"({"kind": 4, "record": {"Color": 4294967296}})"), "not 4294967296"},
      {objects(R"({"kind": 4, "record": {"ID": 1.5}})"), "ID: expected a whole number"},
      {objects(R"({"kind": 4, "record": {"ID": 18446744073709551615}})"), "ID: expected a whole number"},
      {objects(R"({"kind": 4, "record": {"TexScaleU": 1e39}})"), "TexScaleU: the number 1e+39 is out of the range"},
      {objects(R"({"kind": 2, "record": {"Transparent": 1}})"), "Transparent: expected true or false"},
      {objects(R"({"kind": 2, "record": {"Colour": [0, 0, 0, 0]}})"), "objects[0].record: unknown field \"Colour\""},
      {objects(R"({"kind": 2, "record": {"Colors": [0, 0, 0]}})"), "Colors: expected an array of 4 entries"},
      {objects(R"({"kind": 3})"), "objects[0].kind: unknown kind 3 (2 quadrangle, 4 polygon"},
      {objects(R"({"kind": "cube"})"), "unknown kind \"cube\""},
      {objects(R"({"record": {}})"), "objects[0]: needs a \"kind\""},
      {objects(R"({"kind": 4, "record": {"PointCount": 2, "Points": [[0, 0, 0]]}})"),
       "PointCount: is 2 but Points holds 1 points"},
      {objects(R"({"kind": 4, "record": {"Merged": false, "Points": [{"Position": [0, 0, 0]}]}})"),
       "Points[0]: expected an array of three numbers [x, y, z] (the polygon is not merged)"},
      {objects(R"({"kind": 4, "record": {"Points": [{"Position": [0, 0, 0]}, [1, 1, 1]]}})"),
       "Points[1]: expected a vertex"},
      {objects(R"({"kind": 2, "record": {"TextureName": "a.bmp"}, "textureNames": [{"index": 0, "name": "b.bmp"}]})"),
       "objects[0].record: TextureName differs from textureNames index 0"},
      {objects(R"({"kind": 9, "textureNames": [{"index": 384, "name": "x"}]})"), "index: expected a whole number from 0 to 383"},
      {objects(R"({"kind": 9, "textureNames": [{"index": 383, "name": "x"}, {"name": "y"}]})"),
       "textureNames[1]: the index would be 384"},
      {objects(R"({"kind": 9, "textureNames": [{"index": 2, "name": "x"}, {"index": 2, "name": "y"}]})"),
       "textureNames[1]: index 2 is given twice"},
      {objects(R"({"kind": 9, "textureNames": [{"name": "two\nlines"}]})"), "name: a texture name holds no line break"},
      {objects(R"({"kind": 7, "record": {"Name": "a\u0000b"}})"), "Name: holds a zero character"},
      {objects(R"({"kind": 7})"), "objects[0].record: a nested scene needs the Name"},
      {objects(R"({"kind": 7, "name": "a.d3d", "record": {"Name": "b.d3d"}})"), "Name differs from the entry's name"},
      {objects(R"({"kind": 15, "record": {"Text": ")" + std::string(65536, 'x') + R"("}})"),
       "Text: is 65536 bytes long; at most 65535 are stored"},
      {R"({"sounds": [{"kind": 101, "name": ")" + std::string(256, 'w') + R"("}]})", "sounds[0].name: is 256 bytes long"},
      {R"({"sounds": [{"kind": 101}]})", "sounds[0].record: a sound needs the WaveName"},
      {R"({"sounds": [{"kind": 101, "name": "a.wav", "record": {"SpeedOfSound": 300}}]})",
       "SpeedOfSound: is kept only with \"Doppler\": true"},
      {R"({"sounds": [{"kind": 2}]})", "sounds[0].kind: unknown kind 2 (101 sound, 102 tone)"},
      {R"({"actions": [{"Temporary": 1}]})", "actions[0].Temporary: a world stores no temporary actions"},
      {R"({"data": [{"Name": 5}]})", "data[0].Name: expected a string"},
      {R"({"lights": [{"LightType": true}]})", "lights[0].LightType: expected a whole number"},
      {R"({"form": "other"})", "form: expected \"SCENEDEF\" or \"headerless\""},
      {R"({"objects": {}})", "objects: expected an array"},
      {R"({"objcts": []})", "world.json: unknown field \"objcts\""},
      {R"([1, 2])", "world.json: expected an object"},
      {"{\"objects\": [\n  {\"kind\": 2,}\n]}", "world.json: line 2, column 14: syntax error"},
      {"", "world.json: line 1, column 1"},
      {std::string(200, '[') + std::string(200, ']'), "world.json: nested deeper than 64 levels"},
  };
  for (const auto& c : cases) {
    const std::string said = failure(c.json);
    EXPECT_NE(said.find(c.says), std::string::npos) << said << "\nexpected: " << c.says;
  }
}

TEST(SceneJsonReader, CountsAreBoundedByWhatAWorldStores) {
  std::string points = "[0, 0, 0]";
  for (int i = 1; i < TD3DPolygonInfo::kMaxPoints; ++i) points += ", [0, 0, 0]";
  const auto poly = [&](const std::string& list) { return objects(R"({"kind": 4, "record": {"Points": [)" + list + "]}}"); };
  EXPECT_EQ(std::get<TD3DPolygonInfo>(readSceneDescription(poly(points), "w").Objects[0].Record).PointCount, 32767);
  EXPECT_NE(failure(poly(points + ", [0, 0, 0]")).find("Points: holds 32768 entries, more than the 32767"),
            std::string::npos);

  std::string textures = "\"t\"";
  for (std::size_t i = 1; i <= kMaxWorldTextureNames; ++i) textures += ", \"t\"";
  EXPECT_NE(failure(R"({"textures": [)" + textures + "]}").find("textures: holds 32768 entries"), std::string::npos);

  std::string names = R"({"name": "t"})";
  for (std::size_t i = 1; i <= TTextureNames::kCount; ++i) names += R"(, {"name": "t"})";
  EXPECT_NE(failure(objects(R"({"kind": 9, "textureNames": [)" + names + "]}")).find("holds 385 entries"),
            std::string::npos);
}

}  // namespace
}  // namespace velorina::tools
