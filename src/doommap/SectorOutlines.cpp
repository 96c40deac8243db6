#include "doommap/SectorOutlines.h"

#include <cmath>
#include <unordered_map>

#include "geometry/PolygonMeasure.h"

namespace velorina {

namespace {

struct Edge {
  DoomVertex from, to;
};

std::int64_t keyOf(const DoomVertex& v) noexcept {
  return (static_cast<std::int64_t>(v.x) << 16) ^ static_cast<std::uint16_t>(v.y);
}

Point2 pointOf(const DoomVertex& v) noexcept { return {double(v.x), double(v.y)}; }

// Splits a sector's edges into closed loops. The walk keeps the open path it is on;
// whenever it comes back to a vertex on that path, the cycle from there is a loop.
// Edges that never close (a stray line) are left out.
std::vector<std::vector<Point2>> chainLoops(const std::vector<Edge>& edges) {
  std::unordered_multimap<std::int64_t, std::size_t> from;
  from.reserve(edges.size());
  for (std::size_t i = 0; i < edges.size(); ++i) from.emplace(keyOf(edges[i].from), i);
  std::vector<bool> used(edges.size(), false);
  const auto nextEdge = [&](std::int64_t vertex) -> std::ptrdiff_t {
    auto [begin, end] = from.equal_range(vertex);
    for (auto it = begin; it != end; ++it) {
      if (!used[it->second]) return static_cast<std::ptrdiff_t>(it->second);
    }
    return -1;
  };

  std::vector<std::vector<Point2>> loops;
  std::vector<DoomVertex> path;
  std::unordered_map<std::int64_t, std::size_t> onPath;
  for (std::size_t first = 0; first < edges.size(); ++first) {
    if (used[first]) continue;
    path.assign(1, edges[first].from);
    onPath.clear();
    onPath[keyOf(path[0])] = 0;
    for (std::ptrdiff_t e = static_cast<std::ptrdiff_t>(first); e >= 0; e = nextEdge(keyOf(path.back()))) {
      used[static_cast<std::size_t>(e)] = true;
      const DoomVertex to = edges[static_cast<std::size_t>(e)].to;
      const auto seen = onPath.find(keyOf(to));
      if (seen == onPath.end()) {
        onPath[keyOf(to)] = path.size();
        path.push_back(to);
        continue;
      }
      std::vector<Point2> loop;
      for (std::size_t k = seen->second; k < path.size(); ++k) loop.push_back(pointOf(path[k]));
      for (std::size_t k = seen->second + 1; k < path.size(); ++k) onPath.erase(keyOf(path[k]));
      path.resize(seen->second + 1);
      if (loop.size() >= 3) loops.push_back(std::move(loop));
    }
  }
  return loops;
}

}  // namespace

SectorOutlines buildSectorOutlines(const DoomMapLumps& map) {
  SectorOutlines out;
  std::vector<std::vector<Edge>> edges(map.sectors.size());
  std::size_t kept = 0;
  const auto add = [&](std::int16_t side, const DoomVertex& a, const DoomVertex& b) {
    if (side < 0 || static_cast<std::size_t>(side) >= map.sideDefs.size()) return;
    const std::int16_t sector = map.sideDefs[static_cast<std::size_t>(side)].sector;
    if (sector < 0 || static_cast<std::size_t>(sector) >= map.sectors.size()) return;
    if (kept == kMaxMapEdges) {
      ++out.skippedEdges;
      return;
    }
    ++kept;
    // A zero-length edge bounds nothing.
    if (a.x != b.x || a.y != b.y) edges[static_cast<std::size_t>(sector)].push_back({a, b});
  };
  const auto vertexOk = [&](std::int16_t v) { return v >= 0 && static_cast<std::size_t>(v) < map.vertices.size(); };
  for (const DoomLineDef& line : map.lineDefs) {
    if (!vertexOk(line.start) || !vertexOk(line.end)) {
      out.skippedEdges += (line.right != -1) + (line.left != -1);
      continue;
    }
    const DoomVertex& a = map.vertices[static_cast<std::size_t>(line.start)];
    const DoomVertex& b = map.vertices[static_cast<std::size_t>(line.end)];
    add(line.right, a, b);
    add(line.left, b, a);
  }
  out.loops.reserve(edges.size());
  for (const auto& sectorEdges : edges) out.loops.push_back(chainLoops(sectorEdges));
  return out;
}

double sectorArea(const std::vector<std::vector<Point2>>& loops) noexcept {
  // The sector lies on the right of its edges, so its outer loops turn clockwise.
  double sum = 0;
  for (const auto& loop : loops) sum -= signedArea(loop);
  return std::abs(sum);
}

}  // namespace velorina
