#pragma once
// TStack: a last-in, first-out stack of 32-bit values.

#include <cstdint>
#include <vector>

namespace velorina {

class TStack {
 public:
  bool IsEmpty() const noexcept { return values_.empty(); }
  void Push(std::uint32_t value) { values_.push_back(value); }
  // Takes the top value into `value`; on an empty stack `value` stays as it was.
  void Pop(std::uint32_t& value) noexcept {
    if (values_.empty()) return;
    value = values_.back();
    values_.pop_back();
  }
  // The top value, removed; 0 from an empty stack.
  std::uint32_t Pop() noexcept {
    std::uint32_t v = 0;
    Pop(v);
    return v;
  }

 private:
  std::vector<std::uint32_t> values_;
};

}  // namespace velorina
