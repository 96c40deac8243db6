#include "geometry/OutlineFlattener.h"

namespace velorina {

void OutlineFlattener::moveTo(Point2 p) {
  closeContour();
  current_.push_back(p);
}

void OutlineFlattener::lineTo(Point2 p) { add(p); }

void OutlineFlattener::conicTo(Point2 c, Point2 p) {
  const Point2 a = current_.empty() ? c : current_.back();
  for (int i = 1; i <= kConicSteps; ++i) {
    const double t = double(i) / kConicSteps, s = 1 - t;
    add({s * s * a.x + 2 * s * t * c.x + t * t * p.x, s * s * a.y + 2 * s * t * c.y + t * t * p.y});
  }
}

void OutlineFlattener::cubicTo(Point2 c1, Point2 c2, Point2 p) {
  const Point2 a = current_.empty() ? c1 : current_.back();
  for (int i = 1; i <= kCubicSteps; ++i) {
    const double t = double(i) / kCubicSteps, s = 1 - t;
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
