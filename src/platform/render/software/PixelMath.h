#pragma once
// Small arithmetic shared by the general pixel pipeline and the specialised span
// loops. Both must produce identical pixels, so both use these exact formulas.

#include <cmath>
#include <cstdint>

namespace velorina::software {

// x * y / 255, rounded, for x, y in 0 .. 255.
constexpr std::int32_t mul255(std::int32_t x, std::int32_t y) {
  const std::int32_t t = x * y + 128;
  return (t + (t >> 8)) >> 8;
}

constexpr std::int32_t clamp255(std::int32_t x) { return x < 0 ? 0 : (x > 255 ? 255 : x); }

// A colour channel rounded to 0 .. 255. Clamped before the conversion, so that
// the huge or undefined values of degenerate geometry (w near 0) stay harmless.
inline std::int32_t toByte(float f) {
  const float c = f + 0.5f;
  if (!(c > 0.0f)) return 0;  // also NaN
  if (c >= 255.0f) return 255;
  return static_cast<std::int32_t>(c);
}

// floor() for values well inside the int32 range, without a library call.
inline std::int32_t floorToInt(float f) {
  const auto i = static_cast<std::int32_t>(f);
  return f < static_cast<float>(i) ? i - 1 : i;
}

// Texture coordinates far outside 0 .. 1 are brought back by whole repetitions
// first, so the conversions to integers cannot overflow.
inline float reduceCoordinate(float t) {
  if (!(std::fabs(t) < 4096.0f)) return std::isfinite(t) ? t - std::floor(t) : 0.0f;
  return t;
}

// Bilinear sampling position: the texel to the upper left of the sample point
// and the 0 .. 255 weight of its right (or lower) neighbour.
struct BilinearTap {
  std::int32_t index;
  std::int32_t weight;
};

inline BilinearTap bilinearTap(float t, float size) {
  const float b = reduceCoordinate(t) * size - 0.5f;  // texel centres sit at i + 0.5
  const std::int32_t i = floorToInt(b);
  return {i, static_cast<std::int32_t>((b - static_cast<float>(i)) * 256.0f)};
}

}  // namespace velorina::software
