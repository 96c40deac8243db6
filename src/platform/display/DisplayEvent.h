#pragma once
// What a presenter reports from its window: keys as Windows virtual-key codes,
// mouse motion and buttons, focus changes and the request to close.

#include <cstdint>

namespace velorina {

enum class DisplayEventKind { KeyDown, KeyUp, MouseMotion, MouseButtonDown, MouseButtonUp, FocusGained, FocusLost, Quit };

struct DisplayEvent {
  DisplayEventKind kind = DisplayEventKind::Quit;
  std::uint32_t virtualKey = 0;  // KeyDown, KeyUp: 0 when the key has no code
  std::int32_t dx = 0, dy = 0;   // MouseMotion: relative movement in pixels
  std::uint32_t button = 0;      // MouseButton*: 0 left, 1 right, 2 middle
};

}  // namespace velorina
