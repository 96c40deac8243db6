#include <gtest/gtest.h>

#include "scene/records/SceneStreamReader.h"
#include "scene/records/SceneStreamWriter.h"
#include "SceneTestWorlds.h"

namespace velorina {
namespace {

SceneDocument readBack(std::span<const std::uint8_t> bytes) {
  SceneDocument doc;
  SceneStreamReader(bytes, "written").read(doc);
  return doc;
}

ByteBuffer toBuffer(const std::string& s) { return ByteBuffer(s.begin(), s.end()); }

template <typename Info>
SceneObjectEntry entry(ObjectKind kind, Info info) {
  SceneObjectEntry e;
  e.Kind = d3dValue(kind);
  if constexpr (requires { info.TextureNames; }) e.TextureNames = info.TextureNames;
  if constexpr (std::is_same_v<Info, TD3DQuadrangleInfo>) e.TextureNames.set(0, info.TextureName);
  if constexpr (std::is_same_v<Info, TD3DSceneInfo>) e.Name = info.Name;
  e.Record = std::move(info);
  return e;
}

// A document with a record of every kind, as the reader gives it back.
SceneDocument everyKind() {
  SceneDocument doc;
  doc.Version = 117;
  doc.Textures = {"C:\\wall.bmp", "C:\\mask.bmp", "sky.bmp"};
  TD3DQuadrangleInfo q = test::wall(1, 2);
  q.TextureName = "C:\\wall.bmp";
  doc.Objects.push_back(entry(ObjectKind::Quadrangle, q));
  TD3DPolygonInfo p;
  p.ID = 2;
  p.PointCount = 3;
  p.FrameCount = 2;
  p.Points = {D3DVECTOR{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  p.TextureNames.set(0, "C:\\wall.bmp");
  p.TextureNames.set(1, "C:\\mask.bmp");
  p.TextureNames.set(2, "sky.bmp");
  doc.Objects.push_back(entry(ObjectKind::Polygon, p));
  TD3DPolygonInfo merged;
  merged.Merged = true;
  merged.ID = 3;
  merged.PointCount = 3;
  merged.PrimitiveType = 4;
  merged.Vertices.resize(3);
  merged.Vertices[1].x = 2;
  merged.Vertices[2].color = 0xFF00FF00;
  doc.Objects.push_back(entry(ObjectKind::Polygon, merged));
  TD3DSphereInfo s;
  s.ID = 4;
  s.Stacks = 8;
  s.Slices = 16;
  s.Scale = {1, 2, 3};
  s.TextureNames.set(4, "sky.bmp");  // pair 2 only: pairs 0 and 1 stay empty
  doc.Objects.push_back(entry(ObjectKind::Sphere, s));
  TD3DTextInfo t;
  t.ID = 5;
  t.Text = "Velorina";
  t.Sides = false;
  t.ShearX = 0.25f;
  doc.Objects.push_back(entry(ObjectKind::Text, t));
  TD3DSceneInfo n;
  n.ID = 6;
  n.Position = {1, 2, 3};
  n.Name = "C:\\INNER.D3D";
  doc.Objects.push_back(entry(ObjectKind::Scene, n));
  TD3DSoundInfo w;
  w.ID = 7;
  w.Doppler = true;
  w.SpeedOfSound = 300;
  w.WaveName = "C:\\bell.wav";
  doc.Sounds.push_back({101, "C:\\bell.wav", w});
  TD3DToneInfo tone;
  tone.ID = 8;
  tone.Frequency = 440;
  doc.Sounds.push_back({102, "", tone});
  doc.Data.push_back({"table.dat", 9});
  doc.Names = {"kept"};
  TD3DActionInfo a;
  a.Kind = 211;
  a.ID = 10;
  a.Duration = 1;
  doc.Actions.push_back(a);
  TD3DSceneLightInfo l;
  l.ID = 11;
  l.Range = 5;
  doc.Lights.push_back(l);
  return doc;
}

TEST(SceneStreamWriter, EveryKindReadsBackEqualAndWritesTheSameBytesAgain) {
  const SceneDocument doc = everyKind();
  const ByteBuffer bytes = SceneStreamWriter("test").write(doc);
  const SceneDocument back = readBack(bytes);
  EXPECT_EQ(back, doc);
  EXPECT_EQ(SceneStreamWriter("test").write(back), bytes);
}

TEST(SceneStreamWriter, AStreamWrittenByHandWritesBackToItsOwnBytes) {
  // Texture text, quadrangles, a nested scene, data and a light, laid out field by
  // field as another program would write them.
  const std::string stream = test::sceneStream("red.bmp\r\nblue.bmp\r\n", {{test::wall(1, 2), 1}, {test::wall(2, 3), 0}},
                                               {"inner.d3d"}, true);
  const ByteBuffer original = toBuffer(stream);
  EXPECT_EQ(SceneStreamWriter("test").write(readBack(original)), original);
}

TEST(SceneStreamWriter, TablesFindNamesWithoutCaseAndCountUpToTheLastImage) {
  SceneDocument doc;
  doc.Textures = {"Wall.bmp"};
  TD3DPolygonInfo p;
  p.TextureNames.set(1, "WALL.BMP");  // a mask without an image: no pair counts
  doc.Objects.push_back(entry(ObjectKind::Polygon, p));
  TD3DQuadrangleInfo q;
  q.TextureName = "wall.BMP";
  doc.Objects.push_back(entry(ObjectKind::Quadrangle, q));
  const ByteBuffer bytes = SceneStreamWriter("test").write(doc);
  // Magic, version, text length and "Wall.bmp\r\n", object count, kind 4, table.
  const std::size_t table = 8 + 4 + 4 + 10 + 4 + 1;
  EXPECT_EQ(loadLE<std::int16_t>(bytes.data() + table), 0);
  const SceneDocument back = readBack(bytes);
  ASSERT_EQ(back.Objects.size(), 2u);
  EXPECT_EQ(std::get<TD3DQuadrangleInfo>(back.Objects[1].Record).TextureName, "Wall.bmp");
}

TEST(SceneStreamWriter, TemporaryActionsAreNeverWritten) {
  SceneDocument doc;
  TD3DActionInfo kept, temporary;
  kept.ID = 1;
  temporary.ID = 2;
  temporary.Temporary = 1;
  doc.Actions = {kept, temporary};
  const SceneDocument back = readBack(SceneStreamWriter("test").write(doc));
  ASSERT_EQ(back.Actions.size(), 1u);
  EXPECT_EQ(back.Actions[0].ID, 1);
}

TEST(SceneStreamWriter, RefusesWhatTheLayoutCannotHoldAndNamesTheRecord) {
  auto refused = [](const SceneDocument& doc, const std::string& words) {
    try {
      SceneStreamWriter("out.d3d").write(doc);
      ADD_FAILURE() << "written: " << words;
    } catch (const EStreamError& e) {
      EXPECT_STREQ(e.what(), "Stream write error");
      EXPECT_EQ(e.context().file, "out.d3d");
      EXPECT_NE(e.context().detail.find(words), std::string::npos) << e.context().detail;
    }
  };
  SceneDocument longName;
  longName.Data.push_back({std::string(256, 'd'), 1});
  refused(longName, "more than 255");
  SceneDocument manyTextures;
  manyTextures.Textures.assign(32768, "t");
  refused(manyTextures, "32767");
  SceneDocument lineBreak;
  lineBreak.Textures = {"a\r\nb"};
  refused(lineBreak, "line break");
  SceneDocument badPolygon;
  TD3DPolygonInfo p;
  p.PointCount = 4;
  p.Points.resize(3);
  badPolygon.Objects.push_back(entry(ObjectKind::Polygon, p));
  refused(badPolygon, "counts 4 points but holds 3");
  SceneDocument zeroInName;
  TD3DSceneInfo n;
  n.Name = std::string("a\0b", 3);
  zeroInName.Objects.push_back(entry(ObjectKind::Scene, n));
  refused(zeroInName, "zero byte");
}

}  // namespace
}  // namespace velorina
