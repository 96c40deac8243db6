#include "platform/display/sdl/SdlKeyMap.h"

#include "platform/display/VirtualKeys.h"

namespace velorina {

namespace {

// Keypad keys in scancode order 1..9, 0, period: their codes with NumLock off.
std::uint32_t keypadNavigation(SDL_Scancode s) {
  switch (s) {
    case SDL_SCANCODE_KP_1: return vk::kEnd;
    case SDL_SCANCODE_KP_2: return vk::kDown;
    case SDL_SCANCODE_KP_3: return vk::kNext;
    case SDL_SCANCODE_KP_4: return vk::kLeft;
    case SDL_SCANCODE_KP_5: return vk::kClear;
    case SDL_SCANCODE_KP_6: return vk::kRight;
    case SDL_SCANCODE_KP_7: return vk::kHome;
    case SDL_SCANCODE_KP_8: return vk::kUp;
    case SDL_SCANCODE_KP_9: return vk::kPrior;
    case SDL_SCANCODE_KP_0: return vk::kInsert;
    case SDL_SCANCODE_KP_PERIOD: return vk::kDelete;
    default: return 0;
  }
}

std::uint32_t keypadDigit(SDL_Scancode s) {
  if (s >= SDL_SCANCODE_KP_1 && s <= SDL_SCANCODE_KP_9) return vk::kNumpad0 + 1 + (s - SDL_SCANCODE_KP_1);
  if (s == SDL_SCANCODE_KP_0) return vk::kNumpad0;
  if (s == SDL_SCANCODE_KP_PERIOD) return vk::kDecimal;
  return 0;
}

std::uint32_t keypadOperator(SDL_Scancode s) {
  switch (s) {
    case SDL_SCANCODE_KP_PLUS: return vk::kAdd;
    case SDL_SCANCODE_KP_MINUS: return vk::kSubtract;
    case SDL_SCANCODE_KP_MULTIPLY: return vk::kMultiply;
    case SDL_SCANCODE_KP_DIVIDE: return vk::kDivide;
    case SDL_SCANCODE_KP_ENTER: return vk::kReturn;
    default: return 0;
  }
}

std::uint32_t namedKey(SDL_Keycode k) {
  switch (k) {
    case SDLK_ESCAPE: return vk::kEscape;
    case SDLK_RETURN: return vk::kReturn;
    case SDLK_SPACE: return vk::kSpace;
    case SDLK_BACKSPACE: return vk::kBack;
    case SDLK_TAB: return vk::kTab;
    case SDLK_LEFT: return vk::kLeft;
    case SDLK_RIGHT: return vk::kRight;
    case SDLK_UP: return vk::kUp;
    case SDLK_DOWN: return vk::kDown;
    case SDLK_PAGEUP: return vk::kPrior;
    case SDLK_PAGEDOWN: return vk::kNext;
    case SDLK_HOME: return vk::kHome;
    case SDLK_END: return vk::kEnd;
    case SDLK_INSERT: return vk::kInsert;
    case SDLK_DELETE: return vk::kDelete;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return vk::kShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return vk::kControl;
    case SDLK_LALT:
    case SDLK_RALT: return vk::kMenu;
    default: return 0;
  }
}

}  // namespace

std::uint32_t virtualKeyFromSdl(const SDL_Keysym& key) {
  if (const std::uint32_t op = keypadOperator(key.scancode)) return op;
  if (keypadDigit(key.scancode) != 0) {
    return (key.mod & KMOD_NUM) ? keypadDigit(key.scancode) : keypadNavigation(key.scancode);
  }
  const SDL_Keycode k = key.sym;
  if (k >= SDLK_a && k <= SDLK_z) return vk::kLetterA + std::uint32_t(k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return vk::kDigit0 + std::uint32_t(k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return vk::kF1 + std::uint32_t(k - SDLK_F1);
  return namedKey(k);
}

}  // namespace velorina
