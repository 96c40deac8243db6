#include "scene/objects/VertexPlacement.h"

#include <algorithm>

namespace velorina {

D3DMATRIX PlacementMatrix(const D3DVECTOR& scale, const D3DVECTOR& angles) noexcept {
  D3DMATRIX rotation;
  RotationMatrix(rotation, 1, angles.x, angles.y, angles.z);
  D3DMATRIX s = D3DMATRIX::identity();
  s._11 = scale.x;
  s._22 = scale.y;
  s._33 = scale.z;
  D3DMATRIX m;
  MultiplyMatrix(m, s, rotation);
  return m;
}

void TransformToWorld(std::span<const D3DLVERTEX> model, std::span<D3DLVERTEX> world, const D3DMATRIX& m,
                      const D3DVECTOR& position, VertexAttributes attributes) noexcept {
  const std::size_t n = std::min(model.size(), world.size());
  for (std::size_t i = 0; i < n; ++i) {
    const D3DLVERTEX& a = model[i];
    D3DLVERTEX& b = world[i];
    if (attributes == VertexAttributes::Copy) b = a;
    const float w = a.x * m._14 + a.y * m._24 + a.z * m._34 + m._44;
    const float inverse = w != 0 ? 1 / w : 0;
    b.x = (a.x * m._11 + a.y * m._21 + a.z * m._31) * inverse + position.x;
    b.y = (a.x * m._12 + a.y * m._22 + a.z * m._32) * inverse + position.y;
    b.z = (a.x * m._13 + a.y * m._23 + a.z * m._33) * inverse + position.z;
  }
}

void MoveVertices(std::span<D3DLVERTEX> vertices, const D3DVECTOR& v) noexcept {
  for (D3DLVERTEX& p : vertices) {
    p.x += v.x;
    p.y += v.y;
    p.z += v.z;
  }
}

void RotateVertices(std::span<D3DLVERTEX> vertices, const D3DVECTOR& angles) noexcept {
  D3DMATRIX m;
  RotationMatrix(m, 1, angles.x, angles.y, angles.z);
  for (D3DLVERTEX& p : vertices) {
    const float x = p.x * m._11 + p.y * m._21 + p.z * m._31;
    const float y = p.x * m._12 + p.y * m._22 + p.z * m._32;
    const float z = p.x * m._13 + p.y * m._23 + p.z * m._33;
    p.x = x, p.y = y, p.z = z;
  }
}

D3DVECTOR WrapAngles(const D3DVECTOR& angles, const D3DVECTOR& by) noexcept {
  return {WrapAngle(angles.x + by.x), WrapAngle(angles.y + by.y), WrapAngle(angles.z + by.z)};
}

}  // namespace velorina
