#include "platform/render/TestScene.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace velorina {

namespace {

using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;
using enum D3DPRIMITIVETYPE;

D3DLVERTEX vertex(float x, float y, float z, D3DCOLOR color, float u, float v, D3DCOLOR specular = 0) {
  return {x, y, z, 0, color, specular, u, v};
}

// A face of a star-like keyed texture: black around a coloured diamond with a hole.
std::vector<std::uint32_t> keyedTexels() {
  constexpr int n = 32;
  std::vector<std::uint32_t> t(n * n, 0xFF000000u);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int d = std::abs(x - n / 2) + std::abs(y - n / 2);
      if (d < 14 && d > 4) t[y * n + x] = 0xFF000000u | (std::uint32_t(255 - d * 12) << 16) | (std::uint32_t(d * 16) << 8) | 0x40;
    }
  }
  return t;
}

// The scene's calls are all valid between BeginScene and EndScene, so the answers
// are not read; a device that refused one would show it in the picture, which the
// golden test compares.
void setSceneStates(IDirect3DDevice7& device) {
  const D3DVIEWPORT7 vp{0, 0, device.RenderTargetWidth(), device.RenderTargetHeight(), 0.0f, 1.0f};
  static_cast<void>(device.SetViewport(vp));
  static_cast<void>(device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION, sceneProjectionMatrix()));
  static_cast<void>(device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW, sceneViewMatrix(0.25f, 0.05f)));
  static_cast<void>(device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_WORLD, translationMatrix(0.0f, -1.0f, 0.0f)));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_COLOROP, d3dValue(D3DTEXTUREOP::D3DTOP_MODULATE)));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(D3DTEXTUREMINFILTER::D3DTFN_LINEAR)));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 1));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_LIGHTING, 0));
}

}  // namespace

D3DMATRIX sceneViewMatrix(float pitch, float motionStep) {
  const float c = std::cos(pitch), s = std::sin(pitch);
  D3DMATRIX m;
  m._11 = 0.75f;
  m._22 = c;
  m._23 = s;
  m._32 = -s;
  m._33 = c;
  m._44 = motionStep;
  return m;
}

D3DMATRIX sceneProjectionMatrix() {
  D3DMATRIX m;
  m._11 = 1;
  m._22 = 1;
  m._33 = 1;
  m._34 = 1;
  m._43 = -1;
  return m;
}

D3DMATRIX translationMatrix(float x, float y, float z) {
  D3DMATRIX m = D3DMATRIX::identity();
  m._41 = x;
  m._42 = y;
  m._43 = z;
  return m;
}

std::vector<std::uint32_t> checkerTexels(std::uint32_t width, std::uint32_t height, std::uint32_t cell,
                                         std::uint32_t colorA, std::uint32_t colorB) {
  std::vector<std::uint32_t> t(std::size_t(width) * height);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x) t[std::size_t(y) * width + x] = ((x / cell + y / cell) % 2) ? colorB : colorA;
  return t;
}

TestScene::TestScene() {
  const auto checker = checkerTexels(64, 64, 8, 0xFFE8E0C8u, 0xFF306090u);
  checker_ = std::make_unique<TDirect3DTexture2>(64, 64, checker);
  const auto keyed = keyedTexels();
  keyed_ = std::make_unique<TDirect3DTexture2>(32, 32, keyed);
  keyed_->SetColorKey(0);
}

void TestScene::draw(IDirect3DDevice7& device) {
  setSceneStates(device);
  const std::array<D3DRECT, 0> all{};
  static_cast<void>(device.Clear(all, D3DCLEAR_TARGET | (device.HasDepthBuffer() ? D3DCLEAR_ZBUFFER : 0), 0xFF203040u, 1.0f, 0));
  static_cast<void>(device.BeginScene());

  // A floor that runs from behind the eye to the distance: clipped at the near plane.
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  static_cast<void>(device.SetTexture(0, checker_.get()));
  const std::array<D3DLVERTEX, 4> floor{vertex(-6, 0, -2, 0xFFFFFFFF, 0, 0), vertex(6, 0, -2, 0xFFFFFFFF, 6, 0),
                                        vertex(-6, 0, 14, 0xFF8080FF, 0, 8), vertex(6, 0, 14, 0xFFFF8080, 6, 8)};
  static_cast<void>(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, floor, 4, 0));

  // A Gouraud-shaded pyramid with a specular highlight on one face.
  static_cast<void>(device.SetTexture(0, nullptr));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_CCW)));
  const std::array<D3DLVERTEX, 6> pyramid{
      vertex(-1.5f, 2.2f, 5, 0xFFFFFF00, 0, 0),      vertex(-2.5f, 0, 4, 0xFFFF0000, 0, 0, 0xFF808080),
      vertex(-0.5f, 0, 4, 0xFF00FF00, 0, 0),         vertex(-0.5f, 0, 6, 0xFF0000FF, 0, 0),
      vertex(-2.5f, 0, 6, 0xFFFF00FF, 0, 0),         vertex(-2.5f, 0, 4, 0xFFFF0000, 0, 0, 0xFF808080)};
  static_cast<void>(device.DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_LVERTEX, pyramid, 6, 0));

  // A colour-keyed sign: only the diamond shows; black is see-through.
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  static_cast<void>(device.SetTexture(0, keyed_.get()));
  const std::array<D3DLVERTEX, 4> sign{vertex(0.5f, 2.5f, 5, 0xFFFFFFFF, 0, 0), vertex(2.5f, 2.5f, 5, 0xFFFFFFFF, 1, 0),
                                       vertex(0.5f, 0.5f, 5, 0xFFFFFFFF, 0, 1), vertex(2.5f, 0.5f, 5, 0xFFFFFFFF, 1, 1)};
  static_cast<void>(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, sign, 4, 0));

  // A glass pane blended the way the scene's masked objects are.
  static_cast<void>(device.SetTexture(0, nullptr));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_INVSRCCOLOR)));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(D3DBLEND::D3DBLEND_SRCCOLOR)));
  const std::array<D3DLVERTEX, 3> pane{vertex(-1.0f, 0.2f, 3, 0xFF40C0FF, 0, 0), vertex(1.2f, 0.2f, 3, 0xFF40C0FF, 0, 0),
                                       vertex(0.1f, 1.6f, 3, 0xFFC0FF40, 0, 0)};
  static_cast<void>(device.DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, pane, 3, 0));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0));

  static_cast<void>(device.EndScene());
}

}  // namespace velorina
