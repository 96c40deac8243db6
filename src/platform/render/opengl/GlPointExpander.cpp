#include "platform/render/opengl/GlPointExpander.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace velorina {

namespace {

constexpr int kPlaneCount = 6;  // near, far, left, right, top, bottom
constexpr std::uint32_t kNonFinite = 1u << 31;
// A triangle clips to at most 3 + 6 vertices.
constexpr int kMaxPolygon = 12;

using ClipPoint = GlPointExpander::ClipPoint;

float channel(D3DCOLOR c, int shift) { return float((c >> shift) & 0xFF); }

std::uint32_t quantize(float v) { return std::uint32_t(std::clamp(std::lround(v), 0L, 255L)); }

ClipPoint lerp(const ClipPoint& a, const ClipPoint& b, float t) {
  ClipPoint r = a;
  r.x = a.x + (b.x - a.x) * t;
  r.y = a.y + (b.y - a.y) * t;
  r.z = a.z + (b.z - a.z) * t;
  r.w = a.w + (b.w - a.w) * t;
  for (int i = 0; i < GlPointExpander::kAttributes; ++i) r.attr[i] = a.attr[i] + (b.attr[i] - a.attr[i]) * t;
  return r;
}

}  // namespace

void GlPointExpander::setFrame(const D3DMATRIX& transform, const D3DVIEWPORT7& viewport, std::uint32_t scale) {
  transform_ = transform;
  viewport_ = viewport;
  scale_ = scale;
  // The software device's guard band for this viewport: it decides where lines
  // are cut, and so where their steps fall.
  const float span = float(std::max(viewport.dwWidth, viewport.dwHeight) * scale);
  guard_ = std::clamp(16384.0f / span - 1.0f, 1.0f, 8.0f);
}

ClipPoint GlPointExpander::transform(const D3DLVERTEX& v) const {
  const D3DMATRIX& m = transform_;
  ClipPoint c;
  c.x = v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41;
  c.y = v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42;
  c.z = v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43;
  c.w = v.x * m._14 + v.y * m._24 + v.z * m._34 + m._44;
  c.attr[0] = channel(v.color, 16);
  c.attr[1] = channel(v.color, 8);
  c.attr[2] = channel(v.color, 0);
  c.attr[3] = channel(v.color, 24);
  c.attr[4] = channel(v.specular, 16);
  c.attr[5] = channel(v.specular, 8);
  c.attr[6] = channel(v.specular, 0);
  c.attr[7] = v.tu;
  c.attr[8] = v.tv;
  c.specularAlpha = v.specular & 0xFF000000u;
  return c;
}

// Signed distance to a plane of the guard-banded view volume, positive inside.
float GlPointExpander::distance(const ClipPoint& p, int plane) const {
  switch (plane) {
    case 0: return p.z;
    case 1: return p.w - p.z;
    case 2: return p.x + guard_ * p.w;
    case 3: return guard_ * p.w - p.x;
    case 4: return p.y + guard_ * p.w;
    default: return guard_ * p.w - p.y;
  }
}

std::uint32_t GlPointExpander::outcode(const ClipPoint& p) const {
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z) || !std::isfinite(p.w) ||
      !std::isfinite(p.attr[7]) || !std::isfinite(p.attr[8])) {
    return kNonFinite;
  }
  std::uint32_t code = 0;
  for (int plane = 0; plane < kPlaneCount; ++plane)
    if (!(distance(p, plane) >= 0.0f)) code |= 1u << plane;
  return code;
}

bool GlPointExpander::clipLine(ClipPoint& a, ClipPoint& b) const {
  float t0 = 0.0f, t1 = 1.0f;
  for (int plane = 0; plane < kPlaneCount; ++plane) {
    const float da = distance(a, plane), db = distance(b, plane);
    if (!(da >= 0.0f) && !(db >= 0.0f)) return false;
    if (da < 0.0f) {
      t0 = std::max(t0, da / (da - db));
    } else if (db < 0.0f) {
      t1 = std::min(t1, da / (da - db));
    }
  }
  if (t0 > t1) return false;
  const ClipPoint oa = a, ob = b;
  if (t0 > 0.0f) a = lerp(oa, ob, t0);
  if (t1 < 1.0f) b = lerp(oa, ob, t1);
  return true;
}

GlPointExpander::SamplePoint GlPointExpander::project(const ClipPoint& p) const {
  const float s = float(scale_);
  const float rhw = 1.0f / p.w;
  const float nx = p.x * rhw, ny = p.y * rhw;
  SamplePoint o;
  // Sample centres at integers; with s x s samples per pixel they sit
  // symmetrically about the pixel centre.
  o.x = s * (float(viewport_.dwX) + (nx + 1.0f) * 0.5f * float(viewport_.dwWidth)) + (s - 1.0f) * 0.5f;
  o.y = s * (float(viewport_.dwY) + (1.0f - ny) * 0.5f * float(viewport_.dwHeight)) + (s - 1.0f) * 0.5f;
  o.z = p.z * rhw;
  o.rhw = rhw;
  std::copy(std::begin(p.attr), std::end(p.attr), o.attr);
  o.specularAlpha = p.specularAlpha;
  return o;
}

// The samples x0 .. x0 + scale - 1 (and likewise in y) as two triangles whose
// corners lie on the samples' outer boundaries.
void GlPointExpander::square(const SamplePoint& p, std::uint32_t layer, std::vector<D3DLVERTEX>& out) const {
  const float size = float(scale_);
  const float offset = (size - 1.0f) * 0.5f;
  const float x0 = std::floor(p.x - offset + 0.5f), y0 = std::floor(p.y - offset + 0.5f);
  const float left = float(viewport_.dwX) * size, top = float(viewport_.dwY) * size;
  const float sx = 2.0f / (float(viewport_.dwWidth) * size), sy = 2.0f / (float(viewport_.dwHeight) * size);
  // Sample edges to clip units; y keeps pointing down the screen here and is
  // turned up so that the vertex shader's flip puts it back.
  auto clipX = [&](float x) { return (x - left) * sx - 1.0f; };
  auto clipY = [&](float y) { return 1.0f - (y - top) * sy; };
  D3DLVERTEX v;
  v.z = p.z;
  v.dwReserved = layer;
  v.color = quantize(p.attr[3]) << 24 | quantize(p.attr[0]) << 16 | quantize(p.attr[1]) << 8 | quantize(p.attr[2]);
  v.specular = p.specularAlpha | quantize(p.attr[4]) << 16 | quantize(p.attr[5]) << 8 | quantize(p.attr[6]);
  v.tu = p.attr[7];
  v.tv = p.attr[8];
  const float xa = clipX(x0), xb = clipX(x0 + size), ya = clipY(y0), yb = clipY(y0 + size);
  const std::array<std::array<float, 2>, 6> corners{{{xa, ya}, {xb, ya}, {xa, yb}, {xb, ya}, {xb, yb}, {xa, yb}}};
  for (const auto& [x, y] : corners) {
    v.x = x;
    v.y = y;
    out.push_back(v);
  }
}

void GlPointExpander::point(const D3DLVERTEX& v, std::uint32_t layer, std::vector<D3DLVERTEX>& out) const {
  const ClipPoint p = transform(v);
  if (outcode(p) != 0 || !(p.w > 0.0f)) return;
  square(project(p), layer, out);
}

void GlPointExpander::line(const D3DLVERTEX& a, const D3DLVERTEX& b, std::uint32_t layer,
                           std::vector<D3DLVERTEX>& out) const {
  steppedLine(transform(a), transform(b), layer, out);
}

void GlPointExpander::steppedLine(const ClipPoint& from, const ClipPoint& to, std::uint32_t layer,
                                  std::vector<D3DLVERTEX>& out) const {
  if ((outcode(from) | outcode(to)) & kNonFinite) return;
  ClipPoint ca = from, cb = to;
  if (!clipLine(ca, cb) || !(ca.w > 0.0f) || !(cb.w > 0.0f)) return;
  const SamplePoint a = project(ca), b = project(cb);
  const float dx = b.x - a.x, dy = b.y - a.y;
  // One step per sample along the major axis.
  const auto steps = std::int32_t(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
  for (std::int32_t i = 0; i <= steps; ++i) {
    const float t = steps == 0 ? 0.0f : float(i) / float(steps);
    SamplePoint p;
    p.x = a.x + dx * t;
    p.y = a.y + dy * t;
    p.z = a.z + (b.z - a.z) * t;
    // Perspective-correct along the line: a / w and 1 / w are linear on screen.
    p.rhw = a.rhw + (b.rhw - a.rhw) * t;
    const float w = p.rhw != 0.0f ? 1.0f / p.rhw : 0.0f;
    for (int k = 0; k < kAttributes; ++k) {
      p.attr[k] = (a.attr[k] * a.rhw + (b.attr[k] * b.rhw - a.attr[k] * a.rhw) * t) * w;
    }
    p.specularAlpha = a.specularAlpha;
    square(p, layer, out);
  }
}

void GlPointExpander::triangle(const D3DLVERTEX& a, const D3DLVERTEX& b, const D3DLVERTEX& c, D3DCULL cull,
                               bool wireframe, std::uint32_t layer, std::vector<D3DLVERTEX>& out) const {
  const std::array<ClipPoint, 3> corner{transform(a), transform(b), transform(c)};
  const std::uint32_t o0 = outcode(corner[0]), o1 = outcode(corner[1]), o2 = outcode(corner[2]);
  if ((o0 | o1 | o2) & kNonFinite) return;
  if (o0 & o1 & o2) return;  // wholly outside one plane
  // The part on screen decides the winding: clip it as a polygon.
  std::array<ClipPoint, kMaxPolygon> poly{corner[0], corner[1], corner[2]}, next;
  int count = 3;
  const std::uint32_t planes = o0 | o1 | o2;
  for (int plane = 0; plane < kPlaneCount && count > 0; ++plane) {
    if (!(planes & (1u << plane))) continue;
    int n = 0;
    for (int i = 0; i < count; ++i) {
      const ClipPoint& p = poly[i];
      const ClipPoint& q = poly[(i + 1) % count];
      const float dp = distance(p, plane), dq = distance(q, plane);
      if (dp >= 0.0f) next[n++] = p;
      if ((dp >= 0.0f) != (dq >= 0.0f) && n < kMaxPolygon - 1) next[n++] = lerp(p, q, dp / (dp - dq));
    }
    count = n;
    std::copy(next.begin(), next.begin() + n, poly.begin());
  }
  if (count < 3) return;
  float area = 0;
  for (int i = 0; i < count; ++i) {
    const ClipPoint& p = poly[i];
    const ClipPoint& q = poly[(i + 1) % count];
    if (!(p.w > 0.0f)) return;  // touches the eye point: no finite projection
    // On screen y grows downwards: a positive area runs clockwise.
    area += (p.x / p.w) * (-q.y / q.w) - (q.x / q.w) * (-p.y / p.w);
  }
  if (cull == D3DCULL::D3DCULL_CW && area > 0) return;
  if (cull == D3DCULL::D3DCULL_CCW && area < 0) return;
  if (wireframe) {
    steppedLine(corner[0], corner[1], layer, out);
    steppedLine(corner[1], corner[2], layer, out);
    steppedLine(corner[2], corner[0], layer, out);
    return;
  }
  for (const ClipPoint& p : corner)
    if (outcode(p) == 0 && p.w > 0.0f) square(project(p), layer, out);
}

}  // namespace velorina
