// The software device keeps filled triangles until the scene ends; what they
// show must not depend on that: drawing order across draws and threads, textures
// that go away or change picture while triangles still read them, lines drawn
// between triangles. A scene's end draws the picture only and keeps the
// triangles: whatever needs the samples afterwards must find them as if they
// had been written.
#include <gtest/gtest.h>

#include <random>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/software/SoftwareDevice.h"
#include "RenderTestSupport.h"

namespace velorina {
namespace {

using enum D3DRENDERSTATETYPE;
using testing::vtx;

std::array<D3DLVERTEX, 4> square(float x0, float y0, float x1, float y1, D3DCOLOR c, float z = 0.5f) {
  return {vtx(x0, y1, z, c, 0, 0), vtx(x1, y1, z, c, 1, 0), vtx(x0, y0, z, c, 0, 1), vtx(x1, y0, z, c, 1, 1)};
}

// Many overlapping draws without a depth test, large ones (set up on several
// threads) and small ones in turn: the last drawn must win everywhere, with one
// thread or four.
TEST(SoftwareDeferredDrawing, DrawingOrderHoldsAcrossDrawsAndThreads) {
  auto picture = [](unsigned threads) {
    SoftwareDevice device(96, 64, DepthBuffer::Attached, threads);
    testing::expectOk(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
    testing::expectOk(device.SetRenderState(D3DRENDERSTATE_ZENABLE, 0));
    testing::expectOk(device.SetRenderState(D3DRENDERSTATE_ANTIALIAS, 1));
    testing::expectOk(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0));
    testing::expectOk(device.BeginScene());
    std::mt19937 random(7);
    std::uniform_real_distribution<float> at(-1.2f, 1.2f);
    for (int draw = 0; draw < 12; ++draw) {
      const std::uint32_t count = draw % 3 == 0 ? 1500 : 7;  // large draws are shared among threads
      std::vector<D3DLVERTEX> v;
      std::uniform_real_distribution<float> near(-0.2f, 0.2f);
      for (std::uint32_t k = 0; k < count; ++k) {
        const float cx = at(random), cy = at(random);
        const D3DCOLOR color = 0xFF000000u | random();
        for (int corner = 0; corner < 3; ++corner) v.push_back(vtx(cx + near(random), cy + near(random), 0.5f, color));
      }
      testing::expectOk(
          device.DrawPrimitive(D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, std::uint32_t(v.size()), 0));
    }
    testing::expectOk(device.EndScene());
    std::vector<std::uint32_t> out(96 * 64);
    testing::expectOk(device.ReadRenderTarget(out));
    return out;
  };
  EXPECT_EQ(picture(4), picture(1));
}

// A texture destroyed, or given a new picture, while triangles drawn with it are
// still pending: they show the picture they were drawn with (and read no freed
// texels, which the sanitizer build checks).
TEST(SoftwareDeferredDrawing, PendingTrianglesKeepTheirTexturesPicture) {
  testing::Canvas c(8, 4);
  c.clear(0xFF000000u);
  testing::expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  const std::vector<std::uint32_t> red(4, 0xFFFF0000u), blue(4, 0xFF0000FFu);
  TDirect3DTexture2 changing(2, 2, red);
  const TDirect3DTexture2 bluePicture(2, 2, blue);
  testing::expectOk(c.device.BeginScene());
  {
    auto gone = std::make_unique<TDirect3DTexture2>(2, 2, blue);
    testing::expectOk(c.device.SetTexture(0, gone.get()));
    c.draw(D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP, square(-1, -1, 0, 1, 0xFFFFFFFFu));  // left half
    testing::expectOk(c.device.SetTexture(0, &changing));
  }  // `gone` goes while its triangles are pending
  c.draw(D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP, square(0, -1, 1, 1, 0xFFFFFFFFu));  // right half, red
  changing.ReplacePicture(bluePicture);
  testing::expectOk(c.device.EndScene());
  EXPECT_EQ(c.pixel(1, 2), 0xFF0000FFu);
  EXPECT_EQ(c.pixel(6, 2), 0xFFFF0000u);
  // Drawn after the change, the texture shows its new picture.
  testing::expectOk(c.device.BeginScene());
  c.draw(D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP, square(0, -1, 1, 1, 0xFFFFFFFFu));
  testing::expectOk(c.device.EndScene());
  EXPECT_EQ(c.pixel(6, 2), 0xFF0000FFu);
}

// A line drawn between two filled draws lies over the first and under the second.
TEST(SoftwareDeferredDrawing, LinesKeepTheirPlaceBetweenTriangles) {
  testing::Canvas c(16, 16, DepthBuffer::None);
  c.clear(0xFF000000u);
  testing::expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  testing::expectOk(c.device.BeginScene());
  c.draw(D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP, square(-1, -1, 1, 1, 0xFFFF0000u));
  c.draw(D3DPRIMITIVETYPE::D3DPT_LINELIST, std::array{vtx(-1, 0.125f, 0.5f, 0xFF00FF00u), vtx(1, 0.125f, 0.5f, 0xFF00FF00u)});
  c.draw(D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP, square(0, -1, 1, 1, 0xFF0000FFu));
  testing::expectOk(c.device.EndScene());
  EXPECT_EQ(c.pixel(3, 7), 0xFF00FF00u);   // the line over the red square
  EXPECT_EQ(c.pixel(12, 7), 0xFF0000FFu);  // the blue square over the line
  EXPECT_EQ(c.pixel(3, 12), 0xFFFF0000u);
}

// Random overlapping triangles, depth-tested and textured, some draws large
// enough to be shared among threads.
void drawRandomTriangles(SoftwareDevice& device, unsigned seed, TDirect3DTexture2* texture) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> at(-1.2f, 1.2f), near(-0.5f, 0.5f), depth(0.1f, 0.9f);
  testing::expectOk(device.SetTexture(0, texture));
  for (int draw = 0; draw < 4; ++draw) {
    const std::uint32_t count = draw == 0 ? 1100 : 9;
    std::vector<D3DLVERTEX> v;
    for (std::uint32_t k = 0; k < count; ++k) {
      const float cx = at(random), cy = at(random);
      const D3DCOLOR color = 0xFF000000u | random();
      for (int corner = 0; corner < 3; ++corner) {
        v.push_back(vtx(cx + near(random), cy + near(random), depth(random), color, near(random), near(random)));
      }
    }
    testing::expectOk(
        device.DrawPrimitive(D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, std::uint32_t(v.size()), 0));
  }
}

// What comes between two scenes, and needs the first scene's samples.
enum class Between { Nothing, PartialClear, ColourOnlyClear, Line, AntialiasOff, TextureGone };

// Scene A, the step, scene B. Drawn as two scenes, scene A is drawn for the
// picture only and again when the step or scene B needs its samples; drawn as
// one scene, with the step inside it, scene A's samples are written at once.
std::vector<std::uint32_t> twoScenes(Between step, bool asOneScene) {
  constexpr std::uint32_t kWidth = 160, kHeight = 96;
  SoftwareDevice device(kWidth, kHeight, DepthBuffer::Attached, 4);
  testing::expectOk(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  testing::expectOk(device.SetRenderState(D3DRENDERSTATE_ANTIALIAS, 1));
  testing::expectOk(device.SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE::D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
  std::vector<std::uint32_t> texels(16 * 16);
  std::mt19937 random(99);
  for (auto& t : texels) t = 0xFF000000u | random();
  auto first = std::make_unique<TDirect3DTexture2>(16, 16, texels);
  const TDirect3DTexture2 second(16, 16, std::vector<std::uint32_t>(texels.rbegin(), texels.rend()));
  testing::expectOk(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040u, 1.0f, 0));
  testing::expectOk(device.BeginScene());
  drawRandomTriangles(device, 1, first.get());
  if (!asOneScene) testing::expectOk(device.EndScene());
  switch (step) {
    case Between::Nothing: break;
    case Between::PartialClear: {
      const D3DRECT rect{30, 20, 100, 70};
      testing::expectOk(device.Clear(std::span(&rect, 1), D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00u, 0.7f, 0));
      break;
    }
    case Between::ColourOnlyClear:
      testing::expectOk(device.Clear({}, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0));
      break;
    case Between::Line:
      if (!asOneScene) testing::expectOk(device.BeginScene());
      testing::expectOk(device.DrawPrimitive(D3DPRIMITIVETYPE::D3DPT_LINELIST, D3DFVF_LVERTEX,
                                             std::array{vtx(-1, 0.1f, 0.05f, 0xFFFFFFFFu), vtx(1, 0.3f, 0.05f, 0xFFFFFFFFu)},
                                             2, 0));
      if (!asOneScene) testing::expectOk(device.EndScene());
      break;
    case Between::AntialiasOff:
      testing::expectOk(device.SetRenderState(D3DRENDERSTATE_ANTIALIAS, 0));
      break;
    case Between::TextureGone:
      testing::expectOk(device.SetTexture(0, nullptr));
      first.reset();
      break;
  }
  if (!asOneScene) testing::expectOk(device.BeginScene());
  drawRandomTriangles(device, 2, const_cast<TDirect3DTexture2*>(&second));
  testing::expectOk(device.EndScene());
  std::vector<std::uint32_t> out(kWidth * kHeight);
  testing::expectOk(device.ReadRenderTarget(out));
  return out;
}

TEST(SoftwareDeferredDrawing, AScenesSamplesAreThereForWhateverNeedsThem) {
  for (const Between step : {Between::Nothing, Between::PartialClear, Between::ColourOnlyClear, Between::Line,
                             Between::AntialiasOff, Between::TextureGone}) {
    EXPECT_EQ(twoScenes(step, false), twoScenes(step, true)) << "step " << int(step);
  }
}

// A clear of the whole target leaves nothing of what was drawn before it, kept
// or pending.
TEST(SoftwareDeferredDrawing, AWholeClearLeavesNothingOfEarlierScenes) {
  auto picture = [](bool earlierScenes) {
    SoftwareDevice device(96, 64, DepthBuffer::Attached, 4);
    testing::expectOk(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
    testing::expectOk(device.SetRenderState(D3DRENDERSTATE_ANTIALIAS, 1));
    if (earlierScenes) {
      testing::expectOk(device.BeginScene());
      drawRandomTriangles(device, 3, nullptr);
      testing::expectOk(device.EndScene());
      testing::expectOk(device.BeginScene());
      drawRandomTriangles(device, 4, nullptr);  // pending when the clear comes
    } else {
      testing::expectOk(device.BeginScene());
    }
    testing::expectOk(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF405060u, 1.0f, 0));
    drawRandomTriangles(device, 5, nullptr);
    testing::expectOk(device.EndScene());
    std::vector<std::uint32_t> out(96 * 64);
    testing::expectOk(device.ReadRenderTarget(out));
    return out;
  };
  EXPECT_EQ(picture(true), picture(false));
}

}  // namespace
}  // namespace velorina
