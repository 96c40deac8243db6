#pragma once
// Frames kept in memory, for headless runs and tests: the last presented frame
// can be read or saved as PNG, and events are whatever the caller queues.

#include <deque>
#include <string>
#include <vector>

#include "platform/display/IPresenter.h"

namespace velorina {

class OffscreenPresenter final : public IPresenter {
 public:
  void open(const PresenterConfig& config) override;
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  void present(std::span<const std::uint32_t> frame) override;
  bool pollEvent(DisplayEvent& event) override;
  void setVisible(bool visible) override { visible_ = visible; }
  void setCursorVisible(bool visible) override { cursorVisible_ = visible; }
  void focus() override { ++focusRequests_; }

  void pushEvent(const DisplayEvent& event) { events_.push_back(event); }
  const std::vector<std::uint32_t>& frame() const { return frame_; }
  std::uint32_t width() const { return config_.width; }
  std::uint32_t height() const { return config_.height; }
  std::uint64_t presentedFrames() const { return presented_; }
  bool visible() const { return visible_; }
  bool cursorVisible() const { return cursorVisible_; }
  int focusRequests() const { return focusRequests_; }
  // Throws EFOpenError or EStreamError when the file cannot be written.
  void saveFrame(const std::string& pngPath) const;

 private:
  PresenterConfig config_;
  bool open_ = false;
  bool visible_ = false;
  bool cursorVisible_ = true;
  int focusRequests_ = 0;
  std::uint64_t presented_ = 0;
  std::vector<std::uint32_t> frame_;
  std::deque<DisplayEvent> events_;
};

}  // namespace velorina
