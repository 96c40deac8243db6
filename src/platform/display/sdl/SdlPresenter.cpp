#include "platform/display/sdl/SdlPresenter.h"

#include <cstdlib>
#include <string>

#include "platform/display/DisplayError.h"
#include "platform/display/sdl/SdlKeyMap.h"

namespace velorina {

namespace {

[[noreturn]] void fail(const std::string& what) {
  ErrorContext context;
  context.detail = SDL_GetError();
  throw EDisplayError(what, context);
}

}  // namespace

SdlPresenter::~SdlPresenter() { close(); }

void SdlPresenter::open(const PresenterConfig& config) {
  close();
  config_ = config;
  // Only a window system will do: left to itself SDL settles for a driver that shows
  // nothing to anyone (offscreen, a console's KMS) when the X server named by
  // DISPLAY is not there, and the player would draw for no one, for ever. An
  // SDL_VIDEODRIVER of the environment still wins over this hint.
  const char* xDisplay = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool hasX = xDisplay != nullptr && *xDisplay != '\0';
  const bool hasWayland = wayland != nullptr && *wayland != '\0';
  std::string drivers = hasX ? "x11" : "";
  if (hasWayland || !hasX) drivers += drivers.empty() ? "wayland" : ",wayland";
  SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    ErrorContext context;
    context.detail = std::string(SDL_GetError()) + (hasX ? std::string("; DISPLAY is \"") + xDisplay + "\"" : "");
    throw EDisplayError("Cannot start the video system", context);
  }
  videoStarted_ = true;
  const bool full = config.mode == PresenterMode::FullScreen;
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED, w = int(config.width), h = int(config.height);
  SDL_DisplayMode desktop;
  if (full && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    // Cover the whole desktop from the start: without a window manager (a bare X
    // server) the full-screen request alone would not resize the window.
    x = y = 0;
    w = desktop.w;
    h = desktop.h;
  }
  const Uint32 flags =
      SDL_WINDOW_HIDDEN | (full ? SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE);
  if (config.openGl && openGlWindow(x, y, w, h, flags)) return;
  window_ = SDL_CreateWindow(config.title.c_str(), x, y, w, h, flags);
  if (window_ == nullptr) {
    close();
    fail("Cannot create the window");
  }
  openRenderer();
}

bool SdlPresenter::openGlWindow(int x, int y, int w, int h, Uint32 flags) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);  // the device draws into buffers of its own
  window_ = SDL_CreateWindow(config_.title.c_str(), x, y, w, h, flags | SDL_WINDOW_OPENGL);
  if (window_ != nullptr) glContext_ = SDL_GL_CreateContext(window_);
  if (glContext_ == nullptr) {
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    window_ = nullptr;
    return false;
  }
  SDL_GL_SetSwapInterval(1);
  return true;
}

void SdlPresenter::openRenderer() {
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_ == nullptr) {
    close();
    fail("Cannot create the renderer");
  }
  // Letterboxing: the frame keeps its aspect and is centred in the window.
  SDL_RenderSetLogicalSize(renderer_, int(config_.width), int(config_.height));
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, int(config_.width),
                               int(config_.height));
  if (texture_ == nullptr) {
    close();
    fail("Cannot create the frame texture");
  }
}

void SdlPresenter::makeCurrent() { SDL_GL_MakeCurrent(window_, glContext_); }

void SdlPresenter::swapBuffers() { SDL_GL_SwapWindow(window_); }

IGlWindow::Size SdlPresenter::drawableSize() const {
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window_, &w, &h);
  return {std::uint32_t(w > 0 ? w : 0), std::uint32_t(h > 0 ? h : 0)};
}

void SdlPresenter::close() {
  if (glContext_ != nullptr) SDL_GL_DeleteContext(glContext_);
  glContext_ = nullptr;
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  videoStarted_ = false;
}

void SdlPresenter::present(std::span<const std::uint32_t> frame) {
  // An OpenGL window whose device fell back to the CPU shows pixels after all.
  if (renderer_ == nullptr && window_ != nullptr) {
    try {
      openRenderer();
    } catch (const EDisplayError&) {
      return;
    }
  }
  if (texture_ == nullptr || frame.size() < std::size_t(config_.width) * config_.height) return;
  SDL_UpdateTexture(texture_, nullptr, frame.data(), int(config_.width * sizeof(std::uint32_t)));
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

bool SdlPresenter::translate(const SDL_Event& in, DisplayEvent& out) const {
  switch (in.type) {
    case SDL_QUIT: out = {DisplayEventKind::Quit}; return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      out = {in.type == SDL_KEYDOWN ? DisplayEventKind::KeyDown : DisplayEventKind::KeyUp, virtualKeyFromSdl(in.key.keysym)};
      return true;
    case SDL_MOUSEMOTION:
      out = {DisplayEventKind::MouseMotion, 0, in.motion.xrel, in.motion.yrel};
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const Uint8 b = in.button.button;
      const std::uint32_t index = b == SDL_BUTTON_LEFT ? 0 : (b == SDL_BUTTON_RIGHT ? 1 : (b == SDL_BUTTON_MIDDLE ? 2 : 3));
      out = {in.type == SDL_MOUSEBUTTONDOWN ? DisplayEventKind::MouseButtonDown : DisplayEventKind::MouseButtonUp, 0, 0,
             0, index};
      return true;
    }
    case SDL_WINDOWEVENT:
      if (in.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        out = {DisplayEventKind::FocusGained};
        return true;
      }
      if (in.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        out = {DisplayEventKind::FocusLost};
        return true;
      }
      return false;
    default: return false;
  }
}

bool SdlPresenter::pollEvent(DisplayEvent& event) {
  if (!videoStarted_) return false;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    if (translate(e, event)) return true;
  }
  return false;
}

void SdlPresenter::setVisible(bool visible) {
  if (window_ == nullptr) return;
  if (visible) SDL_ShowWindow(window_);
  else SDL_HideWindow(window_);
}

void SdlPresenter::setCursorVisible(bool visible) {
  if (videoStarted_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlPresenter::focus() {
  if (window_ != nullptr) SDL_RaiseWindow(window_);
}

}  // namespace velorina
