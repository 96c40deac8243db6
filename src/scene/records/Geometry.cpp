#include "scene/records/Geometry.h"

#include <cmath>

namespace velorina {

D3DVECTOR MakeVector(float x, float y, float z) noexcept { return {x, y, z}; }

D3DVECTOR VectorAdd(const D3DVECTOR& a, const D3DVECTOR& b) noexcept { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

D3DVECTOR VectorSub(const D3DVECTOR& a, const D3DVECTOR& b) noexcept { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

float VectorMagnitude(const D3DVECTOR& v) noexcept { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

std::int32_t TransformPoint(D3DVECTOR& dest, const D3DVECTOR& s, const D3DMATRIX& m) noexcept {
  const float x = s.x * m._11 + s.y * m._21 + s.z * m._31 + m._41;
  const float y = s.x * m._12 + s.y * m._22 + s.z * m._32 + m._42;
  const float z = s.x * m._13 + s.y * m._23 + s.z * m._33 + m._43;
  const float w = s.x * m._14 + s.y * m._24 + s.z * m._34 + m._44;
  if (std::fabs(w) < 1e-5f) return kE_INVALIDARG;
  dest = {x / w, y / w, z / w};
  return kS_OK;
}

void MultiplyMatrix(D3DMATRIX& r, const D3DMATRIX& a, const D3DMATRIX& b) noexcept { r = multiply(a, b); }

void RotationMatrix(D3DMATRIX& m, float s, float ax, float ay, float az) noexcept {
  D3DMATRIX rx = D3DMATRIX::identity();
  rx._11 = s;
  rx._22 = std::cos(ax);
  rx._23 = std::sin(ax);
  rx._32 = -std::sin(ax);
  rx._33 = std::cos(ax);
  const float b = -ay;
  D3DMATRIX ry = D3DMATRIX::identity();
  ry._11 = std::cos(b);
  ry._13 = -std::sin(b);
  ry._31 = std::sin(b);
  ry._33 = std::cos(b);
  D3DMATRIX rz = D3DMATRIX::identity();
  rz._11 = std::cos(az);
  rz._12 = std::sin(az);
  rz._21 = -std::sin(az);
  rz._22 = std::cos(az);
  m = multiply(multiply(rz, ry), rx);
}

std::uint32_t ColorToDeviceColor(std::uint32_t c, std::uint8_t alpha) noexcept {
  const std::uint32_t r = c & 0xFF;
  const std::uint32_t g = (c >> 8) & 0xFF;
  const std::uint32_t b = (c >> 16) & 0xFF;
  return (std::uint32_t{alpha} << 24) | (r << 16) | (g << 8) | b;
}

std::uint32_t RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) noexcept {
  return std::uint32_t{r} | (std::uint32_t{g} << 8) | (std::uint32_t{b} << 16);
}

float WrapAngle(float a) noexcept {
  // Compared and stepped with pi in double precision, as the single a widens.
  constexpr double kPiD = 3.14159265358979323846;
  const double d = a;
  if (d > kPiD) return static_cast<float>(d - 2 * kPiD);
  if (d < -kPiD) return static_cast<float>(d + 2 * kPiD);
  return a;
}

float MinSingle(float a, float b) noexcept { return a < b ? a : b; }

}  // namespace velorina
