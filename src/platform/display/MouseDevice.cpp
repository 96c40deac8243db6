#include "platform/display/MouseDevice.h"

namespace velorina {

void MouseDevice::motion(std::int32_t dx, std::int32_t dy) {
  if (!Enabled) return;
  dx_ += dx;
  dy_ += dy;
}

void MouseDevice::buttonEvent(std::uint32_t button, bool down) {
  if (Enabled && button < buttons_.size()) buttons_[button] = down;
}

void MouseDevice::releaseAll() {
  buttons_.fill(false);
  dx_ = dy_ = 0;
}

TDXInputStates MouseDevice::takeStates() {
  TDXInputStates s;
  if (Enabled) {
    if (dx_ < 0) s.set(TDXInputState::Left);
    if (dx_ > 0) s.set(TDXInputState::Right);
    if (dy_ < 0) s.set(TDXInputState::Up);
    if (dy_ > 0) s.set(TDXInputState::Down);
    for (std::size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i]) s.set(button(int(i) + 1));
  }
  dx_ = dy_ = 0;
  return s;
}

}  // namespace velorina
