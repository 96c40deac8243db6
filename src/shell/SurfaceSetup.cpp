#include "shell/SurfaceSetup.h"

#include "scene/Scene.h"

namespace velorina {

// The device's answers are not read here: these are states and transforms of the
// device's own tables with valid values, which a device never refuses.
void setInitialViewTransform(IDirect3DDevice7& device) {
  D3DMATRIX view;
  view._11 = 0.75f;
  view._22 = 1;
  view._33 = 1;
  view._44 = 0;
  static_cast<void>(device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW, view));
}

void setUpSurface(IDirect3DDevice7& device, std::uint32_t width, std::uint32_t height, const TWorldHeader& header,
                  TD3DScene* scene) {
  using enum D3DRENDERSTATETYPE;
  using enum D3DTEXTURESTAGESTATETYPE;
  static_cast<void>(device.SetViewport(D3DVIEWPORT7{0, 0, width, height, 0.0f, 1.0f}));
  D3DMATERIAL7 material;
  material.diffuse = {1, 1, 1, 0};
  material.ambient = {1, 1, 1, 1};
  static_cast<void>(device.SetMaterial(material));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFFFFu));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 1));
  D3DMATRIX projection;
  projection._11 = 1;
  projection._22 = 1;
  projection._33 = 1;
  projection._34 = 1;
  projection._43 = -1;
  static_cast<void>(device.SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION, projection));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_COLOROP, d3dValue(D3DTEXTUREOP::D3DTOP_MODULATE)));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_ALPHAOP, d3dValue(D3DTEXTUREOP::D3DTOP_SELECTARG1)));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_MINFILTER, static_cast<std::uint32_t>(header.minFilterValue())));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_MAGFILTER, static_cast<std::uint32_t>(header.magFilterValue())));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_NORMALIZENORMALS, 1));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
  const D3DANTIALIASMODE aa =
      header.Antialias != 0 ? D3DANTIALIASMODE::D3DANTIALIAS_SORTINDEPENDENT : D3DANTIALIASMODE::D3DANTIALIAS_NONE;
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_ANTIALIAS, d3dValue(aa)));
  if (scene != nullptr) scene->RebuildDeviceState();
}

}  // namespace velorina
