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
};

}  // namespace velorina
