// Spheres and texts drawn by the software device through an offscreen display,
// compared with reference pictures in tests/scene/objects/golden
// (VELORINA_REGENERATE_GOLDEN=1 rewrites them).
#include <gtest/gtest.h>

#include <functional>

#include "platform/display/DXDraw.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/SceneLight.h"
#include "scene/objects/Sphere.h"
#include "scene/objects/Text.h"
#include "support/ExpectOk.h"
#include "support/GoldenImage.h"

namespace velorina {
namespace {

constexpr std::uint32_t kWidth = 160, kHeight = 120;

// A display with a depth buffer and a 90-degree view up and down, 4:3, depth from z = 1.
class GoldenStage {
 public:
  GoldenStage() {
    display_.SetDisplaySize(kWidth, kHeight);
    display_.SetZBuffer(true);
    display_.Initialize();
    using enum D3DTEXTURESTAGESTATETYPE;
    IDirect3DDevice7& device = *display_.D3DDevice7();
    testing::expectOk(device.SetViewport(D3DVIEWPORT7{0, 0, kWidth, kHeight, 0.0f, 1.0f}));
    D3DMATRIX projection;
    projection._11 = 0.75f;
    projection._22 = 1;
    projection._33 = 1;
    projection._34 = 1;
    projection._43 = -1;
    testing::expectOk(device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION, projection));
    testing::expectOk(device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE));
    testing::expectOk(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
    testing::expectOk(device.SetTextureStageState(0, D3DTSS_COLOROP, d3dValue(D3DTEXTUREOP::D3DTOP_MODULATE)));
    testing::expectOk(device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(D3DTEXTUREMINFILTER::D3DTFN_POINT)));
    testing::expectOk(device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_POINT)));
  }

  DXDraw* display() { return &display_; }

  // Draws the objects over a dark background and answers the picture.
  std::vector<std::uint32_t> draw(const std::vector<TD3DObject*>& objects) {
    IDirect3DDevice7& device = *display_.D3DDevice7();
    testing::expectOk(device.BeginScene());
    testing::expectOk(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF202830u, 1.0f, 0));
    for (TD3DObject* o : objects) o->Draw();
    testing::expectOk(device.EndScene());
    std::vector<std::uint32_t> pixels(kWidth * kHeight);
    testing::expectOk(device.ReadRenderTarget(pixels));
    return pixels;
  }

 private:
  DXDraw display_{std::make_unique<OffscreenPresenter>()};
};

TDirect3DTexture2 checker() {
  std::vector<std::uint32_t> texels;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) texels.push_back(((x / 2 + y / 4) % 2) ? 0xFFF0C040u : 0xFF2050C0u);
  }
  return TDirect3DTexture2(16, 16, texels);
}

// Left: a checkered globe, tilted, its bands running round it. Right: an egg in
// its own colour, lit from the upper left by a light that fades with distance.
TEST(SphereGolden, TexturedGlobeAndLitEggInItsOwnColour) {
  GoldenStage stage;
  TDirect3DTexture2 texture = checker();
  TTexturePairs pairs{};
  pairs[0] = {&texture, &texture};
  TD3DSphereInfo globe;
  globe.Color = 0xFFFFFF;
  globe.TexScaleU = 2, globe.TexScaleV = 1;
  globe.FrameCount = 1;
  globe.Position = {-1.6f, 0.2f, 4};
  globe.Angles = {0.4f, 0.3f, 0.2f};
  globe.Scale = {1.3f, 1.3f, 1.3f};
  globe.CullMode = 1;
  globe.Stacks = 12, globe.Slices = 24;
  TD3DSphere textured(stage.display(), pairs, globe);

  TD3DSphereInfo egg = globe;
  egg.Color = 0x3060E0;  // orange
  egg.Position = {1.8f, -0.2f, 4};
  egg.Angles = {};
  egg.Scale = {0.9f, 1.4f, 0.9f};
  egg.Stacks = 10, egg.Slices = 16;
  TD3DSphere plain(stage.display(), TTexturePairs{}, egg);
  TD3DSceneLightInfo l;
  l.Color = 0xFFFFFF;
  l.Range = 2.2f;
  l.RangeFactor = 10;
  l.Position = {0.9f, 1.2f, 2.6f};
  plain.ApplyLight(TD3DSceneLight(l));

  const auto pixels = stage.draw({&textured, &plain});
  EXPECT_TRUE(testing::matchesGoldenIn("scene/objects/golden", "spheres_textured_and_lit", kWidth, kHeight, pixels));
}

TD3DTextInfo line(const std::string& text, float y, float depth) {
  TD3DTextInfo t;
  t.FrontColor = 0x40E0FF;  // yellow
  t.BackColor = 0x805020;   // dark blue
  t.TexScaleU = t.TexScaleV = 1;
  t.FrameCount = 1;
  t.Position = {0, y, 4};
  t.Scale = {1.1f, 1.1f, depth};
  t.Text = text;
  return t;
}

// Top: flat filled letters. Middle: solid letters with walls, turned so that the
// walls show, slanted. Bottom: flat outline letters.
TEST(TextGolden, FlatSolidAndOutlineLines) {
  GoldenStage stage;
  TD3DText flat(stage.display(), TTexturePairs{}, line("Velorina", 2.0f, 0));
  TD3DTextInfo solidInfo = line("3D Text", 0.0f, 0.5f);
  solidInfo.Position.z = 4.5f;
  solidInfo.Angles = {0.5f, 0.35f, 0};
  solidInfo.ShearX = 0.8f;
  solidInfo.Sides = true;
  TD3DText solid(stage.display(), TTexturePairs{}, solidInfo);
  TD3DTextInfo outlineInfo = line("Outline", -1.9f, 0);
  outlineInfo.Scale = {1.6f, 1.6f, 0};  // large enough that its thin bands show whole
  outlineInfo.Filled = false;
  outlineInfo.FrontColor = 0x60FF60;
  TD3DText outline(stage.display(), TTexturePairs{}, outlineInfo);
  const auto pixels = stage.draw({&flat, &solid, &outline});
  EXPECT_TRUE(testing::matchesGoldenIn("scene/objects/golden", "text_flat_solid_outline", kWidth, kHeight, pixels));
}

}  // namespace
}  // namespace velorina
