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

// Writes v little-endian at b[at..at+3]; the bytes must exist.
inline void setU32(Bytes& b, std::size_t at, std::uint32_t v) {
  const std::uint8_t le[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                              static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
  std::memcpy(b.data() + at, le, 4);
}
inline void putU32(Bytes& b, std::uint32_t v) {
  b.resize(b.size() + 4);
  setU32(b, b.size() - 4, v);
}
inline void append(Bytes& b, const Bytes& more) {
  const std::size_t at = b.size();
  b.resize(at + more.size());
  if (!more.empty()) std::memcpy(b.data() + at, more.data(), more.size());
}

// u32 length + zlib stream at `level`.
inline Bytes zblock(const std::string& data, int level = 9) {
  uLongf n = compressBound(static_cast<uLong>(data.size()));
  Bytes out(4 + n);
  compress2(out.data() + 4, &n, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), level);
  out.resize(4 + n);
  setU32(out, 0, static_cast<std::uint32_t>(data.size()));
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
    Bytes out(4);
    std::memcpy(out.data(), "PWAD", 4);
    putU32(out, 0);
    putU32(out, static_cast<std::uint32_t>(lumps.size()));
    std::string dir;
    for (const auto& l : lumps) {
      const Bytes block = zblock(l.data);
      const auto offset = static_cast<std::uint32_t>(out.size());
      append(out, block);
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
    append(out, zblock(dir));
    return out;
  }
};

inline std::string str(const Bytes& b) { return std::string(b.begin(), b.end()); }

}  // namespace velorina::test
