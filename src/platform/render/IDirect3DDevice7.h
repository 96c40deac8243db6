#pragma once
// The immediate-mode 3D device that the shell and the scene draw through, with the
// semantics of a Direct3D 7 device drawing pre-lit vertices:
//
// - Vertices go through v * World * View * Projection; the result is clipped to
//   -w <= x <= w, -w <= y <= w, 0 <= z <= w, divided by w and mapped by the
//   viewport (x from -1..1 to X..X+Width, y from 1..-1 to Y..Y+Height, z from 0..1
//   to MinZ..MaxZ). Any matrices are accepted.
// - Pixel centres lie at integer coordinates; triangles follow the top-left fill
//   convention; colours and texture coordinates are interpolated with perspective
//   correction.
// - Every state starts at the Direct3D 7 device default (see D3DTypes.h).
// - Drawing is allowed only between BeginScene and EndScene.
// - A call the device refuses changes nothing and answers why; no call throws for
//   bad arguments.
//
// Backends implement every method; the textures they are handed are the shared
// TDirect3DTexture2 objects, which stay owned by the caller. A device watches the
// textures it keeps anything of (see ITextureObserver): a texture destroyed while
// bound is unbound, and nothing kept for it survives it.

#include <cstdint>
#include <span>

#include "platform/render/D3DTypes.h"

namespace velorina {

class TDirect3DTexture2;

// Whether a device is made with a depth buffer.
enum class DepthBuffer { None, Attached };

class IDirect3DDevice7 {
 public:
  virtual ~IDirect3DDevice7() = default;

  virtual D3DRESULT SetViewport(const D3DVIEWPORT7& viewport) = 0;
  virtual D3DVIEWPORT7 GetViewport() const = 0;
  virtual D3DRESULT SetMaterial(const D3DMATERIAL7& material) = 0;
  virtual D3DMATERIAL7 GetMaterial() const = 0;
  virtual D3DRESULT SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX& matrix) = 0;
  virtual D3DMATRIX GetTransform(D3DTRANSFORMSTATETYPE which) const = 0;
  virtual D3DRESULT SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) = 0;
  virtual std::uint32_t GetRenderState(D3DRENDERSTATETYPE state) const = 0;
  // Only stage 0 exists; other stages are refused.
  virtual D3DRESULT SetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state,
                                         std::uint32_t value) = 0;
  virtual std::uint32_t GetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state) const = 0;

  // Clears the given rectangles (all of the viewport when rects is empty), clipped
  // to the viewport: the colour target to color, the depth buffer to z.
  virtual D3DRESULT Clear(std::span<const D3DRECT> rects, std::uint32_t flags, D3DCOLOR color, float z,
                          std::uint32_t stencil) = 0;
  virtual D3DRESULT BeginScene() = 0;
  virtual D3DRESULT EndScene() = 0;
  virtual D3DRESULT SetTexture(std::uint32_t stage, TDirect3DTexture2* texture) = 0;
  // Draws `count` vertices as the given primitive type; the vertex format must be
  // D3DFVF_LVERTEX and the span must hold at least count vertices.
  virtual D3DRESULT DrawPrimitive(D3DPRIMITIVETYPE type, std::uint32_t vertexFormat,
                                  std::span<const D3DLVERTEX> vertices, std::uint32_t count,
                                  std::uint32_t flags) = 0;

  // Shows the finished picture on the surface the device was made for. Refused
  // (D3DERR_INVALIDCALL) inside a scene or when the device has no surface.
  virtual D3DRESULT Present() = 0;

  // The render target: its size and a copy of the finished picture as 0xFFRRGGBB
  // texels, row by row from the top (out must hold width * height entries). For
  // screenshots and tests: a device on the graphics card reads its picture back.
  virtual std::uint32_t RenderTargetWidth() const = 0;
  virtual std::uint32_t RenderTargetHeight() const = 0;
  virtual bool HasDepthBuffer() const = 0;
  virtual D3DRESULT ReadRenderTarget(std::span<std::uint32_t> out) = 0;
};

}  // namespace velorina
