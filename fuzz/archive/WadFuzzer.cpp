// Opens an archive from arbitrary bytes and reads every entry, also through "|".
#include <cstdint>

#include "archive/MemoryStream.h"
#include "archive/Wad.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  MemoryStream stream{std::span<const std::uint8_t>(data, size)};
  try {
    TWad wad(stream);
    const auto names = wad.Names();
    for (const auto& name : names) {
      try {
        wad.ReadEntry(name);
        wad.ReadEntry(name + "|" + name);
      } catch (const Error&) {
      }
    }
    wad.Exists("MAP01.D3D");
    resolveArchiveEntryName(wad, "C:\\MAP01.D3D");
  } catch (const Error&) {
  }
  return 0;
}
