#pragma once
// Where finished frames go: a window on screen or a picture in memory. The
// presenter owns the window-level state (visibility, focus, pointer) and reports
// the window's events.

#include <cstdint>
#include <span>
#include <string>

#include "platform/display/DisplayEvent.h"
#include "platform/render/IRenderSurface.h"

namespace velorina {

enum class PresenterMode { FullScreen, Windowed };

struct PresenterConfig {
  std::uint32_t width = 1024;   // the frame size; a full-screen window scales it
  std::uint32_t height = 768;
  PresenterMode mode = PresenterMode::FullScreen;
  std::string title;
  // Ask the window for an OpenGL 3.3 context (see IRenderSurface::glWindow);
  // an output that cannot make one still shows frames as pixels.
  bool openGl = false;
};

class IPresenter : public IRenderSurface {
 public:
  // Opens (or re-opens) the output for frames of the configured size. Throws
  // EDisplayError when it cannot.
  virtual void open(const PresenterConfig& config) = 0;
  // Harmless when not open.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Takes the next pending event; false when there is none.
  virtual bool pollEvent(DisplayEvent& event) = 0;
  virtual void setVisible(bool visible) = 0;
  virtual void setCursorVisible(bool visible) = 0;
  virtual void focus() = 0;
};

}  // namespace velorina
