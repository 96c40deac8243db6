#pragma once
// Tells what kind of WAD file a file is: a Doom-family game WAD (by its marker
// lumps), another well-formed WAD, or not a WAD at all. The scene's own compressed
// archives start like a WAD but their directory does not fit the id layout, so they
// answer wkOtherWad.

#include <cstdint>
#include <span>
#include <string>

namespace velorina {

enum class TWadKind : std::uint8_t {
  wkDoom = 0,      // a lump "M_DOOM"
  wkHeretic = 1,   // a lump "MAPE1"
  wkHexen = 2,     // a lump "BEHAVIOR"
  wkScripts = 3,   // a lump "SCRIPTS"
  wkPlainWad = 4,  // a valid WAD without those lumps
  wkNotWad = 5,    // another magic, or a directory entry that fails the checks
  wkOtherWad = 6,  // "PWAD"/"IWAD" whose directory does not fit the file
};

// Probes the file; raises the file stream's error when it cannot be opened.
TWadKind ProbeWadKind(const std::string& fileName);

// Probes bytes already in memory (the whole file).
TWadKind probeWadBytes(std::span<const std::uint8_t> file);

// A game WAD whose maps can be imported (kinds 0 to 4).
constexpr bool isDoomFamilyWad(TWadKind kind) { return static_cast<std::uint8_t>(kind) <= 4; }

}  // namespace velorina
