#pragma once
// A reporter that hands every message on to another one, which can be changed at
// any time: objects that keep a reference to the relay follow the change.

#include <memory>
#include <string>
#include <utility>

#include "audio/MessageReporter.h"

namespace velorina {

class MessageRelay final : public MessageReporter {
 public:
  explicit MessageRelay(std::shared_ptr<MessageReporter> target) : target_(std::move(target)) {}
  void setTarget(std::shared_ptr<MessageReporter> target) { target_ = std::move(target); }
  void showError(const std::string& text, const std::string& caption) override {
    if (target_) target_->showError(text, caption);
  }

 private:
  std::shared_ptr<MessageReporter> target_;
};

}  // namespace velorina
