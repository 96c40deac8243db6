#pragma once
// A device that draws nothing and writes down the calls that matter to objects:
// render states, texture bindings (with the colour key each texture has at that
// moment) and draws.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/IDirect3DDevice7.h"

namespace velorina::testing {

struct DeviceCall {
  enum class Kind { RenderState, Texture, Draw };
  Kind kind;
  std::uint32_t what = 0;   // the render state, or the primitive type
  std::uint32_t value = 0;  // the state's value, or the vertex count
  const TDirect3DTexture2* texture = nullptr;
  std::optional<std::uint32_t> colorKey;  // the bound texture's key when it was bound
  std::vector<D3DLVERTEX> vertices;       // what a draw sent

  bool operator==(const DeviceCall& o) const {
    return kind == o.kind && what == o.what && value == o.value && texture == o.texture;
  }
};

inline DeviceCall stateCall(D3DRENDERSTATETYPE state, std::uint32_t value) {
  return {DeviceCall::Kind::RenderState, d3dValue(state), value, nullptr, std::nullopt, {}};
}
inline DeviceCall textureCall(const TDirect3DTexture2* texture) {
  return {DeviceCall::Kind::Texture, 0, 0, texture, std::nullopt, {}};
}
inline DeviceCall drawCall(D3DPRIMITIVETYPE type, std::uint32_t count) {
  return {DeviceCall::Kind::Draw, d3dValue(type), count, nullptr, std::nullopt, {}};
}

class RecordingDevice final : public IDirect3DDevice7 {
 public:
  std::vector<DeviceCall> calls;

  D3DRESULT SetViewport(const D3DVIEWPORT7&) override { return D3DRESULT::D3D_OK; }
  D3DVIEWPORT7 GetViewport() const override { return {}; }
  D3DRESULT SetMaterial(const D3DMATERIAL7&) override { return D3DRESULT::D3D_OK; }
  D3DMATERIAL7 GetMaterial() const override { return {}; }
  D3DRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX&) override { return D3DRESULT::D3D_OK; }
  D3DMATRIX GetTransform(D3DTRANSFORMSTATETYPE) const override { return D3DMATRIX::identity(); }
  D3DRESULT SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) override {
    calls.push_back(stateCall(state, value));
    return D3DRESULT::D3D_OK;
  }
  std::uint32_t GetRenderState(D3DRENDERSTATETYPE) const override { return 0; }
  D3DRESULT SetTextureStageState(std::uint32_t, D3DTEXTURESTAGESTATETYPE, std::uint32_t) override {
    return D3DRESULT::D3D_OK;
  }
  std::uint32_t GetTextureStageState(std::uint32_t, D3DTEXTURESTAGESTATETYPE) const override { return 0; }
  D3DRESULT Clear(std::span<const D3DRECT>, std::uint32_t, D3DCOLOR, float, std::uint32_t) override {
    return D3DRESULT::D3D_OK;
  }
  D3DRESULT BeginScene() override { return D3DRESULT::D3D_OK; }
  D3DRESULT EndScene() override { return D3DRESULT::D3D_OK; }
  D3DRESULT SetTexture(std::uint32_t, TDirect3DTexture2* texture) override {
    DeviceCall call = textureCall(texture);
    if (texture != nullptr) call.colorKey = texture->ColorKey();
    calls.push_back(std::move(call));
    return D3DRESULT::D3D_OK;
  }
  D3DRESULT DrawPrimitive(D3DPRIMITIVETYPE type, std::uint32_t, std::span<const D3DLVERTEX> vertices,
                          std::uint32_t count, std::uint32_t) override {
    DeviceCall call = drawCall(type, count);
    call.vertices.assign(vertices.begin(), vertices.begin() + count);
    calls.push_back(std::move(call));
    return D3DRESULT::D3D_OK;
  }
  std::uint32_t RenderTargetWidth() const override { return 0; }
  std::uint32_t RenderTargetHeight() const override { return 0; }
  bool HasDepthBuffer() const override { return false; }
  D3DRESULT ReadRenderTarget(std::span<std::uint32_t>) override { return D3DRESULT::D3D_OK; }
  D3DRESULT Present() override { return D3DRESULT::D3D_OK; }
};

}  // namespace velorina::testing
