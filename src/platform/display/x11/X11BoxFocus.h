#pragma once
// Keyboard focus for a box of our own on an X display that has no window manager.
//
// Without a window manager nothing gives a newly mapped window the keyboard focus:
// the X server's focus stays "pointer root", so keys reach a window only while the
// pointer is over it, and Return or Escape would not close an error box shown in
// the middle of the screen. While an object of this class lives, a thread of its
// own (with its own XCB connection to the display) waits for a new top-level window
// with the given title to become viewable and focuses it, once. Where a window
// manager runs, focus is its business and the thread does nothing.

#include <string>
#include <thread>

namespace velorina {

class X11BoxFocus {
 public:
  // Starts watching for windows titled `title` that do not exist yet. Does nothing
  // (and costs nothing further) when DISPLAY names no reachable server.
  explicit X11BoxFocus(std::string title);
  // Stops watching; returns once the thread has ended.
  ~X11BoxFocus();
  X11BoxFocus(const X11BoxFocus&) = delete;
  X11BoxFocus& operator=(const X11BoxFocus&) = delete;

 private:
  std::jthread watcher_;
};

}  // namespace velorina
