#include "platform/display/DXDraw.h"

#include <utility>

namespace velorina {

namespace {

std::unique_ptr<IDirect3DDevice7> makeSoftwareDevice(std::uint32_t width, std::uint32_t height, DepthBuffer depth) {
  return std::make_unique<SoftwareDevice>(width, height, depth);
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
    device_ = factory_(config_.width, config_.height, zBuffer_ ? DepthBuffer::Attached : DepthBuffer::None);
    frame_.assign(std::size_t(config_.width) * config_.height, 0xFF000000u);
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
  frame_.clear();
}

bool DXDraw::CanDraw() const { return device_ != nullptr && !initializing_ && presenter_->isOpen(); }

void DXDraw::Flip() {
  if (!CanDraw()) return;
  if (device_->ReadRenderTarget(frame_) == D3DRESULT::D3D_OK) presenter_->present(frame_);
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
