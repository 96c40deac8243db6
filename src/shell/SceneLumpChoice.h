#pragma once
// Which archive entry holds the scene to load, chosen the same way by the player
// and by every command of the toolbox.

#include <optional>
#include <string>

#include "archive/Wad.h"

namespace velorina {

// The entry name to load from `wad`:
//  - a name given (`wanted`: the one asked for on the command line, else the map
//    name of a package header, even an empty one) resolved against the archive's
//    names, the file-name part matching when the full name is not there;
//  - with no name given, "MAP01.D3D" by file name, else the only entry whose name
//    ends in ".D3D".
// Throws EWadError with the entry-not-found message, naming `archiveName` and, when
// no name was given, the candidates it could not choose between.
std::string chooseSceneLump(const TWad& wad, const std::optional<std::string>& wanted, const std::string& archiveName);

// The map name a world is looked for by when nothing names one.
inline constexpr const char* kDefaultMapName = "MAP01.D3D";

}  // namespace velorina
