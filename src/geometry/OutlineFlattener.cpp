#include "geometry/OutlineFlattener.h"

#include <algorithm>
#include <cmath>

namespace velorina {

namespace {

// |a - 2b + c|: a quadratic's second derivative is twice this, a cubic's at most six
// times the larger of its two.
double secondDifference(Point2 a, Point2 b, Point2 c) { return std::hypot(a.x - 2 * b.x + c.x, a.y - 2 * b.y + c.y); }

}  // namespace

// A chord over a parameter step h leaves its curve by at most h² / 8 times the
// largest second derivative, so n equal steps keep within the tolerance once
// n² ≥ that bound / (8 × tolerance).
int OutlineFlattener::steps(double secondDerivativeBound) const {
  const double n = std::ceil(std::sqrt(secondDerivativeBound / (8 * tolerance_)));
  return std::clamp(int(std::min(n, double(kMaxSteps))), 1, kMaxSteps);
}

void OutlineFlattener::moveTo(Point2 p) {
  closeContour();
  current_.push_back(p);
}

void OutlineFlattener::lineTo(Point2 p) { add(p); }

void OutlineFlattener::conicTo(Point2 c, Point2 p) {
  const Point2 a = current_.empty() ? c : current_.back();
  const int n = steps(2 * secondDifference(a, c, p));
  for (int i = 1; i <= n; ++i) {
    const double t = double(i) / n, s = 1 - t;
    add({s * s * a.x + 2 * s * t * c.x + t * t * p.x, s * s * a.y + 2 * s * t * c.y + t * t * p.y});
  }
}

void OutlineFlattener::cubicTo(Point2 c1, Point2 c2, Point2 p) {
  const Point2 a = current_.empty() ? c1 : current_.back();
  const double second = std::max(secondDifference(a, c1, c2), secondDifference(c1, c2, p));
  const int n = steps(6 * second);
  for (int i = 1; i <= n; ++i) {
    const double t = double(i) / n, s = 1 - t;
    const double wa = s * s * s, wb = 3 * s * s * t, wc = 3 * s * t * t, wd = t * t * t;
    add({wa * a.x + wb * c1.x + wc * c2.x + wd * p.x, wa * a.y + wb * c1.y + wc * c2.y + wd * p.y});
  }
}

std::vector<std::vector<Point2>> OutlineFlattener::finish() {
  closeContour();
  return std::move(contours_);
}

void OutlineFlattener::add(Point2 p) {
  if (current_.empty() || !(current_.back() == p)) current_.push_back(p);
}

void OutlineFlattener::closeContour() {
  while (current_.size() > 1 && current_.back() == current_.front()) current_.pop_back();
  if (current_.size() >= 3) contours_.push_back(std::move(current_));
  current_.clear();
}

}  // namespace velorina
