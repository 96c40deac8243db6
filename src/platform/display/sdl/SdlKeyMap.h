#pragma once
// SDL key events as Windows virtual-key codes.

#include <SDL.h>

#include <cstdint>

namespace velorina {

// The virtual-key code of an SDL key, or 0 when it has none. Keypad keys follow
// NumLock the way Windows reports them: with NumLock on they are the keypad
// digits (96 .. 105) and the decimal point; with it off the navigation keys
// (keypad 8 is Up, 4 Left, 9 Page Up, 5 Clear ...). The keypad operators and
// Enter do not depend on NumLock. Letters and digits follow the keyboard layout.
std::uint32_t virtualKeyFromSdl(const SDL_Keysym& key);

}  // namespace velorina
