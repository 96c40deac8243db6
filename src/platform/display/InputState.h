#pragma once
// The combined input state: 36 members, each either down or up.

#include <bitset>
#include <cstddef>
#include <cstdint>

namespace velorina {

enum class TDXInputState : std::uint8_t {
  Up, Down, Left, Right,
  Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8,
  Button9, Button10, Button11, Button12, Button13, Button14, Button15, Button16,
  Button17, Button18, Button19, Button20, Button21, Button22, Button23, Button24,
  Button25, Button26, Button27, Button28, Button29, Button30, Button31, Button32,
};

inline constexpr std::size_t kInputStateCount = 36;

// Button n (1 .. 32) as a member.
constexpr TDXInputState button(int n) { return static_cast<TDXInputState>(int(TDXInputState::Button1) + n - 1); }

class TDXInputStates {
 public:
  bool contains(TDXInputState s) const { return bits_.test(std::size_t(s)); }
  void set(TDXInputState s, bool down = true) { bits_.set(std::size_t(s), down); }
  void clear() { bits_.reset(); }
  bool empty() const { return bits_.none(); }
  TDXInputStates& operator|=(const TDXInputStates& o) {
    bits_ |= o.bits_;
    return *this;
  }
  bool operator==(const TDXInputStates&) const = default;

 private:
  std::bitset<kInputStateCount> bits_;
};

}  // namespace velorina
