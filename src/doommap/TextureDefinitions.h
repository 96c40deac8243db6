#pragma once
// Wall texture definitions of a Doom-family WAD: PNAMES (the patch names) and
// TEXTURE1 to TEXTURE3 (textures composed of patches), read with every count,
// offset and size checked against the lump that holds it.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "doommap/WadDirectory.h"

namespace velorina {

struct DoomPatchPlacement {
  std::int16_t x = 0, y = 0;  // the patch's top-left corner in the texture
  std::int16_t patch = 0;     // index into PNAMES
};

struct DoomTextureDefinition {
  std::string name;
  std::int16_t width = 0, height = 0;
  std::vector<DoomPatchPlacement> patches;
};

// At most this many definitions are kept over all TEXTURE lumps.
inline constexpr std::size_t kMaxTextureDefinitions = 65535;

// The names of a PNAMES lump; throws EDoomWadError when its count exceeds the lump.
std::vector<std::string> parsePatchNames(std::span<const std::uint8_t> lump, const std::string& fileName);

// Appends the definitions of one TEXTUREn lump to `out` (up to the limit above);
// throws EDoomWadError naming the file, the texture and the byte offset when a
// count or an offset does not fit the lump.
void parseTextureLump(std::span<const std::uint8_t> lump, const std::string& fileName,
                      std::vector<DoomTextureDefinition>& out);

// The definitions the map import sizes its walls by: for each of TEXTURE1, TEXTURE2
// and TEXTURE3 the first lump of that name, stepping over the ten entries after each
// map marker, in that order.
std::vector<DoomTextureDefinition> ReadTextureDefinitions(WadDirectory& wad);
std::vector<DoomTextureDefinition> ReadTextureDefinitions(const std::string& wadFile);

}  // namespace velorina
