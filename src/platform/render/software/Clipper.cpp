#include "platform/render/software/Clipper.h"

#include <algorithm>

namespace velorina::software {

namespace {
constexpr int kPlaneCount = 6;
}

ClipVertex lerp(const ClipVertex& a, const ClipVertex& b, float t) {
  ClipVertex r;
  r.x = a.x + (b.x - a.x) * t;
  r.y = a.y + (b.y - a.y) * t;
  r.z = a.z + (b.z - a.z) * t;
  r.w = a.w + (b.w - a.w) * t;
  for (int i = 0; i < kAttributeCount; ++i) r.attr[i] = a.attr[i] + (b.attr[i] - a.attr[i]) * t;
  return r;
}

// Signed distance to a plane, positive inside. Planes: near, far, left, right, top, bottom.
float Clipper::distance(const ClipVertex& v, int plane) const {
  switch (plane) {
    case 0: return v.z;
    case 1: return v.w - v.z;
    case 2: return v.x + guard_ * v.w;
    case 3: return guard_ * v.w - v.x;
    case 4: return v.y + guard_ * v.w;
    default: return guard_ * v.w - v.y;
  }
}

std::uint32_t Clipper::outcode(const ClipVertex& v) const {
  std::uint32_t code = 0;
  for (int p = 0; p < kPlaneCount; ++p) {
    // NaN coordinates count as outside, so they never reach the rasteriser.
    if (!(distance(v, p) >= 0.0f)) code |= 1u << p;
  }
  return code;
}

int Clipper::clipPolygon(ClipPolygon& poly, int count, std::uint32_t planes) const {
  ClipPolygon out;
  for (int p = 0; p < kPlaneCount && count > 0; ++p) {
    if (!(planes & (1u << p))) continue;
    int n = 0;
    for (int i = 0; i < count; ++i) {
      const ClipVertex& a = poly[i];
      const ClipVertex& b = poly[(i + 1) % count];
      const float da = distance(a, p), db = distance(b, p);
      const bool ina = da >= 0.0f, inb = db >= 0.0f;
      if (ina) out[n++] = a;
      if (ina != inb && n < kMaxClipVertices + 2) out[n++] = lerp(a, b, da / (da - db));
    }
    count = n;
    for (int i = 0; i < n; ++i) poly[i] = out[i];
  }
  return count < 3 ? 0 : count;
}

bool Clipper::clipLine(ClipVertex& a, ClipVertex& b) const {
  float t0 = 0.0f, t1 = 1.0f;
  for (int p = 0; p < kPlaneCount; ++p) {
    const float da = distance(a, p), db = distance(b, p);
    if (!(da >= 0.0f) && !(db >= 0.0f)) return false;
    if (da < 0.0f) {
      t0 = std::max(t0, da / (da - db));
    } else if (db < 0.0f) {
      t1 = std::min(t1, da / (da - db));
    }
  }
  if (t0 > t1) return false;
  const ClipVertex oa = a, ob = b;
  if (t0 > 0.0f) a = lerp(oa, ob, t0);
  if (t1 < 1.0f) b = lerp(oa, ob, t1);
  return true;
}

}  // namespace velorina::software
