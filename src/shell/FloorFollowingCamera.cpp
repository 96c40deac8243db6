#include "shell/FloorFollowingCamera.h"

#include <algorithm>
#include <cmath>

namespace velorina {

FloorFollowingCamera::FloorFollowingCamera(std::unique_ptr<FloorHeightSource> floors, FloorFollowing settings)
    : floors_(std::move(floors)), settings_(settings) {}

float FloorFollowingCamera::clampToBox(float y) const noexcept {
  return std::max(std::min(y, settings_.maxY), settings_.minY);
}

float FloorFollowingCamera::start(const D3DVECTOR& camera, std::uint32_t tickMs) {
  lastTick_ = tickMs;
  target_ = floors_->floorAt(camera.x, camera.z).value_or(0.0f) + settings_.eyeHeight;
  base_ = target_;
  offset_ = 0;
  lastY_ = clampToBox(base_);
  return lastY_;
}

float FloorFollowingCamera::follow(const D3DVECTOR& camera, std::uint32_t tickMs) {
  const float dt = static_cast<float>(static_cast<std::uint32_t>(tickMs - lastTick_)) / 1000.0f;
  lastTick_ = tickMs;
  offset_ += camera.y - lastY_;
  if (const auto floor = floors_->floorAt(camera.x, camera.z)) target_ = *floor + settings_.eyeHeight;
  const float most = settings_.ratePerSecond * dt;
  base_ += std::clamp(target_ - base_, -most, most);
  // Clamped without touching the offset: the camera step keeps the keys inside the
  // box, so the offset stays bounded, and it comes back in full once the floor does.
  lastY_ = clampToBox(base_ + offset_);
  return lastY_;
}

}  // namespace velorina
