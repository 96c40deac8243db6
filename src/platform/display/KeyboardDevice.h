#pragma once
// The keyboard of the input component: which virtual keys are down, and the
// assignment table that turns them into members of the combined state (three
// virtual-key codes per member, 0 = empty slot). Disabled, it ignores key events
// and reports nothing. The table starts empty.

#include <array>
#include <cstdint>

#include "platform/display/InputState.h"

namespace velorina {

using TKeyAssign = std::array<std::uint32_t, 3>;
using TKeyAssignList = std::array<TKeyAssign, kInputStateCount>;

class KeyboardDevice {
 public:
  bool Enabled = false;
  bool BindInputStates = false;
  TKeyAssignList KeyAssigns{};

  void keyEvent(std::uint32_t virtualKey, bool down);
  // Forgets every key held (when the window loses focus, key-up events go elsewhere).
  void releaseAll() { keys_.fill(false); }
  bool Keys(std::uint32_t virtualKey) const { return virtualKey < keys_.size() && keys_[virtualKey]; }
  // The members whose assigned keys are down; empty while disabled.
  TDXInputStates States() const;

 private:
  std::array<bool, 256> keys_{};
};

}  // namespace velorina
