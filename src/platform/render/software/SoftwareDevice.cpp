#include "platform/render/software/SoftwareDevice.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <thread>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/RenderError.h"

namespace velorina {

using namespace software;

namespace {

using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;

constexpr std::uint32_t kNonFinite = 1u << 31;  // outcode bit: the vertex cannot be drawn
constexpr std::uint32_t kSupersample = 2;       // samples per pixel side when antialiasing
constexpr std::uint32_t kMaxSupersampledSide = 4096;


float channelOf(D3DCOLOR c, int shift) { return float((c >> shift) & 0xFF); }

std::uint32_t triangleCount(D3DPRIMITIVETYPE type, std::uint32_t vertices) {
  if (type == D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST) return vertices / 3;
  return vertices >= 3 ? vertices - 2 : 0;
}

// The vertices of triangle k of a list, strip or fan. Odd triangles of a strip
// swap their first two vertices to keep the strip's winding.
std::array<std::uint32_t, 3> triangleVertices(D3DPRIMITIVETYPE type, std::uint32_t k) {
  switch (type) {
    case D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP:
      return k % 2 == 0 ? std::array{k, k + 1, k + 2} : std::array{k + 1, k, k + 2};
    case D3DPRIMITIVETYPE::D3DPT_TRIANGLEFAN: return {0, k + 1, k + 2};
    default: return {3 * k, 3 * k + 1, 3 * k + 2};
  }
}

// The three edges of a triangle on screen, to tell the tiles that its bounding
// box overlaps but the triangle itself keeps clear of. Each edge function is
// positive inside; a square lies wholly outside an edge when the function is
// negative at the square's corner furthest inside. The square is widened by two
// samples and the test made in double precision, so that rounding never drops a
// tile the rasterizer would draw on.
class TileEdges {
 public:
  explicit TileEdges(const std::array<ScreenVertex, 3>& v) {
    const double area = (double(v[1].x) - v[0].x) * (double(v[2].y) - v[0].y) -
                        (double(v[2].x) - v[0].x) * (double(v[1].y) - v[0].y);
    usable_ = std::isfinite(area) && area != 0.0;
    const double sign = area > 0 ? 1.0 : -1.0;
    for (int i = 0; i < 3; ++i) {
      const ScreenVertex& a = v[i];
      const ScreenVertex& b = v[(i + 1) % 3];
      // e(x, y) = (x - ax) * (by - ay) - (y - ay) * (bx - ax), positive inside for a
      // clockwise triangle on screen (y downwards); the sign makes it so for either order.
      a_[i] = -sign * (double(b.y) - a.y);
      b_[i] = sign * (double(b.x) - a.x);
      c_[i] = -(a_[i] * a.x + b_[i] * a.y);
    }
  }

  bool miss(std::int32_t x, std::int32_t y, std::int32_t side) const {
    if (!usable_) return false;
    constexpr double kMargin = 2.0;
    for (int i = 0; i < 3; ++i) {
      const double cx = a_[i] > 0 ? x + side + kMargin : x - kMargin;
      const double cy = b_[i] > 0 ? y + side + kMargin : y - kMargin;
      if (a_[i] * cx + b_[i] * cy + c_[i] < 0) return true;
    }
    return false;
  }

 private:
  double a_[3] = {}, b_[3] = {}, c_[3] = {};
  bool usable_ = false;
};

}  // namespace

SoftwareDevice::SoftwareDevice(std::uint32_t width, std::uint32_t height, DepthBuffer depth, unsigned threads)
    : target_((width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
                  ? throw ERenderError("Cannot create render target",
                                       ("size " + std::to_string(width) + " x " +
                                                  std::to_string(height) + " is outside 1 .. " +
                                                  std::to_string(kMaxSide)))
                  : width,
              height, depth == DepthBuffer::Attached),
      states_(depth == DepthBuffer::Attached) {
  viewport_ = {0, 0, width, height, 0.0f, 1.0f};
  if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  workers_ = std::make_unique<WorkerThreads>(threads);
  threadRasterizers_.resize(threads);
  tileSamples_.resize(threads);
}

SoftwareDevice::SoftwareDevice(IRenderSurface& surface, std::uint32_t width, std::uint32_t height, DepthBuffer depth,
                               unsigned threads)
    : SoftwareDevice(width, height, depth, threads) {
  surface_ = &surface;
}

SoftwareDevice::~SoftwareDevice() {
  if (texture_ != nullptr) texture_->unwatch(this);
  for (TDirect3DTexture2* t : pending_.textures) t->unwatch(this);
  for (TDirect3DTexture2* t : kept_.textures) t->unwatch(this);
}

namespace {

bool reads(const std::vector<TDirect3DTexture2*>& textures, const TDirect3DTexture2& texture) {
  return std::find(textures.begin(), textures.end(), &texture) != textures.end();
}

}  // namespace

bool SoftwareDevice::pendingReads(const TDirect3DTexture2& texture) const {
  return reads(pending_.textures, texture) || reads(kept_.textures, texture);
}

// A texture that pending triangles read is drawn from while its texels are still
// there (its destructor tells before they go).
void SoftwareDevice::textureGone(const TDirect3DTexture2& texture) {
  if (pendingReads(texture)) flush();
  if (texture_ == &texture) texture_ = nullptr;
}

void SoftwareDevice::pictureChanging(const TDirect3DTexture2& texture) {
  if (pendingReads(texture)) flush();
}

D3DRESULT SoftwareDevice::SetViewport(const D3DVIEWPORT7& vp) {
  if (!viewportFits(vp, target_.width(), target_.height())) return D3DRESULT::D3DERR_INVALIDCALL;
  viewport_ = vp;
  return D3DRESULT::D3D_OK;
}

D3DRESULT SoftwareDevice::SetMaterial(const D3DMATERIAL7& material) {
  material_ = material;
  return D3DRESULT::D3D_OK;
}

D3DRESULT SoftwareDevice::SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX& m) {
  switch (which) {
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_WORLD: world_ = m; break;
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW: view_ = m; break;
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION: projection_ = m; break;
    default: return D3DRESULT::D3DERR_INVALIDCALL;
  }
  combinedDirty_ = true;
  return D3DRESULT::D3D_OK;
}

D3DMATRIX SoftwareDevice::GetTransform(D3DTRANSFORMSTATETYPE which) const {
  switch (which) {
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_WORLD: return world_;
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW: return view_;
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION: return projection_;
  }
  return D3DMATRIX::identity();
}

D3DRESULT SoftwareDevice::SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) {
  const D3DRESULT result = states_.setRenderState(state, value);
  if (state == D3DRENDERSTATE_ANTIALIAS) {
    flush();
    applyAntialias();
  }
  return result;
}

std::uint32_t SoftwareDevice::GetRenderState(D3DRENDERSTATETYPE state) const { return states_.renderState(state); }

D3DRESULT SoftwareDevice::SetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state,
                                               std::uint32_t value) {
  return states_.setStageState(stage, state, value);
}

std::uint32_t SoftwareDevice::GetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state) const {
  return states_.stageState(stage, state);
}

void SoftwareDevice::applyAntialias() {
  const bool on = states_.states().antialias != D3DANTIALIASMODE::D3DANTIALIAS_NONE;
  const bool fits = target_.width() <= kMaxSupersampledSide && target_.height() <= kMaxSupersampledSide;
  target_.setScale(on && fits ? kSupersample : 1);
}

SampleRect SoftwareDevice::viewportSamples() const {
  const auto s = std::int32_t(target_.scale());
  return {std::int32_t(viewport_.dwX) * s, std::int32_t(viewport_.dwY) * s,
          std::int32_t(viewport_.dwX + viewport_.dwWidth) * s, std::int32_t(viewport_.dwY + viewport_.dwHeight) * s};
}

D3DRESULT SoftwareDevice::Clear(std::span<const D3DRECT> rects, std::uint32_t flags, D3DCOLOR color, float z,
                                std::uint32_t /*stencil*/) {
  if ((flags & D3DCLEAR_ZBUFFER) && !target_.hasDepth()) return D3DRESULT::D3DERR_INVALIDCALL;
  if (clearsEverything(rects, flags)) {
    // Nothing drawn so far can show or be read any more.
    release(pending_);
    release(kept_);
    nextOrder_ = 0;
  } else {
    flush();
  }
  const SampleRect vp = viewportSamples();
  const auto s = std::int32_t(target_.scale());
  const D3DRECT whole{vp.x0 / s, vp.y0 / s, vp.x1 / s, vp.y1 / s};
  const std::span<const D3DRECT> list = rects.empty() ? std::span<const D3DRECT>(&whole, 1) : rects;
  const float depth = std::clamp(std::isnan(z) ? 1.0f : z, 0.0f, 1.0f);
  for (const D3DRECT& r : list) {
    // Clamp in pixels first so that the scaling below cannot overflow.
    const SampleRect pix{std::clamp(r.x1, vp.x0 / s, vp.x1 / s), std::clamp(r.y1, vp.y0 / s, vp.y1 / s),
                         std::clamp(r.x2, vp.x0 / s, vp.x1 / s), std::clamp(r.y2, vp.y0 / s, vp.y1 / s)};
    if (pix.x0 >= pix.x1 || pix.y0 >= pix.y1) continue;
    clearRect({pix.x0 * s, pix.y0 * s, pix.x1 * s, pix.y1 * s}, flags, color | 0xFF000000u, depth);
  }
  return D3DRESULT::D3D_OK;
}

bool SoftwareDevice::clearsEverything(std::span<const D3DRECT> rects, std::uint32_t flags) const {
  if (!(flags & D3DCLEAR_TARGET) || (target_.hasDepth() && !(flags & D3DCLEAR_ZBUFFER))) return false;
  const auto s = std::int32_t(target_.scale());
  const SampleRect vp = viewportSamples();
  const auto width = std::int32_t(target_.width()), height = std::int32_t(target_.height());
  if (vp.x0 != 0 || vp.y0 != 0 || vp.x1 != width * s || vp.y1 != height * s) return false;
  if (rects.empty()) return true;
  // One rectangle over the whole target; anything else is judged as partial.
  return std::any_of(rects.begin(), rects.end(), [&](const D3DRECT& r) {
    return r.x1 <= 0 && r.y1 <= 0 && r.x2 >= width && r.y2 >= height;
  });
}

void SoftwareDevice::clearRect(const SampleRect& r, std::uint32_t flags, std::uint32_t argb, float depth) {
  target_.clear(r, (flags & D3DCLEAR_TARGET) != 0, (flags & D3DCLEAR_ZBUFFER) != 0, argb, depth);
}

std::span<const std::uint32_t> SoftwareDevice::resolvedPicture() {
  // Tiles drawn since the last clear are resolved as they are drawn; the rest
  // (cleared tiles, anything drawn directly) are averaged here, shared out in
  // bands of tile rows among the threads when the target is large.
  const std::uint32_t rows = target_.tileRows();
  // Waking the other threads costs about as much as averaging a few tiles.
  constexpr std::size_t kSerialTiles = 16;
  if (workers_->count() == 1 || target_.staleTiles() <= kSerialTiles) {
    target_.updatePicture(0, rows);
  } else {
    const auto count = std::uint64_t(workers_->count());
    auto job = [&](unsigned index) {
      target_.updatePicture(std::uint32_t(rows * index / count), std::uint32_t(rows * (index + 1) / count));
    };
    workers_->run(job);
  }
  return target_.picture();
}

D3DRESULT SoftwareDevice::BeginScene() {
  if (inScene_) return D3DRESULT::D3DERR_SCENE_IN_SCENE;
  inScene_ = true;
  return D3DRESULT::D3D_OK;
}

D3DRESULT SoftwareDevice::EndScene() {
  if (!inScene_) return D3DRESULT::D3DERR_SCENE_NOT_IN_SCENE;
  inScene_ = false;
  flush(Samples::PictureOnly);
  return D3DRESULT::D3D_OK;
}

D3DRESULT SoftwareDevice::SetTexture(std::uint32_t stage, TDirect3DTexture2* texture) {
  if (stage != 0) return D3DRESULT::D3DERR_INVALIDCALL;
  if (texture == texture_) return D3DRESULT::D3D_OK;
  if (texture_ != nullptr && !pendingReads(*texture_)) texture_->unwatch(this);
  texture_ = texture;
  if (texture_ != nullptr) texture_->watch(this);
  return D3DRESULT::D3D_OK;
}

D3DRESULT SoftwareDevice::ReadRenderTarget(std::span<std::uint32_t> out) {
  if (out.size() < std::size_t(target_.width()) * target_.height()) return D3DRESULT::D3DERR_INVALIDCALL;
  flush(Samples::PictureOnly);
  const std::span<const std::uint32_t> picture = resolvedPicture();
  std::copy(picture.begin(), picture.end(), out.begin());
  return D3DRESULT::D3D_OK;
}

D3DRESULT SoftwareDevice::Present() {
  if (surface_ == nullptr || inScene_) return D3DRESULT::D3DERR_INVALIDCALL;
  flush(Samples::PictureOnly);
  surface_->present(resolvedPicture());
  return D3DRESULT::D3D_OK;
}

void SoftwareDevice::updateTransform() {
  if (!combinedDirty_) return;
  combined_ = multiply(multiply(world_, view_), projection_);
  combinedDirty_ = false;
}

void SoftwareDevice::preparePipeline(PixelPipeline& p) const {
  const RenderStates& rs = states_.states();
  p.color = {rs.color.arg1, rs.color.arg2, rs.color.op};
  p.alpha = {rs.alpha.arg1, rs.alpha.arg2, rs.alpha.op};
  p.useTexture = texture_ != nullptr && rs.readsTexture();
  p.texture = {};
  if (texture_ != nullptr) {
    p.texture.texels = texture_->texels().data();
    p.texture.width = std::int32_t(texture_->width());
    p.texture.height = std::int32_t(texture_->height());
    const auto key = texture_->effectiveColorKey();
    p.texture.hasKey = rs.colorKey && key.has_value();
    p.texture.keyRgb = key.value_or(0);
    p.texture.addressU = rs.addressU;
    p.texture.addressV = rs.addressV;
  }
  p.filter = rs.magFilter;
  p.textureFactor = rs.textureFactor;
  p.specular = rs.specular;
  p.alphaTest = rs.alphaTest;
  p.alphaFunc = rs.alphaFunc;
  p.alphaRef = rs.alphaRef;
  p.depthTest = rs.depthEnable && target_.hasDepth();
  p.depthWrite = rs.depthWrite;
  p.depthFunc = rs.depthFunc;
  p.blend = rs.blend;
  p.srcBlend = rs.srcBlend;
  p.destBlend = rs.destBlend;
}

// Vertices first .. end go to clipVertices_ and outcodes_ from `to` on.
void SoftwareDevice::transformVertices(std::span<const D3DLVERTEX> vertices, std::size_t first, std::size_t end,
                                       std::size_t to) {
  const D3DMATRIX& m = combined_;
  for (std::size_t i = first; i < end; ++i) {
    const D3DLVERTEX& v = vertices[i];
    ClipVertex& c = clipVertices_[to + i - first];
    c.x = v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41;
    c.y = v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42;
    c.z = v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43;
    c.w = v.x * m._14 + v.y * m._24 + v.z * m._34 + m._44;
    c.attr[0] = channelOf(v.color, 16);
    c.attr[1] = channelOf(v.color, 8);
    c.attr[2] = channelOf(v.color, 0);
    c.attr[3] = channelOf(v.color, 24);
    c.attr[4] = channelOf(v.specular, 16);
    c.attr[5] = channelOf(v.specular, 8);
    c.attr[6] = channelOf(v.specular, 0);
    c.attr[7] = v.tu;
    c.attr[8] = v.tv;
    const bool finite = std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z) && std::isfinite(c.w) &&
                        std::isfinite(v.tu) && std::isfinite(v.tv);
    outcodes_[to + i - first] = finite ? clipper_.outcode(c) : kNonFinite;
  }
}

ScreenVertex SoftwareDevice::project(const ClipVertex& v) const {
  const float s = float(target_.scale());
  const float rhw = 1.0f / v.w;
  const float nx = v.x * rhw, ny = v.y * rhw, nz = v.z * rhw;
  ScreenVertex o;
  // Pixel centres lie at integers; with s x s samples per pixel the samples sit
  // symmetrically about the pixel centre.
  o.x = s * (float(viewport_.dwX) + (nx + 1.0f) * 0.5f * float(viewport_.dwWidth)) + (s - 1.0f) * 0.5f;
  o.y = s * (float(viewport_.dwY) + (1.0f - ny) * 0.5f * float(viewport_.dwHeight)) + (s - 1.0f) * 0.5f;
  o.z = viewport_.dvMinZ + nz * (viewport_.dvMaxZ - viewport_.dvMinZ);
  o.rhw = rhw;
  std::copy(std::begin(v.attr), std::end(v.attr), o.attr);
  return o;
}

void SoftwareDevice::drawFilledPolygon(ClipPolygon& poly, int count, std::uint32_t order, const PixelPipeline& pipe,
                                       TriangleBins& bins) const {
  std::array<ScreenVertex, kMaxClipVertices + 3> sv;
  for (int i = 0; i < count; ++i) sv[i] = project(poly[i]);
  // Minification or magnification, judged over the whole polygon.
  TextureFilter filter = pipe.filter;
  if (pipe.useTexture) {
    float screen = 0, texels = 0;
    for (int i = 1; i + 1 < count; ++i) {
      screen += (sv[i].x - sv[0].x) * (sv[i + 1].y - sv[0].y) - (sv[i + 1].x - sv[0].x) * (sv[i].y - sv[0].y);
      texels += (sv[i].attr[7] - sv[0].attr[7]) * (sv[i + 1].attr[8] - sv[0].attr[8]) -
                (sv[i + 1].attr[7] - sv[0].attr[7]) * (sv[i].attr[8] - sv[0].attr[8]);
    }
    texels *= float(pipe.texture.width) * float(pipe.texture.height);
    if (std::fabs(texels) > std::fabs(screen)) filter = states_.states().minFilter;
  }
  for (int i = 1; i + 1 < count; ++i) binTriangle({sv[0], sv[i], sv[i + 1]}, filter, order, bins);
}

void SoftwareDevice::binTriangle(const std::array<ScreenVertex, 3>& v, TextureFilter filter, std::uint32_t order,
                                 TriangleBins& bins) const {
  const SampleRect& vp = bins.viewport;
  // Positions lie within the guard band, so these conversions cannot overflow.
  const float minX = std::min({v[0].x, v[1].x, v[2].x}), maxX = std::max({v[0].x, v[1].x, v[2].x});
  const float minY = std::min({v[0].y, v[1].y, v[2].y}), maxY = std::max({v[0].y, v[1].y, v[2].y});
  const std::int32_t x0 = std::max(vp.x0, std::int32_t(std::floor(minX)) - 1);
  const std::int32_t x1 = std::min(vp.x1 - 1, std::int32_t(std::ceil(maxX)) + 1);
  const std::int32_t y0 = std::max(vp.y0, std::int32_t(std::floor(minY)) - 1);
  const std::int32_t y1 = std::min(vp.y1 - 1, std::int32_t(std::ceil(maxY)) + 1);
  if (x0 > x1 || y0 > y1) return;
  const auto index = std::uint32_t(bins.triangles.size());
  bins.triangles.push_back({{v[0], v[1], v[2]}, filter, order, currentBatch_});
  const TileEdges edges(v);
  for (std::int32_t ty = y0 >> kTileShift; ty <= y1 >> kTileShift; ++ty)
    for (std::int32_t tx = x0 >> kTileShift; tx <= x1 >> kTileShift; ++tx) {
      if (edges.miss(tx << kTileShift, ty << kTileShift, 1 << kTileShift)) continue;
      bins.entries.push_back({std::uint32_t(ty * tilesX_ + tx), index});
    }
}

// Sizes the first `shares` bin sets for the target's tile grid; the bins keep
// their storage from draw to draw.
void SoftwareDevice::prepareBins(std::size_t shares) {
  const auto tilesX = std::int32_t((target_.sampleWidth() + (1u << kTileShift) - 1) >> kTileShift);
  const auto tilesY = std::int32_t((target_.sampleHeight() + (1u << kTileShift) - 1) >> kTileShift);
  tilesX_ = tilesX;  // the grid changes only with the scale, which draws what is pending first
  tilesY_ = tilesY;
  const std::size_t tiles = std::size_t(tilesX) * std::size_t(tilesY);
  if (pending_.shares.size() < shares) pending_.shares.resize(shares);
  for (std::size_t s = 0; s < shares; ++s) {
    TriangleBins& b = pending_.shares[s];
    if (b.start.size() != tiles + 1) b.start.assign(tiles + 1, 0);
    // A small world's scene never grows them again.
    constexpr std::size_t kInitialTriangles = 1024;
    if (b.triangles.capacity() < kInitialTriangles) {
      b.triangles.reserve(kInitialTriangles);
      b.entries.reserve(4 * kInitialTriangles);
      b.sorted.reserve(4 * kInitialTriangles);
    }
    b.viewport = viewportSamples();
  }
}

// Sorts every share's entries by tile, stably (by counting), and lists the tiles
// any share touched.
void SoftwareDevice::sortBins(Drawing& d) {
  const std::size_t tiles = std::size_t(tilesX_) * std::size_t(tilesY_);
  const std::size_t shares = d.shareCount;
  for (std::size_t s = 0; s < shares; ++s) {
    TriangleBins& b = d.shares[s];
    std::fill(b.start.begin(), b.start.end(), 0);
    for (const BinEntry& e : b.entries) ++b.start[e.tile + 1];
    for (std::size_t t = 0; t < tiles; ++t) b.start[t + 1] += b.start[t];
    b.sorted.resize(b.entries.size());
    // start[t] serves as tile t's write position and ends as tile t+1's start.
    for (const BinEntry& e : b.entries) b.sorted[b.start[e.tile]++] = e.triangle;
    for (std::size_t t = tiles; t > 0; --t) b.start[t] = b.start[t - 1];
    b.start[0] = 0;
    b.entries.clear();
  }
  d.tileOrder.clear();
  for (std::size_t t = 0; t < tiles; ++t) {
    bool touched = false;
    for (std::size_t s = 0; s < shares && !touched; ++s) touched = d.shares[s].start[t + 1] > d.shares[s].start[t];
    if (touched) d.tileOrder.push_back(std::uint32_t(t));
  }
}

// Draws tile `tile`'s triangles, the shares' bins merged by drawing order.
void SoftwareDevice::drawTile(const Drawing& d, Rasterizer& r, TileSamples& samples, std::uint32_t tile,
                              bool writeBack) {
  const std::size_t shares = d.shareCount;
  const std::int32_t x0 = std::int32_t(tile % std::uint32_t(tilesX_)) << kTileShift;
  const std::int32_t y0 = std::int32_t(tile / std::uint32_t(tilesX_)) << kTileShift;
  const std::int32_t side = 1 << kTileShift;
  // The tile is drawn on in the thread's own copy, which stays in its cache from
  // tile to tile.
  target_.loadTile(tile, samples.color.data(), samples.depth.data());
  const SampleTarget view{samples.color.data(), target_.hasDepth() ? samples.depth.data() : nullptr,
                          FrameBuffer::kTileSide, x0, y0};
  std::array<std::uint32_t, 8> next{}, end{};  // per share, its next and end entry for the tile
  for (std::size_t s = 0; s < shares; ++s) {
    next[s] = d.shares[s].start[tile];
    end[s] = d.shares[s].start[tile + 1];
  }
  std::uint32_t batch = ~0u;
  for (;;) {
    std::size_t pick = shares;
    std::uint32_t first = ~0u;
    for (std::size_t s = 0; s < shares; ++s) {
      if (next[s] < end[s] && d.shares[s].triangles[d.shares[s].sorted[next[s]]].order < first) {
        first = d.shares[s].triangles[d.shares[s].sorted[next[s]]].order;
        pick = s;
      }
    }
    if (pick == shares) break;
    const TriangleBins& bins = d.shares[pick];
    // The triangles of a tile lie scattered through the list: fetch ahead.
    if (next[pick] + 4 < end[pick]) {
      const auto* ahead = reinterpret_cast<const char*>(&bins.triangles[bins.sorted[next[pick] + 4]]);
      for (std::size_t line = 0; line < sizeof(ScreenTriangle); line += 64) __builtin_prefetch(ahead + line);
    }
    const ScreenTriangle& t = bins.triangles[bins.sorted[next[pick]++]];
    const Batch& b = d.batches[t.batch];
    if (t.batch != batch) {
      batch = t.batch;
      r.setTarget(view, {std::max(b.scissor.x0, x0), std::max(b.scissor.y0, y0), std::min(b.scissor.x1, x0 + side),
                         std::min(b.scissor.y1, y0 + side)});
    }
    r.drawTriangle(t.v[0], t.v[1], t.v[2], b.pipes[t.filter == TextureFilter::Bilinear ? 1 : 0], b.interp, b.shading);
  }
  target_.storeTile(tile, samples.color.data(), samples.depth.data(), writeBack);
}

void SoftwareDevice::rasterize(Drawing& d, bool writeBack) {
  const auto tileCount = std::uint32_t(d.tileOrder.size());
  std::atomic<std::uint32_t> nextTile{0};
  auto job = [&](unsigned thread) {
    Rasterizer& r = threadRasterizers_[thread];
    for (std::uint32_t next = nextTile.fetch_add(1); next < tileCount; next = nextTile.fetch_add(1)) {
      drawTile(d, r, tileSamples_[thread], d.tileOrder[next], writeBack);
    }
  };
  // A few tiles cost less on this thread than waking the others for them.
  constexpr std::uint32_t kSerialTiles = 2;
  if (tileCount <= kSerialTiles) {
    job(0);
  } else {
    workers_->run(job);
  }
}

void SoftwareDevice::release(Drawing& d) {
  for (std::size_t s = 0; s < d.shareCount; ++s) {
    d.shares[s].triangles.clear();
    d.shares[s].entries.clear();
  }
  d.shareCount = 0;
  d.batches.clear();
  d.tileOrder.clear();
  // The list is taken out while it is gone through, so that pendingReads
  // answers for the other drawing only.
  std::vector<TDirect3DTexture2*> textures;
  textures.swap(d.textures);
  for (TDirect3DTexture2* t : textures)
    if (t != texture_ && !pendingReads(*t)) t->unwatch(this);
  textures.clear();
  textures.swap(d.textures);  // the storage stays for the next drawing
}

void SoftwareDevice::flush(Samples samples) {
  // The kept tiles are drawn again with their samples before anything else
  // reads or draws on them; the pending triangles may be among those.
  const bool writeBack = samples == Samples::Current || !target_.resolvesTiles();
  if (!kept_.empty() && (writeBack || !pending_.empty())) {
    rasterize(kept_, true);
    release(kept_);
  }
  if (!pending_.empty()) {
    sortBins(pending_);
    rasterize(pending_, writeBack);
    if (writeBack) {
      release(pending_);
    } else {
      std::swap(pending_, kept_);  // kept_ was empty: pending_ takes its storage
    }
  }
  nextOrder_ = 0;
}

// The states of the draw about to be set up, kept with its triangles.
void SoftwareDevice::addBatch() {
  const RenderStates& rs = states_.states();
  Batch& b = pending_.batches.emplace_back();
  b.pipes[0] = pipes_[0];
  b.pipes[1] = pipes_[1];
  b.interp = rs.perspective ? Interpolation::Perspective : Interpolation::Affine;
  b.shading = rs.shade == D3DSHADEMODE::D3DSHADE_FLAT ? Shading::Flat : Shading::Gouraud;
  b.scissor = viewportSamples();
  currentBatch_ = std::uint32_t(pending_.batches.size() - 1);
  if (pipes_[0].useTexture && texture_ != nullptr && !reads(pending_.textures, *texture_)) {
    texture_->watch(this);
    pending_.textures.push_back(texture_);
  }
}

// Clips, checks and culls one triangle; answers the vertex count of what is left
// to draw (0 for nothing).
int SoftwareDevice::clipTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2, ClipPolygon& poly) const {
  const std::uint32_t o0 = outcodes_[i0], o1 = outcodes_[i1], o2 = outcodes_[i2];
  if ((o0 | o1 | o2) & kNonFinite) return 0;
  if (o0 & o1 & o2) return 0;  // wholly outside one plane
  poly[0] = clipVertices_[i0];
  poly[1] = clipVertices_[i1];
  poly[2] = clipVertices_[i2];
  const int count = clipper_.clipPolygon(poly, 3, o0 | o1 | o2);
  for (int i = 0; i < count; ++i)
    if (!(poly[i].w > 0.0f)) return 0;  // touches the eye point: no finite projection

  // Culling is judged on screen, where y grows downwards: a positive area runs clockwise.
  float area = 0;
  for (int i = 0; i < count; ++i) {
    const ClipVertex& a = poly[i];
    const ClipVertex& b = poly[(i + 1) % count];
    area += (a.x / a.w) * (-b.y / b.w) - (b.x / b.w) * (-a.y / a.w);
  }
  const D3DCULL cull = states_.states().cull;
  if (cull == D3DCULL::D3DCULL_CW && area > 0) return 0;
  if (cull == D3DCULL::D3DCULL_CCW && area < 0) return 0;
  return count;
}

// Reads the draw's vertices and states only and writes nothing but `bins`, so
// that several threads may fill triangles of one draw at once.
void SoftwareDevice::fillTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2, std::uint32_t order,
                                  const PixelPipeline& pipe, TriangleBins& bins) const {
  ClipPolygon poly;
  const int count = clipTriangle(i0, i1, i2, poly);
  if (count == 0) return;
  // Flat shading takes the first vertex of the triangle, which clipping may have
  // removed from the polygon: give its colours to the polygon's first vertex.
  if (states_.states().shade == D3DSHADEMODE::D3DSHADE_FLAT) {
    std::copy(clipVertices_[i0].attr, clipVertices_[i0].attr + 7, poly[0].attr);
  }
  drawFilledPolygon(poly, count, order, pipe, bins);
}

void SoftwareDevice::drawTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2, std::uint32_t order,
                                  const PixelPipeline& pipe, TriangleBins& bins) {
  const D3DFILLMODE fill = states_.states().fill;
  if (fill == D3DFILLMODE::D3DFILL_SOLID) {
    fillTriangle(i0, i1, i2, order, pipe, bins);
    return;
  }
  ClipPolygon poly;
  if (clipTriangle(i0, i1, i2, poly) == 0) return;
  if (fill == D3DFILLMODE::D3DFILL_WIREFRAME) {
    drawLine(i0, i1, pipe);
    drawLine(i1, i2, pipe);
    drawLine(i2, i0, pipe);
  } else {
    drawPoint(i0, pipe);
    drawPoint(i1, pipe);
    drawPoint(i2, pipe);
  }
}

void SoftwareDevice::drawLine(std::uint32_t i0, std::uint32_t i1, const PixelPipeline& pipe) {
  if ((outcodes_[i0] | outcodes_[i1]) & kNonFinite) return;
  ClipVertex a = clipVertices_[i0], b = clipVertices_[i1];
  if (!clipper_.clipLine(a, b) || !(a.w > 0.0f) || !(b.w > 0.0f)) return;
  rasterizer_.drawLine(project(a), project(b), pipe, std::int32_t(target_.scale()));
}

void SoftwareDevice::drawPoint(std::uint32_t i, const PixelPipeline& pipe) {
  if (outcodes_[i] != 0 || !(clipVertices_[i].w > 0.0f)) return;
  rasterizer_.drawPoint(project(clipVertices_[i]), pipe, std::int32_t(target_.scale()));
}

// Transforms, sets up and bins the draw's triangles in one contiguous share per
// thread; the shares are claimed in turn, so a thread that starts late leaves its
// share to the others.
void SoftwareDevice::setUpShares(D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> vertices,
                                 std::uint32_t triangles, const PixelPipeline& pipe) {
  const unsigned shares = workers_->count();
  prepareBins(shares);
  // Strips and fans share vertices across the cuts and are transformed first.
  // A list's triangles own their vertices: each share transforms a small run of
  // them at a time into the start of its own part of the vertex storage and sets
  // the run up while it is still in the cache.
  const bool list = type == D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST;
  if (!list) transformVertices(vertices, 0, vertices.size(), 0);
  constexpr std::uint32_t kRun = 64;
  std::atomic<unsigned> nextShare{0};
  auto job = [&](unsigned /*thread*/) {
    for (unsigned s = nextShare.fetch_add(1); s < shares; s = nextShare.fetch_add(1)) {
      const auto first = std::uint32_t(std::uint64_t(triangles) * s / shares);
      const auto end = std::uint32_t(std::uint64_t(triangles) * (s + 1) / shares);
      if (!list) {
        for (std::uint32_t k = first; k < end; ++k) {
          const auto i = triangleVertices(type, k);
          fillTriangle(i[0], i[1], i[2], nextOrder_ + k, pipe, pending_.shares[s]);
        }
        continue;
      }
      const std::uint32_t base = 3 * first;
      for (std::uint32_t run = first; run < end; run += kRun) {
        const std::uint32_t runEnd = std::min(end, run + kRun);
        transformVertices(vertices, std::size_t(run) * 3, std::size_t(runEnd) * 3, base);
        for (std::uint32_t i = base; i < base + 3 * (runEnd - run); i += 3) {
          fillTriangle(i, i + 1, i + 2, nextOrder_ + run + (i - base) / 3, pipe, pending_.shares[s]);
        }
      }
    }
  };
  workers_->run(job);
  pending_.shareCount = std::max<std::size_t>(pending_.shareCount, shares);
}

void SoftwareDevice::drawTriangles(D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> vertices, std::uint32_t count,
                                   const PixelPipeline& pipe) {
  const std::uint32_t triangles = triangleCount(type, count);
  const bool filled = states_.states().filled();
  // Lines and points are drawn at once, after what is pending; the order numbers
  // of pending triangles must not wrap.
  if (!filled || nextOrder_ > (1u << 31)) flush();
  if (filled) addBatch();
  // Waking the other threads costs about as much as setting up a few hundred
  // triangles; the scene's many small draws stay on this thread.
  constexpr std::uint32_t kSharedTriangles = 1024;
  if (filled && triangles >= kSharedTriangles && workers_->count() > 1) {
    setUpShares(type, vertices, triangles, pipe);
    nextOrder_ += triangles;
    return;
  }
  transformVertices(vertices, 0, vertices.size(), 0);
  prepareBins(1);
  for (std::uint32_t k = 0; k < triangles; ++k) {
    const auto i = triangleVertices(type, k);
    drawTriangle(i[0], i[1], i[2], nextOrder_ + k, pipe, pending_.shares[0]);
  }
  pending_.shareCount = std::max<std::size_t>(pending_.shareCount, 1);
  nextOrder_ += triangles;
}

D3DRESULT SoftwareDevice::DrawPrimitive(D3DPRIMITIVETYPE type, std::uint32_t vertexFormat,
                                        std::span<const D3DLVERTEX> vertices, std::uint32_t count,
                                        std::uint32_t /*flags*/) {
  if (!inScene_) return D3DRESULT::D3DERR_SCENE_NOT_IN_SCENE;
  if (vertexFormat != D3DFVF_LVERTEX) return D3DRESULT::D3DERR_INVALIDVERTEXFORMAT;
  if (count > vertices.size()) return D3DRESULT::D3DERR_INVALIDCALL;
  using enum D3DPRIMITIVETYPE;
  if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN) return D3DRESULT::D3DERR_INVALIDCALL;

  PixelPipeline& pipe = pipes_[0];
  preparePipeline(pipe);
  pipes_[1] = pipe;
  pipes_[0].filter = TextureFilter::Point;
  pipes_[1].filter = TextureFilter::Bilinear;
  // The magnification filter, which lines and points use.
  const PixelPipeline& linePipe = pipes_[states_.states().magFilter == TextureFilter::Bilinear ? 1 : 0];
  const SampleRect vp = viewportSamples();
  rasterizer_.setTarget(&target_, vp);
  // A guard band keeps most triangles unclipped while holding screen positions
  // within +-16384 samples, which the fixed-point setup needs. It is set before
  // the vertices' outcodes are taken, so that they describe this draw's band.
  const float span = float(std::max(vp.x1 - vp.x0, vp.y1 - vp.y0));
  clipper_.setGuardBand(std::clamp(16384.0f / span - 1.0f, 1.0f, 8.0f));
  updateTransform();
  const auto used = vertices.first(count);
  clipVertices_.resize(count);
  outcodes_.resize(count);

  switch (type) {
    case D3DPT_POINTLIST:
      flush();
      transformVertices(used, 0, count, 0);
      for (std::uint32_t i = 0; i < count; ++i) drawPoint(i, linePipe);
      break;
    case D3DPT_LINELIST:
      flush();
      transformVertices(used, 0, count, 0);
      for (std::uint32_t i = 0; i + 1 < count; i += 2) drawLine(i, i + 1, linePipe);
      break;
    case D3DPT_LINESTRIP:
      flush();
      transformVertices(used, 0, count, 0);
      for (std::uint32_t i = 0; i + 1 < count; ++i) drawLine(i, i + 1, linePipe);
      break;
    default:
      drawTriangles(type, used, count, linePipe);
      break;
  }
  return D3DRESULT::D3D_OK;
}

}  // namespace velorina
