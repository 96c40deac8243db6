#pragma once
// Points and lines drawn as the software device draws them, in triangles.
//
// The software device steps a line one sample at a time along its major axis,
// perspective-correct, and writes a square of `scale` x `scale` samples (one
// pixel's worth when supersampling) at each step; a point is one such square.
// OpenGL's own wide lines and points place their samples by another rule, so
// the device does the same stepping here and hands OpenGL each square as two
// triangles whose corners lie on sample boundaries: no sample centre lies on an
// edge, and every square covers exactly the samples the software device writes.
//
// The squares come out already transformed, in the viewport's clip units with
// the picture's y still pointing up (the vertex shader flips it, as for every
// draw) and depth before the viewport's depth range; they are drawn with an
// identity transform and no pixel-centre offset. Culling and clipping are done
// here, the same way the software device does them.

#include <cstdint>
#include <vector>

#include "platform/render/D3DTypes.h"

namespace velorina {

class GlPointExpander {
 public:
  // The frame of the draws that follow: world * view * projection, the viewport
  // and the samples per pixel side.
  void setFrame(const D3DMATRIX& transform, const D3DVIEWPORT7& viewport, std::uint32_t scale);

  // Each appends the squares it draws to `out`; `layer` goes into every vertex's
  // reserved word (the texture array layer).
  void point(const D3DLVERTEX& v, std::uint32_t layer, std::vector<D3DLVERTEX>& out) const;
  void line(const D3DLVERTEX& a, const D3DLVERTEX& b, std::uint32_t layer, std::vector<D3DLVERTEX>& out) const;
  // A triangle in point or wireframe fill: its corners or its edges, when the
  // triangle is on screen and not culled by the winding it shows.
  void triangle(const D3DLVERTEX& a, const D3DLVERTEX& b, const D3DLVERTEX& c, D3DCULL cull, bool wireframe,
                std::uint32_t layer, std::vector<D3DLVERTEX>& out) const;

  static constexpr int kAttributes = 9;  // diffuse r g b a, specular r g b (0 .. 255), u, v
  struct ClipPoint {
    float x, y, z, w;
    float attr[kAttributes];
    std::uint32_t specularAlpha;  // carried through unchanged
  };
  struct SamplePoint {
    float x, y;  // samples, centres at integers
    float z;     // 0 .. 1 before the depth range
    float rhw;
    float attr[kAttributes];
    std::uint32_t specularAlpha;
  };

 private:
  ClipPoint transform(const D3DLVERTEX& v) const;
  std::uint32_t outcode(const ClipPoint& p) const;
  float distance(const ClipPoint& p, int plane) const;
  bool clipLine(ClipPoint& a, ClipPoint& b) const;
  SamplePoint project(const ClipPoint& p) const;
  void square(const SamplePoint& p, std::uint32_t layer, std::vector<D3DLVERTEX>& out) const;
  void steppedLine(const ClipPoint& a, const ClipPoint& b, std::uint32_t layer, std::vector<D3DLVERTEX>& out) const;

  D3DMATRIX transform_ = D3DMATRIX::identity();
  D3DVIEWPORT7 viewport_{0, 0, 1, 1, 0.0f, 1.0f};
  std::uint32_t scale_ = 1;
  float guard_ = 1.0f;
};

}  // namespace velorina
