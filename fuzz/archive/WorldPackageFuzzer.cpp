// Reads arbitrary bytes as a player file carrying a world package.
#include <cstdint>

#include "archive/MemoryStream.h"
#include "archive/SubStream.h"
#include "archive/Wad.h"
#include "shell/WorldPackage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  MemoryStream file{std::span<const std::uint8_t>(data, size)};
  try {
    const WorldPackageInfo info = readWorldPackage(file);
    TSubStream window(&file, info.ArchiveSize, static_cast<std::uint32_t>(info.ArchiveOffset));
    TWad wad(window);
    wad.ReadEntry(resolveArchiveEntryName(wad, info.Header.MapName));
  } catch (const Error&) {
  }
  findWorldPackage(file);
  return 0;
}
