#pragma once
// A point of the plane, in double precision.

namespace velorina {

struct Point2 {
  double x = 0, y = 0;
};

inline bool operator==(const Point2& a, const Point2& b) noexcept { return a.x == b.x && a.y == b.y; }

}  // namespace velorina
