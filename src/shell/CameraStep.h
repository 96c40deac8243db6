#pragma once
// The camera step of each frame tick: turn, pitch, walk, rise and sink from the
// combined input state, scaled by the real time elapsed, kept inside the header's box.

#include <cstdint>

#include "platform/display/InputState.h"
#include "scene/Scene.h"
#include "shell/WorldHeader.h"

namespace velorina {

class CameraStep {
 public:
  // Starts timing at `tickMs` (the system tick count in milliseconds).
  void start(std::uint32_t tickMs) { lastTick_ = tickMs; }

  // Moves the scene's camera for the time since the last step. The tick difference
  // is taken modulo 2^32, so the wrap of the tick count after 49.7 days is a step
  // of a few milliseconds like any other. Nothing happens when no time has passed
  // or the window is not active.
  void step(TD3DScene& scene, const TDXInputStates& keys, const TWorldHeader& header, std::uint32_t tickMs,
            bool windowActive);

 private:
  std::uint32_t lastTick_ = 0;
};

}  // namespace velorina
