#include "platform/render/opengl/EglHeadlessContext.h"

#include <epoxy/egl.h>

namespace velorina {

std::unique_ptr<EglHeadlessContext> EglHeadlessContext::create(std::string& why) {
  if (!epoxy_has_egl()) {
    why = "no EGL library";
    return nullptr;
  }
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (clientExtensions == nullptr || !epoxy_extension_in_string(clientExtensions, "EGL_MESA_platform_surfaceless")) {
    why = "EGL has no surfaceless platform";
    return nullptr;
  }
  EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  EGLint major = 0, minor = 0;
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
    why = "the surfaceless EGL display cannot be opened";
    return nullptr;
  }
  auto context = std::unique_ptr<EglHeadlessContext>(new EglHeadlessContext());
  context->display_ = display;
  if (!eglBindAPI(EGL_OPENGL_API)) {
    why = "EGL cannot bind OpenGL";
    return nullptr;
  }
  const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs == 0) config = nullptr;
  const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                      EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  EGLContext ctx = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (ctx == EGL_NO_CONTEXT) {
    why = "EGL cannot make an OpenGL 3.3 core context";
    return nullptr;
  }
  context->context_ = ctx;
  if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx)) {
    why = "the EGL context cannot be made current without a surface";
    return nullptr;
  }
  return context;
}

EglHeadlessContext::~EglHeadlessContext() {
  if (display_ == nullptr) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_ != nullptr) eglDestroyContext(display_, context_);
  // The display stays initialised: EGL displays are shared per process and another
  // context (a second device) may still use it.
}

void EglHeadlessContext::makeCurrent() { eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_); }

}  // namespace velorina
