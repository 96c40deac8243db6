#pragma once
// The display component: a presenter for finished frames plus the 3D device that
// draws them. Not initialised on construction; Initialize makes (or re-makes) the
// output and the device and then raises OnInitialize and OnInitializeSurface, in
// that order, so their handlers can set up device state.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/display/IPresenter.h"
#include "platform/render/IDirect3DDevice7.h"
#include "platform/render/software/SoftwareDevice.h"

namespace velorina {

// Cursor identifiers as the player uses them.
inline constexpr int kCursorDefault = 0;
inline constexpr int kCursorNone = -1;
inline constexpr int kCursorHourglass = -11;

class DXDraw {
 public:
  // Makes the device for the opened output, which the device presents into.
  using DeviceFactory = std::function<std::unique_ptr<IDirect3DDevice7>(IRenderSurface& surface, std::uint32_t width,
                                                                        std::uint32_t height, DepthBuffer depth)>;

  // The software device unless another factory is given.
  explicit DXDraw(std::unique_ptr<IPresenter> presenter, DeviceFactory factory = {});
  ~DXDraw();
  DXDraw(const DXDraw&) = delete;
  DXDraw& operator=(const DXDraw&) = delete;

  // The frame size used by the next Initialize (1024 x 768 until changed).
  void SetDisplaySize(std::uint32_t width, std::uint32_t height);
  std::uint32_t DisplayWidth() const { return config_.width; }
  std::uint32_t DisplayHeight() const { return config_.height; }
  void SetMode(PresenterMode mode) { config_.mode = mode; }
  // Whether the next Initialize asks the output for an OpenGL window.
  void SetOpenGl(bool on) { config_.openGl = on; }
  void SetTitle(std::string title) { config_.title = std::move(title); }
  // Whether the device gets a depth buffer (on by default).
  void SetZBuffer(bool on) { zBuffer_ = on; }

  // (Re)creates the output and the device. On failure everything is released
  // again and the error (EDisplayError, ERenderError) propagates.
  void Initialize();
  // Releases the device and the output; harmless when not initialised.
  void Finalize();
  bool Initialized() const { return device_ != nullptr; }
  // True when initialised, not in the middle of (re)initialising, and the output is open.
  bool CanDraw() const;
  // The device presents its picture when the display can draw.
  void Flip();

  std::uint32_t SurfaceWidth() const;
  std::uint32_t SurfaceHeight() const;
  bool HasDepthBuffer() const { return device_ != nullptr && device_->HasDepthBuffer(); }
  // The device of the display; nullptr while not initialised.
  IDirect3DDevice7* D3DDevice7() const { return device_.get(); }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void SetFocus();
  int Cursor() const { return cursor_; }
  void SetCursor(int cursor);

  // Takes the next event of the output's window; false when there is none.
  bool pollEvent(DisplayEvent& event);

  std::function<void(DXDraw&)> OnInitialize;
  std::function<void(DXDraw&)> OnInitializeSurface;

 private:
  std::unique_ptr<IPresenter> presenter_;
  DeviceFactory factory_;
  std::unique_ptr<IDirect3DDevice7> device_;
  PresenterConfig config_;
  bool zBuffer_ = true;
  bool initializing_ = false;
  bool visible_ = false;
  int cursor_ = kCursorDefault;
};

}  // namespace velorina
