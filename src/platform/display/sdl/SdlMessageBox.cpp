#include "platform/display/sdl/SdlMessageBox.h"

#include <SDL.h>

#include "platform/display/x11/X11BoxFocus.h"

#include <cstdlib>
#include <optional>

namespace velorina {

namespace {

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool namesUtf8(const std::string& locale) {
  return locale.find("UTF-8") != std::string::npos || locale.find("utf8") != std::string::npos ||
         locale.find("utf-8") != std::string::npos || locale.find("UTF8") != std::string::npos;
}

// The X11 box takes its character set from the environment's locale while it is
// shown: under "C" it would read the UTF-8 bytes of a Greek message as Latin-1.
// For that moment the environment names a UTF-8 locale.
class Utf8LocaleForBox {
 public:
  Utf8LocaleForBox() : saved_(environment("LC_ALL")) {
    const std::string effective = saved_ ? *saved_ : environment("LC_CTYPE").value_or(environment("LANG").value_or(""));
    if (namesUtf8(effective)) return;
    changed_ = true;
    ::setenv("LC_ALL", "C.UTF-8", 1);
  }
  ~Utf8LocaleForBox() {
    if (!changed_) return;
    if (saved_) {
      ::setenv("LC_ALL", saved_->c_str(), 1);
    } else {
      ::unsetenv("LC_ALL");
    }
  }
  Utf8LocaleForBox(const Utf8LocaleForBox&) = delete;
  Utf8LocaleForBox& operator=(const Utf8LocaleForBox&) = delete;

 private:
  std::optional<std::string> saved_;
  bool changed_ = false;
};

}  // namespace

bool showSdlErrorBox(const std::string& caption, const std::string& text) {
  const SDL_MessageBoxButtonData ok{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0,
                                    "OK"};
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_ERROR;
  box.title = caption.c_str();
  box.message = text.c_str();
  box.numbuttons = 1;
  box.buttons = &ok;
  const Utf8LocaleForBox utf8;
  // Return and Escape must reach the box even where no window manager focuses it.
  const X11BoxFocus focus(caption);
  int pressed = -1;
  return SDL_ShowMessageBox(&box, &pressed) == 0;
}

}  // namespace velorina
