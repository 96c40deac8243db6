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
// Threads: filled triangles are set up when they are drawn and sorted into
// 64 x 64-sample tiles with the render states of their draw; the tiles are drawn
// at the end of the scene (or before anything else needs the target: a clear,
// a line or point, reading the target, a change of antialiasing, a texture the
// pending triangles read going away or changing its picture) by as many threads
// as the machine has cores (at most 8). Each tile then takes all of its
// triangles of the scene at once, in drawing order, while it stays in the
// cache. A large draw is cut into one contiguous share of triangles per thread,
// and each share is transformed, clipped, set up and sorted into its own set of
// tiles by one thread; every triangle carries its place in drawing order, by
// which a tile merges the shares. So the picture is the same for any number of
// threads. Clears of whole tiles are carried out by the thread that first draws
// on the tile (see FrameBuffer).
//
// What the end of a scene draws goes to the picture only: the tiles' samples are
// not written back, and the scene's triangles are kept instead. A frame's
// clear of the whole target then finds nothing to write; anything else that
// needs the samples (more triangles, a partial clear, a line, a change of
// antialiasing, a texture the kept triangles read going away) has the kept
// tiles drawn again, this time with their samples written back.

#include <array>
#include <memory>
#include <cstdint>
#include <vector>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/IDirect3DDevice7.h"
#include "platform/render/IRenderSurface.h"
#include "platform/render/RenderStateBlock.h"
#include "platform/render/software/WorkerThreads.h"
#include "platform/render/software/Clipper.h"
#include "platform/render/software/FrameBuffer.h"
#include "platform/render/software/PixelPipeline.h"
#include "platform/render/software/Rasterizer.h"

namespace velorina {

class SoftwareDevice final : public IDirect3DDevice7, private ITextureObserver {
 public:
  // Throws ERenderError for a zero or oversized target. threads: how many
  // threads draw (0: one per core, at most 8). Without a surface the device draws
  // for ReadRenderTarget only and refuses Present.
  SoftwareDevice(std::uint32_t width, std::uint32_t height, DepthBuffer depth, unsigned threads = 0);
  // Presents into `surface`, which must outlive the device.
  SoftwareDevice(IRenderSurface& surface, std::uint32_t width, std::uint32_t height, DepthBuffer depth,
                 unsigned threads = 0);
  ~SoftwareDevice() override;
  SoftwareDevice(const SoftwareDevice&) = delete;
  SoftwareDevice& operator=(const SoftwareDevice&) = delete;

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
  D3DRESULT Present() override;

  static constexpr std::uint32_t kMaxSide = 8192;

 private:
  void textureGone(const TDirect3DTexture2& texture) override;
  void pictureChanging(const TDirect3DTexture2& texture) override;
  void applyAntialias();
  struct Drawing;
  // Whether the target's samples must be current afterwards, or only its picture.
  enum class Samples { Current, PictureOnly };
  // Draws the pending triangles into the target; with Current, the samples of a
  // scene drawn for the picture only are drawn again and written back first.
  void flush(Samples samples = Samples::Current);
  // Draws a drawing's triangles tile by tile on all threads; with write-back the
  // tiles' samples go to the target, else only their pixels to the picture.
  void rasterize(Drawing& drawing, bool writeBack);
  // Empties a drawing, keeping its storage; stops watching the textures that
  // nothing else reads any more.
  void release(Drawing& drawing);
  // Whether pending or kept triangles read `texture`.
  bool pendingReads(const TDirect3DTexture2& texture) const;
  // Whether `rects` (empty: the viewport) covers every sample with these flags.
  bool clearsEverything(std::span<const D3DRECT> rects, std::uint32_t flags) const;
  void updateTransform();
  void preparePipeline(software::PixelPipeline& pipe) const;
  void clearRect(const software::SampleRect& r, std::uint32_t flags, std::uint32_t argb, float depth);
  software::ScreenVertex project(const software::ClipVertex& v) const;
  struct TriangleBins;
  void transformVertices(std::span<const D3DLVERTEX> vertices, std::size_t first, std::size_t end, std::size_t to);
  void drawTriangles(D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> vertices, std::uint32_t count,
                     const software::PixelPipeline& pipe);
  void setUpShares(D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> vertices, std::uint32_t triangles,
                   const software::PixelPipeline& pipe);
  void drawTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2, std::uint32_t order,
                    const software::PixelPipeline& pipe, TriangleBins& bins);
  int clipTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2, software::ClipPolygon& poly) const;
  void fillTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2, std::uint32_t order,
                    const software::PixelPipeline& pipe, TriangleBins& bins) const;
  void drawFilledPolygon(software::ClipPolygon& poly, int count, std::uint32_t order, const software::PixelPipeline& pipe,
                         TriangleBins& bins) const;
  void binTriangle(const std::array<software::ScreenVertex, 3>& v, TextureFilter filter, std::uint32_t order,
                   TriangleBins& bins) const;
  struct Batch;
  void addBatch();
  void prepareBins(std::size_t shares);
  // The target at one sample per pixel, brought up to date on all threads when it is large.
  std::span<const std::uint32_t> resolvedPicture();

  // One tile's samples, copied out of the target while a thread draws on it.
  struct TileSamples {
    alignas(64) std::array<std::uint32_t, software::FrameBuffer::kTileSide * software::FrameBuffer::kTileSide> color;
    alignas(64) std::array<float, software::FrameBuffer::kTileSide * software::FrameBuffer::kTileSide> depth;
  };
  void drawTile(const Drawing& drawing, software::Rasterizer& r, TileSamples& samples, std::uint32_t tile,
                bool writeBack);
  void drawLine(std::uint32_t i0, std::uint32_t i1, const software::PixelPipeline& pipe);
  void drawPoint(std::uint32_t i, const software::PixelPipeline& pipe);
  software::SampleRect viewportSamples() const;

  software::FrameBuffer target_;
  software::Rasterizer rasterizer_;  // lines and points, on the calling thread
  // Filled triangles are set up and sorted into tiles, then drawn tile by tile on all threads.
  struct ScreenTriangle {
    software::ScreenVertex v[3];
    TextureFilter filter;
    std::uint32_t order;  // place in drawing order among the pending triangles
    std::uint32_t batch;  // index into batches_
  };
  // What a draw's triangles are drawn with.
  struct Batch {
    software::PixelPipeline pipes[2];  // point and bilinear filtering
    software::Interpolation interp = software::Interpolation::Perspective;
    software::Shading shading = software::Shading::Gouraud;
    software::SampleRect scissor;  // the draw's viewport
  };
  // One share of the pending triangles with the 64 x 64-sample tiles they may
  // touch. The pairs are kept in one flat list in drawing order and sorted by tile
  // (stably, by counting) only when the tiles are drawn, so that the storage
  // reaches the size of the largest scene and stops growing, however the
  // triangles spread over the tiles. Aligned to cache lines: each share's thread
  // keeps growing its own lists, and neighbouring shares must not share a line.
  struct BinEntry {
    std::uint32_t tile, triangle;
  };
  struct alignas(64) TriangleBins {
    std::vector<ScreenTriangle> triangles;
    std::vector<BinEntry> entries;       // in drawing order
    std::vector<std::uint32_t> start;    // per tile, its first entry in `sorted` (one more at the end)
    std::vector<std::uint32_t> sorted;   // triangle indices, tile by tile, in drawing order
    software::SampleRect viewport;
  };
  software::PixelPipeline pipes_[2];  // the draw's pipeline with point and bilinear filtering
  std::unique_ptr<software::WorkerThreads> workers_;
  std::vector<software::Rasterizer> threadRasterizers_;
  std::vector<TileSamples> tileSamples_;  // one per thread
  static constexpr int kTileShift = software::FrameBuffer::kTileShift;  // the target's tiles
  // Triangles sorted into tiles with what they are drawn with.
  struct Drawing {
    std::vector<TriangleBins> shares;  // one per thread; a small draw uses the first only
    std::size_t shareCount = 0;        // the shares that hold triangles
    std::vector<Batch> batches;
    // The textures the triangles read, each watched while they are kept.
    std::vector<TDirect3DTexture2*> textures;
    std::vector<std::uint32_t> tileOrder;  // the tiles any share touched, each once
    bool empty() const { return shareCount == 0; }
  };
  Drawing pending_;  // set up, not drawn yet
  // Drawn for the picture only: the tiles' samples are those from before it.
  Drawing kept_;
  std::uint32_t nextOrder_ = 0;     // the drawing order of the next triangle
  std::uint32_t currentBatch_ = 0;  // the batch of the draw being set up
  void sortBins(Drawing& drawing);
  std::int32_t tilesX_ = 0, tilesY_ = 0;
  software::Clipper clipper_;
  D3DVIEWPORT7 viewport_;
  D3DMATERIAL7 material_;
  D3DMATRIX world_ = D3DMATRIX::identity();
  D3DMATRIX view_ = D3DMATRIX::identity();
  D3DMATRIX projection_ = D3DMATRIX::identity();
  D3DMATRIX combined_ = D3DMATRIX::identity();
  bool combinedDirty_ = false;
  RenderStateBlock states_;
  TDirect3DTexture2* texture_ = nullptr;
  IRenderSurface* surface_ = nullptr;
  bool inScene_ = false;
  // Per-draw vertex storage, kept between calls so drawing does not allocate once
  // it has grown to the largest draw.
  std::vector<software::ClipVertex> clipVertices_;
  std::vector<std::uint32_t> outcodes_;
  std::vector<std::uint32_t> resolved_;
};

}  // namespace velorina
