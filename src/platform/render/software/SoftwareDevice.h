#pragma once
// The device drawn entirely by the CPU: the fixed-function pipeline of a Direct3D 7
// device for pre-lit vertices (see IDirect3DDevice7.h for the contract).
//
// Render target: 32-bit colour (0xFFRRGGBB) at any size, with an optional float
// depth buffer. The original display ran at 16 bits per pixel; today's displays
// are 32-bit and a 32-bit target avoids banding, so colours are kept at 8 bits per
// channel. The target has no alpha channel: destination alpha reads as opaque.
//
// Antialiasing: D3DANTIALIAS_SORTINDEPENDENT renders at 2 x 2 samples per pixel
// (4x supersampling) and averages them when the picture is read;
// D3DANTIALIAS_SORTDEPENDENT is treated the same way. Switching the state keeps
// the picture drawn so far.
//
// Texture filtering: without mipmaps, a triangle uses the minification filter
// when its texture is drawn with more than one texel per sample on average and
// the magnification filter otherwise. Anisotropic and cubic filters sample
// bilinearly.
//
// A stage argument that reads the texture while no texture is bound reads opaque
// white, so untextured geometry shows its vertex colours.
//
// Geometry is always clipped, whatever D3DRENDERSTATE_CLIPPING says (skipping it
// would only be a promise by the caller that nothing crosses the edges); fog and
// dithering are not drawn. The material and the lighting states are kept for
// the callers but do not change pre-lit vertices.
//
// Threads: filled triangles are sorted into 64 x 64-sample tiles and the tiles
// are drawn by as many threads as the machine has cores (at most 8). Each tile
// takes its triangles in drawing order, so the picture is the same for any
// number of threads. Large clears are shared out among the threads too.

#include <array>
#include <memory>
#include <cstdint>
#include <vector>

#include "platform/render/IDirect3DDevice7.h"
#include "platform/render/software/WorkerThreads.h"
#include "platform/render/software/Clipper.h"
#include "platform/render/software/FrameBuffer.h"
#include "platform/render/software/PixelPipeline.h"
#include "platform/render/software/Rasterizer.h"

namespace velorina {

enum class DepthBuffer { None, Attached };

class SoftwareDevice final : public IDirect3DDevice7 {
 public:
  // Throws ERenderError for a zero or oversized target. threads: how many
  // threads draw (0: one per core, at most 8).
  SoftwareDevice(std::uint32_t width, std::uint32_t height, DepthBuffer depth, unsigned threads = 0);

  D3DRESULT SetViewport(const D3DVIEWPORT7& viewport) override;
  D3DVIEWPORT7 GetViewport() const override { return viewport_; }
  D3DRESULT SetMaterial(const D3DMATERIAL7& material) override;
  D3DMATERIAL7 GetMaterial() const override { return material_; }
  D3DRESULT SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX& matrix) override;
  D3DMATRIX GetTransform(D3DTRANSFORMSTATETYPE which) const override;
  D3DRESULT SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) override;
  std::uint32_t GetRenderState(D3DRENDERSTATETYPE state) const override;
  D3DRESULT SetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state, std::uint32_t value) override;
  std::uint32_t GetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state) const override;
  D3DRESULT Clear(std::span<const D3DRECT> rects, std::uint32_t flags, D3DCOLOR color, float z,
                  std::uint32_t stencil) override;
  D3DRESULT BeginScene() override;
  D3DRESULT EndScene() override;
  D3DRESULT SetTexture(std::uint32_t stage, TDirect3DTexture2* texture) override;
  D3DRESULT DrawPrimitive(D3DPRIMITIVETYPE type, std::uint32_t vertexFormat, std::span<const D3DLVERTEX> vertices,
                          std::uint32_t count, std::uint32_t flags) override;
  std::uint32_t RenderTargetWidth() const override { return target_.width(); }
  std::uint32_t RenderTargetHeight() const override { return target_.height(); }
  bool HasDepthBuffer() const override { return target_.hasDepth(); }
  D3DRESULT ReadRenderTarget(std::span<std::uint32_t> out) override;

  static constexpr std::uint32_t kMaxSide = 8192;

 private:
  static constexpr std::size_t kRenderStateCount = 256;
  static constexpr std::size_t kStageStateCount = 32;

  void resetStates();
  void applyAntialias();
  void updateTransform();
  void preparePipeline(software::PixelPipeline& pipe) const;
  void clearRect(const software::SampleRect& r, std::uint32_t flags, std::uint32_t argb, float depth);
  software::ScreenVertex project(const software::ClipVertex& v) const;
  void transformVertices(std::span<const D3DLVERTEX> vertices);
  void drawTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2, const software::PixelPipeline& pipe);
  void drawFilledPolygon(software::ClipPolygon& poly, int count, const software::PixelPipeline& pipe);
  void rasterizeTriangles();
  void binTriangles();
  void drawLine(std::uint32_t i0, std::uint32_t i1, const software::PixelPipeline& pipe);
  void drawPoint(std::uint32_t i, const software::PixelPipeline& pipe);
  software::SampleRect viewportSamples() const;

  software::FrameBuffer target_;
  software::Rasterizer rasterizer_;  // lines and points, on the calling thread
  // Filled triangles are set up on the calling thread, then drawn tile by tile on all threads.
  struct ScreenTriangle {
    software::ScreenVertex v[3];
    software::TextureFilter filter;
  };
  std::vector<ScreenTriangle> triangles_;
  software::PixelPipeline pipes_[2];  // the draw's pipeline with point and bilinear filtering
  std::unique_ptr<software::WorkerThreads> workers_;
  std::vector<software::Rasterizer> threadRasterizers_;
  // Triangles binned by the 64 x 64-sample tiles they may touch; a tile is drawn
  // by one thread, its triangles in order, while it stays in the cache.
  static constexpr int kTileShift = 6;
  std::vector<std::vector<std::uint32_t>> bins_;
  std::vector<std::uint32_t> touched_;  // tiles whose bin is not empty, in the order first touched
  std::int32_t tilesX_ = 0, tilesY_ = 0;
  software::Clipper clipper_;
  D3DVIEWPORT7 viewport_;
  D3DMATERIAL7 material_;
  D3DMATRIX world_ = D3DMATRIX::identity();
  D3DMATRIX view_ = D3DMATRIX::identity();
  D3DMATRIX projection_ = D3DMATRIX::identity();
  D3DMATRIX combined_ = D3DMATRIX::identity();
  bool combinedDirty_ = false;
  std::array<std::uint32_t, kRenderStateCount> renderStates_{};
  std::array<std::uint32_t, kStageStateCount> stageStates_{};
  TDirect3DTexture2* texture_ = nullptr;
  bool inScene_ = false;
  // Per-draw vertex storage, kept between calls so drawing does not allocate once
  // it has grown to the largest draw.
  std::vector<software::ClipVertex> clipVertices_;
  std::vector<std::uint32_t> outcodes_;
  std::vector<std::uint32_t> resolved_;
};

}  // namespace velorina
