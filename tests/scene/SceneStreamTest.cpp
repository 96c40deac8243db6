#include "scene/records/SceneStreamReader.h"

#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "scene/records/StreamVersion.h"

namespace velorina {
namespace {

// Builds scene streams field by field.
class StreamBuilder {
 public:
  StreamBuilder& magic() { return bytes("SCENEDEF"); }
  StreamBuilder& bytes(std::string_view s) {
    out_.writeExact(s.data(), s.size());
    return *this;
  }
  StreamBuilder& u8(std::uint8_t v) { return out_.writeU8(v), *this; }
  StreamBuilder& i16(std::int16_t v) { return out_.writeI16(v), *this; }
  StreamBuilder& u32(std::uint32_t v) { return out_.writeU32(v), *this; }
  StreamBuilder& f32(float v) { return out_.writeF32(v), *this; }
  StreamBuilder& f64(double v) { return out_.writeLE(v), *this; }
  StreamBuilder& shortName(std::string_view s) { return u8(static_cast<std::uint8_t>(s.size())).bytes(s); }
  StreamBuilder& textures(std::string_view text) { return u32(static_cast<std::uint32_t>(text.size())).bytes(text); }
  template <typename R>
  StreamBuilder& record(const R& r) {
    r.write(out_);
    return *this;
  }
  std::span<const std::uint8_t> data() const { return out_.bytes(); }

 private:
  MemoryStream out_;
};

SceneDocument read(const StreamBuilder& b) {
  SceneDocument doc;
  SceneStreamReader(b.data(), "test.d3d").read(doc);
  return doc;
}

TD3DQuadrangleInfo sampleQuad(std::int32_t id) {
  TD3DQuadrangleInfo q;
  q.ID = id;
  q.Corners = {D3DVECTOR{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0.5f}};
  q.FixedDistance = 50001;
  q.Flags = 0x81;
  q.TexSpanU = 2;
  q.TexSpanV = 3;
  q.TexOffsetU = 0.25f;
  q.TexOffsetV = 0.5f;
  q.Colors = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
  q.Transparent = true;
  return q;
}

TEST(SceneStream, ReadsEverySectionOfAHeadedStream) {
  TD3DSphereInfo sphere;
  sphere.ID = 5;
  sphere.Scale = {1, 2, 3};
  sphere.Stacks = 8;
  sphere.Slices = 12;
  TD3DTextInfo text;
  text.ID = 2;
  text.Text = "Velorina";
  text.ShearX = 0.25f;
  TD3DSoundInfo sound;
  sound.ID = 9;
  sound.Doppler = true;
  sound.SpeedOfSound = 300;
  sound.Looped = true;
  TD3DToneInfo tone;
  tone.ID = 10;
  tone.Frequency = 440;
  TD3DActionInfo action;
  action.Kind = 211;
  action.ID = 3;
  action.TargetKind = -1;
  action.Duration = 2.5;
  action.Temporary = 1;  // stored as written, read back as 0
  TD3DSceneLightInfo light;
  light.ID = 4;
  light.Range = 10;
  light.RangeFactor = 2;
  light.LightType = 1;

  StreamBuilder b;
  b.magic().u32(117).textures("C:\\wall.bmp\r\nC:\\mask.bmp\r\nsky.bmp\r\n");
  b.u32(5);
  b.u8(2).i16(1).i16(0).i16(-1).record(sampleQuad(1));              // quadrangle
  b.u8(9).i16(2).i16(2).i16(1).i16(-1).i16(7).record(sphere);       // sphere, pair 1 (-1, 7)
  b.u8(15).i16(0).record(text);                                     // text without textures
  b.u8(7).bytes("inner.d3d").u8(0).u32(77).f32(1).f32(2).f32(3).f32(0).f32(0.5f).f32(0);  // nested scene
  b.u8(0);                                                          // an empty entry
  b.u32(3).u8(101).shortName("boom.wav").record(sound).u8(102).record(tone).u8('x');
  b.u32(1).shortName("blob").u32(33);                               // data
  b.u32(2).shortName("a").shortName("b");                           // names
  b.u32(1).record(action);
  b.u32(1).record(light);

  const SceneDocument doc = read(b);
  EXPECT_EQ(doc.Version, 117);
  EXPECT_EQ(doc.Textures, (std::vector<std::string>{"C:\\wall.bmp", "C:\\mask.bmp", "sky.bmp"}));
  ASSERT_EQ(doc.Objects.size(), 4u);
  const auto& quad = std::get<TD3DQuadrangleInfo>(doc.Objects[0].Record);
  TD3DQuadrangleInfo expected = sampleQuad(1);
  expected.TextureName = "C:\\wall.bmp";
  EXPECT_EQ(quad, expected);
  const auto& s = doc.Objects[1];
  EXPECT_EQ(s.TextureNames.get(0), "sky.bmp");
  EXPECT_EQ(s.TextureNames.get(1), "C:\\mask.bmp");
  EXPECT_EQ(s.TextureNames.get(2), "");  // -1 leaves the entry empty
  EXPECT_EQ(s.TextureNames.get(3), "");  // an index past the last line gives no name
  EXPECT_EQ(std::get<TD3DSphereInfo>(s.Record).Stacks, 8);
  EXPECT_EQ(std::get<TD3DTextInfo>(doc.Objects[2].Record).Text, "Velorina");
  const auto& nested = std::get<TD3DSceneInfo>(doc.Objects[3].Record);
  EXPECT_EQ(nested.Name, "inner.d3d");
  EXPECT_EQ(nested.ID, 77);
  EXPECT_EQ(nested.Rotation.y, 0.5f);
  ASSERT_EQ(doc.Sounds.size(), 2u);
  EXPECT_EQ(std::get<TD3DSoundInfo>(doc.Sounds[0].Record).SpeedOfSound, 300.0f);
  EXPECT_EQ(std::get<TD3DSoundInfo>(doc.Sounds[0].Record).WaveName, "boom.wav");
  EXPECT_EQ(std::get<TD3DToneInfo>(doc.Sounds[1].Record).Frequency, 440);
  ASSERT_EQ(doc.Data.size(), 1u);
  EXPECT_EQ(doc.Data[0].Name, "blob");
  EXPECT_EQ(doc.Data[0].ID, 33);
  EXPECT_EQ(doc.Names.size(), 2u);
  ASSERT_EQ(doc.Actions.size(), 1u);
  action.Temporary = 0;
  EXPECT_EQ(doc.Actions[0], action);
  ASSERT_EQ(doc.Lights.size(), 1u);
  EXPECT_EQ(doc.Lights[0], light);
}

TEST(SceneStream, OptionalSectionsMayBeAbsentAndShortStreamsHoldNothing) {
  StreamBuilder b;
  b.magic().u32(117).textures("").u32(0).u32(0);
  const SceneDocument doc = read(b);
  EXPECT_TRUE(doc.Objects.empty());
  EXPECT_TRUE(doc.Actions.empty());

  StreamBuilder tiny;
  tiny.bytes("SCENEDEF");
  EXPECT_TRUE(read(tiny).Textures.empty());
}

TEST(SceneStream, OlderRecordLayoutsFollowTheirVersion) {
  // Quadrangle below 100: 81 bytes, no offsets, no transparency.
  StreamBuilder q;
  q.magic().u32(99).textures("").u32(1).u8(2).i16(0).u32(7);
  for (int i = 0; i < 12; ++i) q.f32(static_cast<float>(i));
  q.u32(0).u8(1).f32(1).f32(1).u32(1).u32(2).u32(3).u32(4);
  q.u32(0);  // sounds
  const auto qd = read(q);
  ASSERT_EQ(qd.Objects.size(), 1u);
  const auto& quad = std::get<TD3DQuadrangleInfo>(qd.Objects[0].Record);
  EXPECT_EQ(quad.ID, 7);
  EXPECT_EQ(quad.Colors[3], 4u);
  EXPECT_EQ(quad.TexOffsetU, 0.0f);
  EXPECT_FALSE(quad.Transparent);

  // Polygon below 100: byte counts and a double frame period.
  StreamBuilder p;
  p.magic().u32(99).textures("").u32(1).u8(4).i16(0);
  p.u32(11).u32(0x123456).f32(1).f32(1).u32(0).u8(2).u8(3).f64(0.75).u32(6).u8(0).u32(1);
  p.f32(0).f32(0).f32(0).f32(1).f32(0).f32(0).u32(0);
  const SceneDocument pd = read(p);
  const auto& poly = std::get<TD3DPolygonInfo>(pd.Objects.at(0).Record);
  EXPECT_EQ(poly.PointCount, 2);
  EXPECT_EQ(poly.FrameCount, 3);
  EXPECT_EQ(poly.FramePeriod, 0.75f);
  EXPECT_EQ(poly.Points[1].x, 1.0f);

  // Light below 116: 29 bytes, no range factor; below 102 no specular.
  StreamBuilder l;
  l.magic().u32(101).textures("").u32(0).u32(0).u32(0).u32(0).u32(0).u32(1);
  l.u32(4).u32(0xFFFFFF).u32(0xABCDEF).f32(5).f32(1).f32(2).f32(3).u8(0);
  const SceneDocument ld = read(l);
  const auto& light = ld.Lights.at(0);
  EXPECT_EQ(light.RangeFactor, 0.0f);
  EXPECT_EQ(light.Specular, 0u);
  EXPECT_EQ(light.Position.z, 3.0f);

  // Text at 104: no sides, shear or filled byte.
  StreamBuilder t;
  TD3DTextInfo text;
  text.ID = 1;
  MemoryStream full;
  text.write(full);
  std::string bytes(reinterpret_cast<const char*>(full.bytes().data()), 83);  // up to BlendMode
  t.magic().u32(104).textures("").u32(1).u8(15).i16(0).bytes(bytes).i16(2).bytes("hi").u32(0);
  const SceneDocument td = read(t);
  const auto& oldText = std::get<TD3DTextInfo>(td.Objects.at(0).Record);
  EXPECT_EQ(oldText.Text, "hi");
  EXPECT_TRUE(oldText.Filled);
  EXPECT_EQ(oldText.ShearX, 0.5f);
}

TEST(SceneStream, UnknownKindsReadOnlyTheirTextureTable) {
  StreamBuilder b;
  b.magic().u32(117).textures("a").u32(2).u8(42).i16(1).i16(0).i16(0).u8(2).i16(0).record(sampleQuad(8)).u32(0);
  const auto doc = read(b);
  ASSERT_EQ(doc.Objects.size(), 1u);
  EXPECT_EQ(std::get<TD3DQuadrangleInfo>(doc.Objects[0].Record).ID, 8);
}

TEST(SceneStream, TexturePairsFrom192OnAreReadButIgnored) {
  StreamBuilder b;
  b.magic().u32(117).textures("x\r\ny").u32(1).u8(15).i16(200);
  for (int i = 0; i < 200; ++i) b.i16(0).i16(1);
  TD3DTextInfo text;
  b.record(text).u32(0);
  const auto doc = read(b);
  ASSERT_EQ(doc.Objects.size(), 1u);
  EXPECT_EQ(doc.Objects[0].TextureNames.entries().size(), 384u);
  EXPECT_EQ(doc.Objects[0].TextureNames.get(383), "y");
}

TEST(SceneStream, DamagedStreamsStopWithTheSectionAndOffsetKeepingWhatWasRead) {
  StreamBuilder b;
  b.magic().u32(117).textures("").u32(3).u8(2).i16(0).record(sampleQuad(1)).u8(2).i16(0).u32(2).f32(1);
  SceneDocument doc;
  try {
    SceneStreamReader(b.data(), "broken.d3d").read(doc);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.context().file, "broken.d3d");
    EXPECT_EQ(e.context().record, 1);
    EXPECT_NE(e.describe().find("objects section"), std::string::npos) << e.describe();
    EXPECT_TRUE(e.context().offset.has_value());
  }
  ASSERT_EQ(doc.Objects.size(), 1u);

  auto fails = [](const StreamBuilder& s) {
    SceneDocument d;
    EXPECT_THROW(SceneStreamReader(s.data(), "x").read(d), EStreamError);
  };
  StreamBuilder hugeText;
  hugeText.magic().u32(117).u32(0x7FFFFFFF).bytes("abc");
  fails(hugeText);
  StreamBuilder hugeCount;
  hugeCount.magic().u32(117).textures("").u32(0xFFFFFFFF).u8(0);
  fails(hugeCount);
  StreamBuilder unterminated;
  unterminated.magic().u32(117).textures("").u32(1).u8(7).bytes("no-zero-here");
  fails(unterminated);
  StreamBuilder negativePoints;
  negativePoints.magic().u32(117).textures("").u32(1).u8(4).i16(0).u8(0).u32(1).u32(0);
  for (int i = 0; i < 4; ++i) negativePoints.f32(0);
  negativePoints.u8(0).u32(0).i16(-5).i16(0).f32(0).u32(5).u8(0).u32(0);
  fails(negativePoints);
}

TEST(SceneStream, HeaderlessStreamsNameTheirObjectsAndTones) {
  StreamBuilder b;
  b.u32(3);
  b.u8(2).shortName("wall.bmp").u32(1);  // quadrangle, oldest layout
  for (int i = 0; i < 12; ++i) b.f32(0);
  b.u32(0).u8(0).f32(1).f32(1).u32(0).u32(0).u32(0).u32(0);
  b.u8(15).shortName("ignored");         // text: no object, nothing more
  b.u8(9).shortName("globe.bmp").u8(2).shortName("globe-mask").shortName("f1").shortName("m1");
  b.u32(5).u32(0).f32(1).f32(1).u8(1).u32(0).f64(1.0);  // sphere below 100
  for (int i = 0; i < 9; ++i) b.f32(1);
  b.u8(0).u32(0).u8(6).u8(8);
  b.u32(1).u8(102).record(TD3DToneInfo{});
  const auto doc = read(b);
  EXPECT_EQ(doc.Form, SceneStreamForm::Headerless);
  ASSERT_EQ(doc.Objects.size(), 2u);
  EXPECT_EQ(std::get<TD3DQuadrangleInfo>(doc.Objects[0].Record).TextureName, "wall.bmp");
  EXPECT_EQ(doc.Objects[1].Name, "globe.bmp");
  EXPECT_EQ(doc.Objects[1].TextureNames.get(1), "globe-mask");
  EXPECT_EQ(doc.Objects[1].TextureNames.get(3), "m1");
  EXPECT_EQ(std::get<TD3DSphereInfo>(doc.Objects[1].Record).Slices, 8);
  ASSERT_EQ(doc.Sounds.size(), 1u);
  EXPECT_EQ(doc.Sounds[0].Name, "Tone");
}

TEST(SceneStream, RecordsRoundTripThroughTheirStoredForm) {
  TD3DPolygonInfo merged;
  merged.Merged = true;
  merged.PointCount = 2;
  merged.Vertices.resize(2);
  merged.Vertices[1].color = 0xFF00FF00;
  merged.Vertices[1].tu = 0.5f;
  MemoryStream s;
  merged.write(s);
  ByteReader in(s.bytes());
  EXPECT_EQ(TD3DPolygonInfo::read(in, stream_version::kCurrent), merged);
  EXPECT_TRUE(in.atEnd());

  MemoryStream tone;
  TD3DToneInfo t;
  t.ID = -1;
  t.Frequency = 880;
  t.write(tone);
  EXPECT_EQ(tone.size(), 40);
  MemoryStream act;
  TD3DActionInfo a;
  a.Kind = 210;
  a.write(act);
  EXPECT_EQ(act.size(), 55);
  EXPECT_EQ(act.bytes()[1], 0);   // padding written as zeros
  EXPECT_EQ(act.bytes()[54], 0);
  MemoryStream quad;
  sampleQuad(3).write(quad);
  EXPECT_EQ(quad.size(), 90);
}

TEST(SceneStream, TextureTextSplitsLikeAStringList) {
  EXPECT_EQ(splitTextureText("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(splitTextureText("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(splitTextureText("").empty());
}

}  // namespace
}  // namespace velorina
