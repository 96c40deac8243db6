#pragma once
// A clock that shows whatever time it is set to: for tests and for replaying
// frames at chosen moments. The performance counter runs in microseconds.

#include "platform/display/IClock.h"

namespace velorina {

enum class PerformanceCounter { Present, Absent };

class ManualClock final : public IClock {
 public:
  explicit ManualClock(PerformanceCounter counter = PerformanceCounter::Present) : counter_(counter) {}

  void setMicroseconds(std::int64_t us) { microseconds_ = us; }
  void advanceMilliseconds(double ms) { microseconds_ += static_cast<std::int64_t>(ms * 1000.0); }
  std::int64_t microseconds() const { return microseconds_; }

  std::uint32_t GetTickCount() const override { return static_cast<std::uint32_t>(microseconds_ / 1000); }
  std::int64_t QueryPerformanceCounter() const override {
    return counter_ == PerformanceCounter::Present ? microseconds_ : 0;
  }
  std::int64_t QueryPerformanceFrequency() const override {
    return counter_ == PerformanceCounter::Present ? 1000000 : 0;
  }

 private:
  PerformanceCounter counter_;
  std::int64_t microseconds_ = 0;
};

}  // namespace velorina
