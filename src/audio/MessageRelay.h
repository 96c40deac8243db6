#pragma once
// A reporter that hands every message on to another one, which can be changed at
// any time: objects that keep a reference to the relay follow the change.

#include <memory>
#include <set>
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
  void showWarning(const std::string& text) override {
    if (target_) target_->showWarning(text);
  }
  // Hands the warning on the first time `key` is seen; later ones are dropped, so a
  // missing texture named by a thousand walls is reported once.
  void warnOnce(const std::string& key, const std::string& text) {
    if (warned_.insert(key).second) showWarning(text);
  }

 private:
  std::shared_ptr<MessageReporter> target_;
  std::set<std::string> warned_;
};

}  // namespace velorina
