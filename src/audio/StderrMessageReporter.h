#pragma once
// Reports messages as one line on stderr: "caption: text".

#include "audio/MessageReporter.h"

namespace velorina {

class StderrMessageReporter final : public MessageReporter {
 public:
  void showError(const std::string& text, const std::string& caption) override;
};

}  // namespace velorina
