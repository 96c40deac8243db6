#pragma once
// The real time sources, from the monotonic clock (never jumps with wall-clock changes).

#include "platform/display/IClock.h"

namespace velorina {

class SystemClock final : public IClock {
 public:
  std::uint32_t GetTickCount() const override;
  std::int64_t QueryPerformanceCounter() const override;
  std::int64_t QueryPerformanceFrequency() const override;  // nanoseconds: 10^9
};

}  // namespace velorina
