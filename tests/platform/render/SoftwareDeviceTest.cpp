// Behaviour of the software device that pictures alone do not pin down: exact
// coverage, refused calls, state defaults, robustness against bad geometry.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/RenderError.h"
#include "platform/render/RenderTestSupport.h"
#include "platform/render/TestScene.h"
#include "support/ExpectOk.h"

namespace velorina {
namespace {

using testing::expectOk;

using testing::Canvas;
using testing::vtx;
using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;
using enum D3DPRIMITIVETYPE;

constexpr std::uint32_t kBlack = 0xFF000000u;

std::size_t countPixels(const std::vector<std::uint32_t>& px, std::uint32_t value) {
  return std::size_t(std::count(px.begin(), px.end(), value));
}

// A quad over the whole viewport: its corners are the viewport's outer pixel centres.
std::array<D3DLVERTEX, 4> fullQuad(D3DCOLOR color, float z = 0.5f) {
  return {vtx(-1, 1, z, color, 0, 0), vtx(1, 1, z, color, 1, 0), vtx(-1, -1, z, color, 0, 1),
          vtx(1, -1, z, color, 1, 1)};
}

TEST(SoftwareDevice, StartsWithTheDirect3DDefaults) {
  Canvas withDepth(8, 8);
  Canvas without(8, 8, DepthBuffer::None);
  const auto& d = withDepth.device;
  EXPECT_EQ(d.GetRenderState(D3DRENDERSTATE_ZENABLE), 1u);
  EXPECT_EQ(without.device.GetRenderState(D3DRENDERSTATE_ZENABLE), 0u);
  EXPECT_EQ(d.GetRenderState(D3DRENDERSTATE_CULLMODE), d3dValue(D3DCULL::D3DCULL_CCW));
  EXPECT_EQ(d.GetRenderState(D3DRENDERSTATE_ZFUNC), d3dValue(D3DCMPFUNC::D3DCMP_LESSEQUAL));
  EXPECT_EQ(d.GetRenderState(D3DRENDERSTATE_SRCBLEND), d3dValue(D3DBLEND::D3DBLEND_ONE));
  EXPECT_EQ(d.GetRenderState(D3DRENDERSTATE_DESTBLEND), d3dValue(D3DBLEND::D3DBLEND_ZERO));
  EXPECT_EQ(d.GetRenderState(D3DRENDERSTATE_FILLMODE), d3dValue(D3DFILLMODE::D3DFILL_SOLID));
  EXPECT_EQ(d.GetRenderState(D3DRENDERSTATE_LIGHTING), 1u);
  EXPECT_EQ(d.GetTextureStageState(0, D3DTSS_COLOROP), d3dValue(D3DTEXTUREOP::D3DTOP_MODULATE));
  EXPECT_EQ(d.GetTextureStageState(0, D3DTSS_ALPHAOP), d3dValue(D3DTEXTUREOP::D3DTOP_SELECTARG1));
  EXPECT_EQ(d.GetTextureStageState(0, D3DTSS_MINFILTER), d3dValue(D3DTEXTUREMINFILTER::D3DTFN_POINT));
  EXPECT_EQ(d.GetViewport(), (D3DVIEWPORT7{0, 0, 8, 8, 0.0f, 1.0f}));
}

TEST(SoftwareDevice, RefusedCallsChangeNothing) {
  Canvas c(8, 8, DepthBuffer::None);
  c.clear(kBlack);
  const auto quad = fullQuad(0xFFFFFFFF);
  EXPECT_EQ(c.device.DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, quad, 4, 0),
            D3DRESULT::D3DERR_SCENE_NOT_IN_SCENE);
  EXPECT_EQ(c.device.EndScene(), D3DRESULT::D3DERR_SCENE_NOT_IN_SCENE);
  ASSERT_EQ(c.device.BeginScene(), D3DRESULT::D3D_OK);
  EXPECT_EQ(c.device.BeginScene(), D3DRESULT::D3DERR_SCENE_IN_SCENE);
  EXPECT_EQ(c.device.DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_XYZ, quad, 4, 0),
            D3DRESULT::D3DERR_INVALIDVERTEXFORMAT);
  EXPECT_EQ(c.device.DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, quad, 5, 0), D3DRESULT::D3DERR_INVALIDCALL);
  EXPECT_EQ(c.device.DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(7), D3DFVF_LVERTEX, quad, 4, 0),
            D3DRESULT::D3DERR_INVALIDCALL);
  EXPECT_EQ(c.device.SetTextureStageState(1, D3DTSS_COLOROP, 1), D3DRESULT::D3DERR_INVALIDCALL);
  EXPECT_EQ(c.device.SetViewport({4, 0, 8, 8, 0, 1}), D3DRESULT::D3DERR_INVALIDCALL);
  EXPECT_EQ(c.device.SetViewport({0, 0, 0, 8, 0, 1}), D3DRESULT::D3DERR_INVALIDCALL);
  EXPECT_EQ(c.device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1, 0), D3DRESULT::D3DERR_INVALIDCALL);
  expectOk(c.device.EndScene());
  EXPECT_EQ(countPixels(c.pixels(), kBlack), 64u);
  EXPECT_THROW(SoftwareDevice(0, 10, DepthBuffer::None), ERenderError);
  EXPECT_THROW(SoftwareDevice(10, SoftwareDevice::kMaxSide + 1, DepthBuffer::None), ERenderError);
}

TEST(SoftwareDevice, SharedEdgesCoverEveryPixelExactlyOnce) {
  // Additive blending shows any pixel drawn twice; the quad's corners are pixel
  // centres, so the top-left rule must give exactly the 16 x 16 pixels from (0, 0).
  Canvas c(20, 20);
  c.clear(kBlack);
  expectOk(c.device.SetViewport({0, 0, 16, 16, 0, 1}));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_ONE)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(D3DBLEND::D3DBLEND_ONE)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ZFUNC, d3dValue(D3DCMPFUNC::D3DCMP_ALWAYS)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  expectOk(c.device.BeginScene());
  // A fan of four triangles around the centre, plus the two halves of a strip.
  c.draw(D3DPT_TRIANGLEFAN, std::array{vtx(0.1f, -0.2f, 0.5f, 0xFF202020), vtx(-1, 1, 0.5f, 0xFF202020),
                                       vtx(1, 1, 0.5f, 0xFF202020), vtx(1, -1, 0.5f, 0xFF202020),
                                       vtx(-1, -1, 0.5f, 0xFF202020), vtx(-1, 1, 0.5f, 0xFF202020)});
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFF101010));
  expectOk(c.device.EndScene());
  const auto px = c.pixels();
  for (std::uint32_t y = 0; y < 20; ++y) {
    for (std::uint32_t x = 0; x < 20; ++x) {
      const std::uint32_t expected = (x < 16 && y < 16) ? 0xFF303030u : kBlack;
      ASSERT_EQ(px[y * 20 + x], expected) << "pixel " << x << ", " << y;
    }
  }
}

TEST(SoftwareDevice, FansAroundAnyInnerPointCoverTheSquareExactlyOnce) {
  // Fans with their centre at arbitrary sub-pixel positions: every edge between
  // two fan triangles runs at a different slope, and every sample must still
  // belong to exactly one triangle.
  Canvas c(24, 24);
  expectOk(c.device.SetViewport({2, 3, 19, 17, 0, 1}));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_ONE)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(D3DBLEND::D3DBLEND_ONE)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ZENABLE, 0));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return float(seed >> 8) / float(1u << 24) * 1.8f - 0.9f;
  };
  for (int round = 0; round < 40; ++round) {
    c.clear(kBlack);
    expectOk(c.device.BeginScene());
    const float cx = next(), cy = next(), ex = next() * 0.9f, ey = next() * 0.9f;
    const D3DCOLOR k = 0xFF010101;
    // Corners plus one extra point on the top edge, so edges meet at odd angles.
    c.draw(D3DPT_TRIANGLEFAN, std::array{vtx(cx, cy, 0.5f, k), vtx(-1, 1, 0.5f, k), vtx(ex, 1, 0.5f, k),
                                         vtx(1, 1, 0.5f, k), vtx(1, ey, 0.5f, k), vtx(1, -1, 0.5f, k),
                                         vtx(-1, -1, 0.5f, k), vtx(-1, 1, 0.5f, k)});
    expectOk(c.device.EndScene());
    const auto px = c.pixels();
    // The quad runs from pixel centre 2 to 21 and from 3 to 20; the top-left rule
    // leaves out the right and bottom edges: exactly the viewport's 19 x 17 pixels.
    ASSERT_EQ(countPixels(px, 0xFF010101u), 19u * 17u) << "round " << round;
    ASSERT_EQ(countPixels(px, 0xFF010101u) + countPixels(px, kBlack), px.size()) << "round " << round;
  }
}

TEST(SoftwareDevice, StripsKeepTheirFirstTrianglesWinding) {
  Canvas c(16, 16);
  c.clear(kBlack);
  expectOk(c.device.BeginScene());
  // Clockwise first triangle: the default counter-clockwise culling keeps both halves.
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFFFFFFFF));
  expectOk(c.device.EndScene());
  EXPECT_EQ(countPixels(c.pixels(), 0xFFFFFFFFu), 256u);

  c.clear(kBlack);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_CW)));
  expectOk(c.device.BeginScene());
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFFFFFFFF));
  expectOk(c.device.EndScene());
  EXPECT_EQ(countPixels(c.pixels(), kBlack), 256u);
}

TEST(SoftwareDevice, DepthCompareAndWriteEnableAreHonoured) {
  Canvas c(8, 8);
  c.clear(kBlack);
  expectOk(c.device.BeginScene());
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFFFF0000, 0.5f));
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFF00FF00, 0.5f));  // LESSEQUAL: equal depth passes
  EXPECT_EQ(c.pixel(3, 3), 0xFF00FF00u);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ZFUNC, d3dValue(D3DCMPFUNC::D3DCMP_LESS)));
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFF0000FF, 0.5f));  // LESS: equal depth fails
  EXPECT_EQ(c.pixel(3, 3), 0xFF00FF00u);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 0));
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFFFFFF00, 0.25f));  // drawn, depth kept at 0.5
  EXPECT_EQ(c.pixel(3, 3), 0xFFFFFF00u);
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFF00FFFF, 0.4f));
  EXPECT_EQ(c.pixel(3, 3), 0xFF00FFFFu);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ZENABLE, 0));
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFFFFFFFF, 0.9f));  // no test at all
  EXPECT_EQ(c.pixel(3, 3), 0xFFFFFFFFu);
  expectOk(c.device.EndScene());
}

TEST(SoftwareDevice, UnusableGeometryDrawsNothingAndLeavesTheTargetIntact) {
  Canvas c(16, 16);
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW, sceneViewMatrix(0.0f, 0.05f)));
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION, sceneProjectionMatrix()));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  c.clear(kBlack);
  expectOk(c.device.BeginScene());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(nan, 0, 2, 0xFFFFFFFF), vtx(1, 0, 2, 0xFFFFFFFF), vtx(0, 1, 2, 0xFFFFFFFF)});
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(0, 0, 2, 0xFFFFFFFF, inf, 0), vtx(1, 0, 2, 0xFFFFFFFF), vtx(0, 1, 2, 0xFFFFFFFF)});
  // Wholly behind the eye.
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-1, -1, -2, 0xFFFFFFFF), vtx(1, -1, -2, 0xFFFFFFFF), vtx(0, 1, -3, 0xFFFFFFFF)});
  // Through the eye point itself, where w is 0.
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(0, 0, 0.05f, 0xFFFFFFFF), vtx(0, 0, 0.05f, 0xFFFFFFFF), vtx(0, 0, 0.05f, 0xFFFFFFFF)});
  c.draw(D3DPT_LINELIST, std::array{vtx(nan, 0, 2, 0xFFFFFFFF), vtx(1, 0, 2, 0xFFFFFFFF)});
  c.draw(D3DPT_POINTLIST, std::array{vtx(0, 0, -1, 0xFFFFFFFF), vtx(inf, 0, 2, 0xFFFFFFFF)});
  expectOk(c.device.EndScene());
  EXPECT_EQ(countPixels(c.pixels(), kBlack), 256u);

  // Coordinates far outside the screen are clipped, not wrapped around.
  expectOk(c.device.BeginScene());
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-1e5f, -1e5f, 2, 0xFFFFFFFF), vtx(1e5f, -1e5f, 2, 0xFFFFFFFF),
                                        vtx(0, 1e5f, 2, 0xFFFFFFFF)});
  expectOk(c.device.EndScene());
  EXPECT_EQ(countPixels(c.pixels(), 0xFFFFFFFFu), 256u);
}

TEST(SoftwareDevice, BilinearColourKeyNeverBleedsTheKeyColour) {
  Canvas c(32, 32);
  const std::array<std::uint32_t, 4> texels{0xFFFF8000, 0xFF000000, 0xFFFF8000, 0xFFFF8000};
  TDirect3DTexture2 tex(2, 2, texels);
  tex.SetColorKey(0);
  expectOk(c.device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
  expectOk(c.device.SetTextureStageState(0, D3DTSS_ADDRESS, d3dValue(D3DTEXTUREADDRESS::D3DTADDRESS_CLAMP)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
  c.clear(0xFF0000FF);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetTexture(0, &tex));
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFFFFFFFF));
  expectOk(c.device.EndScene());
  const auto px = c.pixels();
  const std::size_t orange = countPixels(px, 0xFFFF8000u), blue = countPixels(px, 0xFF0000FFu);
  EXPECT_EQ(orange + blue, px.size()) << "keyed texels must not darken their neighbours";
  EXPECT_GT(blue, 150u);  // about a quarter of the quad is keyed away
  EXPECT_LT(blue, 350u);
}

TEST(SoftwareDevice, BlendAndSpecularArithmetic) {
  Canvas c(4, 4);
  c.clear(0xFF404040);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_INVSRCCOLOR)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(D3DBLEND::D3DBLEND_SRCCOLOR)));
  expectOk(c.device.BeginScene());
  c.draw(D3DPT_TRIANGLESTRIP, fullQuad(0xFF808080));
  // 128 * (255 - 128) / 255 + 64 * 128 / 255 = 63.75 + 32.13
  EXPECT_EQ(c.pixel(1, 1), 0xFF606060u);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 1));
  auto quad = fullQuad(0xFFC08040);
  for (auto& v : quad) v.specular = 0xFF808080;
  c.draw(D3DPT_TRIANGLESTRIP, quad);
  EXPECT_EQ(c.pixel(1, 1), 0xFFFFFFC0u);  // added and saturated, never wrapped
  expectOk(c.device.EndScene());
}

TEST(SoftwareDevice, FlatShadingTakesTheFirstVertexColour) {
  Canvas c(8, 8);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_SHADEMODE, d3dValue(D3DSHADEMODE::D3DSHADE_FLAT)));
  c.clear(kBlack);
  expectOk(c.device.BeginScene());
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-1, 1, 0.5f, 0xFF102030), vtx(1, 1, 0.5f, 0xFFFFFFFF),
                                        vtx(-1, -1, 0.5f, 0xFF00FF00)});
  expectOk(c.device.EndScene());
  const auto px = c.pixels();
  EXPECT_EQ(countPixels(px, 0xFF102030u) + countPixels(px, kBlack), px.size());
  EXPECT_GT(countPixels(px, 0xFF102030u), 20u);
}

TEST(SoftwareDevice, SwitchingAntialiasingKeepsThePicture) {
  Canvas c(16, 16);
  c.clear(kBlack);
  expectOk(c.device.BeginScene());
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-1, 1, 0.5f, 0xFFFF0000), vtx(1, 1, 0.5f, 0xFF00FF00),
                                        vtx(-1, -1, 0.5f, 0xFF0000FF)});
  expectOk(c.device.EndScene());
  const auto before = c.pixels();
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ANTIALIAS, d3dValue(D3DANTIALIASMODE::D3DANTIALIAS_SORTINDEPENDENT)));
  EXPECT_EQ(c.pixels(), before);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ANTIALIAS, d3dValue(D3DANTIALIASMODE::D3DANTIALIAS_NONE)));
  EXPECT_EQ(c.pixels(), before);
}

TEST(SoftwareDevice, PointsLandOnPixelCentres) {
  Canvas c(8, 8);
  expectOk(c.device.SetViewport({0, 0, 4, 4, 0, 1}));
  c.clear(kBlack);
  expectOk(c.device.BeginScene());
  // x = -1 is the centre of the viewport's first pixel; y = 1 of its top row.
  c.draw(D3DPT_POINTLIST, std::array{vtx(-1, 1, 0.5f, 0xFFFFFFFF), vtx(0, 0, 0.5f, 0xFFFF0000)});
  expectOk(c.device.EndScene());
  EXPECT_EQ(c.pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(c.pixel(2, 2), 0xFFFF0000u);
  EXPECT_EQ(countPixels(c.pixels(), kBlack), 62u);
}

}  // namespace
}  // namespace velorina

namespace velorina {
namespace {

// The specialised span loops must give exactly the pixels of the general pipeline.
// Blending ONE / ZERO is the identity but sends drawing down the general path.
std::vector<std::uint32_t> perspectiveFloor(D3DTEXTUREMAGFILTER filter, bool generalPath) {
  Canvas c(96, 64);
  auto texels = checkerTexels(16, 16, 3, 0xFFF0E0D0u, 0xFF20A040u);
  for (std::size_t i = 0; i < texels.size(); i += 7) texels[i] = 0xFF000000u;
  TDirect3DTexture2 tex(16, 16, texels);
  tex.SetColorKey(0);
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW, sceneViewMatrix(0.15f, 0.05f)));
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION, sceneProjectionMatrix()));
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_WORLD, translationMatrix(0.3f, -1, 0)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 1));
  expectOk(c.device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
  expectOk(c.device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(filter)));
  expectOk(c.device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(filter)));
  if (generalPath) {
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_ONE)));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(D3DBLEND::D3DBLEND_ZERO)));
  }
  c.clear(0xFF102030);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetTexture(0, &tex));
  c.draw(D3DPT_TRIANGLESTRIP, std::array{vtx(-4, 0, 0.3f, 0xFFFF8040, -0.3f, 0, 0xFF000000),
                                         vtx(4, 0, 0.3f, 0xFF40FF80, 5.2f, 0, 0xFF202000),
                                         vtx(-4, 0, 12, 0xFF8040FF, 0, 7.7f, 0xFF000040),
                                         vtx(4, 0, 12, 0xFFFFFFFF, 5.2f, 7.7f, 0xFF404040)});
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-1, 0.2f, 2, 0xFFFFFFFF, 0.1f, 0.1f), vtx(1, 0.9f, 3, 0xFFC0C0C0, 1.3f, 0.2f),
                                        vtx(0, 1.6f, 2.5f, 0xFF808080, 0.6f, 1.4f)});
  expectOk(c.device.EndScene());
  return c.pixels();
}

TEST(SoftwareDevice, SpecialisedLoopsMatchTheGeneralPipelineExactly) {
  for (const auto filter : {D3DTEXTUREMAGFILTER::D3DTFG_POINT, D3DTEXTUREMAGFILTER::D3DTFG_LINEAR}) {
    const auto fast = perspectiveFloor(filter, false);
    const auto general = perspectiveFloor(filter, true);
    ASSERT_EQ(fast.size(), general.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < fast.size(); ++i) differing += fast[i] != general[i];
    EXPECT_EQ(differing, 0u) << "filter " << d3dValue(filter);
    EXPECT_GT(countPixels(fast, 0xFF102030u), 0u);
  }
}

}  // namespace
}  // namespace velorina

namespace velorina {
namespace {

// Tiles are shared out among the threads as they come free; the picture must not
// depend on how many threads there are or which one drew a tile.
TEST(SoftwareDevice, PictureDoesNotDependOnTheNumberOfThreads) {
  auto draw = [](unsigned threads, D3DANTIALIASMODE antialias) {
    SoftwareDevice device(200, 150, DepthBuffer::Attached, threads);
    expectOk(device.SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_ANTIALIAS, d3dValue(antialias)));
    TestScene scene;
    scene.draw(device);
    std::vector<std::uint32_t> px(200 * 150);
    expectOk(device.ReadRenderTarget(px));
    return px;
  };
  for (const auto aa : {D3DANTIALIASMODE::D3DANTIALIAS_NONE, D3DANTIALIASMODE::D3DANTIALIAS_SORTINDEPENDENT}) {
    const auto one = draw(1, aa);
    EXPECT_EQ(draw(3, aa), one);
    EXPECT_EQ(draw(8, aa), one);
  }
}

}  // namespace
}  // namespace velorina

namespace velorina {
namespace {

// Large clears are shared out among the threads in bands of rows: every band
// must end where the next begins, for any number of threads and any rectangle.
TEST(SoftwareDevice, LargeClearsCoverExactlyTheirRectangles) {
  for (const unsigned threads : {1u, 2u, 3u, 8u}) {
    SoftwareDevice device(400, 301, DepthBuffer::Attached, threads);
    expectOk(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 0.25f, 0));
    const std::array<D3DRECT, 2> rects{D3DRECT{7, 3, 391, 297}, D3DRECT{-50, 150, 20, 1000}};
    expectOk(device.Clear(rects, D3DCLEAR_TARGET, 0x00123456u, 1.0f, 0));
    // The depth left by the first clear decides what a quad at depth 0.5 covers: nothing.
    expectOk(device.BeginScene());
    const auto quad = std::array{testing::vtx(-1, 1, 0.5f, 0xFFFFFFFF), testing::vtx(1, 1, 0.5f, 0xFFFFFFFF),
                                 testing::vtx(-1, -1, 0.5f, 0xFFFFFFFF), testing::vtx(1, -1, 0.5f, 0xFFFFFFFF)};
    expectOk(device.DrawPrimitive(D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, quad, 4, 0));
    expectOk(device.EndScene());
    std::vector<std::uint32_t> px(400 * 301);
    expectOk(device.ReadRenderTarget(px));
    std::size_t wrong = 0;
    for (std::int32_t y = 0; y < 301; ++y) {
      for (std::int32_t x = 0; x < 400; ++x) {
        const bool inside = (x >= 7 && x < 391 && y >= 3 && y < 297) || (x < 20 && y >= 150);
        wrong += px[std::size_t(y) * 400 + x] != (inside ? 0xFF123456u : 0xFF000000u);
      }
    }
    EXPECT_EQ(wrong, 0u) << threads << " threads";
  }
}

}  // namespace
}  // namespace velorina

namespace velorina {
namespace {

// Large draws (over a thousand triangles) are cut into one share of triangles per thread, each set up by its
// own thread. Triangles at equal depth overlap everywhere here, so only drawing
// order decides which colour shows, under the less-or-equal depth test and under
// blending alike; every share count must give the one-thread picture.
std::vector<D3DLVERTEX> overlappingTriangles(int count) {
  std::vector<D3DLVERTEX> v;
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return float(seed >> 8) / float(1u << 24);
  };
  for (int i = 0; i < count; ++i) {
    const float x = next() * 1.8f - 0.9f, y = next() * 1.8f - 0.9f, size = 0.05f + 0.3f * next();
    const float z = i % 3 == 0 ? 0.5f : next();  // a third at one depth, the rest anywhere
    const auto color = D3DCOLOR(0x80000000u | (std::uint32_t(i) * 2654435761u >> 8));
    v.push_back(testing::vtx(x, y, z, color, x, y));
    v.push_back(testing::vtx(x + size, y, z, color, x + size, y));
    v.push_back(testing::vtx(x, y - size, z, color, x, y - size));
  }
  return v;
}

std::vector<std::uint32_t> drawLarge(unsigned threads, D3DPRIMITIVETYPE type, D3DBLEND destBlend,
                                     const std::vector<D3DLVERTEX>& vertices) {
  constexpr std::uint32_t kSide = 128;
  SoftwareDevice device(kSide, kSide, DepthBuffer::Attached, threads);
  const std::vector<std::uint32_t> texels = {0xFFFFFFFF, 0xFF000000, 0xFF808080, 0xFFFFFFFF};
  TDirect3DTexture2 texture(2, 2, texels);
  texture.SetColorKey(0);
  expectOk(device.SetTexture(0, &texture));
  expectOk(device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
  expectOk(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  expectOk(device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, destBlend != D3DBLEND::D3DBLEND_ZERO ? 1 : 0));
  expectOk(device.SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_SRCALPHA)));
  expectOk(device.SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(destBlend)));
  expectOk(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
  expectOk(device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
  expectOk(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0));
  expectOk(device.BeginScene());
  expectOk(device.DrawPrimitive(type, D3DFVF_LVERTEX, vertices, std::uint32_t(vertices.size()), 0));
  expectOk(device.EndScene());
  std::vector<std::uint32_t> px(kSide * kSide);
  expectOk(device.ReadRenderTarget(px));
  return px;
}

TEST(SoftwareDevice, LargeDrawsSharedAmongThreadsKeepDrawingOrder) {
  const auto list = overlappingTriangles(1400);
  // The same vertices as a strip and as a fan: shares whose triangles share vertices.
  const std::vector<D3DLVERTEX> strip(list.begin(), list.begin() + 1100);
  std::vector<D3DLVERTEX> fan = {testing::vtx(0, 0, 0.5f, 0xFF40C040u, 0.5f, 0.5f)};
  for (int i = 0; i <= 1100; ++i) {
    const float a = float(i) * 0.0419f, r = 0.3f + 0.6f * float(i % 7) / 7.0f;
    fan.push_back(testing::vtx(r * std::cos(a), r * std::sin(a), 0.5f, 0xFF000000u | std::uint32_t(i) * 40503u,
                               std::cos(a), std::sin(a)));
  }
  const std::pair<D3DPRIMITIVETYPE, const std::vector<D3DLVERTEX>*> draws[] = {
      {D3DPT_TRIANGLELIST, &list}, {D3DPT_TRIANGLESTRIP, &strip}, {D3DPT_TRIANGLEFAN, &fan}};
  for (const auto& [type, vertices] : draws) {
    for (const auto blend : {D3DBLEND::D3DBLEND_ZERO, D3DBLEND::D3DBLEND_INVSRCALPHA}) {
      const auto one = drawLarge(1, type, blend, *vertices);
      EXPECT_GT(std::set<std::uint32_t>(one.begin(), one.end()).size(), 100u);  // a busy picture
      for (const unsigned threads : {2u, 3u}) {
        const auto shared = drawLarge(threads, type, blend, *vertices);
        std::size_t differing = 0;
        for (std::size_t i = 0; i < one.size(); ++i) differing += shared[i] != one[i];
        EXPECT_EQ(differing, 0u) << threads << " threads, type " << d3dValue(type) << ", blend " << d3dValue(blend);
      }
    }
  }
}

}  // namespace
}  // namespace velorina
