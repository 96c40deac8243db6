#pragma once
// Builds small Windows modules (PE32 files) holding bitmap resources, so the
// library-bitmap readers are tested against files laid out as Windows lays them out.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "archive/LittleEndian.h"
#include "imaging/BmpCodec.h"

namespace velorina::test {

namespace pe {
using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint32_t kSectionRva = 0x1000, kSectionOffset = 0x200;

inline void put16(Bytes& b, std::size_t at, std::uint16_t v) { storeLE(b.data() + at, v); }
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) { storeLE(b.data() + at, v); }

// A directory header at `at` with `named` named and `ids` identifier entries.
inline void directory(Bytes& s, std::size_t at, int named, int ids) {
  put16(s, at + 12, static_cast<std::uint16_t>(named));
  put16(s, at + 14, static_cast<std::uint16_t>(ids));
}
inline void entry(Bytes& s, std::size_t at, std::uint32_t name, std::uint32_t target) {
  put32(s, at, name);
  put32(s, at + 4, target);
}

}  // namespace pe

using Bytes = pe::Bytes;

// A PE32 module with one resource section holding two bitmaps: identifier 7 and
// the name "LOGO".
inline Bytes makeModule(const Bytes& dib7, const Bytes& dibLogo) {
  using namespace pe;
  Bytes rsrc(0x200, 0);
  directory(rsrc, 0x00, 0, 1);  // root: type RT_BITMAP
  entry(rsrc, 0x10, 2, 0x80000000u | 0x18);
  directory(rsrc, 0x18, 1, 1);  // names: "LOGO", 7
  entry(rsrc, 0x28, 0x80000000u | 0x100, 0x80000000u | 0x40);
  entry(rsrc, 0x30, 7, 0x80000000u | 0x58);
  directory(rsrc, 0x40, 0, 1);  // languages
  entry(rsrc, 0x50, 0x409, 0x70);
  directory(rsrc, 0x58, 0, 1);
  entry(rsrc, 0x68, 0x409, 0x80);
  put32(rsrc, 0x70, kSectionRva + 0x200);  // data entries: address, size
  put32(rsrc, 0x74, static_cast<std::uint32_t>(dibLogo.size()));
  put32(rsrc, 0x80, kSectionRva + 0x200 + static_cast<std::uint32_t>(dibLogo.size()));
  put32(rsrc, 0x84, static_cast<std::uint32_t>(dib7.size()));
  const char16_t logo[] = u"Logo";
  put16(rsrc, 0x100, 4);
  for (int i = 0; i < 4; ++i) put16(rsrc, 0x102 + 2 * static_cast<std::size_t>(i), static_cast<std::uint16_t>(logo[i]));
  rsrc.insert(rsrc.end(), dibLogo.begin(), dibLogo.end());
  rsrc.insert(rsrc.end(), dib7.begin(), dib7.end());

  Bytes pe(kSectionOffset + rsrc.size(), 0);
  pe[0] = 'M', pe[1] = 'Z';
  put32(pe, 0x3C, 0x40);
  put32(pe, 0x40, 0x4550);
  put16(pe, 0x46, 1);      // one section
  put16(pe, 0x54, 224);    // optional header size
  put16(pe, 0x58, 0x10B);  // PE32
  put32(pe, 0x58 + 92, 16);
  put32(pe, 0x58 + 96 + 16, kSectionRva);
  put32(pe, 0x58 + 96 + 20, 0x200);
  std::size_t section = 0x58 + 224;
  put32(pe, section + 8, static_cast<std::uint32_t>(rsrc.size()));
  put32(pe, section + 12, kSectionRva);
  put32(pe, section + 16, static_cast<std::uint32_t>(rsrc.size()));
  put32(pe, section + 20, kSectionOffset);
  std::copy(rsrc.begin(), rsrc.end(), pe.begin() + kSectionOffset);
  return pe;
}

inline Bytes packedDib(const Bitmap& b) {
  ByteBuffer file = writeBmp(b);
  return Bytes(file.begin() + kBmpFileHeaderSize, file.end());
}

}  // namespace velorina::test
