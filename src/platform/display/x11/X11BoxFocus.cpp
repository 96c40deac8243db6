#include "platform/display/x11/X11BoxFocus.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace velorina {

namespace {

// XCB answers each request on its own, errors included, so a window that vanishes
// while the list is read costs one empty answer; Xlib would call a process-wide
// error handler that SDL also sets.

constexpr auto kPollInterval = std::chrono::milliseconds(10);

struct ConnectionCloser {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

struct FreeDeleter {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyHandle = std::unique_ptr<Reply, FreeDeleter>;

struct Screen {
  xcb_window_t root = XCB_WINDOW_NONE;
  int number = 0;
};

xcb_atom_t internAtom(xcb_connection_t* c, const std::string& name, bool onlyIfExists) {
  const ReplyHandle<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, onlyIfExists ? 1 : 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  return reply ? reply->atom : XCB_ATOM_NONE;
}

// The root's children, bottom to top. Top-level windows are direct children of
// the root when no window manager reparents them.
std::vector<xcb_window_t> topLevelWindows(xcb_connection_t* c, xcb_window_t root) {
  const ReplyHandle<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
  if (!tree) return {};
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  return std::vector<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
}

// A window manager that follows ICCCM owns the WM_Sn selection of its screen;
// one that follows EWMH names its check window on the root.
bool windowManagerRuns(xcb_connection_t* c, const Screen& screen) {
  const xcb_atom_t selection = internAtom(c, "WM_S" + std::to_string(screen.number), false);
  const ReplyHandle<xcb_get_selection_owner_reply_t> owner(
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
  if (owner && owner->owner != XCB_WINDOW_NONE) return true;
  const xcb_atom_t check = internAtom(c, "_NET_SUPPORTING_WM_CHECK", true);
  if (check == XCB_ATOM_NONE) return false;
  const ReplyHandle<xcb_get_property_reply_t> property(
      xcb_get_property_reply(c, xcb_get_property(c, 0, screen.root, check, XCB_ATOM_WINDOW, 0, 1), nullptr));
  return property && xcb_get_property_value_length(property.get()) > 0;
}

std::string textProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
  const ReplyHandle<xcb_get_property_reply_t> property(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr));
  if (!property || property->format != 8) return {};
  if (type != XCB_GET_PROPERTY_TYPE_ANY && property->type != type) return {};
  const auto* text = static_cast<const char*>(xcb_get_property_value(property.get()));
  return std::string(text, static_cast<std::size_t>(xcb_get_property_value_length(property.get())));
}

// The window's title: the UTF-8 _NET_WM_NAME when set, else WM_NAME (STRING or
// compound text, which agree for ASCII titles).
std::string windowTitle(xcb_connection_t* c, xcb_window_t window) {
  const xcb_atom_t netName = internAtom(c, "_NET_WM_NAME", false);
  const xcb_atom_t utf8 = internAtom(c, "UTF8_STRING", false);
  std::string title = textProperty(c, window, netName, utf8);
  if (title.empty()) title = textProperty(c, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
  return title;
}

bool viewable(xcb_connection_t* c, xcb_window_t window) {
  const ReplyHandle<xcb_get_window_attributes_reply_t> attributes(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
  return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

// Focuses the first viewable top-level window titled `title` that is not among
// `existing`, and raises it. Answers whether it did.
bool focusNewWindow(xcb_connection_t* c, const Screen& screen, const std::string& title,
                    const std::vector<xcb_window_t>& existing) {
  for (const xcb_window_t window : topLevelWindows(c, screen.root)) {
    if (std::find(existing.begin(), existing.end(), window) != existing.end()) continue;
    if (!viewable(c, window) || windowTitle(c, window) != title) continue;
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    // A round trip, so that the focus is set before the thread disconnects.
    const ReplyHandle<xcb_get_input_focus_reply_t> done(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return true;
  }
  return false;
}

void watch(const std::stop_token& stop, xcb_connection_t* c, const Screen& screen, const std::string& title,
           const std::vector<xcb_window_t>& existing) {
  while (!stop.stop_requested() && xcb_connection_has_error(c) == 0) {
    if (windowManagerRuns(c, screen)) return;
    if (focusNewWindow(c, screen, title, existing)) return;
    std::this_thread::sleep_for(kPollInterval);
  }
}

Screen screenOf(xcb_connection_t* c, int number) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < number && it.rem > 0; ++i) xcb_screen_next(&it);
  if (it.rem <= 0) return {};
  return Screen{it.data->root, number};
}

}  // namespace

X11BoxFocus::X11BoxFocus(std::string title) {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return;
  int number = 0;
  Connection connection(xcb_connect(name, &number));
  if (xcb_connection_has_error(connection.get()) != 0) return;
  const Screen screen = screenOf(connection.get(), number);
  if (screen.root == XCB_WINDOW_NONE) return;
  std::vector<xcb_window_t> existing = topLevelWindows(connection.get(), screen.root);
  watcher_ = std::jthread([connection = std::move(connection), screen, title = std::move(title),
                           existing = std::move(existing)](const std::stop_token& stop) {
    watch(stop, connection.get(), screen, title, existing);
  });
}

X11BoxFocus::~X11BoxFocus() = default;

}  // namespace velorina
