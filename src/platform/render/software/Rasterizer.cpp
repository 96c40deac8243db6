#include "platform/render/software/Rasterizer.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/render/software/PixelMath.h"

namespace velorina::software {

namespace {

constexpr int kSubpixelBits = 4;
constexpr std::int64_t kSubpixel = 1 << kSubpixelBits;
constexpr int kColorAttributes = 7;              // diffuse rgba and specular rgb
constexpr int kSpecularFirst = 4;                // the first specular attribute

// floor(n / d) for d > 0. The quotient is estimated in double precision (exact
// to within one for the magnitudes here) and corrected exactly, which costs far
// less than a 64-bit integer division on every row edge.
std::int64_t floorDiv(std::int64_t n, std::int64_t d) {
  auto q = static_cast<std::int64_t>(static_cast<double>(n) / static_cast<double>(d));
  if (q * d > n) {
    --q;
  } else if ((q + 1) * d <= n) {
    ++q;
  }
  return q;
}

std::int64_t ceilDiv(std::int64_t n, std::int64_t d) { return -floorDiv(-n, d); }

struct Edge {
  std::int64_t dx, dy, xa, ya;
  std::int64_t threshold;  // 0 for top and left edges, 1 otherwise
};

// A screen position in 1/16 sample units, rounded half up. Positions stay within
// the clipper's guard band, far inside the int64 range.
std::int64_t snap(float v) {
  const double d = double(v) * kSubpixel + 0.5;
  const auto i = static_cast<std::int64_t>(d);
  return d < double(i) ? i - 1 : i;
}

Edge makeEdge(std::int64_t xa, std::int64_t ya, std::int64_t xb, std::int64_t yb) {
  const std::int64_t dx = xb - xa, dy = yb - ya;
  // With the clockwise order used below, left edges run upwards and top edges run
  // to the right.
  const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
  return {dx, dy, xa, ya, topLeft ? 0 : 1};
}

// The samples of successive rows on the inner side of one edge. Row py's bound is
// an exact rational function of py; it is kept as quotient and remainder and
// advanced row by row without dividing.
class EdgeWalker {
 public:
  EdgeWalker(const Edge& e, std::int64_t py)
      : a_(-e.dy * kSubpixel), c_(e.dx * (py * kSubpixel - e.ya) + e.dy * e.xa), step_(e.dx * kSubpixel),
        threshold_(e.threshold) {
    // The samples px of the row satisfy c + a * px >= threshold.
    if (a_ > 0) {  // px >= ceil((threshold - c) / a), kept as n = q * a - r
      const std::int64_t n = threshold_ - c_;
      q_ = ceilDiv(n, a_);
      r_ = q_ * a_ - n;
      split(step_, a_);
    } else if (a_ < 0) {  // px <= floor((c - threshold) / -a), kept as m = q * (-a) + r
      const std::int64_t m = c_ - threshold_;
      q_ = floorDiv(m, -a_);
      r_ = m - q_ * -a_;
      split(step_, -a_);
    }
  }

  // Narrows [lo, hi] to this row's inner samples; false when there are none.
  bool narrow(std::int64_t& lo, std::int64_t& hi) const {
    if (a_ > 0) {
      lo = std::max(lo, q_);
    } else if (a_ < 0) {
      hi = std::min(hi, q_);
    } else if (c_ < threshold_) {
      return false;
    }
    return lo <= hi;
  }

  // The carries are taken without branching: whether one occurs on a row follows
  // the edge's slope, which the processor cannot predict.
  void nextRow() {
    if (a_ > 0) {  // n falls by step
      q_ -= stepQuotient_;
      r_ += stepRemainder_;
      const std::int64_t carry = -std::int64_t(r_ >= a_);  // 0 or -1
      r_ -= a_ & carry;
      q_ += carry;
    } else if (a_ < 0) {  // m rises by step
      q_ += stepQuotient_;
      r_ += stepRemainder_;
      const std::int64_t carry = -std::int64_t(r_ >= -a_);
      r_ += a_ & carry;
      q_ -= carry;
    } else {
      c_ += step_;
    }
  }

 private:
  void split(std::int64_t value, std::int64_t divisor) {
    stepQuotient_ = floorDiv(value, divisor);
    stepRemainder_ = value - stepQuotient_ * divisor;
  }

  std::int64_t a_, c_, step_, threshold_;
  std::int64_t q_ = 0, r_ = 0, stepQuotient_ = 0, stepRemainder_ = 0;
};

// How the triangle's diffuse colour varies, and that colour when it does not:
// flat shading gives every sample the colour of `first`.
Diffuse diffuseOf(const ScreenVertex* const (&v)[3], const ScreenVertex& first, Shading shading, float (&colour)[4]) {
  bool constant = true;
  for (int k = 0; k < 4; ++k) {
    colour[k] = first.attr[k];
    if (shading == Shading::Gouraud) constant = constant && v[0]->attr[k] == first.attr[k] &&
                                                v[1]->attr[k] == first.attr[k] && v[2]->attr[k] == first.attr[k];
  }
  if (!constant) return Diffuse::Interpolated;
  const bool white = toByte(colour[0]) == 255 && toByte(colour[1]) == 255 && toByte(colour[2]) == 255;
  return white ? Diffuse::White : Diffuse::Constant;
}

}  // namespace

void Rasterizer::writeSample(std::int32_t x, std::int32_t y, float z, const PixelInput& in,
                             const PixelPipeline& pipe) {
  if (x < scissor_.x0 || x >= scissor_.x1 || y < scissor_.y0 || y >= scissor_.y1) return;
  if (frameBuffer_ != nullptr) frameBuffer_->prepareSample(x, y);
  const std::size_t at = std::size_t(y - target_.y0) * target_.stride + std::size_t(x - target_.x0);
  const bool depth = pipe.depthTest && target_.depth != nullptr;
  float* zb = depth ? target_.depth + at : nullptr;
  if (depth && !compare(pipe.depthFunc, z, *zb)) return;
  std::uint32_t argb;
  if (!pipe.shade(in, argb)) return;
  std::uint32_t* cb = target_.color + at;
  *cb = pipe.blendOver(argb, *cb);
  if (depth && pipe.depthWrite) *zb = z;
}

void Rasterizer::drawTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                              const PixelPipeline& pipe, Interpolation interp, Shading shading) {
  const ScreenVertex* v[3] = {&a, &b, &c};
  std::int64_t X[3], Y[3];
  for (int i = 0; i < 3; ++i) {
    X[i] = snap(v[i]->x);
    Y[i] = snap(v[i]->y);
  }
  // Nothing to do when the triangle misses the scissor's rows.
  const std::int64_t yMin = std::max<std::int64_t>(ceilDiv(std::min({Y[0], Y[1], Y[2]}), kSubpixel), scissor_.y0);
  const std::int64_t yMax =
      std::min<std::int64_t>(floorDiv(std::max({Y[0], Y[1], Y[2]}), kSubpixel), scissor_.y1 - 1);
  if (yMin > yMax) return;
  const std::int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
  if (area == 0) return;
  if (frameBuffer_ != nullptr) frameBuffer_->prepare({scissor_.x0, std::int32_t(yMin), scissor_.x1, std::int32_t(yMax) + 1});
  if (area < 0) {  // make the order clockwise on screen (y grows downwards)
    std::swap(v[1], v[2]);
    std::swap(X[1], X[2]);
    std::swap(Y[1], Y[2]);
  }

  // Plane equations q(x, y) = q0 + dqdx (x - x0) + dqdy (y - y0) from the snapped positions.
  float fx[3], fy[3], q[3][kQuantities];
  for (int i = 0; i < 3; ++i) {
    fx[i] = float(X[i]) / kSubpixel;
    fy[i] = float(Y[i]) / kSubpixel;
    const float w = interp == Interpolation::Perspective ? v[i]->rhw : 1.0f;
    q[i][0] = v[i]->z;
    q[i][1] = w;
    for (int k = 0; k < kAttributeCount; ++k) {
      const bool flatColor = shading == Shading::Flat && k < kColorAttributes;
      q[i][2 + k] = (flatColor ? a.attr[k] : v[i]->attr[k]) * w;
    }
  }
  const float dx1 = fx[1] - fx[0], dy1 = fy[1] - fy[0], dx2 = fx[2] - fx[0], dy2 = fy[2] - fy[0];
  const float invDet = 1.0f / (dx1 * dy2 - dx2 * dy1);
  // Padded to whole vectors of four, for the row loop below.
  alignas(16) float dqdx[kPaddedQuantities] = {}, dqdy[kPaddedQuantities] = {}, q0[kPaddedQuantities] = {};
  for (int k = 0; k < kQuantities; ++k) {
    const float d1 = q[1][k] - q[0][k], d2 = q[2][k] - q[0][k];
    dqdx[k] = (d1 * dy2 - d2 * dy1) * invDet;
    dqdy[k] = (d2 * dx1 - d1 * dx2) * invDet;
    q0[k] = q[0][k];
  }

  const Edge edges[3] = {makeEdge(X[0], Y[0], X[1], Y[1]), makeEdge(X[1], Y[1], X[2], Y[2]),
                         makeEdge(X[2], Y[2], X[0], Y[0])};
  const bool depth = pipe.depthTest && target_.depth != nullptr;
  // Unlit worlds give every vertex a black specular colour: adding it is a no-op
  // that the span loops can leave out.
  bool blackSpecular = true;
  for (int i = 0; i < 3; ++i) {
    for (int k = kSpecularFirst; k < kColorAttributes; ++k) blackSpecular = blackSpecular && q[i][2 + k] == 0.0f;
  }
  SpanRow row;
  const Diffuse diffuse = diffuseOf(v, a, shading, row.diffuse);
  const SpanFunction span = selectSpanFunction(pipe, depth, blackSpecular, diffuse);
  row.dqdx = dqdx;
  EdgeWalker walkers[3] = {EdgeWalker(edges[0], yMin), EdgeWalker(edges[1], yMin), EdgeWalker(edges[2], yMin)};
  for (std::int64_t py = yMin; py <= yMax; ++py) {
    std::int64_t lo = scissor_.x0, hi = scissor_.x1 - 1;
    const bool inside = walkers[0].narrow(lo, hi) && walkers[1].narrow(lo, hi) && walkers[2].narrow(lo, hi);
    for (EdgeWalker& w : walkers) w.nextRow();
    if (!inside) continue;
    // q0 + dqdx * ox + dqdy * oy, four quantities at a time, in that order of
    // operations (the same float results as one at a time).
    const __m128 ox = _mm_set1_ps(float(lo) - fx[0]), oy = _mm_set1_ps(float(py) - fy[0]);
    for (int k = 0; k < kPaddedQuantities; k += 4) {
      const __m128 across = _mm_add_ps(_mm_load_ps(q0 + k), _mm_mul_ps(_mm_load_ps(dqdx + k), ox));
      _mm_store_ps(row.val + k, _mm_add_ps(across, _mm_mul_ps(_mm_load_ps(dqdy + k), oy)));
    }
    // The span loops index the row from the target's left edge.
    const std::size_t rowStart = std::size_t(py - target_.y0) * target_.stride;
    row.color = target_.color + rowStart;
    row.depth = depth ? target_.depth + rowStart : nullptr;
    row.lo = std::int32_t(lo) - target_.x0;
    row.hi = std::int32_t(hi) - target_.x0;
    span(pipe, row);
  }
}

void Rasterizer::drawLine(const ScreenVertex& a, const ScreenVertex& b, const PixelPipeline& pipe,
                          std::int32_t size) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  // One step per sample along the major axis; wide lines overlap their blocks so
  // that no diagonal gaps open between them.
  const auto steps = std::int32_t(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
  for (std::int32_t i = 0; i <= steps; ++i) {
    const float t = steps == 0 ? 0.0f : float(i) / float(steps);
    ScreenVertex p;
    p.x = a.x + dx * t;
    p.y = a.y + dy * t;
    p.z = a.z + (b.z - a.z) * t;
    // Perspective-correct along the line: interpolate a / w and 1 / w.
    p.rhw = a.rhw + (b.rhw - a.rhw) * t;
    const float w = p.rhw != 0.0f ? 1.0f / p.rhw : 0.0f;
    for (int k = 0; k < kAttributeCount; ++k) {
      p.attr[k] = (a.attr[k] * a.rhw + (b.attr[k] * b.rhw - a.attr[k] * a.rhw) * t) * w;
    }
    drawPoint(p, pipe, size);
  }
}

void Rasterizer::drawPoint(const ScreenVertex& v, const PixelPipeline& pipe, std::int32_t size) {
  const float offset = float(size - 1) * 0.5f;
  const auto x0 = std::int32_t(std::floor(v.x - offset + 0.5f));
  const auto y0 = std::int32_t(std::floor(v.y - offset + 0.5f));
  const PixelInput in{v.attr[0], v.attr[1], v.attr[2], v.attr[3], v.attr[4],
                      v.attr[5], v.attr[6], v.attr[7], v.attr[8]};
  for (std::int32_t y = y0; y < y0 + size; ++y)
    for (std::int32_t x = x0; x < x0 + size; ++x) writeSample(x, y, v.z, in, pipe);
}

}  // namespace velorina::software
