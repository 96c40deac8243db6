#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "archive/MemoryStream.h"
#include "platform/display/DXDraw.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "scene/objects/Polygon.h"
#include "scene/objects/SceneLight.h"
#include "RecordingDevice.h"

namespace velorina {
namespace {

using testing::DeviceCall;
using testing::drawCall;
using testing::RecordingDevice;
using testing::stateCall;
using testing::textureCall;
using enum D3DRENDERSTATETYPE;
using enum D3DPRIMITIVETYPE;

constexpr std::int32_t kList = 4, kStrip = 5, kFan = 6;

// A display whose device writes down what it is asked to do.
struct RecordingDisplay {
  RecordingDevice* device = nullptr;
  DXDraw display{std::make_unique<OffscreenPresenter>(), [this](IRenderSurface&, std::uint32_t, std::uint32_t, DepthBuffer) {
                   auto d = std::make_unique<RecordingDevice>();
                   device = d.get();
                   return d;
                 }};
  RecordingDisplay() {
    display.SetDisplaySize(8, 8);
    display.Initialize();
    device->calls.clear();
  }
};

TDirect3DTexture2 texture(std::uint32_t argb) { return TDirect3DTexture2(1, 1, std::vector<std::uint32_t>{argb}); }

TD3DPolygonInfo polygonInfo(std::int32_t type, std::size_t points, std::int32_t id = 7) {
  TD3DPolygonInfo p;
  p.ID = id;
  p.Color = 0x336699;
  p.TexScaleU = p.TexScaleV = 1;
  p.PrimitiveType = type;
  p.FrameCount = 1;
  p.CullMode = 1;
  for (std::size_t i = 0; i < points; ++i) p.Points.push_back({static_cast<float>(i), static_cast<float>(i % 2), 0});
  p.PointCount = static_cast<std::int16_t>(points);
  return p;
}

std::vector<std::pair<float, float>> texCoords(const TD3DPolygon& p) {
  std::vector<std::pair<float, float>> out;
  for (const auto& v : p.Vertices()) out.emplace_back(v.tu, v.tv);
  return out;
}

using Coords = std::vector<std::pair<float, float>>;

TEST(TimedTextures, CurrentFrameRunsThroughAllFramesOncePerPeriod) {
  const FrameTiming t{4, 2.0f, 1};
  EXPECT_EQ(TTimedTextures::CurrentFrame(t, 0.0), 0);
  EXPECT_EQ(TTimedTextures::CurrentFrame(t, 0.5), 1);
  EXPECT_EQ(TTimedTextures::CurrentFrame(t, 1.99), 3);
  EXPECT_EQ(TTimedTextures::CurrentFrame(t, 2.0), 0);
  EXPECT_EQ(TTimedTextures::CurrentFrame(t, 5.1), 2);  // trunc(10.2) mod 4
}

TEST(TimedTextures, CurrentFrameNeverLeavesTheTable) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(TTimedTextures::CurrentFrame({0, 1.0f, 1}, 3.0), 0);
  EXPECT_EQ(TTimedTextures::CurrentFrame({-5, 1.0f, 1}, 3.0), 0);
  EXPECT_EQ(TTimedTextures::CurrentFrame({4, 0.0f, 1}, 3.0), 0);
  EXPECT_EQ(TTimedTextures::CurrentFrame({4, std::nanf(""), 1}, 3.0), 0);
  EXPECT_EQ(TTimedTextures::CurrentFrame({4, 1.0f, 1}, inf), 0);
  EXPECT_EQ(TTimedTextures::CurrentFrame({4, 1.0f, 1}, -0.3), 3);  // trunc(-1.2) = -1, taken modulo 4
  // A quotient far beyond 64-bit integers, and a frame count beyond the table.
  const std::int16_t huge = TTimedTextures::CurrentFrame({4, 1e-45f, 1}, 1.0);
  EXPECT_TRUE(huge >= 0 && huge < 4);
  EXPECT_EQ(TTimedTextures::CurrentFrame({500, 1.0f, 1}, 0.999), 191);
  for (double time : {0.5, 1.7, 1e300, -1e300}) {
    const std::int16_t f = TTimedTextures::CurrentFrame({32767, 1.0f, 1}, time);
    EXPECT_TRUE(f >= 0 && f < 192) << time;
  }
}

class DrawTimedTest : public ::testing::Test {
 protected:
  TDirect3DTexture2 base = texture(0xFF101010), image = texture(0xFF202020), mask = texture(0xFF303030);
  TTexturePairs pairs{};
  RecordingDevice device;
  std::vector<D3DLVERTEX> vertices = std::vector<D3DLVERTEX>(3);

  DrawTimedTest() {
    pairs[0] = {&base, &base};
    pairs[1] = {&image, &mask};
    pairs[2] = {&image, &image};
  }
  // Draws frame `frame` of three frames a second.
  std::vector<DeviceCall> draw(std::uint8_t blendMode, std::int16_t frame,
                               TextureOrigin origin = TextureOrigin::Table) {
    device.calls.clear();
    const FrameTiming timing{3, 1.0f, blendMode};
    TTimedTextures(pairs).DrawTimed(device, timing, (frame + 0.5) / 3, &base, origin, D3DPT_TRIANGLELIST, vertices);
    return device.calls;
  }
  std::int32_t draws(std::uint8_t blendMode, std::int16_t frame) {
    return TTimedTextures(pairs).BlendedDrawCount({3, 1.0f, blendMode}, (frame + 0.5) / 3);
  }
};

TEST_F(DrawTimedTest, PlainDrawsBindTheObjectsTexture) {
  const std::vector<DeviceCall> once{textureCall(&base), drawCall(D3DPT_TRIANGLELIST, 3)};
  EXPECT_EQ(draw(0, 1), once);
  EXPECT_EQ(draw(3, 1, TextureOrigin::OwnColour), once);  // an own colour texture is never blended
  EXPECT_EQ(draws(0, 1), 0);
}

TEST_F(DrawTimedTest, ModesBelow16AddTheImageThatManyTimes) {
  const auto additive = [](std::uint32_t s, std::uint32_t d) {
    return std::vector<DeviceCall>{stateCall(D3DRENDERSTATE_SRCBLEND, s), stateCall(D3DRENDERSTATE_DESTBLEND, d)};
  };
  std::vector<DeviceCall> expected{stateCall(D3DRENDERSTATE_ALPHABLENDENABLE, 1), textureCall(&image)};
  for (const auto& c : additive(4, 3)) expected.push_back(c);  // INVSRCCOLOR, SRCCOLOR
  for (int i = 0; i < 3; ++i) expected.push_back(drawCall(D3DPT_TRIANGLELIST, 3));
  expected.push_back(stateCall(D3DRENDERSTATE_ALPHABLENDENABLE, 0));
  EXPECT_EQ(draw(3, 1), expected);
  EXPECT_EQ(draws(3, 1), 3);
}

TEST_F(DrawTimedTest, Mode16DrawsTheMaskThenTheImage) {
  const std::vector<DeviceCall> expected{
      stateCall(D3DRENDERSTATE_ALPHABLENDENABLE, 1), stateCall(D3DRENDERSTATE_SRCBLEND, 4),
      stateCall(D3DRENDERSTATE_DESTBLEND, 3),        textureCall(&mask),
      drawCall(D3DPT_TRIANGLELIST, 3),               stateCall(D3DRENDERSTATE_SRCBLEND, 10),  // INVDESTCOLOR
      stateCall(D3DRENDERSTATE_DESTBLEND, 4),        textureCall(&image),
      drawCall(D3DPT_TRIANGLELIST, 3),               stateCall(D3DRENDERSTATE_ALPHABLENDENABLE, 0)};
  EXPECT_EQ(draw(16, 1), expected);
  EXPECT_EQ(draws(16, 1), 2);
}

TEST_F(DrawTimedTest, AnImageThatIsItsOwnMaskIsKeyedOnBlack) {
  image.SetColorKey(0x123456);
  const auto calls = draw(16, 2);
  const std::vector<DeviceCall> expected{textureCall(&image), drawCall(D3DPT_TRIANGLELIST, 3),
                                         stateCall(D3DRENDERSTATE_ALPHABLENDENABLE, 0)};
  ASSERT_EQ(calls, expected);
  EXPECT_EQ(calls[0].colorKey, 0u);  // keyed before it was bound
  EXPECT_EQ(draws(16, 2), 1);
  // A frame without textures binds none and keys nothing.
  pairs[2] = {};
  const std::vector<DeviceCall> bare{textureCall(nullptr), drawCall(D3DPT_TRIANGLELIST, 3),
                                     stateCall(D3DRENDERSTATE_ALPHABLENDENABLE, 0)};
  EXPECT_EQ(draw(16, 2), bare);
  EXPECT_EQ(draw(2, 2)[1], textureCall(nullptr));
}

TEST(Polygon, ALineStripIsDrawnAsATriangleStripWithItsOwnColourTexture) {
  RecordingDisplay d;
  TD3DPolygon p(&d.display, TTexturePairs{}, polygonInfo(3, 4));
  EXPECT_EQ(p.PrimitiveType(), kStrip);
  EXPECT_EQ(texCoords(p), (Coords{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
  ASSERT_NE(p.Texture(), nullptr);
  EXPECT_EQ(p.Texture()->width(), 2u);
  EXPECT_EQ(p.Texture()->texels()[3] & 0xFFFFFF, 0x996633u);  // Color 0x00BBGGRR as RGB
  EXPECT_EQ(p.Vertices()[0].color, 0x00996633u);
  p.Draw();
  const std::vector<DeviceCall> expected{stateCall(D3DRENDERSTATE_CULLMODE, 1), textureCall(p.Texture()),
                                         drawCall(D3DPT_TRIANGLESTRIP, 4)};
  EXPECT_EQ(d.device->calls, expected);
}

TEST(Polygon, CullModeSendsItsLowByteSignExtended) {
  RecordingDisplay d;
  for (auto [stored, sent] : {std::pair{0x103, 3u}, {0x1FF, 0xFFFFFFFFu}}) {
    TD3DPolygonInfo info = polygonInfo(kList, 3);
    info.CullMode = stored;
    TD3DPolygon p(&d.display, TTexturePairs{}, info);
    d.device->calls.clear();
    p.Draw();
    EXPECT_EQ(d.device->calls.front(), stateCall(D3DRENDERSTATE_CULLMODE, sent));
  }
}

TEST(Polygon, TextureCoordinatesByPositionOrPlanar) {
  TD3DPolygonInfo fan = polygonInfo(kFan, 5);
  EXPECT_EQ(texCoords(TD3DPolygon(nullptr, TTexturePairs{}, fan)),
            (Coords{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 1}}));
  TD3DPolygonInfo list = polygonInfo(kList, 4);
  list.TexScaleU = 2, list.TexScaleV = 3, list.TexOffsetU = 0.5f, list.TexOffsetV = -1;
  EXPECT_EQ(texCoords(TD3DPolygon(nullptr, TTexturePairs{}, list)),
            (Coords{{0.5f, -1}, {2.5f, -1}, {0.5f, 2}, {0.5f, -1}}));
  TD3DPolygonInfo planar = polygonInfo(kStrip, 2);
  planar.TexMode = 1;
  planar.TexScaleU = 2, planar.TexOffsetV = 1;
  planar.Points = {{1, 5, 2}, {3, 5, -1}};
  EXPECT_EQ(texCoords(TD3DPolygon(nullptr, TTexturePairs{}, planar)), (Coords{{2, 3}, {6, 0}}));
}

TEST(Polygon, CountsFollowTheBlendMode) {
  TDirect3DTexture2 image = texture(0xFFFFFFFF), mask = texture(0xFF000000);
  TTexturePairs pairs{};
  pairs[0] = {&image, &mask};
  TD3DPolygonInfo info = polygonInfo(kStrip, 5);
  const auto counts = [&](std::uint8_t blendMode) {
    info.BlendMode = blendMode;
    TD3DPolygon p(nullptr, pairs, info);
    return std::pair{p.VertexCount(), p.PrimitiveCount()};
  };
  EXPECT_EQ(counts(0), (std::pair{0, 0}));
  EXPECT_EQ(counts(2), (std::pair{10, 6}));
  EXPECT_EQ(counts(16), (std::pair{10, 6}));
  pairs[0].second = &image;
  EXPECT_EQ(counts(16), (std::pair{5, 3}));
}

TEST(Polygon, MergedVerticesKeepTheirColoursAndCoordinatesThroughMoves) {
  TD3DPolygonInfo info = polygonInfo(kList, 3);
  info.Merged = true;
  info.Vertices.resize(3);
  for (std::size_t i = 0; i < 3; ++i) {
    info.Vertices[i] = {float(i), 0, 0, 0, 0x00FF0000u + static_cast<std::uint32_t>(i), 0, 0.25f * i, 0.5f};
  }
  TD3DPolygon p(nullptr, TTexturePairs{}, info);
  EXPECT_TRUE(p.Merged);
  p.MoveByXYZ(0, 0, 2);
  p.RotateXYZ(0, 0, kPi / 2);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(p.Vertices()[i].color, 0x00FF0000u + i);
    EXPECT_EQ(p.Vertices()[i].tu, 0.25f * i);
    EXPECT_EQ(p.Vertices()[i].tv, 0.5f);
    EXPECT_NEAR(p.Vertices()[i].y, float(i), 1e-5);  // x turned onto y
    EXPECT_EQ(p.Vertices()[i].z, 2.0f);
  }
  // Unmerged, a move keeps the texture coordinates but rebuilds the colour.
  TD3DPolygon plain(nullptr, TTexturePairs{}, polygonInfo(kList, 3));
  const Coords before = texCoords(plain);
  plain.MoveByXYZ(5, 5, 5);
  EXPECT_EQ(texCoords(plain), before);
  EXPECT_EQ(plain.Points()[2], (D3DVECTOR{7, 5, 5}));
}

TEST(Polygon, StoredFormKeepsTheMergedFlagAndWholeVertices) {
  TD3DPolygon holder(nullptr, TTexturePairs{}, polygonInfo(kStrip, 0));
  holder.Merged = true;
  TD3DQuadrangleInfo q;
  q.Corners = {D3DVECTOR{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  q.Colors = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
  q.Flags = 1;
  ASSERT_TRUE(holder.CanMerge(q));
  ASSERT_TRUE(holder.Merge(q));
  MemoryStream out;
  holder.SaveToStream(out);
  EXPECT_EQ(out.size(), 47 + 6 * 32);
  ByteReader in(out.bytes());
  auto back = TD3DPolygon::CreateFromStream(in, nullptr, TTexturePairs{}, 117);
  EXPECT_TRUE(back->Merged);
  EXPECT_TRUE(back->SameAs(holder));
  EXPECT_EQ(back->Vertices()[4].color, 0x00FFFFFFu);  // quadrangle corner 3
  EXPECT_EQ(back->GetInfo(), holder.GetInfo());
  // Version 107 has no flag byte and never loads merged.
  MemoryStream plain;
  TD3DPolygon(nullptr, TTexturePairs{}, polygonInfo(kFan, 3)).SaveToStream(plain);
  ByteReader old(plain.bytes().subspan(1));
  EXPECT_FALSE(TD3DPolygon::CreateFromStream(old, nullptr, TTexturePairs{}, 107)->Merged);
}

TEST(Polygon, Version99RecordsHaveByteCountsAndADoublePeriod) {
  MemoryStream s;
  s.writeI32(12);        // ID
  s.writeU32(0x0000FF);  // Color
  s.writeF32(1);
  s.writeF32(1);
  s.writeI32(0);  // FixedDistance
  s.writeU8(3);   // PointCount
  s.writeU8(200); // FrameCount
  s.writeLE<double>(0.75);
  s.writeI32(kList);
  s.writeU8(16);
  s.writeI32(3);
  for (int i = 0; i < 9; ++i) s.writeF32(static_cast<float>(i));
  ByteReader in(s.bytes());
  auto p = TD3DPolygon::CreateFromStream(in, nullptr, TTexturePairs{}, 99);
  EXPECT_TRUE(in.atEnd());
  EXPECT_EQ(p->ObjectID(), 12);
  EXPECT_EQ(p->PointCount(), 3);
  EXPECT_EQ(p->Points()[2], (D3DVECTOR{6, 7, 8}));
  const TD3DPolygonInfo info = p->GetInfo();
  EXPECT_EQ(info.FrameCount, 200);
  EXPECT_EQ(info.FramePeriod, 0.75f);
  EXPECT_EQ(info.TexOffsetU, 0.0f);
  EXPECT_FALSE(p->Merged);
}

TEST(Polygon, AQuadrangleMergedIntoAStripGivesATwelvePointList) {
  TD3DPolygonInfo strip = polygonInfo(kStrip, 4);
  strip.Color = 0xFFFFFF;
  strip.CullMode = 3;
  TD3DPolygon p(nullptr, TTexturePairs{}, strip);
  TD3DQuadrangleInfo q;
  q.Corners = {D3DVECTOR{10, 0, 0}, {11, 0, 0}, {10, 1, 0}, {11, 1, 0}};
  q.Colors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  q.TexSpanU = q.TexSpanV = 1;
  ASSERT_TRUE(p.CanMerge(q));
  ASSERT_TRUE(p.MergeQuadrangle(q));
  EXPECT_EQ(p.PrimitiveType(), kList);
  ASSERT_EQ(p.PointCount(), 12);
  // Strip triangles (0,1,2), (1,3,2), then the quadrangle's corners 0,1,2,1,3,2.
  const std::vector<float> xs{0, 1, 2, 1, 3, 2, 10, 11, 10, 11, 11, 10};
  for (std::size_t i = 0; i < 12; ++i) EXPECT_EQ(p.Vertices()[i].x, xs[i]) << i;
  EXPECT_EQ(p.Vertices()[10].tu, 1.0f);
  EXPECT_EQ(p.Vertices()[10].tv, 1.0f);
  // A face of another cull mode, colour or texture does not merge.
  q.Flags = 1;
  EXPECT_FALSE(p.CanMerge(q));
  q.Flags = 0;
  q.Colors[2] = 0;
  EXPECT_FALSE(p.CanMerge(q));
  q.Colors[2] = 0xFFFFFF;
  q.TextureName = "other";
  EXPECT_FALSE(p.CanMerge(q));
}

TEST(Polygon, MergesThatWouldReach32767PointsAreRefused) {
  TD3DPolygon big(nullptr, TTexturePairs{}, polygonInfo(kList, 32763));
  const TD3DPolygonInfo triangle = polygonInfo(kList, 3);
  EXPECT_TRUE(big.CanMerge(triangle));
  EXPECT_TRUE(big.MergePolygon(triangle));
  EXPECT_EQ(big.PointCount(), 32766);
  EXPECT_FALSE(big.CanMerge(triangle));
  EXPECT_FALSE(big.MergePolygon(triangle));
  TD3DQuadrangleInfo q;
  EXPECT_FALSE(big.MergeQuadrangle(q));
  EXPECT_EQ(big.PointCount(), 32766);
  EXPECT_EQ(big.ArrayCount(), 32766);
  // A strip whose list would not fit in 32767 points is not converted.
  TD3DPolygon longStrip(nullptr, TTexturePairs{}, polygonInfo(kStrip, 10925));
  EXPECT_FALSE(longStrip.ConvertToTriangleList());
  EXPECT_EQ(longStrip.PointCount(), 10925);
}

TEST(Polygon, ConvertsStripsAndFansToLists) {
  TD3DPolygon strip(nullptr, TTexturePairs{}, polygonInfo(kStrip, 5));
  ASSERT_TRUE(strip.ConvertToTriangleList());
  std::vector<float> xs;
  for (const auto& p : strip.Points()) xs.push_back(p.x);
  EXPECT_EQ(xs, (std::vector<float>{0, 1, 2, 1, 3, 2, 2, 3, 4}));
  TD3DPolygon fan(nullptr, TTexturePairs{}, polygonInfo(kFan, 4));
  ASSERT_TRUE(fan.ConvertToTriangleList());
  xs.clear();
  for (const auto& p : fan.Points()) xs.push_back(p.x);
  EXPECT_EQ(xs, (std::vector<float>{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(texCoords(fan)[3], (std::pair{0.0f, 0.0f}));  // list corners again
  // Two points cannot become triangles, so nothing can be appended to them.
  TD3DPolygon two(nullptr, TTexturePairs{}, polygonInfo(kStrip, 2));
  EXPECT_FALSE(two.ConvertToTriangleList());
  EXPECT_FALSE(two.MergePolygon(polygonInfo(kList, 3)));
  EXPECT_EQ(two.PointCount(), 2);
  // An empty strip becomes an empty list that takes triangles.
  TD3DPolygon empty(nullptr, TTexturePairs{}, polygonInfo(kStrip, 0));
  EXPECT_TRUE(empty.MergePolygon(polygonInfo(kFan, 4)));
  EXPECT_EQ(empty.PrimitiveType(), kList);
  EXPECT_EQ(empty.PointCount(), 6);
  // Resizing the arrays keeps the point count in step with them.
  empty.SetArrayCount(-1);
  EXPECT_EQ(empty.PointCount(), 0);
  empty.SetArrayCount(40000);
  EXPECT_EQ(empty.PointCount(), 32767);
  EXPECT_EQ(empty.Vertices().size(), 32767u);
}

TEST(Polygon, CanMergePolygonsOfTheSameLookAndAnimation) {
  TD3DPolygonInfo info = polygonInfo(kList, 3);
  info.TextureNames.set(0, "Wall");
  TD3DPolygon p(nullptr, TTexturePairs{}, info);
  TD3DPolygonInfo other = info;
  EXPECT_TRUE(p.CanMerge(other));
  other.Color = 1;
  EXPECT_FALSE(p.CanMerge(other));
  p.Merged = true;  // merged polygons take any colour and texture placement
  EXPECT_TRUE(p.CanMerge(other));
  other.FramePeriod = 9;  // one frame: the period does not matter
  EXPECT_TRUE(p.CanMerge(other));
  other.TextureNames.set(0, "WALL");
  EXPECT_FALSE(p.CanMerge(other));
  other.TextureNames.set(0, "Wall");
  other.BlendMode = 1;
  EXPECT_FALSE(p.CanMerge(other));
  EXPECT_FALSE(p.CanMerge(TD3DSceneLightInfo{}));
  EXPECT_FALSE(p.Merge(TD3DSceneLightInfo{}));
}

TEST(Polygon, SplitsIntoOneTrianglePolygons) {
  std::vector<TD3DPolygonInfo> pieces(3);
  EXPECT_EQ(SplitIntoTriangles(TD3DPolygon(nullptr, TTexturePairs{}, polygonInfo(kList, 7)), pieces), 2);
  EXPECT_EQ(pieces[1].Points[0].x, 3.0f);
  EXPECT_EQ(pieces[1].PrimitiveType, kList);
  EXPECT_EQ(pieces[1].PointCount, 3);

  EXPECT_EQ(SplitIntoTriangles(TD3DPolygon(nullptr, TTexturePairs{}, polygonInfo(kFan, 5)), pieces), 3);
  EXPECT_EQ(pieces[2].Points, (std::vector<D3DVECTOR>{{0, 0, 0}, {3, 1, 0}, {4, 0, 0}}));
  EXPECT_EQ(pieces[2].PrimitiveType, kStrip);

  TD3DPolygonInfo strip = polygonInfo(kStrip, 4);
  strip.TexScaleU = 2;
  ASSERT_EQ(SplitIntoTriangles(TD3DPolygon(nullptr, TTexturePairs{}, strip), pieces), 2);
  EXPECT_EQ(pieces[0].Points, (std::vector<D3DVECTOR>{{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}));
  EXPECT_EQ(pieces[0].TexScaleU, 2.0f);
  EXPECT_EQ(pieces[1].Points, (std::vector<D3DVECTOR>{{3, 1, 0}, {2, 0, 0}, {1, 1, 0}}));
  EXPECT_EQ(pieces[1].TexScaleU, -2.0f);
  EXPECT_EQ(pieces[1].TexScaleV, -1.0f);
  EXPECT_EQ(pieces[1].ID, 7);
}

TEST(Polygon, EachLightStartsFromTheUnlitColour) {
  TD3DPolygonInfo info = polygonInfo(kList, 3);
  info.Color = 0x203040;
  TD3DPolygon p(nullptr, TTexturePairs{}, info);
  TD3DSceneLightInfo l;
  l.LightType = 0;
  l.Color = 0x0000FF;
  l.Range = 1.5f;
  l.RangeFactor = 10;
  TD3DSceneLight light(l);  // at the origin: reaches point 0 (and 1), not point 2
  p.ApplyLight(light);
  const std::vector<D3DLVERTEX> once = p.Vertices();
  EXPECT_EQ(once[2].color, 0x00403020u);  // out of range: the unlit colour
  EXPECT_NE(once[0].color, 0x00403020u);
  p.ApplyLight(light);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(p.Vertices()[i].color, once[i].color) << i;
}

TEST(Polygon, DistanceCentreAndTextureNames) {
  TD3DPolygonInfo info = polygonInfo(kStrip, 5);  // points (i, i mod 2, 0)
  info.FrameCount = 2;
  info.FramePeriod = 2;
  info.TextureNames.set(0, "a");
  info.TextureNames.set(1, "a-mask");
  info.TextureNames.set(2, "b");
  info.TextureNames.set(4, "beyond the frames");
  TD3DPolygon p(nullptr, TTexturePairs{}, info);
  EXPECT_FLOAT_EQ(p.UpdateDistance({2, 0, 3}), 3.0f);  // mean of points 0, 2, 4 is (2, 0, 0)
  EXPECT_EQ(p.GetCenter(1), (D3DVECTOR{0, 0, -1}));
  std::vector<std::string> names{"b"};
  p.AddTextureNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"b", "a", "a-mask"}));
  EXPECT_EQ(p.GetTextureName(), "a");
  p.Time = 1.5;
  EXPECT_EQ(p.GetFrameTextureName(), "b");
  info.FixedDistance = 50001;
  info.PrimitiveType = kFan;
  EXPECT_EQ(TD3DPolygon(nullptr, TTexturePairs{}, info).UpdateDistance({}), 50001.0f);
  info.FixedDistance = 50000;
  EXPECT_FLOAT_EQ(TD3DPolygon(nullptr, TTexturePairs{}, info).UpdateDistance({0, 0, 4}), 4.0f);
  // SameAs compares the names of the animation's frames without regard to case.
  TD3DPolygonInfo upper = info;
  upper.TextureNames.set(0, "A");
  upper.TextureNames.set(4, "");
  EXPECT_TRUE(TD3DPolygon(nullptr, TTexturePairs{}, info).SameAs(TD3DPolygon(nullptr, TTexturePairs{}, upper)));
  upper.Points[1].x = 9;
  EXPECT_FALSE(TD3DPolygon(nullptr, TTexturePairs{}, info).SameAs(TD3DPolygon(nullptr, TTexturePairs{}, upper)));
}

}  // namespace
}  // namespace velorina
