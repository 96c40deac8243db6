#pragma once
// An error box on the window system, shown with SDL: the text in UTF-8 whatever
// the locale of the environment, one "OK" button that Return and Escape press.

#include <string>

namespace velorina {

// Blocks until the box is closed. Answers false when no box could be shown (no
// window system); the caller has written the text elsewhere already.
bool showSdlErrorBox(const std::string& caption, const std::string& text);

}  // namespace velorina
