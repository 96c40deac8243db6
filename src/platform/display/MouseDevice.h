#pragma once
// The mouse of the input component. Its members: the left, right and middle
// buttons are Button1 .. Button3, and movement since the previous update sets
// Left, Right, Up or Down by its direction. Disabled, it ignores events and
// reports nothing.

#include <array>
#include <cstdint>

#include "platform/display/InputState.h"

namespace velorina {

class MouseDevice {
 public:
  bool Enabled = false;
  bool BindInputStates = false;

  void motion(std::int32_t dx, std::int32_t dy);
  void buttonEvent(std::uint32_t button, bool down);
  void releaseAll();
  // The members of the movement gathered since the last call, and the buttons held.
  TDXInputStates takeStates();

 private:
  std::int32_t dx_ = 0, dy_ = 0;
  std::array<bool, 3> buttons_{};
};

}  // namespace velorina
