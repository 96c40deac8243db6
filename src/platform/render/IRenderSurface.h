#pragma once
// Where a device shows its finished frames. The display opens its output and
// hands it to the device it makes: a device drawn by the CPU gives the surface
// whole pictures, a device on the graphics card draws into the surface's OpenGL
// window and only swaps its buffers.

#include <cstdint>
#include <span>

namespace velorina {

// An OpenGL 3.3 core context with a window-system framebuffer.
class IGlWindow {
 public:
  struct Size {
    std::uint32_t width = 0, height = 0;
  };

  // Makes the window's context current on the calling thread.
  virtual void makeCurrent() = 0;
  virtual void swapBuffers() = 0;
  // The framebuffer's size in pixels (full screen: the desktop's).
  virtual Size drawableSize() const = 0;

 protected:
  ~IGlWindow() = default;
};

class IRenderSurface {
 public:
  virtual ~IRenderSurface() = default;
  // Shows one frame of 0xFFRRGGBB pixels, row by row from the top, of the size the
  // output was opened with.
  virtual void present(std::span<const std::uint32_t> frame) = 0;
  // The output's OpenGL window, or nullptr when frames can only be shown as pixels.
  virtual IGlWindow* glWindow() { return nullptr; }
};

}  // namespace velorina
