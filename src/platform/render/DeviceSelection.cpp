#include "platform/render/DeviceSelection.h"

#include <epoxy/gl.h>

#include "platform/render/RenderError.h"
#include "platform/render/opengl/EglHeadlessContext.h"
#include "platform/render/opengl/OpenGlDevice.h"
#include "platform/render/software/SoftwareDevice.h"

namespace velorina {

const char* const kDeviceKindHelp =
    "  --device KIND      the render device: gl (the graphics card through OpenGL),\n"
    "                     software (the CPU) or auto (OpenGL when a 3.3 context can\n"
    "                     be made, else software; the default)\n";

namespace {

// The headless context lives as long as its device.
class HeadlessOpenGlDevice final : public IDirect3DDevice7 {
 public:
  HeadlessOpenGlDevice(std::unique_ptr<EglHeadlessContext> context, IRenderSurface* surface, std::uint32_t width,
                       std::uint32_t height, DepthBuffer depth)
      : context_(std::move(context)), device_(*context_, surface, width, height, depth, false) {}

  D3DRESULT SetViewport(const D3DVIEWPORT7& v) override { return device_.SetViewport(v); }
  D3DVIEWPORT7 GetViewport() const override { return device_.GetViewport(); }
  D3DRESULT SetMaterial(const D3DMATERIAL7& m) override { return device_.SetMaterial(m); }
  D3DMATERIAL7 GetMaterial() const override { return device_.GetMaterial(); }
  D3DRESULT SetTransform(D3DTRANSFORMSTATETYPE w, const D3DMATRIX& m) override { return device_.SetTransform(w, m); }
  D3DMATRIX GetTransform(D3DTRANSFORMSTATETYPE w) const override { return device_.GetTransform(w); }
  D3DRESULT SetRenderState(D3DRENDERSTATETYPE s, std::uint32_t v) override { return device_.SetRenderState(s, v); }
  std::uint32_t GetRenderState(D3DRENDERSTATETYPE s) const override { return device_.GetRenderState(s); }
  D3DRESULT SetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE s, std::uint32_t v) override {
    return device_.SetTextureStageState(stage, s, v);
  }
  std::uint32_t GetTextureStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE s) const override {
    return device_.GetTextureStageState(stage, s);
  }
  D3DRESULT Clear(std::span<const D3DRECT> r, std::uint32_t f, D3DCOLOR c, float z, std::uint32_t s) override {
    return device_.Clear(r, f, c, z, s);
  }
  D3DRESULT BeginScene() override { return device_.BeginScene(); }
  D3DRESULT EndScene() override { return device_.EndScene(); }
  D3DRESULT SetTexture(std::uint32_t stage, TDirect3DTexture2* t) override { return device_.SetTexture(stage, t); }
  D3DRESULT DrawPrimitive(D3DPRIMITIVETYPE t, std::uint32_t f, std::span<const D3DLVERTEX> v, std::uint32_t n,
                          std::uint32_t flags) override {
    return device_.DrawPrimitive(t, f, v, n, flags);
  }
  std::uint32_t RenderTargetWidth() const override { return device_.RenderTargetWidth(); }
  std::uint32_t RenderTargetHeight() const override { return device_.RenderTargetHeight(); }
  bool HasDepthBuffer() const override { return device_.HasDepthBuffer(); }
  D3DRESULT ReadRenderTarget(std::span<std::uint32_t> out) override { return device_.ReadRenderTarget(out); }
  D3DRESULT Present() override { return device_.Present(); }

 private:
  std::unique_ptr<EglHeadlessContext> context_;
  OpenGlDevice device_;
};

std::string rendererName() {
  const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  return name != nullptr ? name : "unknown renderer";
}

std::unique_ptr<IDirect3DDevice7> makeOpenGl(IRenderSurface* surface, std::uint32_t width, std::uint32_t height,
                                             DepthBuffer depth, std::string& description) {
  if (surface != nullptr) {
    if (IGlWindow* window = surface->glWindow()) {
      window->makeCurrent();
      auto device = std::make_unique<OpenGlDevice>(*window, surface, width, height, depth, true);
      description = "OpenGL in the window (" + rendererName() + ")";
      return device;
    }
  }
  std::string why;
  auto context = EglHeadlessContext::create(why);
  if (!context) throw ERenderError("Cannot use OpenGL", why);
  auto device = std::make_unique<HeadlessOpenGlDevice>(std::move(context), surface, width, height, depth);
  description = "OpenGL without a display (" + rendererName() + ")";
  return device;
}

}  // namespace

std::optional<DeviceKind> parseDeviceKind(std::string_view text) {
  if (text == "auto") return DeviceKind::Automatic;
  if (text == "gl") return DeviceKind::OpenGl;
  if (text == "software") return DeviceKind::Software;
  return std::nullopt;
}

std::unique_ptr<IDirect3DDevice7> makeDevice(DeviceKind kind, IRenderSurface& surface, std::uint32_t width,
                                             std::uint32_t height, DepthBuffer depth, DeviceReport* report) {
  DeviceReport local;
  DeviceReport& r = report != nullptr ? *report : local;
  if (kind != DeviceKind::Software) {
    try {
      auto device = makeOpenGl(&surface, width, height, depth, r.description);
      r.made = DeviceKind::OpenGl;
      return device;
    } catch (const ERenderError& e) {
      if (kind == DeviceKind::OpenGl) throw;
      r.description = "software (OpenGL: " + e.describe() + ")";
    }
  } else {
    r.description = "software";
  }
  r.made = DeviceKind::Software;
  return std::make_unique<SoftwareDevice>(surface, width, height, depth);
}

std::unique_ptr<IDirect3DDevice7> makeHeadlessOpenGlDevice(std::uint32_t width, std::uint32_t height,
                                                           DepthBuffer depth, std::string& why) {
  try {
    std::string description;
    return makeOpenGl(nullptr, width, height, depth, description);
  } catch (const ERenderError& e) {
    why = e.describe();
    return nullptr;
  }
}

}  // namespace velorina
