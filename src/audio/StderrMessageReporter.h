#pragma once
// Reports messages as one line on stderr: "caption: text", a Greek text followed by
// its English gloss; warnings as "PROGRAM: warning: text".

#include <string>

#include "audio/MessageReporter.h"

namespace velorina {

class StderrMessageReporter final : public MessageReporter {
 public:
  // `program` starts warning lines ("velorina-tool render", say); empty: none.
  explicit StderrMessageReporter(std::string program = {}) : program_(std::move(program)) {}
  void showError(const std::string& text, const std::string& caption) override;
  void showWarning(const std::string& text) override;

 private:
  std::string program_;
};

}  // namespace velorina
