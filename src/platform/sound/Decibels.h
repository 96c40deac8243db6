#pragma once
// Volume and pan on the DirectSound scales, turned into linear gains.
// Volume: hundredths of a decibel, -10000 (silent) .. 0 (full).
// Pan: -10000 (left only) .. 10000 (right only); the side away from the pan is
// attenuated by |pan| hundredths of a decibel, the other side stays at full level.

#include <algorithm>
#include <cmath>

namespace velorina {

inline constexpr int kVolumeMin = -10000;
inline constexpr int kVolumeMax = 0;
inline constexpr int kPanLeft = -10000;
inline constexpr int kPanRight = 10000;

// 10^(hundredths / 2000); the bottom of the scale is exact silence.
inline float gainFromHundredthsDb(int hundredths) {
  if (hundredths <= kVolumeMin) return 0.0f;
  return static_cast<float>(std::pow(10.0, std::min(hundredths, kVolumeMax) / 2000.0));
}

struct StereoGain {
  float left;
  float right;
};

inline StereoGain panGains(int pan) {
  pan = std::clamp(pan, kPanLeft, kPanRight);
  if (pan > 0) return {gainFromHundredthsDb(-pan), 1.0f};
  if (pan < 0) return {1.0f, gainFromHundredthsDb(pan)};
  return {1.0f, 1.0f};
}

}  // namespace velorina
