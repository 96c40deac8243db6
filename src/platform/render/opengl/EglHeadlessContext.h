#pragma once
// An OpenGL 3.3 core context without any window or display: Mesa's surfaceless
// EGL platform (EGL_MESA_platform_surfaceless), which renders with llvmpipe or a
// render node. The device draws into framebuffer objects of its own, so the
// context needs no default framebuffer.

#include <memory>
#include <string>

#include "platform/render/IRenderSurface.h"

namespace velorina {

class EglHeadlessContext final : public IGlWindow {
 public:
  // nullptr when no such context can be made; `why` then says what was missing.
  static std::unique_ptr<EglHeadlessContext> create(std::string& why);
  ~EglHeadlessContext();
  EglHeadlessContext(const EglHeadlessContext&) = delete;
  EglHeadlessContext& operator=(const EglHeadlessContext&) = delete;

  void makeCurrent() override;
  void swapBuffers() override {}
  Size drawableSize() const override { return {}; }

 private:
  EglHeadlessContext() = default;

  void* display_ = nullptr;  // EGLDisplay
  void* context_ = nullptr;  // EGLContext
};

}  // namespace velorina
