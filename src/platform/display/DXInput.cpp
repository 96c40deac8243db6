#include "platform/display/DXInput.h"

namespace velorina {

void DXInput::Update() {
  TDXInputStates combined;
  if (Keyboard.BindInputStates) combined |= Keyboard.States();
  const TDXInputStates mouse = Mouse.takeStates();
  if (Mouse.BindInputStates) combined |= mouse;
  states_ = combined;
}

void DXInput::handleEvent(const DisplayEvent& event) {
  switch (event.kind) {
    case DisplayEventKind::KeyDown: Keyboard.keyEvent(event.virtualKey, true); break;
    case DisplayEventKind::KeyUp: Keyboard.keyEvent(event.virtualKey, false); break;
    case DisplayEventKind::MouseMotion: Mouse.motion(event.dx, event.dy); break;
    case DisplayEventKind::MouseButtonDown: Mouse.buttonEvent(event.button, true); break;
    case DisplayEventKind::MouseButtonUp: Mouse.buttonEvent(event.button, false); break;
    case DisplayEventKind::FocusLost:
      Keyboard.releaseAll();
      Mouse.releaseAll();
      break;
    default: break;
  }
}

}  // namespace velorina
