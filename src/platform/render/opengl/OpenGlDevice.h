#pragma once
// The device drawn by the graphics card through OpenGL 3.3 core, with the same
// pictures as the software device (see IDirect3DDevice7.h for the contract and
// SoftwareDevice.h for the choices both devices make).
//
// The picture is drawn into a framebuffer object of the render target's size
// (twice each side while antialiasing: the software device's 2 x 2
// supersampling, averaged when shown or read), stored top row first. Present
// shows it in the surface's OpenGL window, letterboxed and centred, and swaps
// buffers; a surface without an OpenGL window gets the picture read back.
//
// Draws are batched: consecutive draws whose whole state (render states, stage
// states, texture array, transform, viewport, primitive class) is unchanged become one
// OpenGL draw, issued when the state changes or the picture is needed. Each
// batch draws with the member of the shader family made for its state
// (GlShaderKey.h), compiled on first use. Texture coordinates are always
// interpolated with perspective correction.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <epoxy/gl.h>

#include "platform/render/IDirect3DDevice7.h"
#include "platform/render/IRenderSurface.h"
#include "platform/render/RenderStateBlock.h"
#include "platform/render/opengl/GlPointExpander.h"
#include "platform/render/opengl/GlProgram.h"
#include "platform/render/opengl/GlSamplerSet.h"
#include "platform/render/opengl/GlShaderKey.h"
#include "platform/render/opengl/GlStateCache.h"
#include "platform/render/opengl/GlTextureCache.h"
#include "platform/render/opengl/GlVertexStream.h"

namespace velorina {

class OpenGlDevice final : public IDirect3DDevice7, private ITextureObserver {
 public:
  static constexpr std::uint32_t kMaxSide = 8192;

  // Draws with `window`'s context, which must be current and must outlive the
  // device; `surface` receives the picture when the window cannot show it
  // (nullptr: Present is refused). Throws ERenderError when the context is not
  // OpenGL 3.3 or the target cannot be made.
  OpenGlDevice(IGlWindow& window, IRenderSurface* surface, std::uint32_t width, std::uint32_t height, DepthBuffer depth,
               bool windowShowsFrames);
  ~OpenGlDevice() override;
  OpenGlDevice(const OpenGlDevice&) = delete;
  OpenGlDevice& operator=(const OpenGlDevice&) = delete;

  D3DRESULT SetViewport(const D3DVIEWPORT7& viewport) override;
  D3DVIEWPORT7 GetViewport() const override { return viewport_; }
  D3DRESULT SetMaterial(const D3DMATERIAL7& material) override;
  D3DMATERIAL7 GetMaterial() const override { return material_; }
  D3DRESULT SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX& matrix) override;
  D3DMATRIX GetTransform(D3DTRANSFORMSTATETYPE which) const override;
  D3DRESULT SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) override;
  std::uint32_t GetRenderState(D3DRENDERSTATETYPE state) const override { return states_.renderState(state); }
  D3DRESULT SetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state, std::uint32_t value) override;
  std::uint32_t GetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state) const override {
    return states_.stageState(stage, state);
  }
  D3DRESULT Clear(std::span<const D3DRECT> rects, std::uint32_t flags, D3DCOLOR color, float z,
                  std::uint32_t stencil) override;
  D3DRESULT BeginScene() override;
  D3DRESULT EndScene() override;
  D3DRESULT SetTexture(std::uint32_t stage, TDirect3DTexture2* texture) override;
  D3DRESULT DrawPrimitive(D3DPRIMITIVETYPE type, std::uint32_t vertexFormat, std::span<const D3DLVERTEX> vertices,
                          std::uint32_t count, std::uint32_t flags) override;
  std::uint32_t RenderTargetWidth() const override { return width_; }
  std::uint32_t RenderTargetHeight() const override { return height_; }
  bool HasDepthBuffer() const override { return depth_; }
  D3DRESULT ReadRenderTarget(std::span<std::uint32_t> out) override;
  D3DRESULT Present() override;

  // After anything else touched the context: the next draw sends every state again.
  void invalidateStateCache();
  // How many OpenGL draws and texture uploads the device has issued (for tests).
  std::uint64_t glDraws() const { return glDraws_; }
  std::uint64_t textureUploads() const { return textures_.uploads(); }

 private:
  // Triangles filled by OpenGL, or squares of samples made by squares_.
  enum class PrimitiveClass { Triangles, Squares };
  // Everything a batched draw depends on; a draw whose state equals the batch's
  // joins the batch.
  struct DrawState {
    GlFixedState fixed;
    GlShaderKey shader;
    GlProgramValues values;
    // The arrays sampled (0: none); each vertex names its layer, so draws with
    // textures of one array join one batch.
    GLuint pictureArray = 0, maskArray = 0;
    TextureFilter magFilter = TextureFilter::Point, minFilter = TextureFilter::Point;
    D3DTEXTUREADDRESS addressU = D3DTEXTUREADDRESS::D3DTADDRESS_WRAP, addressV = D3DTEXTUREADDRESS::D3DTADDRESS_WRAP;
    PrimitiveClass primitive = PrimitiveClass::Triangles;
    bool operator==(const DrawState&) const = default;
  };
  static constexpr std::size_t kTextureUnits = 4;

  void textureGone(const TDirect3DTexture2& texture) override;
  // Pictures are uploaded again by their revision when next bound.
  void pictureChanging(const TDirect3DTexture2& /*texture*/) override {}
  void makeTarget(std::uint32_t scale);
  void releaseTarget();
  void applyAntialias();
  DrawState currentDrawState(PrimitiveClass primitive);
  void appendVertices(D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> vertices, GLint layer);
  void appendSquares(D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> vertices, GLint layer);
  void bindTextures();
  void bindTexture(GLuint unit, GLuint texture, GLuint sampler);
  void forgetTextureBindings();
  GlProgram& program(const GlShaderKey& key);
  void flush();
  void resolveInto(GLuint framebuffer);
  void showInWindow();

  IGlWindow& window_;
  IRenderSurface* surface_;
  bool windowShowsFrames_;
  std::uint32_t width_, height_;
  bool depth_;
  std::uint32_t scale_ = 1;
  bool clipControl_ = false;

  std::unordered_map<GlShaderKey, std::unique_ptr<GlProgram>, GlShaderKeyHash> programs_;
  GlProgram* usedProgram_ = nullptr;  // the program in use, nullptr when unknown
  GlSamplerSet samplers_;
  GlStateCache cache_;
  GlTextureCache textures_;
  GlVertexStream vertices_;
  GlPointExpander squares_;
  GLuint framebuffer_ = 0, colorBuffer_ = 0, depthBuffer_ = 0;
  GLuint resolveFramebuffer_ = 0, resolveColor_ = 0;  // w x h, for reading a supersampled picture

  RenderStateBlock states_;
  D3DVIEWPORT7 viewport_;
  D3DMATERIAL7 material_;
  D3DMATRIX world_ = D3DMATRIX::identity();
  D3DMATRIX view_ = D3DMATRIX::identity();
  D3DMATRIX projection_ = D3DMATRIX::identity();
  D3DMATRIX combined_ = D3DMATRIX::identity();
  TDirect3DTexture2* texture_ = nullptr;
  bool inScene_ = false;

  std::vector<D3DLVERTEX> batch_;  // kept between frames: drawing allocates nothing once grown
  DrawState batchState_;
  GlProgram* batchProgram_ = nullptr;
  bool batchOpen_ = false;
  // What each texture unit holds; kUnknown after anything else may have bound.
  static constexpr GLuint kUnknown = ~GLuint(0);
  std::array<GLuint, kTextureUnits> boundTextures_{}, boundSamplers_{};
  std::vector<std::uint32_t> readBack_;  // Present's picture for a surface without a window
  std::uint64_t glDraws_ = 0;
};

}  // namespace velorina
