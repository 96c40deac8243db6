#pragma once
// Builds world archives byte by byte with zlib alone, the way another program that
// follows the stored layout would, so the reader is tested against more than its
// own writer. Every field can be bent to make malformed archives.

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace velorina::test {

using Bytes = std::vector<std::uint8_t>;

inline void putU32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void setU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// u32 length + zlib stream at `level`.
inline Bytes zblock(const std::string& data, int level = 9) {
  uLongf n = compressBound(static_cast<uLong>(data.size()));
  Bytes z(n);
  compress2(z.data(), &n, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), level);
  z.resize(n);
  Bytes out;
  putU32(out, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), z.begin(), z.end());
  return out;
}

struct BuiltLump {
  std::string name;
  std::string data;
};

struct ArchiveBuilder {
  std::vector<BuiltLump> lumps;

  ArchiveBuilder& add(std::string name, std::string data) {
    lumps.push_back({std::move(name), std::move(data)});
    return *this;
  }

  // The archive; `entries` receives each entry's (offset, size) in lump order.
  Bytes build(std::vector<std::pair<std::uint32_t, std::uint32_t>>* entries = nullptr) const {
    Bytes out = {'P', 'W', 'A', 'D'};
    putU32(out, 0);
    putU32(out, static_cast<std::uint32_t>(lumps.size()));
    std::string dir;
    for (const auto& l : lumps) {
      const Bytes block = zblock(l.data);
      const auto offset = static_cast<std::uint32_t>(out.size());
      out.insert(out.end(), block.begin(), block.end());
      std::string e(264, '\0');
      const auto size = static_cast<std::uint32_t>(block.size());
      std::memcpy(e.data(), &offset, 4);
      std::memcpy(e.data() + 4, &size, 4);
      e[8] = static_cast<char>(l.name.size());
      std::memcpy(e.data() + 9, l.name.data(), l.name.size());
      dir += e;
      if (entries) entries->push_back({offset, size});
    }
    setU32(out, 4, static_cast<std::uint32_t>(out.size()));
    const Bytes d = zblock(dir);
    out.insert(out.end(), d.begin(), d.end());
    return out;
  }
};

inline std::string str(const Bytes& b) { return std::string(b.begin(), b.end()); }

}  // namespace velorina::test
