// Reads arbitrary bytes as a WAD's palette, PNAMES, TEXTURE lumps, flats and
// patches, and composes every texture it defines.
#include <cstddef>
#include <cstdint>
#include <span>

#include "doommap/DoomTextures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  try {
    DoomTextureBuilder builder(WadDirectory::fromBytes(std::span<const std::uint8_t>(data, size), "fuzz.wad"),
                               TWadKind::wkDoom);
    std::size_t n = 0;
    builder.buildAll([](const std::string&) { return true; },
                     [&](const std::string&, Bitmap b) { n += static_cast<std::size_t>(b.width()); });
    for (const auto& entry : builder.wad().entries()) builder.makeBitmap(entry.name);
  } catch (const EDoomWadError&) {
  }
  return 0;
}
