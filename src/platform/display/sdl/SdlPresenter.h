#pragma once
// Frames in an SDL2 window. Full screen takes the desktop's resolution and shows
// the frame stretched to fill it while keeping its aspect, centred between
// black bars; windowed mode opens a resizable window of the frame's size, for
// development. Presenting waits for the vertical blank when the driver can.

#include <SDL.h>

#include <memory>

#include "platform/display/IPresenter.h"

namespace velorina {

class SdlPresenter final : public IPresenter {
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

 private:
  bool translate(const SDL_Event& in, DisplayEvent& out) const;

  bool videoStarted_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  PresenterConfig config_;
};

}  // namespace velorina
