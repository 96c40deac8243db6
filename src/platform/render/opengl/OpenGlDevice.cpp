#include "platform/render/opengl/OpenGlDevice.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/render/RenderError.h"

namespace velorina {

namespace {

constexpr std::uint32_t kSupersample = 2;
constexpr std::uint32_t kMaxSupersampledSide = 4096;

GLenum glCompare(D3DCMPFUNC f) {
  switch (f) {
    case D3DCMPFUNC::D3DCMP_NEVER: return GL_NEVER;
    case D3DCMPFUNC::D3DCMP_LESS: return GL_LESS;
    case D3DCMPFUNC::D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMPFUNC::D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMPFUNC::D3DCMP_GREATER: return GL_GREATER;
    case D3DCMPFUNC::D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMPFUNC::D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    case D3DCMPFUNC::D3DCMP_ALWAYS: return GL_ALWAYS;
  }
  return GL_LEQUAL;
}

// The target keeps its alpha at 1 (it has none, or the colour mask leaves it
// alone), as the software device's opaque target does: destination alpha reads
// as 1, and so SRCALPHASAT, min(As, 1 - Ad), is zero.
GLenum glBlend(D3DBLEND b) {
  switch (b) {
    case D3DBLEND::D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND::D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND::D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND::D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND::D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND::D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND::D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND::D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND::D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND::D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND::D3DBLEND_SRCALPHASAT: return GL_ZERO;
    case D3DBLEND::D3DBLEND_BOTHSRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND::D3DBLEND_BOTHINVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
  }
  return GL_ONE;
}

// The "both" factors set the pair from the source side's choice.
GLenum glDestBlend(D3DBLEND src, D3DBLEND dest) {
  if (src == D3DBLEND::D3DBLEND_BOTHSRCALPHA) return GL_ONE_MINUS_SRC_ALPHA;
  if (src == D3DBLEND::D3DBLEND_BOTHINVSRCALPHA) return GL_SRC_ALPHA;
  return glBlend(dest);
}

void channels(D3DCOLOR c, GLfloat out[4]) {
  out[0] = GLfloat((c >> 16) & 0xFF) / 255.0f;
  out[1] = GLfloat((c >> 8) & 0xFF) / 255.0f;
  out[2] = GLfloat(c & 0xFF) / 255.0f;
  out[3] = GLfloat(c >> 24) / 255.0f;
}

bool finite(const D3DLVERTEX& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.tu) && std::isfinite(v.tv);
}

}  // namespace

OpenGlDevice::OpenGlDevice(IGlWindow& window, IRenderSurface* surface, std::uint32_t width, std::uint32_t height,
                           DepthBuffer depth, bool windowShowsFrames)
    : window_(window),
      surface_(surface),
      windowShowsFrames_(windowShowsFrames),
      width_((width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
                 ? throw ERenderError("Cannot create render target",
                                      "size " + std::to_string(width) + " x " + std::to_string(height) +
                                          " is outside 1 .. " + std::to_string(kMaxSide))
                 : width),
      height_(height),
      depth_(depth == DepthBuffer::Attached),
      textures_([this] {
        flush();
        // A deleted array is unbound, and its name may come back.
        forgetTextureBindings();
      }),
      states_(depth == DepthBuffer::Attached) {
  window_.makeCurrent();
  if (epoxy_gl_version() < 33) throw ERenderError("Cannot use OpenGL", "the context is older than OpenGL 3.3");
  viewport_ = {0, 0, width, height, 0.0f, 1.0f};
  clipControl_ = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
  if (clipControl_) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // flat shading takes a triangle's first vertex
  makeTarget(1);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  cache_.invalidate();
  forgetTextureBindings();
  // The program for the default state: a context that cannot build the family's
  // shaders is refused here rather than at the first draw.
  program(currentDrawState(PrimitiveClass::Triangles).shader);
}

OpenGlDevice::~OpenGlDevice() {
  window_.makeCurrent();
  if (texture_ != nullptr) texture_->unwatch(this);
  releaseTarget();
}

void OpenGlDevice::makeTarget(std::uint32_t scale) {
  const GLsizei w = GLsizei(width_ * scale), h = GLsizei(height_ * scale);
  GLuint fb = 0, color = 0, depth = 0;
  glGenFramebuffers(1, &fb);
  glBindFramebuffer(GL_FRAMEBUFFER, fb);
  glGenRenderbuffers(1, &color);
  glBindRenderbuffer(GL_RENDERBUFFER, color);
  // Without an alpha channel the card writes whole pixels and destination alpha
  // reads as 1; where RGB cannot be drawn into, RGBA with alpha masked off.
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, w, h);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
  if (depth_) {
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
  }
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
  }
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glDeleteFramebuffers(1, &fb);
    glDeleteRenderbuffers(1, &color);
    if (depth != 0) glDeleteRenderbuffers(1, &depth);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    throw ERenderError("Cannot create render target",
                       "OpenGL cannot draw into " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
  }
  glDisable(GL_SCISSOR_TEST);
  if (framebuffer_ != 0) {
    // A new sample grid keeps the picture drawn so far.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fb);
    const GLint ow = GLint(width_ * scale_), oh = GLint(height_ * scale_);
    glBlitFramebuffer(0, 0, ow, oh, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    if (depth_) glBlitFramebuffer(0, 0, ow, oh, 0, 0, w, h, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    releaseTarget();
  } else {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | (depth_ ? GL_DEPTH_BUFFER_BIT : 0));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    cache_.invalidate();
  }
  framebuffer_ = fb;
  colorBuffer_ = color;
  depthBuffer_ = depth;
  scale_ = scale;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

void OpenGlDevice::releaseTarget() {
  if (resolveFramebuffer_ != 0) glDeleteFramebuffers(1, &resolveFramebuffer_);
  if (resolveColor_ != 0) glDeleteRenderbuffers(1, &resolveColor_);
  if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
  if (colorBuffer_ != 0) glDeleteRenderbuffers(1, &colorBuffer_);
  if (depthBuffer_ != 0) glDeleteRenderbuffers(1, &depthBuffer_);
  resolveFramebuffer_ = resolveColor_ = framebuffer_ = colorBuffer_ = depthBuffer_ = 0;
}

void OpenGlDevice::invalidateStateCache() {
  cache_.invalidate();
  for (auto& [key, p] : programs_) p->forgetValues();
  usedProgram_ = nullptr;
  forgetTextureBindings();
  vertices_.rebind();
}

void OpenGlDevice::forgetTextureBindings() {
  boundTextures_.fill(kUnknown);
  boundSamplers_.fill(kUnknown);
}

GlProgram& OpenGlDevice::program(const GlShaderKey& key) {
  auto it = programs_.find(key);
  if (it == programs_.end()) {
    // Compiling makes the new program current.
    usedProgram_ = nullptr;
    it = programs_.emplace(key, std::make_unique<GlProgram>(key)).first;
  }
  return *it->second;
}

void OpenGlDevice::textureGone(const TDirect3DTexture2& texture) {
  if (texture_ == &texture) texture_ = nullptr;
}

D3DRESULT OpenGlDevice::SetViewport(const D3DVIEWPORT7& vp) {
  if (!viewportFits(vp, width_, height_)) return D3DRESULT::D3DERR_INVALIDCALL;
  viewport_ = vp;
  return D3DRESULT::D3D_OK;
}

D3DRESULT OpenGlDevice::SetMaterial(const D3DMATERIAL7& material) {
  material_ = material;
  return D3DRESULT::D3D_OK;
}

D3DRESULT OpenGlDevice::SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX& m) {
  switch (which) {
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_WORLD: world_ = m; break;
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW: view_ = m; break;
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION: projection_ = m; break;
    default: return D3DRESULT::D3DERR_INVALIDCALL;
  }
  combined_ = multiply(multiply(world_, view_), projection_);
  return D3DRESULT::D3D_OK;
}

D3DMATRIX OpenGlDevice::GetTransform(D3DTRANSFORMSTATETYPE which) const {
  switch (which) {
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_WORLD: return world_;
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW: return view_;
    case D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_PROJECTION: return projection_;
  }
  return D3DMATRIX::identity();
}

D3DRESULT OpenGlDevice::SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) {
  const D3DRESULT result = states_.setRenderState(state, value);
  if (state == D3DRENDERSTATETYPE::D3DRENDERSTATE_ANTIALIAS) applyAntialias();
  return result;
}

D3DRESULT OpenGlDevice::SetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state, std::uint32_t value) {
  return states_.setStageState(stage, state, value);
}

void OpenGlDevice::applyAntialias() {
  const bool on = states_.states().antialias != D3DANTIALIASMODE::D3DANTIALIAS_NONE;
  const bool fits = width_ <= kMaxSupersampledSide && height_ <= kMaxSupersampledSide;
  const std::uint32_t scale = on && fits ? kSupersample : 1;
  if (scale == scale_) return;
  flush();
  makeTarget(scale);
}

D3DRESULT OpenGlDevice::Clear(std::span<const D3DRECT> rects, std::uint32_t flags, D3DCOLOR color, float z,
                              std::uint32_t /*stencil*/) {
  if ((flags & D3DCLEAR_ZBUFFER) && !depth_) return D3DRESULT::D3DERR_INVALIDCALL;
  flush();
  const std::int32_t vx0 = std::int32_t(viewport_.dwX), vy0 = std::int32_t(viewport_.dwY);
  const std::int32_t vx1 = vx0 + std::int32_t(viewport_.dwWidth), vy1 = vy0 + std::int32_t(viewport_.dwHeight);
  const D3DRECT whole{vx0, vy0, vx1, vy1};
  const std::span<const D3DRECT> list = rects.empty() ? std::span<const D3DRECT>(&whole, 1) : rects;
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) mask |= GL_COLOR_BUFFER_BIT;
  if (flags & D3DCLEAR_ZBUFFER) mask |= GL_DEPTH_BUFFER_BIT;
  if (mask == 0) return D3DRESULT::D3D_OK;
  GLfloat c[4];
  channels(color, c);
  glClearColor(c[0], c[1], c[2], 1.0f);
  glClearDepth(std::clamp(std::isnan(z) ? 1.0f : z, 0.0f, 1.0f));
  if (mask & GL_DEPTH_BUFFER_BIT) cache_.forceDepthWrite();
  glEnable(GL_SCISSOR_TEST);
  const auto s = std::int32_t(scale_);
  for (const D3DRECT& r : list) {
    const std::int32_t x0 = std::clamp(r.x1, vx0, vx1), x1 = std::clamp(r.x2, vx0, vx1);
    const std::int32_t y0 = std::clamp(r.y1, vy0, vy1), y1 = std::clamp(r.y2, vy0, vy1);
    if (x0 >= x1 || y0 >= y1) continue;
    // Rows are stored top first, so screen rows are OpenGL rows.
    glScissor(x0 * s, y0 * s, (x1 - x0) * s, (y1 - y0) * s);
    glClear(mask);
  }
  glDisable(GL_SCISSOR_TEST);
  return D3DRESULT::D3D_OK;
}

D3DRESULT OpenGlDevice::BeginScene() {
  if (inScene_) return D3DRESULT::D3DERR_SCENE_IN_SCENE;
  inScene_ = true;
  return D3DRESULT::D3D_OK;
}

D3DRESULT OpenGlDevice::EndScene() {
  if (!inScene_) return D3DRESULT::D3DERR_SCENE_NOT_IN_SCENE;
  flush();
  inScene_ = false;
  return D3DRESULT::D3D_OK;
}

D3DRESULT OpenGlDevice::SetTexture(std::uint32_t stage, TDirect3DTexture2* texture) {
  if (stage != 0) return D3DRESULT::D3DERR_INVALIDCALL;
  if (texture == texture_) return D3DRESULT::D3D_OK;
  if (texture_ != nullptr) texture_->unwatch(this);
  texture_ = texture;
  if (texture_ != nullptr) texture_->watch(this);
  return D3DRESULT::D3D_OK;
}

OpenGlDevice::DrawState OpenGlDevice::currentDrawState(PrimitiveClass primitive) {
  const RenderStates& rs = states_.states();
  DrawState d;
  d.primitive = primitive;
  GlFixedState& f = d.fixed;
  f.blend = rs.blend;
  f.srcBlend = glBlend(rs.srcBlend);
  f.destBlend = glDestBlend(rs.srcBlend, rs.destBlend);
  f.depthTest = rs.depthEnable && depth_;
  f.depthFunc = glCompare(rs.depthFunc);
  f.depthWrite = rs.depthWrite;
  // Stored top row first, Direct3D's clockwise on screen is OpenGL's
  // counter-clockwise, its front face.
  // Squares were culled when they were made, and face either way.
  const bool squares = primitive == PrimitiveClass::Squares;
  f.cull = !squares && rs.cull != D3DCULL::D3DCULL_NONE;
  f.cullFace = rs.cull == D3DCULL::D3DCULL_CW ? GL_FRONT : GL_BACK;
  const auto s = GLint(scale_);
  f.viewport[0] = GLint(viewport_.dwX) * s;
  f.viewport[1] = GLint(viewport_.dwY) * s;
  f.viewport[2] = GLint(viewport_.dwWidth) * s;
  f.viewport[3] = GLint(viewport_.dwHeight) * s;
  f.depthRange[0] = viewport_.dvMinZ;
  f.depthRange[1] = viewport_.dvMaxZ;

  GlShaderKey& k = d.shader;
  k.depthFixUp = !clipControl_;
  k.colorOp = rs.color.op;
  k.colorArg1 = glStageReadsArg1(rs.color.op) ? rs.color.arg1 : 0;
  k.colorArg2 = glStageReadsArg2(rs.color.op) ? rs.color.arg2 : 0;
  k.alphaOp = rs.alpha.op;
  k.alphaArg1 = glStageReadsArg1(rs.alpha.op) ? rs.alpha.arg1 : 0;
  k.alphaArg2 = glStageReadsArg2(rs.alpha.op) ? rs.alpha.arg2 : 0;
  k.specular = rs.specular;
  k.flatShading = rs.shade == D3DSHADEMODE::D3DSHADE_FLAT;
  k.alphaFunc = rs.alphaTest ? rs.alphaFunc : D3DCMPFUNC::D3DCMP_ALWAYS;

  GlProgramValues& u = d.values;
  channels(rs.textureFactor, u.textureFactor);
  u.alphaRef = GLfloat(rs.alphaRef);
  if (squares) {
    // Already in the viewport's clip units, with their corners on sample edges.
    u.transform = D3DMATRIX::identity();
    u.pixelOffset[0] = u.pixelOffset[1] = 0.0f;
    u.viewportSamples[0] = u.viewportSamples[1] = 0.0f;
    u.coordinateLift = 0.0f;
  } else {
    u.transform = combined_;
    u.pixelOffset[0] = 1.0f / GLfloat(viewport_.dwWidth);
    // Half a pixel, less a hair: OpenGL decides pixels whose centre lies exactly on a
    // horizontal edge the other way round, and lifting the picture by 1/128 pixel
    // gives Direct3D's top-left answer.
    u.pixelOffset[1] = (1.0f - 2.0f / 128.0f) / GLfloat(viewport_.dwHeight);
    u.viewportSamples[0] = GLfloat(viewport_.dwWidth * scale_);
    u.viewportSamples[1] = GLfloat(viewport_.dwHeight * scale_);
    // The texture coordinates are taken back all but 1/2048 pixel: a texel edge
    // that lies exactly on a pixel centre then still falls to the texel below it,
    // as the software device's sums decide it.
    u.coordinateLift = GLfloat(scale_) * (1.0f / 128.0f - 1.0f / 2048.0f);
  }
  if (texture_ != nullptr && rs.readsTexture()) {
    d.magFilter = rs.magFilter;
    // Lines and points use the magnification filter only.
    d.minFilter = squares ? rs.magFilter : rs.minFilter;
    d.addressU = rs.addressU;
    d.addressV = rs.addressV;
    k.texturing = d.minFilter == d.magFilter ? GlTexturing::Sampled : GlTexturing::Split;
    k.reduceCoordinates = rs.addressU != D3DTEXTUREADDRESS::D3DTADDRESS_WRAP ||
                          rs.addressV != D3DTEXTUREADDRESS::D3DTADDRESS_WRAP;
  }
  return d;
}

// Every primitive becomes a list of its class, so that draws of strips, fans
// and lists with one state join one batch.
void OpenGlDevice::appendVertices(D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> v, GLint layer) {
  using enum D3DPRIMITIVETYPE;
  const std::size_t n = v.size();
  auto put = [this, layer](const D3DLVERTEX& x) {
    batch_.push_back(x);
    batch_.back().dwReserved = std::uint32_t(layer);
  };
  // A triangle or line with a vertex that is not finite cannot be drawn: it is left out.
  auto triangle = [&](std::size_t a, std::size_t b, std::size_t c) {
    if (!finite(v[a]) || !finite(v[b]) || !finite(v[c])) return;
    put(v[a]);
    put(v[b]);
    put(v[c]);
  };
  auto line = [&](std::size_t a, std::size_t b) {
    if (!finite(v[a]) || !finite(v[b])) return;
    put(v[a]);
    put(v[b]);
  };
  switch (type) {
    case D3DPT_POINTLIST:
      for (std::size_t i = 0; i < n; ++i)
        if (finite(v[i])) put(v[i]);
      break;
    case D3DPT_LINELIST:
      for (std::size_t i = 0; i + 1 < n; i += 2) line(i, i + 1);
      break;
    case D3DPT_LINESTRIP:
      for (std::size_t i = 0; i + 1 < n; ++i) line(i, i + 1);
      break;
    case D3DPT_TRIANGLELIST:
      for (std::size_t i = 0; i + 2 < n; i += 3) triangle(i, i + 1, i + 2);
      break;
    case D3DPT_TRIANGLESTRIP:
      // Odd triangles swap their first two vertices to keep the strip's winding.
      for (std::size_t k = 0; k + 2 < n; ++k) {
        if (k % 2 == 0) triangle(k, k + 1, k + 2);
        else triangle(k + 1, k, k + 2);
      }
      break;
    case D3DPT_TRIANGLEFAN:
      for (std::size_t k = 0; k + 2 < n; ++k) triangle(0, k + 1, k + 2);
      break;
  }
}

// Points, lines and the corners or edges of triangles not filled, as squares
// of samples (GlPointExpander.h).
void OpenGlDevice::appendSquares(D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> v, GLint layer) {
  using enum D3DPRIMITIVETYPE;
  const std::size_t n = v.size();
  const auto l = std::uint32_t(layer);
  squares_.setFrame(combined_, viewport_, scale_);
  const RenderStates& rs = states_.states();
  const bool wireframe = rs.fill == D3DFILLMODE::D3DFILL_WIREFRAME;
  auto triangle = [&](std::size_t a, std::size_t b, std::size_t c) {
    squares_.triangle(v[a], v[b], v[c], rs.cull, wireframe, l, batch_);
  };
  switch (type) {
    case D3DPT_POINTLIST:
      for (std::size_t i = 0; i < n; ++i) squares_.point(v[i], l, batch_);
      break;
    case D3DPT_LINELIST:
      for (std::size_t i = 0; i + 1 < n; i += 2) squares_.line(v[i], v[i + 1], l, batch_);
      break;
    case D3DPT_LINESTRIP:
      for (std::size_t i = 0; i + 1 < n; ++i) squares_.line(v[i], v[i + 1], l, batch_);
      break;
    case D3DPT_TRIANGLELIST:
      for (std::size_t i = 0; i + 2 < n; i += 3) triangle(i, i + 1, i + 2);
      break;
    case D3DPT_TRIANGLESTRIP:
      // Odd triangles swap their first two vertices to keep the strip's winding.
      for (std::size_t k = 0; k + 2 < n; ++k) {
        if (k % 2 == 0) triangle(k, k + 1, k + 2);
        else triangle(k + 1, k, k + 2);
      }
      break;
    case D3DPT_TRIANGLEFAN:
      for (std::size_t k = 0; k + 2 < n; ++k) triangle(0, k + 1, k + 2);
      break;
  }
}

D3DRESULT OpenGlDevice::DrawPrimitive(D3DPRIMITIVETYPE type, std::uint32_t vertexFormat,
                                      std::span<const D3DLVERTEX> vertices, std::uint32_t count,
                                      std::uint32_t /*flags*/) {
  if (!inScene_) return D3DRESULT::D3DERR_SCENE_NOT_IN_SCENE;
  if (vertexFormat != D3DFVF_LVERTEX) return D3DRESULT::D3DERR_INVALIDVERTEXFORMAT;
  if (count > vertices.size()) return D3DRESULT::D3DERR_INVALIDCALL;
  using enum D3DPRIMITIVETYPE;
  if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN) return D3DRESULT::D3DERR_INVALIDCALL;
  // Points, lines and triangles not filled are drawn as the software device
  // steps them, in squares of samples.
  const bool lineOrPoint = type == D3DPT_POINTLIST || type == D3DPT_LINELIST || type == D3DPT_LINESTRIP;
  const PrimitiveClass primitive =
      lineOrPoint || !states_.states().filled() ? PrimitiveClass::Squares : PrimitiveClass::Triangles;
  DrawState state = currentDrawState(primitive);
  GLint layer = 0;
  if (state.shader.texturing != GlTexturing::None) {
    // Uploading may first send the open batch, when it rewrites a layer that batch samples.
    const RenderStates& rs = states_.states();
    const std::optional<std::uint32_t> key = rs.colorKey ? texture_->effectiveColorKey() : std::nullopt;
    const GlTextureView view = textures_.prepare(*texture_, key);
    state.pictureArray = view.picture;
    state.maskArray = view.mask;
    state.shader.keying = !key ? GlKeying::None : view.mask != 0 ? GlKeying::InMask : GlKeying::InAlpha;
    layer = view.layer;
  }
  if (!batchOpen_ || !(state == batchState_)) {
    flush();
    try {
      batchProgram_ = &program(state.shader);
    } catch (const ERenderError&) {
      // The driver would not build this state's program: the draw is refused.
      return D3DRESULT::D3DERR_INVALIDCALL;
    }
    batchState_ = state;
    batchOpen_ = true;
  }
  if (primitive == PrimitiveClass::Squares) {
    appendSquares(type, vertices.first(count), layer);
  } else {
    appendVertices(type, vertices.first(count), layer);
  }
  return D3DRESULT::D3D_OK;
}

// Binds what the batch samples: the picture array with the magnification (or
// only) filter's sampler, with the minification filter's, then the mask likewise.
void OpenGlDevice::bindTextures() {
  const DrawState& d = batchState_;
  if (d.pictureArray == 0) return;
  const GLuint mag = samplers_.get(d.magFilter, d.addressU, d.addressV);
  const GLuint min = samplers_.get(d.minFilter, d.addressU, d.addressV);
  const bool split = d.shader.texturing == GlTexturing::Split;
  bindTexture(GlProgram::kPictureUnit, d.pictureArray, mag);
  if (split) bindTexture(GlProgram::kPictureMinUnit, d.pictureArray, min);
  if (d.maskArray != 0) {
    bindTexture(GlProgram::kMaskUnit, d.maskArray, mag);
    if (split) bindTexture(GlProgram::kMaskMinUnit, d.maskArray, min);
  }
}

void OpenGlDevice::bindTexture(GLuint unit, GLuint texture, GLuint sampler) {
  if (boundTextures_[unit] != texture) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
    boundTextures_[unit] = texture;
  }
  if (boundSamplers_[unit] != sampler) {
    glBindSampler(unit, sampler);
    boundSamplers_[unit] = sampler;
  }
}

void OpenGlDevice::flush() {
  if (!batchOpen_) return;
  batchOpen_ = false;
  if (batch_.empty()) return;
  cache_.apply(batchState_.fixed);
  if (usedProgram_ != batchProgram_) {
    glUseProgram(batchProgram_->name());
    usedProgram_ = batchProgram_;
  }
  batchProgram_->setValues(batchState_.values);
  bindTextures();
  const GLint first = vertices_.append(batch_);
  glDrawArrays(GL_TRIANGLES, first, GLsizei(batch_.size()));
  ++glDraws_;
  batch_.clear();
}

void OpenGlDevice::resolveInto(GLuint target) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
  // Halving with linear filtering samples the corner of each 2 x 2 block: their average.
  glBlitFramebuffer(0, 0, GLint(width_ * scale_), GLint(height_ * scale_), 0, 0, GLint(width_), GLint(height_),
                    GL_COLOR_BUFFER_BIT, GL_LINEAR);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

D3DRESULT OpenGlDevice::ReadRenderTarget(std::span<std::uint32_t> out) {
  if (out.size() < std::size_t(width_) * height_) return D3DRESULT::D3DERR_INVALIDCALL;
  flush();
  GLuint source = framebuffer_;
  if (scale_ != 1) {
    if (resolveFramebuffer_ == 0) {
      glGenFramebuffers(1, &resolveFramebuffer_);
      glGenRenderbuffers(1, &resolveColor_);
      glBindRenderbuffer(GL_RENDERBUFFER, resolveColor_);
      glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, GLsizei(width_), GLsizei(height_));
      glBindFramebuffer(GL_FRAMEBUFFER, resolveFramebuffer_);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolveColor_);
    }
    resolveInto(resolveFramebuffer_);
    source = resolveFramebuffer_;
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, GLsizei(width_), GLsizei(height_), GL_BGRA, GL_UNSIGNED_BYTE, out.data());
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  for (std::size_t i = 0, n = std::size_t(width_) * height_; i < n; ++i) out[i] |= 0xFF000000u;
  return D3DRESULT::D3D_OK;
}

void OpenGlDevice::showInWindow() {
  const IGlWindow::Size size = window_.drawableSize();
  // Letterboxing: the frame keeps its aspect and is centred in the window.
  const double fit = std::min(double(size.width) / width_, double(size.height) / height_);
  const auto w = GLint(std::lround(width_ * fit)), h = GLint(std::lround(height_ * fit));
  const GLint x = (GLint(size.width) - w) / 2, y = (GLint(size.height) - h) / 2;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  // Our rows run top first; the window's run bottom first.
  glBlitFramebuffer(0, 0, GLint(width_ * scale_), GLint(height_ * scale_), x, y + h, x + w, y, GL_COLOR_BUFFER_BIT,
                    GL_LINEAR);
  window_.swapBuffers();
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

D3DRESULT OpenGlDevice::Present() {
  if (inScene_) return D3DRESULT::D3DERR_INVALIDCALL;
  flush();
  if (windowShowsFrames_) {
    showInWindow();
    return D3DRESULT::D3D_OK;
  }
  if (surface_ == nullptr) return D3DRESULT::D3DERR_INVALIDCALL;
  readBack_.resize(std::size_t(width_) * height_);
  const D3DRESULT read = ReadRenderTarget(readBack_);
  if (read != D3DRESULT::D3D_OK) return read;
  surface_->present(readBack_);
  return D3DRESULT::D3D_OK;
}

}  // namespace velorina
