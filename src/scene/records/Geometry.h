#pragma once
// Vectors, matrices and colours as the scene objects use them: three singles with
// the second axis up, 4 x 4 single matrices applied to row vectors (v' = v * M),
// colour values 0x00BBGGRR and device colours 0xAARRGGBB.

#include <cstdint>

#include "platform/render/D3DTypes.h"

namespace velorina {

struct D3DVECTOR {
  float x = 0, y = 0, z = 0;
  bool operator==(const D3DVECTOR&) const = default;
};

// HRESULT-style answers of TransformPoint.
inline constexpr std::int32_t kS_OK = 0;
inline constexpr std::int32_t kE_INVALIDARG = static_cast<std::int32_t>(0x80070057u);

inline constexpr float kPi = 3.14159265358979323846f;

D3DVECTOR MakeVector(float x, float y, float z) noexcept;
D3DVECTOR VectorAdd(const D3DVECTOR& a, const D3DVECTOR& b) noexcept;
D3DVECTOR VectorSub(const D3DVECTOR& a, const D3DVECTOR& b) noexcept;
float VectorMagnitude(const D3DVECTOR& v) noexcept;

// (x, y, z, w) = (src, 1) * m. When |w| < 1e-5 answers kE_INVALIDARG and leaves
// dest as it was; else dest = (x/w, y/w, z/w) and answers kS_OK.
std::int32_t TransformPoint(D3DVECTOR& dest, const D3DVECTOR& src, const D3DMATRIX& m) noexcept;

// m = Rz(az) * Ry(-ay) * Rx(ax), with Rx's first element s (callers pass 1). On a
// row vector the z rotation acts first and the x rotation last.
void RotationMatrix(D3DMATRIX& m, float s, float ax, float ay, float az) noexcept;

// r = a * b.
void MultiplyMatrix(D3DMATRIX& r, const D3DMATRIX& a, const D3DMATRIX& b) noexcept;

// 0xAARRGGBB from a colour value 0x00BBGGRR and an alpha byte.
std::uint32_t ColorToDeviceColor(std::uint32_t color, std::uint8_t alpha) noexcept;

// The colour value 0x00BBGGRR of three channel bytes.
std::uint32_t RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) noexcept;

// One step into [-pi, pi]: a - 2 pi above pi, a + 2 pi below -pi.
float WrapAngle(float a) noexcept;

float MinSingle(float a, float b) noexcept;

}  // namespace velorina
