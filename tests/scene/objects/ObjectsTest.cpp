#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/CustomData.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/QuadrAngle.h"
#include "scene/objects/SceneLight.h"
#include "scene/objects/Stack.h"

namespace velorina {
namespace {

TD3DQuadrangleInfo square(std::int32_t id) {
  TD3DQuadrangleInfo q;
  q.ID = id;
  q.Corners = {D3DVECTOR{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {2, 2, 0}};
  q.TexSpanU = 1;
  q.TexSpanV = 1;
  q.Colors = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080};
  return q;
}

TEST(QuadrAngle, WithoutATextureItPaintsItsCornerColours) {
  TD3DQuadrAngle q(nullptr, nullptr, square(1));
  ASSERT_NE(q.Texture(), nullptr);
  ASSERT_EQ(q.Texture()->width(), 2u);
  const auto t = q.Texture()->texels();
  EXPECT_EQ(t[0] & 0xFFFFFF, 0xFF0000u);  // corner 0 red, top left
  EXPECT_EQ(t[1] & 0xFFFFFF, 0x00FF00u);  // corner 1 green, top right
  EXPECT_EQ(t[2] & 0xFFFFFF, 0x0000FFu);  // corner 2 blue, bottom left
  EXPECT_EQ(t[3] & 0xFFFFFF, 0x808080u);
  // Vertices: positions, device colours and the strip's texture corners.
  EXPECT_EQ(q.Vertices()[0].color, 0x00FF0000u);
  EXPECT_EQ(q.Vertices()[3].tu, 1.0f);
  EXPECT_EQ(q.Vertices()[2].tu, 0.0f);
  EXPECT_EQ(q.Vertices()[2].tv, 1.0f);
  EXPECT_EQ(q.KindCode(), 2);
  EXPECT_EQ(q.PrimitiveCount(), 2);
}

TEST(QuadrAngle, FixedDistanceAbove50000ReplacesTheGeometricDistance) {
  TD3DQuadrangleInfo info = square(1);
  info.FixedDistance = 50000;
  TD3DQuadrAngle near(nullptr, nullptr, info);
  // The nearest of corners and edge midpoints: the midpoint (1, 0, 0) of edge 0-1.
  EXPECT_FLOAT_EQ(near.UpdateDistance({1, -3, 0}), 3.0f);
  info.FixedDistance = 50001;
  TD3DQuadrAngle fixed(nullptr, nullptr, info);
  EXPECT_EQ(fixed.UpdateDistance({1, -3, 0}), 50001.0f);
  EXPECT_EQ(fixed.Distance, 50001.0f);
}

TEST(QuadrAngle, MovesRotatesAboutTheOriginAndKeepsItsStoredForm) {
  TD3DQuadrAngle q(nullptr, nullptr, square(4));
  q.MoveByXYZ(1, 0, 0);
  EXPECT_EQ(q.GetCenter(0.5f), (D3DVECTOR{2, 1, -0.5f}));
  q.RotateXYZ(0, 0, kPi);  // half a turn about z, around the world origin
  const D3DVECTOR c = q.GetCenter(0);
  EXPECT_NEAR(c.x, -2, 1e-5);
  EXPECT_NEAR(c.y, -1, 1e-5);
  MemoryStream out;
  q.SaveToStream(out);
  ASSERT_EQ(out.size(), 90);
  ByteReader in(out.bytes());
  auto back = TD3DQuadrAngle::CreateFromStream(in, nullptr, nullptr, 117);
  EXPECT_TRUE(back->SameAs(q));
}

TEST(QuadrAngle, SameAsIgnoresTransparencyButNotTheTextureName) {
  TD3DQuadrangleInfo a = square(1);
  TD3DQuadrangleInfo b = a;
  b.Transparent = true;
  TD3DQuadrAngle qa(nullptr, nullptr, a), qb(nullptr, nullptr, b);
  EXPECT_TRUE(qa.SameAs(qb));
  b.TextureName = "Wall.bmp";
  TD3DQuadrAngle qc(nullptr, nullptr, b);
  EXPECT_FALSE(qa.SameAs(qc));
  std::vector<std::string> names;
  qa.AddTextureNames(names);
  EXPECT_TRUE(names.empty());
  qc.AddTextureNames(names);
  qc.AddTextureNames(names);
  EXPECT_EQ(names, std::vector<std::string>{"Wall.bmp"});
}

TEST(QuadrAngle, ConstructionCountsIdentifiers) {
  const auto before = ObjectIdCounter::value();
  TD3DQuadrAngle q(nullptr, nullptr, square(1));
  EXPECT_EQ(ObjectIdCounter::value(), before + 1);
  EXPECT_EQ(ObjectIdCounter::next(), before + 2);
}

TD3DSceneLightInfo lightAtOrigin(std::uint8_t type) {
  TD3DSceneLightInfo l;
  l.Color = 0x0000FF;     // red
  l.Specular = 0x202020;
  l.Range = 2;
  l.RangeFactor = 10;
  l.LightType = type;
  return l;
}

D3DLVERTEX vertexAt(float x) {
  D3DLVERTEX v;
  v.x = x;
  v.color = 0x12345678;
  v.specular = 0x9ABCDEF0;
  return v;
}

TEST(SceneLight, BlendsRoundingHalvesToEven) {
  TD3DSceneLight light(lightAtOrigin(0));
  D3DLVERTEX v = vertexAt(1);  // f = (2 - 1) / 2 = 0.5
  // Red: 0 - round((0 - 255) * 0.5) = 0 - round(-127.5) = 128 (ties to even);
  // green: 1 - round(0.5) = 1.
  LightVertex(light, v, RGB(0, 1, 0));
  EXPECT_EQ(v.color, 0x00800100u);
  EXPECT_EQ(v.specular, 0x00101010u);  // round(0x20 * 0.5)

  D3DLVERTEX centre = vertexAt(0);
  LightVertex(light, centre, RGB(10, 20, 30));
  EXPECT_EQ(centre.color, 0x00FF0000u);  // the light's own colour
  EXPECT_EQ(centre.specular, 0x00202020u);

  D3DLVERTEX edge = vertexAt(2);  // exactly at Range: back to the base colour
  LightVertex(light, edge, RGB(10, 20, 30));
  EXPECT_EQ(edge.color, 0x000A141Eu);
  EXPECT_EQ(edge.specular, 0u);
}

TEST(SceneLight, TypesAndReach) {
  TD3DSceneLight full(lightAtOrigin(1));
  D3DLVERTEX v = vertexAt(1.5f);
  LightVertex(full, v, 0);
  EXPECT_EQ(v.color, 0x00FF0000u);
  TD3DSceneLight other(lightAtOrigin(2));
  D3DLVERTEX w = vertexAt(0.5f);
  LightVertex(other, w, 0);
  EXPECT_EQ(w.color, 0x12345678u);  // untouched
  EXPECT_TRUE(LightReaches(full, {19, 0, 0}));
  EXPECT_FALSE(LightReaches(full, {20, 0, 0}));

  // Stored before version 116: no range factor, so it reaches nothing.
  MemoryStream s;
  lightAtOrigin(0).write(s);
  std::vector<std::uint8_t> old(s.bytes().begin(), s.bytes().end());
  old.erase(old.begin() + 16, old.begin() + 20);
  ByteReader in(old);
  TD3DSceneLight legacy = TD3DSceneLight::CreateFromStream(in, 110);
  EXPECT_FALSE(LightReaches(legacy, {0, 0, 0}));
  EXPECT_EQ(legacy.KindCode(), 213);
}

TEST(SceneLight, LightsRecolourAQuadrangleThatTheyReach) {
  TD3DQuadrAngle q(nullptr, nullptr, square(1));
  TD3DSceneLightInfo info = lightAtOrigin(1);
  info.Position = {1, 1, 0};
  TD3DSceneLight light(info);
  TD3DSceneLight* lights[] = {nullptr, &light};
  q.ApplyLights(lights);
  EXPECT_EQ(q.Vertices()[0].color, 0x00FF0000u);
  EXPECT_EQ(q.Vertices()[0].specular, 0x00202020u);
}

TEST(Stack, PopsInReverseAndLeavesTheOutputOnEmpty) {
  TStack s;
  for (std::uint32_t v : {1u, 2u, 3u}) s.Push(v);
  std::uint32_t out = 0;
  std::vector<std::uint32_t> seen;
  for (int i = 0; i < 3; ++i) {
    s.Pop(out);
    seen.push_back(out);
  }
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{3, 2, 1}));
  s.Pop(out);
  EXPECT_EQ(out, 1u);
  EXPECT_TRUE(s.IsEmpty());
  std::uint8_t id[4] = {7, 0, 0, 0};
  ByteReader in(id);
  TCustomData data = TCustomData::CreateFromStream(in, "blob", nullptr);
  EXPECT_EQ(data.DataID(), 7);
  EXPECT_EQ(data.info().Name, "blob");
  EXPECT_EQ(data.KindCode(), 201);
}

}  // namespace
}  // namespace velorina
