#include "platform/display/KeyboardDevice.h"

namespace velorina {

void KeyboardDevice::keyEvent(std::uint32_t virtualKey, bool down) {
  if (!Enabled || virtualKey == 0 || virtualKey >= keys_.size()) return;
  keys_[virtualKey] = down;
}

TDXInputStates KeyboardDevice::States() const {
  TDXInputStates states;
  if (!Enabled) return states;
  for (std::size_t i = 0; i < KeyAssigns.size(); ++i) {
    for (std::uint32_t key : KeyAssigns[i]) {
      if (key != 0 && Keys(key)) states.set(static_cast<TDXInputState>(i));
    }
  }
  return states;
}

}  // namespace velorina
