#pragma once
// Where user-facing error messages go (a message box in an interactive program,
// stderr in a headless one).

#include <string>

namespace velorina {

class MessageReporter {
 public:
  virtual ~MessageReporter() = default;
  // Shows `text` with `caption` as an error.
  virtual void showError(const std::string& text, const std::string& caption) = 0;
  // Something worth knowing that stops nothing (a texture drawn white because its
  // picture was not found): a line on standard error, never a message box. The
  // default drops it.
  virtual void showWarning(const std::string& text) { (void)text; }
};

}  // namespace velorina
