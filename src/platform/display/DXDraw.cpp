#include "platform/display/DXDraw.h"

#include <utility>

namespace velorina {

namespace {

std::unique_ptr<IDirect3DDevice7> makeSoftwareDevice(IRenderSurface& surface, std::uint32_t width, std::uint32_t height,
                                                     DepthBuffer depth) {
  return std::make_unique<SoftwareDevice>(surface, width, height, depth);
}

}  // namespace

DXDraw::DXDraw(std::unique_ptr<IPresenter> presenter, DeviceFactory factory)
    : presenter_(std::move(presenter)), factory_(factory ? std::move(factory) : DeviceFactory(makeSoftwareDevice)) {}

DXDraw::~DXDraw() { Finalize(); }

void DXDraw::SetDisplaySize(std::uint32_t width, std::uint32_t height) {
  config_.width = width;
  config_.height = height;
}

void DXDraw::Initialize() {
  Finalize();
  initializing_ = true;
  try {
    presenter_->open(config_);
    device_ = factory_(*presenter_, config_.width, config_.height, zBuffer_ ? DepthBuffer::Attached : DepthBuffer::None);
    presenter_->setVisible(visible_);
    presenter_->setCursorVisible(cursor_ != kCursorNone);
    if (OnInitialize) OnInitialize(*this);
    if (OnInitializeSurface) OnInitializeSurface(*this);
  } catch (...) {
    initializing_ = false;
    Finalize();
    throw;
  }
  initializing_ = false;
}

void DXDraw::Finalize() {
  device_.reset();
  if (presenter_) presenter_->close();
}

bool DXDraw::CanDraw() const { return device_ != nullptr && !initializing_ && presenter_->isOpen(); }

void DXDraw::Flip() {
  if (!CanDraw()) return;
  // Refused only inside a scene: that frame is not finished and is not shown.
  static_cast<void>(device_->Present());
}

std::uint32_t DXDraw::SurfaceWidth() const { return device_ ? device_->RenderTargetWidth() : 0; }

std::uint32_t DXDraw::SurfaceHeight() const { return device_ ? device_->RenderTargetHeight() : 0; }

void DXDraw::SetVisible(bool visible) {
  visible_ = visible;
  if (presenter_->isOpen()) presenter_->setVisible(visible);
}

void DXDraw::SetFocus() {
  if (presenter_->isOpen()) presenter_->focus();
}

void DXDraw::SetCursor(int cursor) {
  cursor_ = cursor;
  if (presenter_->isOpen()) presenter_->setCursorVisible(cursor != kCursorNone);
}

bool DXDraw::pollEvent(DisplayEvent& event) { return presenter_->pollEvent(event); }

}  // namespace velorina
