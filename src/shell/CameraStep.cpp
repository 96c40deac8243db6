#include "shell/CameraStep.h"

#include <algorithm>
#include <cmath>

namespace velorina {

void CameraStep::step(TD3DScene& scene, const TDXInputStates& keys, const TWorldHeader& h, std::uint32_t tickMs,
                      bool windowActive) {
  if (tickMs == lastTick_ || !windowActive) return;
  using enum TDXInputState;
  const long double dt = static_cast<std::uint32_t>(tickMs - lastTick_) / 1000.0L;
  const long double speed = h.MoveSpeed;
  const long double turn = dt * h.TurnFactor * (3.14159265358979323846L / 180.0L) * speed;
  D3DVECTOR p = scene.CameraPosition;
  D3DVECTOR r = scene.CameraRotation;
  if (keys.contains(Left)) {
    r.y = static_cast<float>(r.y - turn);
  } else if (keys.contains(Right)) {
    r.y = static_cast<float>(r.y + turn);
  }
  if (keys.contains(Button1)) {
    r.x = static_cast<float>(r.x - turn);
  } else if (keys.contains(Button2)) {
    r.x = static_cast<float>(r.x + turn);
  }
  const long double heading = r.y;
  if (keys.contains(Up)) {
    p.x = static_cast<float>(p.x + std::sin(heading) * speed * dt);
    p.z = static_cast<float>(p.z + std::cos(heading) * speed * dt);
  } else if (keys.contains(Down)) {
    p.x = static_cast<float>(p.x - std::sin(heading) * speed * dt);
    p.z = static_cast<float>(p.z - std::cos(heading) * speed * dt);
  }
  if (keys.contains(Button3)) {
    p.y = static_cast<float>(p.y + dt * speed);
  } else if (keys.contains(Button4)) {
    p.y = static_cast<float>(p.y - dt * speed);
  }
  p.x = std::max(std::min(p.x, h.MaxX), h.MinX);
  p.y = std::max(std::min(p.y, h.MaxY), h.MinY);
  p.z = std::max(std::min(p.z, h.MaxZ), h.MinZ);
  scene.SetCameraPosition(p);
  scene.SetCameraRotation(r);
  lastTick_ = tickMs;
}

}  // namespace velorina
