#pragma once
// Homogeneous clipping of triangles and lines against the view volume
// -g*w <= x <= g*w, -g*w <= y <= g*w, 0 <= z <= w, where g >= 1 is a guard band:
// geometry that crosses the screen edges but stays inside the band is not cut
// (the rasteriser scissors it), which saves work and keeps screen coordinates
// bounded for fixed-point setup. Sutherland-Hodgman clipping, one plane at a time.

#include <array>
#include <cstdint>

namespace velorina::software {

inline constexpr int kAttributeCount = 9;  // r g b a, specular r g b, u v

struct ClipVertex {
  float x, y, z, w;
  float attr[kAttributeCount];
};

// A triangle clips to at most 3 + 6 vertices.
inline constexpr int kMaxClipVertices = 9;
using ClipPolygon = std::array<ClipVertex, kMaxClipVertices + 3>;

class Clipper {
 public:
  explicit Clipper(float guardBand = 1.0f) : guard_(guardBand) {}
  void setGuardBand(float g) { guard_ = g; }

  // Bit set of the planes the vertex is outside of (0 = inside).
  std::uint32_t outcode(const ClipVertex& v) const;

  // Clips the polygon in place; answers the new vertex count (0 when nothing is left).
  int clipPolygon(ClipPolygon& poly, int count, std::uint32_t planes) const;

  // Clips the segment a-b in place; false when nothing is left.
  bool clipLine(ClipVertex& a, ClipVertex& b) const;

 private:
  float distance(const ClipVertex& v, int plane) const;
  float guard_;
};

ClipVertex lerp(const ClipVertex& a, const ClipVertex& b, float t);

}  // namespace velorina::software
