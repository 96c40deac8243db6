#include "platform/display/DXTimer.h"

namespace velorina {

void DXTimer::SetEnabled(bool on) {
  if (on && !enabled_) lastTick_ = clock_.GetTickCount();
  enabled_ = on;
}

bool DXTimer::DoIdle() {
  if (!enabled_ || (ActiveOnly && !active_)) return false;
  const std::uint32_t now = clock_.GetTickCount();
  const std::uint32_t elapsed = now - lastTick_;  // unsigned: correct across the 49-day wrap
  if (elapsed < interval_) return false;
  const std::uint32_t lag = interval_ == 0 ? 1 : elapsed / interval_;
  lastTick_ = now;
  if (OnTimer) OnTimer(*this, lag);
  return true;
}

void DXTimer::setApplicationActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (active) {
    if (OnActivate) OnActivate(*this);
  } else if (OnDeactivate) {
    OnDeactivate(*this);
  }
}

}  // namespace velorina
