#pragma once
// Small id-layout WADs built in memory for the importer's tests: lumps in order,
// then the directory; records written field by field.

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace velorina::testwad {

using Bytes = std::vector<std::uint8_t>;

inline void i16(Bytes& b, int v) {
  b.push_back(static_cast<std::uint8_t>(v & 0xFF));
  b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
inline void i32(Bytes& b, std::int64_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF));
}
inline void name8(Bytes& b, const std::string& n) {
  char raw[8] = {};
  std::memcpy(raw, n.data(), std::min<std::size_t>(8, n.size()));
  b.insert(b.end(), raw, raw + 8);
}

struct Lump {
  std::string name;
  Bytes data;
};

inline Bytes buildWad(const std::vector<Lump>& lumps, const char* magic = "PWAD") {
  Bytes b(magic, magic + 4);
  i32(b, static_cast<std::int64_t>(lumps.size()));
  i32(b, 0);  // directory offset, patched below
  std::vector<std::pair<std::int64_t, std::int64_t>> places;
  for (const Lump& l : lumps) {
    places.emplace_back(static_cast<std::int64_t>(b.size()), static_cast<std::int64_t>(l.data.size()));
    b.insert(b.end(), l.data.begin(), l.data.end());
  }
  const auto directory = static_cast<std::uint32_t>(b.size());
  for (int i = 0; i < 4; ++i) b[8 + i] = static_cast<std::uint8_t>(directory >> (8 * i));
  for (std::size_t i = 0; i < lumps.size(); ++i) {
    i32(b, places[i].first);
    i32(b, places[i].second);
    name8(b, lumps[i].name);
  }
  return b;
}

// A patch of the given size whose every column holds one post (top, pixels).
inline Bytes patchLump(int width, int height, int top, const Bytes& pixels) {
  Bytes b;
  i16(b, width), i16(b, height), i16(b, 0), i16(b, 0);
  const std::size_t table = b.size();
  for (int x = 0; x < width; ++x) i32(b, 0);
  for (int x = 0; x < width; ++x) {
    const auto at = static_cast<std::uint32_t>(b.size());
    for (int k = 0; k < 4; ++k) b[table + 4 * x + k] = static_cast<std::uint8_t>(at >> (8 * k));
    b.push_back(static_cast<std::uint8_t>(top));
    b.push_back(static_cast<std::uint8_t>(pixels.size()));
    b.push_back(0);
    b.insert(b.end(), pixels.begin(), pixels.end());
    b.push_back(0);
    b.push_back(255);
  }
  return b;
}

struct Placement {
  int x, y, patch;
};

inline Bytes textureLump(const std::vector<std::tuple<std::string, int, int, std::vector<Placement>>>& textures) {
  Bytes b;
  i32(b, static_cast<std::int64_t>(textures.size()));
  Bytes body;
  const std::size_t head = 4 + 4 * textures.size();
  for (const auto& [name, w, h, patches] : textures) {
    i32(b, static_cast<std::int64_t>(head + body.size()));
    name8(body, name);
    i32(body, 0);
    i16(body, w), i16(body, h);
    i32(body, 0);
    i16(body, static_cast<int>(patches.size()));
    for (const Placement& p : patches) i16(body, p.x), i16(body, p.y), i16(body, p.patch), i16(body, 1), i16(body, 0);
  }
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

inline Bytes pnames(const std::vector<std::string>& names) {
  Bytes b;
  i32(b, static_cast<std::int64_t>(names.size()));
  for (const auto& n : names) name8(b, n);
  return b;
}

// A map drawn by hand: vertices, lines with their sides, sectors.
struct MapBuilder {
  struct Side {
    std::string upper = "-", lower = "-", middle = "-";
    int sector = 0, xOffset = 0, yOffset = 0;
  };
  struct Sector {
    int floor = 0, ceiling = 128;
    std::string floorFlat = "FLOOR", ceilingFlat = "CEIL";
    int light = 0;
  };
  struct Line {
    int start = 0, end = 0, flags = 0, right = -1, left = -1;
  };
  std::vector<std::pair<int, int>> vertices;
  std::vector<Line> lines;
  std::vector<Side> sides;
  std::vector<Sector> sectors;
  std::vector<std::pair<int, int>> things;  // (x, y) of things of type 1, angle 90

  int side(Side s) { return sides.push_back(std::move(s)), static_cast<int>(sides.size()) - 1; }
  int vertex(int x, int y) { return vertices.emplace_back(x, y), static_cast<int>(vertices.size()) - 1; }
  void line(int a, int b, int right, int left = -1, int flags = 0) { lines.push_back({a, b, flags, right, left}); }
  // A closed outline of the given corners, one-sided, facing `sector` (corners
  // clockwise as seen from above keep the sector on the right).
  void room(const std::vector<std::pair<int, int>>& corners, int sector, const std::string& wall = "WALL") {
    std::vector<int> v;
    for (auto [x, y] : corners) v.push_back(vertex(x, y));
    for (std::size_t i = 0; i < v.size(); ++i) {
      Side s;
      s.middle = wall;
      s.sector = sector;
      line(v[i], v[(i + 1) % v.size()], side(s));
    }
  }

  std::vector<Lump> lumps(const std::string& marker, bool hexen = false) const {
    Bytes th, ld, sd, vx, sc;
    for (auto [x, y] : things) {
      if (hexen) i16(th, 0);
      i16(th, x), i16(th, y);
      if (hexen) i16(th, 0);
      i16(th, 90), i16(th, 1), i16(th, 7);
      if (hexen) th.insert(th.end(), 6, 0);
    }
    for (const Line& l : lines) {
      i16(ld, l.start), i16(ld, l.end), i16(ld, l.flags);
      if (hexen) {
        ld.insert(ld.end(), 6, 0);
      } else {
        i16(ld, 0), i16(ld, 0);
      }
      i16(ld, l.right), i16(ld, l.left);
    }
    for (const Side& s : sides) {
      i16(sd, s.xOffset), i16(sd, s.yOffset);
      name8(sd, s.upper), name8(sd, s.lower), name8(sd, s.middle);
      i16(sd, s.sector);
    }
    for (auto [x, y] : vertices) i16(vx, x), i16(vx, y);
    for (const Sector& s : sectors) {
      i16(sc, s.floor), i16(sc, s.ceiling);
      name8(sc, s.floorFlat), name8(sc, s.ceilingFlat);
      i16(sc, s.light), i16(sc, 0), i16(sc, 0);
    }
    return {{marker, {}}, {"THINGS", th}, {"LINEDEFS", ld}, {"SIDEDEFS", sd}, {"VERTEXES", vx},
            {"SEGS", {}},  {"SSECTORS", {}}, {"SECTORS", sc}};
  }
};

}  // namespace velorina::testwad
