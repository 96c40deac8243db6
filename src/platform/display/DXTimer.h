#pragma once
// The frame timer: driven from the application's idle processing (DoIdle), it
// raises OnTimer once the interval has passed since the previous tick. With
// ActiveOnly on it ticks only while the application is active. OnActivate and
// OnDeactivate are raised on every change of the application's active state.

#include <cstdint>
#include <functional>

#include "platform/display/IClock.h"

namespace velorina {

class DXTimer {
 public:
  explicit DXTimer(const IClock& clock) : clock_(clock) {}

  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t ms) { interval_ = ms; }
  bool Enabled() const { return enabled_; }
  // Enabling starts the interval from now.
  void SetEnabled(bool on);
  bool ActiveOnly = false;

  // Ticks when due: enabled, active (or not ActiveOnly), and at least Interval
  // milliseconds since the last tick. Answers whether it ticked.
  bool DoIdle();
  bool ApplicationActive() const { return active_; }
  void setApplicationActive(bool active);

  // lagCount: how many whole intervals passed since the previous tick (at least 1).
  std::function<void(DXTimer&, std::uint32_t lagCount)> OnTimer;
  std::function<void(DXTimer&)> OnActivate;
  std::function<void(DXTimer&)> OnDeactivate;

 private:
  const IClock& clock_;
  std::uint32_t interval_ = 1000;
  bool enabled_ = false;
  bool active_ = true;
  std::uint32_t lastTick_ = 0;
};

}  // namespace velorina
