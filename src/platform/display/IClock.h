#pragma once
// The time sources the player reads: the system tick count and the
// high-resolution performance counter. Everything that asks for the time goes
// through one clock, so tests can run frames at chosen moments.

#include <cstdint>

namespace velorina {

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds since an arbitrary start, wrapping at 2^32.
  virtual std::uint32_t GetTickCount() const = 0;
  // The counter and its ticks per second; a frequency of 0 means there is no
  // high-resolution counter and callers fall back to the tick count.
  virtual std::int64_t QueryPerformanceCounter() const = 0;
  virtual std::int64_t QueryPerformanceFrequency() const = 0;
};

}  // namespace velorina
