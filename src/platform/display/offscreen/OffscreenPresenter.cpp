#include "platform/display/offscreen/OffscreenPresenter.h"

#include <algorithm>

#include "platform/display/PngWriter.h"

namespace velorina {

void OffscreenPresenter::open(const PresenterConfig& config) {
  config_ = config;
  frame_.assign(std::size_t(config.width) * config.height, 0xFF000000u);
  open_ = true;
}

void OffscreenPresenter::present(std::span<const std::uint32_t> frame) {
  if (!open_ || frame.size() < frame_.size()) return;
  std::copy_n(frame.begin(), frame_.size(), frame_.begin());
  ++presented_;
}

bool OffscreenPresenter::pollEvent(DisplayEvent& event) {
  if (events_.empty()) return false;
  event = events_.front();
  events_.pop_front();
  return true;
}

void OffscreenPresenter::saveFrame(const std::string& pngPath) const {
  writePng(pngPath, config_.width, config_.height, frame_);
}

}  // namespace velorina
