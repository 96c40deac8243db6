#pragma once
// Lump names of Doom-family WADs as strings, and the names that mark a map.

#include <cstdint>
#include <span>
#include <string>

namespace velorina {

// Up to 8 bytes; a zero byte ends the name; letters are upper-cased and the bytes
// "/", "[", "\" and "]" become "-", so that every comparison of lump names in the
// importer compares such strings exactly.
std::string LumpNameToString(std::span<const std::uint8_t> name);
std::string LumpNameToString(const std::string& name);

// The ASCII letters of a name upper-cased (how map and lump names given by a
// person are matched).
std::string LumpNameToUpper(std::string name);

// "ExMy" (x from 1 to 6) or "MAPxy" (x from 0 to 3), each followed by a zero byte.
bool IsMapMarkerName(std::span<const std::uint8_t, 8> name);

}  // namespace velorina
