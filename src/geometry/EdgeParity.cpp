#include "geometry/EdgeParity.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace velorina {

namespace {

struct Edge {
  Point2 a, b;
};

using PointKey = std::pair<double, double>;

PointKey keyOf(const Point2& p) { return {p.x, p.y}; }

double cross(const Point2& a, const Point2& b, const Point2& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Where p lies along the edge, in the edge's own units (0 at a, 1 at b); only for
// points on the edge's line.
double along(const Edge& e, const Point2& p) {
  const double dx = e.b.x - e.a.x, dy = e.b.y - e.a.y;
  return std::abs(dx) >= std::abs(dy) ? (p.x - e.a.x) / dx : (p.y - e.a.y) / dy;
}

bool onLine(const Edge& e, const Point2& p) { return cross(e.a, e.b, p) == 0.0; }

bool strictlyInside(const Edge& e, const Point2& p) {
  if (!onLine(e, p)) return false;
  const double t = along(e, p);
  return t > 0.0 && t < 1.0;
}

// The edges of every closed contour, zero-length ones left out.
std::vector<Edge> edgesOf(std::span<const std::vector<Point2>> contours) {
  std::vector<Edge> edges;
  for (const auto& c : contours) {
    for (std::size_t i = 0; i < c.size(); ++i) {
      const Point2& a = c[i];
      const Point2& b = c[(i + 1) % c.size()];
      if (!(a == b)) edges.push_back({a, b});
    }
  }
  return edges;
}

bool overlap(const Edge& s, const Edge& t) {
  if (!onLine(s, t.a) || !onLine(s, t.b)) return false;
  const double lo = std::min(along(s, t.a), along(s, t.b));
  const double hi = std::max(along(s, t.a), along(s, t.b));
  return std::min(hi, 1.0) > std::max(lo, 0.0);
}

// The pieces of `e` between the ends of other edges that lie inside it.
void appendPieces(const Edge& e, const std::vector<Edge>& edges, std::vector<Edge>& out) {
  std::vector<std::pair<double, Point2>> cuts{{0.0, e.a}, {1.0, e.b}};
  for (const Edge& other : edges) {
    for (const Point2& p : {other.a, other.b}) {
      if (strictlyInside(e, p)) cuts.push_back({along(e, p), p});
    }
  }
  std::sort(cuts.begin(), cuts.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    if (!(cuts[i].second == cuts[i + 1].second)) out.push_back({cuts[i].second, cuts[i + 1].second});
  }
}

// Joins edges, every point of which has an even number of them, into closed loops.
std::vector<std::vector<Point2>> loopsOf(const std::vector<Edge>& edges) {
  std::map<PointKey, std::vector<std::size_t>> at;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    at[keyOf(edges[i].a)].push_back(i);
    at[keyOf(edges[i].b)].push_back(i);
  }
  std::vector<bool> used(edges.size(), false);
  std::vector<std::vector<Point2>> loops;
  for (std::size_t first = 0; first < edges.size(); ++first) {
    if (used[first]) continue;
    used[first] = true;
    std::vector<Point2> loop{edges[first].a};
    Point2 here = edges[first].b;
    while (!(here == loop.front())) {
      loop.push_back(here);
      std::size_t next = edges.size();
      for (std::size_t i : at[keyOf(here)]) {
        if (!used[i]) {
          next = i;
          break;
        }
      }
      if (next == edges.size()) break;  // cannot happen with even degrees; end the loop here
      used[next] = true;
      here = edges[next].a == here ? edges[next].b : edges[next].a;
    }
    if (loop.size() >= 3) loops.push_back(std::move(loop));
  }
  return loops;
}

}  // namespace

bool hasOverlappingEdges(std::span<const std::vector<Point2>> contours) {
  const std::vector<Edge> edges = edgesOf(contours);
  for (std::size_t i = 0; i < edges.size(); ++i) {
    for (std::size_t j = i + 1; j < edges.size(); ++j) {
      if (overlap(edges[i], edges[j])) return true;
    }
  }
  return false;
}

std::vector<std::vector<Point2>> withoutOverlappingEdges(std::span<const std::vector<Point2>> contours) {
  const std::vector<Edge> edges = edgesOf(contours);
  std::vector<Edge> pieces;
  for (const Edge& e : edges) appendPieces(e, edges, pieces);
  // Odd-winding parity: a piece covered by an even number of edges bounds nothing.
  std::map<std::pair<PointKey, PointKey>, std::pair<int, Edge>> count;
  for (const Edge& p : pieces) {
    const PointKey a = keyOf(p.a), b = keyOf(p.b);
    auto& entry = count[a < b ? std::pair{a, b} : std::pair{b, a}];
    entry.first += 1;
    entry.second = p;
  }
  std::vector<Edge> kept;
  for (const auto& [key, entry] : count) {
    if (entry.first % 2 == 1) kept.push_back(entry.second);
  }
  return loopsOf(kept);
}

}  // namespace velorina
