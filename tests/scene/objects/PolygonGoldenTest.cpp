// Polygons drawn by the software device through an offscreen display, compared
// with a reference picture in tests/scene/objects/golden
// (VELORINA_REGENERATE_GOLDEN=1 rewrites it).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "platform/display/DXDraw.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/Polygon.h"
#include "support/GoldenImage.h"
#include "support/ExpectOk.h"

namespace velorina {
namespace {

using testing::expectOk;

constexpr std::uint32_t kWidth = 160, kHeight = 120;
constexpr float kDepth = 4;

// A 16 x 16 texture whose texel (x, y) is pick(x, y), as 0xFFRRGGBB.
TDirect3DTexture2 pattern(const std::function<std::uint32_t(int, int)>& pick) {
  std::vector<std::uint32_t> texels;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) texels.push_back(0xFF000000u | pick(x, y));
  }
  return TDirect3DTexture2(16, 16, texels);
}

bool inDisc(int x, int y) { return (x - 7.5) * (x - 7.5) + (y - 7.5) * (y - 7.5) < 36; }

TD3DPolygonInfo square(float cx, float cy, float half, std::uint32_t color, std::uint8_t blendMode) {
  TD3DPolygonInfo p;
  p.Color = color;
  p.TexScaleU = p.TexScaleV = 1;
  p.PrimitiveType = 5;
  p.FrameCount = 1;
  p.BlendMode = blendMode;
  p.CullMode = 1;  // two-sided
  p.Points = {D3DVECTOR{cx - half, cy + half, kDepth}, {cx + half, cy + half, kDepth},
              {cx - half, cy - half, kDepth}, {cx + half, cy - half, kDepth}};
  p.PointCount = 4;
  return p;
}

// A hexagon about (cx, cy) as a fan from its centre, closed on its first corner.
TD3DPolygonInfo hexagon(float cx, float cy, float radius) {
  TD3DPolygonInfo p = square(cx, cy, 0, 0xFFFFFF, 0);
  p.PrimitiveType = 6;
  p.Points = {{cx, cy, kDepth}};
  for (int i = 0; i <= 6; ++i) {
    const float a = static_cast<float>(i) * kPi / 3;
    p.Points.push_back({cx + radius * std::cos(a), cy + radius * std::sin(a), kDepth});
  }
  p.PointCount = static_cast<std::int16_t>(p.Points.size());
  return p;
}

void setUpDevice(IDirect3DDevice7& device) {
  using enum D3DTEXTURESTAGESTATETYPE;
  expectOk(device.SetViewport(D3DVIEWPORT7{0, 0, kWidth, kHeight, 0.0f, 1.0f}));
  D3DMATRIX projection;  // a 90-degree view up and down, 4:3, depth from z = 1
  projection._11 = 0.75f;
  projection._22 = 1;
  projection._33 = 1;
  projection._34 = 1;
  projection._43 = -1;
  expectOk(device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION, projection));
  expectOk(device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE));
  expectOk(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
  expectOk(device.SetTextureStageState(0, D3DTSS_COLOROP, d3dValue(D3DTEXTUREOP::D3DTOP_MODULATE)));
  expectOk(device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(D3DTEXTUREMINFILTER::D3DTFN_POINT)));
  expectOk(device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_POINT)));
  expectOk(device.SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_COLORKEYENABLE, 1));
}

// Top row: a checkered fan; a grey square half covered by an added gradient
// (blend mode 1); a green square half covered by a masked yellow disc (mode 16).
// Bottom: a blue square under a red checker whose black squares are keyed out.
TEST(PolygonGolden, FanBlendedStripMaskedAndKeyedImages) {
  TDirect3DTexture2 checker = pattern([](int x, int y) { return ((x / 4 + y / 4) % 2) ? 0xFFFF00u : 0xC00000u; });
  TDirect3DTexture2 gradient = pattern([](int x, int) { return 0x010101u * static_cast<std::uint32_t>(x * 17); });
  TDirect3DTexture2 disc = pattern([](int x, int y) { return inDisc(x, y) ? 0xFFE020u : 0u; });
  TDirect3DTexture2 discMask = pattern([](int x, int y) { return inDisc(x, y) ? 0u : 0xFFFFFFu; });
  TDirect3DTexture2 keyed = pattern([](int x, int y) { return ((x / 4 + y / 4) % 2) ? 0xE03030u : 0u; });
  const auto pairOf = [](TDirect3DTexture2* image, TDirect3DTexture2* mask) {
    TTexturePairs pairs{};
    pairs[0] = {image, mask};
    return pairs;
  };

  DXDraw display(std::make_unique<OffscreenPresenter>());
  display.SetDisplaySize(kWidth, kHeight);
  display.SetZBuffer(false);  // drawn in order, back to front
  display.Initialize();
  IDirect3DDevice7& device = *display.D3DDevice7();
  setUpDevice(device);

  std::vector<std::unique_ptr<TD3DPolygon>> polygons;
  const auto add = [&](const TTexturePairs& pairs, const TD3DPolygonInfo& info) {
    polygons.push_back(std::make_unique<TD3DPolygon>(&display, pairs, info));
  };
  add(pairOf(&checker, &checker), hexagon(-3.2f, 1.6f, 1.4f));
  add(TTexturePairs{}, square(-0.3f, 1.9f, 1.1f, 0x808080, 0));
  add(pairOf(&gradient, &gradient), square(0.5f, 1.1f, 1.1f, 0xFFFFFF, 1));
  add(TTexturePairs{}, square(2.9f, 1.9f, 1.1f, 0x30A030, 0));
  add(pairOf(&disc, &discMask), square(3.5f, 1.1f, 1.1f, 0xFFFFFF, 16));
  add(TTexturePairs{}, square(-0.3f, -2.0f, 1.2f, 0xC06020, 0));
  add(pairOf(&keyed, &keyed), square(0.5f, -2.4f, 1.2f, 0xFFFFFF, 16));

  expectOk(device.BeginScene());
  expectOk(device.Clear({}, D3DCLEAR_TARGET, 0xFF202830u, 1.0f, 0));
  for (const auto& p : polygons) p->Draw();
  expectOk(device.EndScene());
  std::vector<std::uint32_t> pixels(kWidth * kHeight);
  expectOk(device.ReadRenderTarget(pixels));
  EXPECT_TRUE(testing::matchesGoldenIn("scene/objects/golden", "polygons_fan_blend_mask_key", kWidth, kHeight, pixels));
}

}  // namespace
}  // namespace velorina
