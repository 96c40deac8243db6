#include "imaging/VectorCanvas.h"

#include <algorithm>
#include <cmath>

#include "imaging/ImagingError.h"

namespace velorina {

namespace {

// Edge visits and stamped pixels one picture may cost: a few hundred
// milliseconds of work at most.
constexpr std::uint64_t kWorkBudget = 100'000'000;
constexpr int kMaxPenWidth = 256;

int pixelFloor(double v) {
  if (!(v > -1e9)) return -1'000'000'000;
  if (!(v < 1e9)) return 1'000'000'000;
  return static_cast<int>(std::floor(v));
}

}  // namespace

VectorCanvas::VectorCanvas(Bitmap& target, std::string source) : target_(target), source_(std::move(source)) {}

void VectorCanvas::charge(std::uint64_t work) {
  spent_ += work;
  if (spent_ > kWorkBudget) throwInvalidPicture(source_, "metafile needs more drawing work than a picture may take");
}

void VectorCanvas::fillPolygon(std::span<const PointF> points, FillRule rule, std::uint32_t rgb) {
  std::span<const PointF> one[] = {points};
  fillPolygons(one, rule, rgb);
}

void VectorCanvas::fillPolygons(std::span<const std::span<const PointF>> polygons, FillRule rule, std::uint32_t rgb) {
  double top = 1e18, bottom = -1e18;
  std::size_t edges = 0;
  for (auto poly : polygons) {
    edges += poly.size();
    for (const PointF& p : poly) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  }
  if (edges < 3) return;
  int y0 = std::max(0, pixelFloor(top)), y1 = std::min(target_.height() - 1, pixelFloor(bottom));
  for (int y = y0; y <= y1; ++y) {
    charge(edges);
    const double yc = y + 0.5;
    crossings_.clear();
    for (auto poly : polygons) {
      for (std::size_t i = 0; i < poly.size(); ++i) {
        const PointF& a = poly[i];
        const PointF& b = poly[(i + 1) % poly.size()];
        if ((a.y <= yc) == (b.y <= yc)) continue;  // the edge does not cross this scan line
        double x = a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y);
        crossings_.emplace_back(x, b.y > a.y ? 1 : -1);
      }
    }
    std::sort(crossings_.begin(), crossings_.end());
    int winding = 0;
    for (std::size_t i = 0; i + 1 < crossings_.size(); ++i) {
      winding += crossings_[i].second;
      bool inside = rule == FillRule::EvenOdd ? (i % 2 == 0) : winding != 0;
      if (!inside) continue;
      // Pixels whose centres lie in [left, right).
      int from = std::max(0, pixelFloor(crossings_[i].first - 0.5) + 1);
      int to = std::min(target_.width(), pixelFloor(crossings_[i + 1].first - 0.5) + 1);
      charge(static_cast<std::uint64_t>(std::max(0, to - from)));
      for (int x = from; x < to; ++x) target_.setColour(x, y, rgb);
    }
  }
}

void VectorCanvas::stamp(int x, int y, int width, std::uint32_t rgb) {
  int half = (width - 1) / 2;
  for (int sy = y - half; sy < y - half + width; ++sy) {
    if (sy < 0 || sy >= target_.height()) continue;
    for (int sx = x - half; sx < x - half + width; ++sx)
      if (sx >= 0 && sx < target_.width()) target_.setColour(sx, sy, rgb);
  }
}

// Bresenham's line algorithm (J. E. Bresenham, IBM Systems Journal 4(1), 1965),
// stamping the pen at each step. Like GDI, the end point itself is not drawn.
void VectorCanvas::line(int x0, int y0, int x1, int y1, int width, std::uint32_t rgb) {
  const std::int64_t dx = std::abs(std::int64_t{x1} - x0), dy = -std::abs(std::int64_t{y1} - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  const std::int64_t steps = std::max(dx, -dy);
  // Steps wholly outside the picture still cost time; lines are clipped coarsely.
  charge(static_cast<std::uint64_t>(steps) * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(width) / 4 + 1);
  std::int64_t err = dx + dy;
  for (std::int64_t i = 0; i < steps; ++i) {
    stamp(x0, y0, width, rgb);
    std::int64_t e2 = 2 * err;
    if (e2 >= dy) err += dy, x0 += sx;
    if (e2 <= dx) err += dx, y0 += sy;
  }
}

void VectorCanvas::strokePolyline(std::span<const PointF> points, int width, std::uint32_t rgb, bool closed) {
  if (points.empty()) return;
  width = std::clamp(width, 1, kMaxPenWidth);
  auto px = [](const PointF& p) { return std::clamp(pixelFloor(p.x), -kMaxBitmapSide, 2 * kMaxBitmapSide); };
  auto py = [](const PointF& p) { return std::clamp(pixelFloor(p.y), -kMaxBitmapSide, 2 * kMaxBitmapSide); };
  for (std::size_t i = 0; i + 1 < points.size(); ++i)
    line(px(points[i]), py(points[i]), px(points[i + 1]), py(points[i + 1]), width, rgb);
  if (closed && points.size() > 2) line(px(points.back()), py(points.back()), px(points[0]), py(points[0]), width, rgb);
}

void VectorCanvas::drawImage(const Bitmap& image, Rect from, Rect to) {
  Rect clipped{std::max(0, to.left), std::max(0, to.top), std::min(target_.width(), to.right),
               std::min(target_.height(), to.bottom)};
  if (!clipped.empty()) charge(static_cast<std::uint64_t>(clipped.width()) * static_cast<std::uint64_t>(clipped.height()));
  stretchDraw(target_, to, image, from);
}

}  // namespace velorina
