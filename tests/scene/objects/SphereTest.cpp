#include <gtest/gtest.h>

#include <cmath>

#include "archive/MemoryStream.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/SceneLight.h"
#include "scene/objects/Sphere.h"
#include "RecordingDisplay.h"
#include "StoredForms.h"

namespace velorina {
namespace {

using testing::drawCall;
using testing::RecordingDisplay;
using testing::stateCall;
using testing::textureCall;
using enum D3DRENDERSTATETYPE;
using enum D3DPRIMITIVETYPE;

TD3DSphereInfo sphereInfo(std::uint8_t stacks = 8, std::uint8_t slices = 16) {
  TD3DSphereInfo s;
  s.ID = 5;
  s.Color = 0x2040C0;
  s.TexScaleU = 1, s.TexScaleV = 1;
  s.FrameCount = 1;
  s.Scale = {1, 1, 1};
  s.CullMode = 3;
  s.Stacks = stacks;
  s.Slices = slices;
  return s;
}

TD3DSphere sphere(const TD3DSphereInfo& info, const TTexturePairs& pairs = {}) {
  return TD3DSphere(nullptr, pairs, info);
}

std::pair<int, int> detail(const TD3DSphere& s) { return {s.GetInfo().Stacks, s.GetInfo().Slices}; }

TEST(Sphere, BandsOfTwoVerticesPerLongitudeFromThePoleDown) {
  TD3DSphereInfo info = sphereInfo(8, 16);
  info.TexScaleU = 2, info.TexScaleV = 4, info.TexOffsetU = 0.5f, info.TexOffsetV = 0.25f;
  const TD3DSphere s = sphere(info);
  ASSERT_EQ(s.ModelVertexCount, 272);  // 8 x 2 x 17
  ASSERT_EQ(s.ModelVertices.size(), 272u);
  const D3DLVERTEX& pole = s.ModelVertices[0];
  EXPECT_NEAR(pole.y, 1, 1e-6);
  EXPECT_NEAR(std::hypot(pole.x, pole.z), 0, 1e-6);
  EXPECT_NEAR(s.ModelVertices[271].y, -1, 1e-6);  // the last band ends at the other pole
  for (const D3DLVERTEX& v : s.ModelVertices) {
    EXPECT_NEAR(v.x * v.x + v.y * v.y + v.z * v.z, 1, 1e-5);
    EXPECT_EQ(v.color, 0x00C04020u);
    EXPECT_EQ(v.specular, 0u);
  }
  // Band 1, longitude 4 (a quarter turn): upper then lower vertex.
  const D3DLVERTEX& upper = s.ModelVertices[1 * 34 + 2 * 4];
  const D3DLVERTEX& lower = s.ModelVertices[1 * 34 + 2 * 4 + 1];
  EXPECT_NEAR(upper.x, std::sin(kPi / 8), 1e-6);
  EXPECT_NEAR(upper.z, 0, 1e-6);
  EXPECT_NEAR(lower.y, std::cos(2 * kPi / 8), 1e-6);
  EXPECT_FLOAT_EQ(upper.tu, -4.0f / 16 * 2 + 0.5f);
  EXPECT_FLOAT_EQ(upper.tv, 1.0f / 8 * 4 + 0.25f);
  EXPECT_FLOAT_EQ(lower.tv, upper.tv + 4.0f / 8);
}

TEST(Sphere, WorldVerticesAreScaledTurnedAndPlaced) {
  TD3DSphereInfo info = sphereInfo(4, 6);
  info.Scale = {2, 3, 4};
  info.Position = {10, 20, 30};
  TD3DSphere plain = sphere(info);
  for (std::size_t i = 0; i < plain.ModelVertices.size(); ++i) {
    const D3DLVERTEX& m = plain.ModelVertices[i];
    const D3DLVERTEX& w = plain.WorldVertices[i];
    EXPECT_FLOAT_EQ(w.x, 2 * m.x + 10);
    EXPECT_FLOAT_EQ(w.y, 3 * m.y + 20);
    EXPECT_FLOAT_EQ(w.z, 4 * m.z + 30);
    EXPECT_EQ(w.tu, m.tu);
  }
  info.Angles = {0.3f, -0.7f, 1.1f};
  const TD3DSphere turned = sphere(info);
  D3DMATRIX r;
  RotationMatrix(r, 1, 0.3f, -0.7f, 1.1f);
  for (std::size_t i = 0; i < turned.ModelVertices.size(); i += 7) {
    const D3DLVERTEX& m = turned.ModelVertices[i];
    D3DVECTOR expected;
    ASSERT_EQ(TransformPoint(expected, {2 * m.x, 3 * m.y, 4 * m.z}, r), kS_OK);
    EXPECT_NEAR(turned.WorldVertices[i].x, expected.x + 10, 1e-4);
    EXPECT_NEAR(turned.WorldVertices[i].y, expected.y + 20, 1e-4);
    EXPECT_NEAR(turned.WorldVertices[i].z, expected.z + 30, 1e-4);
  }
}

TEST(Sphere, NoStacksOrNoSlicesGiveNothingToDraw) {
  for (auto [stacks, slices] : {std::pair{0, 16}, {8, 0}, {0, 0}}) {
    TD3DSphere s = sphere(sphereInfo(static_cast<std::uint8_t>(stacks), static_cast<std::uint8_t>(slices)));
    EXPECT_EQ(s.ModelVertexCount, 0);
    EXPECT_TRUE(s.WorldVertices.empty());
    EXPECT_EQ(s.PrimitiveCount(), 0) << stacks << "x" << slices;
    EXPECT_EQ(s.VertexCount(), 0);
  }
}

TEST(Sphere, CountsFollowTheBlendMode) {
  TDirect3DTexture2 image(1, 1, std::vector<std::uint32_t>{0xFFFFFFFF});
  TDirect3DTexture2 mask(1, 1, std::vector<std::uint32_t>{0xFF000000});
  TTexturePairs pairs{};
  pairs[0] = {&image, &mask};
  TD3DSphereInfo info = sphereInfo(2, 3);  // 16 vertices
  const auto counts = [&](std::uint8_t blendMode) {
    info.BlendMode = blendMode;
    const TD3DSphere s = sphere(info, pairs);
    return std::pair{s.VertexCount(), s.PrimitiveCount()};
  };
  EXPECT_EQ(counts(0), (std::pair{0, 0}));
  EXPECT_EQ(counts(3), (std::pair{48, 42}));
  EXPECT_EQ(counts(16), (std::pair{32, 28}));  // mask, then image
  pairs[0].second = &image;
  EXPECT_EQ(counts(16), (std::pair{16, 14}));
}

TEST(Sphere, ComplexityLevelsScaleTheSavedDetail) {
  TD3DSphere s = sphere(sphereInfo(8, 16));
  s.RestoreComplexity();  // nothing saved yet: no detail at all
  EXPECT_EQ(detail(s), (std::pair{0, 0}));
  EXPECT_EQ(s.ModelVertexCount, 0);
  s.SetComplexity(0, 1);
  TD3DSphere t = sphere(sphereInfo(8, 16));
  t.SaveComplexity();
  EXPECT_EQ(t.SavedStacks(), 8);
  t.SetComplexity(2, 4);
  EXPECT_EQ(detail(t), (std::pair{4, 8}));
  EXPECT_EQ(t.ModelVertexCount, 4 * 2 * 9);
  t.SetComplexity(3, 4);
  EXPECT_EQ(detail(t), (std::pair{3, 4}));  // never below 3
  t.SetComplexity(9, 4);
  EXPECT_EQ(detail(t), (std::pair{3, 3}));
  t.SetComplexity(1, 0);  // no levels: ignored
  t.SetComplexity(1, -4);
  EXPECT_EQ(detail(t), (std::pair{3, 3}));
  t.SetComplexity(-3, 4);  // above the saved detail: capped by it
  EXPECT_EQ(detail(t), (std::pair{8, 16}));
  t.SetComplexity(3, 4);
  t.SetComplexity(0, 4);
  EXPECT_EQ(detail(t), (std::pair{8, 16}));
  EXPECT_EQ(t.ModelVertexCount, 272);
  // The rebuilt geometry is the same as a sphere built at that detail.
  EXPECT_EQ(t.WorldVertices[100].x, sphere(sphereInfo(8, 16)).WorldVertices[100].x);
}

TEST(Sphere, BoundingRadiusIsTheLargestRadius) {
  TD3DSphereInfo info = sphereInfo();
  info.Scale = {1, 5, 2};
  EXPECT_EQ(sphere(info).BoundingRadius(), 5);
  info.Scale = {-7, 5, 2};  // mirrored
  EXPECT_EQ(sphere(info).BoundingRadius(), 7);
}

TEST(Sphere, DrawsOneStripWithItsCullModeAndOwnColourTexture) {
  RecordingDisplay d;
  TD3DSphere s(&d.display, TTexturePairs{}, sphereInfo(2, 3));
  ASSERT_NE(s.Texture(), nullptr);
  EXPECT_EQ(s.Picture().width(), 2);
  EXPECT_EQ(s.Texture()->texels()[0] & 0xFFFFFF, 0xC04020u);
  d.device->calls.clear();
  s.Draw();
  const std::vector<testing::DeviceCall> expected{stateCall(D3DRENDERSTATE_CULLMODE, 3), textureCall(s.Texture()),
                                                  drawCall(D3DPT_TRIANGLESTRIP, 16)};
  EXPECT_EQ(d.device->calls, expected);
  EXPECT_EQ(d.device->calls[2].vertices[5].x, s.WorldVertices[5].x);
  // With a texture of its own, the picture stays empty and the texture is pair 0's.
  TDirect3DTexture2 image(1, 1, std::vector<std::uint32_t>{0xFFFFFFFF});
  TTexturePairs pairs{};
  pairs[0] = {&image, &image};
  TD3DSphere textured(&d.display, pairs, sphereInfo(2, 3));
  EXPECT_EQ(textured.Texture(), &image);
  EXPECT_EQ(textured.Picture().width(), 0);
}

TEST(Sphere, MovesAndTurnsItsWorldVertices) {
  TD3DSphereInfo info = sphereInfo(3, 4);
  info.Position = {1, 0, 0};
  info.Angles = {0, 0, 3};
  TD3DSphere s = sphere(info);
  const std::vector<D3DLVERTEX> before = s.WorldVertices;
  s.MoveByXYZ(0, 0, 0);
  s.RotateXYZ(0, 0, 0);
  EXPECT_EQ(s.GetInfo().Angles, info.Angles);
  s.MoveByXYZ(0, 2, 0);
  EXPECT_EQ(s.GetInfo().Position, (D3DVECTOR{1, 2, 0}));
  EXPECT_FLOAT_EQ(s.WorldVertices[3].y, before[3].y + 2);
  EXPECT_EQ(s.GetCenter(0.5f), (D3DVECTOR{1, 2, -0.5f}));
  s.RotateXYZ(0, 0, 1);
  EXPECT_FLOAT_EQ(s.GetInfo().Angles.z, 4 - 2 * kPi);  // wrapped
  // A quarter turn about z takes x onto y about the scene origin.
  s.RotateXYZ(0, 0, -1);
  s.RotateXYZ(0, 0, kPi / 2);
  const D3DLVERTEX& v = s.WorldVertices[3];
  const D3DLVERTEX& b = before[3];
  EXPECT_NEAR(v.x, -(b.y + 2), 1e-5);
  EXPECT_NEAR(v.y, b.x, 1e-5);
}

TEST(Sphere, StoredFormsOfEveryVersionReadBack) {
  TD3DSphereInfo info = sphereInfo(7, 9);
  info.TexOffsetU = 0.125f, info.TexOffsetV = -2;
  info.FrameCount = 3;
  info.FramePeriod = 1.5f;
  info.FixedDistance = 60000;
  info.Position = {1, 2, 3}, info.Angles = {0.5f, 0.25f, 0.125f}, info.Scale = {4, 5, 6};
  info.BlendMode = 16;
  info.CullMode = -1;
  for (auto [version, size] : {std::pair{99, 72}, {100, 69}, {101, 77}, {117, 77}}) {
    MemoryStream s;
    testing::writeSphereRecord(s, info, version);
    ASSERT_EQ(s.size(), size);
    ByteReader in(s.bytes());
    auto loaded = TD3DSphere::CreateFromStream(in, nullptr, TTexturePairs{}, version);
    EXPECT_TRUE(in.atEnd()) << version;
    EXPECT_EQ(loaded->GetInfo(), testing::sphereAsStoredIn(info, version)) << version;
    EXPECT_EQ(loaded->ModelVertexCount, 7 * 2 * 10);
    EXPECT_EQ(loaded->WorldVertices.size(), loaded->ModelVertices.size());
    // Written back, it is the current layout, and that reads back the same.
    MemoryStream out;
    loaded->SaveToStream(out);
    ASSERT_EQ(out.size(), 77);
    ByteReader again(out.bytes());
    EXPECT_EQ(TD3DSphere::CreateFromStream(again, nullptr, TTexturePairs{}, 117)->GetInfo(), loaded->GetInfo());
  }
  MemoryStream shortRecord;
  testing::writeSphereRecord(shortRecord, info, 117);
  ByteReader cut(shortRecord.bytes().first(76));
  EXPECT_THROW(TD3DSphere::CreateFromStream(cut, nullptr, TTexturePairs{}, 117), EStreamError);
}

TEST(Sphere, SameAsComparesTheShapeAndFrameNamesButNotTheOffsets) {
  TD3DSphereInfo info = sphereInfo();
  info.FrameCount = 2;
  info.TextureNames.set(0, "Earth");
  info.TextureNames.set(3, "Mask");
  const TD3DSphere s = sphere(info);
  TD3DSphereInfo other = info;
  other.TexOffsetU = 9;
  other.TextureNames.set(0, "EARTH");
  other.TextureNames.set(4, "beyond the frames");
  EXPECT_TRUE(s.SameAs(sphere(other)));
  other.Slices = 15;
  EXPECT_FALSE(s.SameAs(sphere(other)));
  other = info;
  other.TextureNames.set(3, "other");
  EXPECT_FALSE(s.SameAs(sphere(other)));
  std::vector<std::string> names{"earth"};
  s.AddTextureNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"earth", "Mask"}));
}

TEST(Sphere, DistanceFrameNamesAndTime) {
  TD3DSphereInfo info = sphereInfo();
  info.Position = {3, 4, 0};
  info.FrameCount = 2;
  info.FramePeriod = 1;
  info.TextureNames.set(0, "a");
  info.TextureNames.set(2, "b");
  TD3DSphere s = sphere(info);
  EXPECT_EQ(s.UpdateDistance({0, 0, 0}), 5);
  EXPECT_EQ(s.Distance, 5);
  EXPECT_EQ(s.GetTextureName(), "a");
  s.Time = 0.75;
  EXPECT_EQ(s.CurrentFrame(), 1);
  EXPECT_EQ(s.GetFrameTextureName(), "b");
  info.FixedDistance = 50001;
  EXPECT_EQ(sphere(info).UpdateDistance({0, 0, 0}), 50001);
}

TEST(Sphere, LightingStartsFromTheRecordsColourEveryTime) {
  TD3DSphereInfo info = sphereInfo(2, 3);
  info.Color = 0x0000FF;  // red
  TD3DSphere s = sphere(info);
  TD3DSceneLightInfo l;
  l.Color = 0xFF0000;  // blue
  l.Range = 1.5f;
  l.RangeFactor = 2;
  l.Position = {0, 1, 0};
  const TD3DSceneLight light(l);
  s.ApplyLight(light);
  const std::vector<D3DLVERTEX> once = s.WorldVertices;
  EXPECT_NE(once[0].color, 0x00FF0000u);  // the pole next to the light is tinted
  for (int i = 0; i < 5; ++i) s.ApplyLight(light);
  for (std::size_t i = 0; i < once.size(); ++i) EXPECT_EQ(s.WorldVertices[i].color, once[i].color);
  // A light that reaches the centre but no vertex gives back the unlit colour.
  l.Position = {0, 0, 0};
  l.Range = 0.5f;
  l.RangeFactor = 2;
  s.ApplyLight(TD3DSceneLight(l));
  for (const D3DLVERTEX& v : s.WorldVertices) EXPECT_EQ(v.color, 0x00FF0000u);
  // One that does not reach the centre changes nothing.
  l.RangeFactor = 0;
  s.ApplyLight(light);
  const std::vector<D3DLVERTEX> lit = s.WorldVertices;
  s.ApplyLight(TD3DSceneLight(l));
  EXPECT_EQ(s.WorldVertices[0].color, lit[0].color);
}

}  // namespace
}  // namespace velorina
