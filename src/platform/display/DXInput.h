#pragma once
// The input component: a keyboard and a mouse whose states, when each device's
// bind-input-states switch is on, are merged into one combined state by Update.
// Window events reach it through handleEvent.

#include "platform/display/DisplayEvent.h"
#include "platform/display/InputState.h"
#include "platform/display/KeyboardDevice.h"
#include "platform/display/MouseDevice.h"

namespace velorina {

class DXInput {
 public:
  KeyboardDevice Keyboard;
  MouseDevice Mouse;

  // Refreshes States from the devices.
  void Update();
  const TDXInputStates& States() const { return states_; }

  // Key, mouse and focus events of the display's window. Losing the focus
  // releases every key and button, so none stays held while the key-up goes to
  // another window.
  void handleEvent(const DisplayEvent& event);

 private:
  TDXInputStates states_;
};

}  // namespace velorina
