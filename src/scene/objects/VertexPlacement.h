#pragma once
// Placing generated geometry in the scene: the model vertices of a sphere or a
// text are scaled, turned and moved into world vertices, and moves and turns of
// the object later work on the world vertices in place.

#include <span>

#include "scene/records/Geometry.h"

namespace velorina {

// Scale first, then rotation: diag(scale, 1) * RotationMatrix(1, angles).
D3DMATRIX PlacementMatrix(const D3DVECTOR& scale, const D3DVECTOR& angles) noexcept;

// PlacementMatrix of the last scale and angles asked for, made again only when
// they change: rebuilding an object's geometry in place (a new text) then costs no
// trigonometry.
class PlacementCache {
 public:
  const D3DMATRIX& Matrix(const D3DVECTOR& scale, const D3DVECTOR& angles) noexcept;

 private:
  bool valid_ = false;
  D3DVECTOR scale_, angles_;
  D3DMATRIX matrix_;
};

// What TransformToWorld takes from the model vertices besides their positions.
enum class VertexAttributes {
  Copy,  // colours and texture coordinates too
  Keep,  // only positions; the world vertices keep their colours and coordinates
};

// world[i] := model[i]'s position times the upper 3 x 3 part of m, divided by
// (position, 1) times m's fourth column, plus `position`. A point whose divisor is
// 0 is placed at `position` rather than at infinity. Both spans have the same size.
void TransformToWorld(std::span<const D3DLVERTEX> model, std::span<D3DLVERTEX> world, const D3DMATRIX& m,
                      const D3DVECTOR& position, VertexAttributes attributes) noexcept;

// Adds v to every vertex position.
void MoveVertices(std::span<D3DLVERTEX> vertices, const D3DVECTOR& v) noexcept;

// Turns every vertex position by the upper 3 x 3 part of RotationMatrix(1, angles),
// about the scene origin.
void RotateVertices(std::span<D3DLVERTEX> vertices, const D3DVECTOR& angles) noexcept;

// Each component of `angles` plus the same of `by`, wrapped once into [-pi, pi].
D3DVECTOR WrapAngles(const D3DVECTOR& angles, const D3DVECTOR& by) noexcept;

}  // namespace velorina
