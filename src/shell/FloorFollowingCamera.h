#pragma once
// The camera height of a walker on uneven ground: each step it moves towards the
// eye height above the floor under the camera at a fixed rate, so stairs and lifts
// are climbed smoothly instead of in jumps, while the rise and sink keys keep
// working as an offset above that height.

#include <cstdint>
#include <memory>
#include <optional>

#include "scene/records/Geometry.h"

namespace velorina {

// The floor under a point of the scene.
class FloorHeightSource {
 public:
  virtual ~FloorHeightSource() = default;
  // The y of the floor under the scene point (x, z); nothing outside every floor.
  virtual std::optional<float> floorAt(float x, float z) const = 0;
};

struct FloorFollowing {
  float eyeHeight = 0;      // scene units above the floor
  float ratePerSecond = 0;  // the most the height changes per second, in scene units
  float minY = 0, maxY = 0; // the camera height stays inside these
};

class FloorFollowingCamera {
 public:
  FloorFollowingCamera(std::unique_ptr<FloorHeightSource> floors, FloorFollowing settings);

  // Places the eye at its height above the floor under `camera` at once and starts
  // timing at `tickMs`; answers the camera's new y.
  float start(const D3DVECTOR& camera, std::uint32_t tickMs);
  // The camera's y after the time since the last step. Whatever moved the camera's
  // y since the last answer (the rise and sink keys) is kept as an offset above the
  // eye height. Outside every floor the last floor counts. Ticks wrap modulo 2^32.
  float follow(const D3DVECTOR& camera, std::uint32_t tickMs);

  // The eye height the camera is moving towards, without the keys' offset.
  float targetHeight() const noexcept { return target_; }

 private:
  float clampToBox(float y) const noexcept;

  std::unique_ptr<FloorHeightSource> floors_;
  FloorFollowing settings_;
  std::uint32_t lastTick_ = 0;
  float base_ = 0;    // the eye height as it follows the floor
  float target_ = 0;  // the eye height above the floor under the camera
  float offset_ = 0;  // what the rise and sink keys added
  float lastY_ = 0;   // the y answered last
};

}  // namespace velorina
