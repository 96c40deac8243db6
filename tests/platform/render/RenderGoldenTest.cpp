// Pictures drawn through the device interface, compared with reference images.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "platform/render/DeviceSelection.h"
#include "platform/render/Direct3DTexture2.h"
#include "support/GoldenImage.h"
#include "platform/render/RenderTestSupport.h"
#include "platform/render/TestScene.h"
#include "support/ExpectOk.h"

namespace velorina {
namespace {

using testing::expectOk;

using testing::Canvas;
using testing::matchesGolden;
using testing::mostlyMatchesGolden;
using testing::vtx;
using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;
using enum D3DPRIMITIVETYPE;

// Each device draws every golden scene. The software device made the references
// and must match them to rounding; the OpenGL device (llvmpipe where no card is
// present) must get 99 % of the pixels within 8 levels per channel.
struct DeviceUnderTest {
  const char* name;
  testing::DeviceMaker maker;  // empty: the software device
  bool exact;
};

std::unique_ptr<IDirect3DDevice7> makeOpenGl(std::uint32_t w, std::uint32_t h, DepthBuffer depth) {
  std::string why;
  return makeHeadlessOpenGlDevice(w, h, depth, why);
}

class RenderGolden : public ::testing::TestWithParam<DeviceUnderTest> {
 protected:
  void SetUp() override {
    if (!GetParam().maker) return;
    std::string why;
    if (!makeHeadlessOpenGlDevice(4, 4, DepthBuffer::Attached, why)) {
      GTEST_SKIP() << "no OpenGL 3.3 context can be made here: " << why;
    }
  }
  Canvas canvas(std::uint32_t w, std::uint32_t h) { return Canvas(w, h, DepthBuffer::Attached, GetParam().maker); }
  // fraction: the share of pixels the OpenGL device must get within 8 levels.
  void expectGolden(Canvas& c, const char* name, double fraction = 0.99) {
    const auto px = c.pixels();
    if (GetParam().exact) {
      EXPECT_TRUE(matchesGolden(name, c.width(), c.height(), px));
    } else {
      EXPECT_TRUE(testing::mostlyMatchesGolden(name, GetParam().name, c.width(), c.height(), px, 8, fraction));
    }
  }
};

// A full-panel quad with a horizontal colour ramp.
void drawBackground(Canvas& c, D3DCOLOR left, D3DCOLOR right) {
  expectOk(c.device.SetTexture(0, nullptr));
  c.draw(D3DPT_TRIANGLESTRIP, std::array{vtx(-1, 1, 0.9f, left), vtx(1, 1, 0.9f, right), vtx(-1, -1, 0.9f, left),
                                         vtx(1, -1, 0.9f, right)});
}

TEST_P(RenderGolden, TriangleCrossingTheNearPlaneIsClipped) {
  Canvas c = canvas(96, 72);
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW, sceneViewMatrix(0.0f, 0.05f)));
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION, sceneProjectionMatrix()));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  c.clear(0xFF101010);
  expectOk(c.device.BeginScene());
  // One vertex lies behind the eye: the triangle must be cut at z = 0.05, not
  // folded through infinity.
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-1.5f, -0.6f, 2, 0xFFFF0000), vtx(1.5f, -0.6f, 2, 0xFF00FF00),
                                        vtx(0.3f, -0.6f, -1.5f, 0xFF0000FF)});
  // An upright triangle whose lower corner passes beside and behind the eye.
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-0.8f, 1.2f, 3, 0xFFFFFF00), vtx(0.4f, 0.1f, -1.0f, 0xFF00FFFF),
                                        vtx(0.6f, 1.4f, 4, 0xFFFF00FF)});
  expectOk(c.device.EndScene());
  expectGolden(c, "near_plane_clip");
}

TEST_P(RenderGolden, CullModesNoneClockwiseCounterClockwise) {
  Canvas c = canvas(192, 64);
  c.clear(0xFF202020);
  expectOk(c.device.BeginScene());
  const D3DCULL modes[] = {D3DCULL::D3DCULL_NONE, D3DCULL::D3DCULL_CW, D3DCULL::D3DCULL_CCW};
  for (std::uint32_t i = 0; i < 3; ++i) {
    c.panel(i, 0, 64);
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(modes[i])));
    // Left: clockwise on screen (orange). Right: counter-clockwise (cyan).
    c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-0.9f, 0.8f, 0.5f, 0xFFFF8000), vtx(-0.1f, 0.8f, 0.5f, 0xFFFF8000),
                                          vtx(-0.5f, -0.8f, 0.5f, 0xFFFFC000)});
    c.draw(D3DPT_TRIANGLELIST, std::array{vtx(0.1f, 0.8f, 0.5f, 0xFF00C0FF), vtx(0.5f, -0.8f, 0.5f, 0xFF00FFC0),
                                          vtx(0.9f, 0.8f, 0.5f, 0xFF00C0FF)});
  }
  expectOk(c.device.EndScene());
  expectGolden(c, "cull_modes");
}

TEST_P(RenderGolden, ColorKeyedTextureOverBackground) {
  Canvas c = canvas(128, 64);
  // Black cells are keyed; the coloured cells carry a gradient.
  auto texels = checkerTexels(8, 8, 2, 0xFF000000, 0xFFFFFFFF);
  for (std::uint32_t i = 0; i < texels.size(); ++i)
    if (texels[i] != 0xFF000000) texels[i] = 0xFF000000 | ((i % 8) * 32) << 16 | 0x00A000 | ((i / 8) * 32);
  TDirect3DTexture2 tex(8, 8, texels);
  tex.SetColorKey(0);
  c.clear(0xFF000000);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  for (std::uint32_t i = 0; i < 2; ++i) {
    c.panel(i, 0, 64);
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, i));  // left: keying off, right: on
    drawBackground(c, 0xFF4060FF, 0xFFFF6040);
    expectOk(c.device.SetTexture(0, &tex));
    c.draw(D3DPT_TRIANGLESTRIP, std::array{vtx(-0.8f, 0.8f, 0.5f, 0xFFFFFFFF, 0, 0), vtx(0.8f, 0.8f, 0.5f, 0xFFFFFFFF, 1, 0),
                                           vtx(-0.8f, -0.8f, 0.5f, 0xFFFFFFFF, 0, 1), vtx(0.8f, -0.8f, 0.5f, 0xFFFFFFFF, 1, 1)});
  }
  expectOk(c.device.EndScene());
  expectGolden(c, "color_key");
}

TEST_P(RenderGolden, BlendPairings) {
  // Rows of three panels: the scene's own pairings first, then the other factors.
  const std::array<std::pair<D3DBLEND, D3DBLEND>, 12> pairs{{
      {D3DBLEND::D3DBLEND_INVSRCCOLOR, D3DBLEND::D3DBLEND_SRCCOLOR},
      {D3DBLEND::D3DBLEND_INVDESTCOLOR, D3DBLEND::D3DBLEND_INVSRCCOLOR},
      {D3DBLEND::D3DBLEND_ONE, D3DBLEND::D3DBLEND_ZERO},
      {D3DBLEND::D3DBLEND_ONE, D3DBLEND::D3DBLEND_ONE},
      {D3DBLEND::D3DBLEND_SRCALPHA, D3DBLEND::D3DBLEND_INVSRCALPHA},
      {D3DBLEND::D3DBLEND_DESTCOLOR, D3DBLEND::D3DBLEND_ZERO},
      {D3DBLEND::D3DBLEND_ZERO, D3DBLEND::D3DBLEND_INVSRCCOLOR},
      {D3DBLEND::D3DBLEND_SRCCOLOR, D3DBLEND::D3DBLEND_INVDESTCOLOR},
      {D3DBLEND::D3DBLEND_BOTHSRCALPHA, D3DBLEND::D3DBLEND_ZERO},
      {D3DBLEND::D3DBLEND_BOTHINVSRCALPHA, D3DBLEND::D3DBLEND_ZERO},
      {D3DBLEND::D3DBLEND_SRCALPHASAT, D3DBLEND::D3DBLEND_ONE},
      {D3DBLEND::D3DBLEND_DESTALPHA, D3DBLEND::D3DBLEND_INVDESTALPHA},
  }};
  Canvas c = canvas(96, 128);
  c.clear(0xFF000000);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ZFUNC, d3dValue(D3DCMPFUNC::D3DCMP_ALWAYS)));
  // Alpha comes from the vertices (no texture is bound).
  expectOk(c.device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE));
  for (std::uint32_t i = 0; i < pairs.size(); ++i) {
    c.panel(i % 3, i / 3, 32);
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0));
    drawBackground(c, 0xFF2040C0, 0xFFE0C020);
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(pairs[i].first)));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(pairs[i].second)));
    c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-0.9f, 0.9f, 0.5f, 0x20FF2020), vtx(0.9f, 0.9f, 0.5f, 0xE020FF20),
                                          vtx(0.0f, -0.9f, 0.5f, 0x80F0F0F0)});
  }
  expectOk(c.device.EndScene());
  expectGolden(c, "blend_pairings");
}

TEST_P(RenderGolden, SpecularIsAddedAfterTheTextureStage) {
  Canvas c = canvas(128, 64);
  const auto texels = checkerTexels(4, 4, 1, 0xFF803020, 0xFF204080);
  TDirect3DTexture2 tex(4, 4, texels);
  c.clear(0xFF000000);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  expectOk(c.device.SetTexture(0, &tex));
  for (std::uint32_t i = 0; i < 2; ++i) {
    c.panel(i, 0, 64);
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, i));  // left off, right on
    c.draw(D3DPT_TRIANGLESTRIP,
           std::array{vtx(-1, 1, 0.5f, 0xFFFFFFFF, 0, 0, 0xFF000000), vtx(1, 1, 0.5f, 0xFFFFFFFF, 1, 0, 0xFFFFFF00),
                      vtx(-1, -1, 0.5f, 0xFFFFFFFF, 0, 1, 0xFF0000FF), vtx(1, -1, 0.5f, 0xFFFFFFFF, 1, 1, 0xFF000000)});
  }
  expectOk(c.device.EndScene());
  expectGolden(c, "specular");
}

TEST_P(RenderGolden, WireframeAndPointFill) {
  Canvas c = canvas(128, 64);
  c.clear(0xFF000000);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  const D3DFILLMODE modes[] = {D3DFILLMODE::D3DFILL_WIREFRAME, D3DFILLMODE::D3DFILL_POINT};
  for (std::uint32_t i = 0; i < 2; ++i) {
    c.panel(i, 0, 64);
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_FILLMODE, d3dValue(modes[i])));
    c.draw(D3DPT_TRIANGLESTRIP, std::array{vtx(-0.9f, 0.8f, 0.5f, 0xFFFF0000), vtx(-0.9f, -0.8f, 0.5f, 0xFF00FF00),
                                           vtx(0.0f, 0.6f, 0.5f, 0xFF0000FF), vtx(0.1f, -0.7f, 0.5f, 0xFFFFFF00),
                                           vtx(0.9f, 0.8f, 0.5f, 0xFFFF00FF), vtx(0.8f, -0.9f, 0.5f, 0xFF00FFFF)});
  }
  expectOk(c.device.EndScene());
  expectGolden(c, "fill_modes");
}

TEST_P(RenderGolden, PointAndBilinearSampling) {
  Canvas c = canvas(128, 64);
  const std::array<std::uint32_t, 16> texels{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,  //
                                             0xFF000000, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF,  //
                                             0xFF808080, 0xFF400000, 0xFF004000, 0xFF000040,  //
                                             0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000};
  TDirect3DTexture2 tex(4, 4, texels);
  c.clear(0xFF000000);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  expectOk(c.device.SetTexture(0, &tex));
  const D3DTEXTUREMAGFILTER filters[] = {D3DTEXTUREMAGFILTER::D3DTFG_POINT, D3DTEXTUREMAGFILTER::D3DTFG_LINEAR};
  for (std::uint32_t i = 0; i < 2; ++i) {
    c.panel(i, 0, 64);
    expectOk(c.device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(filters[i])));
    c.draw(D3DPT_TRIANGLESTRIP, std::array{vtx(-1, 1, 0.5f, 0xFFFFFFFF, 0, 0), vtx(1, 1, 0.5f, 0xFFFFFFFF, 1, 0),
                                           vtx(-1, -1, 0.5f, 0xFFFFFFFF, 0, 1), vtx(1, -1, 0.5f, 0xFFFFFFFF, 1, 1)});
  }
  expectOk(c.device.EndScene());
  expectGolden(c, "filtering");
}

TEST_P(RenderGolden, SceneCameraMatricesWithPerspectiveTexturing) {
  // The view matrix's bottom-right 0.05 and the projection with _34 = 1 and
  // _43 = -1, as the scene sets them; a tiled floor and a wall in perspective.
  Canvas c = canvas(128, 96);
  const auto texels = checkerTexels(16, 16, 4, 0xFFF0F0F0, 0xFF802020);
  TDirect3DTexture2 tex(16, 16, texels);
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW, sceneViewMatrix(0.2f, 0.05f)));
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION, sceneProjectionMatrix()));
  expectOk(c.device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_WORLD, translationMatrix(0, -1, 0)));
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  c.clear(0xFF204060);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetTexture(0, &tex));
  c.draw(D3DPT_TRIANGLESTRIP, std::array{vtx(-4, 0, 0.5f, 0xFFFFFFFF, 0, 0), vtx(4, 0, 0.5f, 0xFFFFFFFF, 4, 0),
                                         vtx(-4, 0, 12, 0xFFFFFFFF, 0, 6), vtx(4, 0, 12, 0xFFFFFFFF, 4, 6)});
  c.draw(D3DPT_TRIANGLESTRIP, std::array{vtx(2, 2.5f, 2, 0xFFFFC080, 0, 0), vtx(2, 2.5f, 7, 0xFFFFC080, 3, 0),
                                         vtx(2, 0, 2, 0xFF80C0FF, 0, 1), vtx(2, 0, 7, 0xFF80C0FF, 3, 1)});
  expectOk(c.device.EndScene());
  expectGolden(c, "scene_camera");
}

TEST_P(RenderGolden, DepthTestResolvesInterpenetratingTriangles) {
  Canvas c = canvas(64, 64);
  c.clear(0xFF000000);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-0.9f, 0.9f, 0.1f, 0xFFFF4040), vtx(0.9f, 0.0f, 0.9f, 0xFFFF4040),
                                        vtx(-0.9f, -0.9f, 0.1f, 0xFFFFA0A0)});
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(0.9f, 0.9f, 0.1f, 0xFF4040FF), vtx(-0.9f, 0.0f, 0.9f, 0xFF4040FF),
                                        vtx(0.9f, -0.9f, 0.1f, 0xFFA0A0FF)});
  expectOk(c.device.EndScene());
  expectGolden(c, "depth_test");
}

TEST_P(RenderGolden, SortIndependentAntialiasingSmoothsEdges) {
  Canvas c = canvas(128, 64);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_ANTIALIAS, d3dValue(D3DANTIALIASMODE::D3DANTIALIAS_SORTINDEPENDENT)));
  c.clear(0xFF000000);
  expectOk(c.device.BeginScene());
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  c.panel(0, 0, 64);
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-0.9f, 0.7f, 0.5f, 0xFFFFFFFF), vtx(0.8f, 0.9f, 0.5f, 0xFFFFFFFF),
                                        vtx(-0.2f, -0.9f, 0.5f, 0xFFFFFFFF)});
  c.panel(1, 0, 64);
  expectOk(c.device.SetRenderState(D3DRENDERSTATE_FILLMODE, d3dValue(D3DFILLMODE::D3DFILL_WIREFRAME)));
  c.draw(D3DPT_TRIANGLELIST, std::array{vtx(-0.9f, 0.7f, 0.5f, 0xFF80FF80), vtx(0.8f, 0.9f, 0.5f, 0xFF80FF80),
                                        vtx(-0.2f, -0.9f, 0.5f, 0xFF80FF80)});
  expectOk(c.device.EndScene());
  expectGolden(c, "antialias");
}

TEST_P(RenderGolden, DeviceTestScene) {
  Canvas c = canvas(256, 192);
  TestScene scene;
  scene.draw(c.device);
  // The far rows of the floor hold several checker squares per pixel: the least
  // difference in texture coordinates picks another square.
  expectGolden(c, "test_scene");
}

INSTANTIATE_TEST_SUITE_P(Devices, RenderGolden,
                         ::testing::Values(DeviceUnderTest{"software", {}, true},
                                           DeviceUnderTest{"opengl", makeOpenGl, false}),
                         [](const ::testing::TestParamInfo<DeviceUnderTest>& info) { return info.param.name; });

}  // namespace
}  // namespace velorina
