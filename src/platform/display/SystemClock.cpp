#include "platform/display/SystemClock.h"

#include <chrono>

namespace velorina {

namespace {
std::int64_t nowNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

std::uint32_t SystemClock::GetTickCount() const { return static_cast<std::uint32_t>(nowNanoseconds() / 1000000); }

std::int64_t SystemClock::QueryPerformanceCounter() const { return nowNanoseconds(); }

std::int64_t SystemClock::QueryPerformanceFrequency() const { return 1000000000; }

}  // namespace velorina
