#pragma once
// Finding one map in a Doom-family WAD and reading its lumps into records.

#include <string>

#include "doommap/MapRecords.h"
#include "doommap/WadDirectory.h"
#include "doommap/WadProbe.h"

namespace velorina {

// Which record layouts a map's THINGS and LINEDEFS use.
enum class MapForm {
  Doom,     // 10-byte things, 14-byte lines
  Hexen,    // 20-byte things, 16-byte lines, converted to the Doom form
  NoLines,  // not a game WAD: things and lines are left empty
};

MapForm mapFormFor(TWadKind kind) noexcept;

// The map named `mapName` (matched upper-cased) of `mapFile`: the first THINGS,
// LINEDEFS, SIDEDEFS, VERTEXES, SEGS, SSECTORS and SECTORS after its marker. Kinds
// 4 to 6 are probed again from the file. Throws EDoomWadError with the map-not-found
// message, or naming the map and a lump that is missing after the marker, and the
// directory errors of WadDirectory.
DoomMapLumps ReadMapLumps(const std::string& mapFile, const std::string& mapName, TWadKind kind);
DoomMapLumps ReadMapLumps(WadDirectory& wad, const std::string& mapName, MapForm form);

// The names of the maps (markers followed by a THINGS lump) in directory order.
std::vector<std::string> listMapNames(const WadDirectory& wad);

}  // namespace velorina
