#pragma once
// Frames in an SDL2 window. Full screen takes the desktop's resolution and shows
// the frame stretched to fill it while keeping its aspect, centred between
// black bars; windowed mode opens a resizable window of the frame's size, for
// development. Presenting waits for the vertical blank when the driver can.
// Asked for OpenGL, the window gets an OpenGL 3.3 core context that a device can
// draw in (glWindow); when no such context can be made, the window shows frames
// as pixels like any other.

#include <SDL.h>

#include <memory>

#include "platform/display/IPresenter.h"

namespace velorina {

class SdlPresenter final : public IPresenter, private IGlWindow {
 public:
  SdlPresenter() = default;
  ~SdlPresenter() override;
  SdlPresenter(const SdlPresenter&) = delete;
  SdlPresenter& operator=(const SdlPresenter&) = delete;

  void open(const PresenterConfig& config) override;
  void close() override;
  bool isOpen() const override { return window_ != nullptr; }
  void present(std::span<const std::uint32_t> frame) override;
  bool pollEvent(DisplayEvent& event) override;
  void setVisible(bool visible) override;
  void setCursorVisible(bool visible) override;
  void focus() override;
  IGlWindow* glWindow() override { return glContext_ != nullptr ? this : nullptr; }

 private:
  bool translate(const SDL_Event& in, DisplayEvent& out) const;
  bool openGlWindow(int x, int y, int w, int h, Uint32 flags);
  void openRenderer();
  void makeCurrent() override;
  void swapBuffers() override;
  Size drawableSize() const override;

  bool videoStarted_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_GLContext glContext_ = nullptr;
  PresenterConfig config_;
};

}  // namespace velorina
