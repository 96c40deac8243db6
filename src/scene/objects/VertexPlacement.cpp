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

const D3DMATRIX& PlacementCache::Matrix(const D3DVECTOR& scale, const D3DVECTOR& angles) noexcept {
  if (!valid_ || !(scale == scale_) || !(angles == angles_)) {
    matrix_ = PlacementMatrix(scale, angles);
    scale_ = scale;
    angles_ = angles;
    valid_ = true;
  }
  return matrix_;
}

namespace {

// The placement of one vertex; Perspective when the matrix's fourth column is
// not (0, 0, 0, 1), so that w must be found per vertex.
template <bool Perspective>
void placeOne(const D3DLVERTEX& a, D3DLVERTEX& b, const D3DMATRIX& m, const D3DVECTOR& position) noexcept {
  float inverse = 1;
  if constexpr (Perspective) {
    const float w = a.x * m._14 + a.y * m._24 + a.z * m._34 + m._44;
    inverse = w != 0 ? 1 / w : 0;
  }
  const float x = a.x, y = a.y, z = a.z;
  b.x = (x * m._11 + y * m._21 + z * m._31) * inverse + position.x;
  b.y = (x * m._12 + y * m._22 + z * m._32) * inverse + position.y;
  b.z = (x * m._13 + y * m._23 + z * m._33) * inverse + position.z;
}

template <bool Perspective>
void placeAll(std::span<const D3DLVERTEX> model, std::span<D3DLVERTEX> world, const D3DMATRIX& m,
              const D3DVECTOR& position, VertexAttributes attributes) noexcept {
  const std::size_t n = std::min(model.size(), world.size());
  const D3DLVERTEX* a = model.data();
  D3DLVERTEX* b = world.data();
  if (attributes == VertexAttributes::Copy) std::copy_n(a, n, b);
  for (std::size_t i = 0; i < n; ++i) placeOne<Perspective>(a[i], b[i], m, position);
}

}  // namespace

void TransformToWorld(std::span<const D3DLVERTEX> model, std::span<D3DLVERTEX> world, const D3DMATRIX& m,
                      const D3DVECTOR& position, VertexAttributes attributes) noexcept {
  const D3DMATRIX local = m;  // a copy the stores cannot alias
  const D3DVECTOR at = position;
  if (local._14 == 0 && local._24 == 0 && local._34 == 0 && local._44 == 1) {
    placeAll<false>(model, world, local, at, attributes);
  } else {
    placeAll<true>(model, world, local, at, attributes);
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
