#pragma once
// The palette every Doom-family texture is built with: entry 0 black (the scene's
// transparent colour), entries 1 to 255 the game's colours with every pure black
// replaced by the darkest colour that is not black, so that black stays the one
// see-through colour.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "doommap/WadDirectory.h"
#include "doommap/WadProbe.h"
#include "imaging/Bitmap.h"

namespace velorina {

struct DoomPalette {
  Palette logical{};
  // The logical entry a patch pixel of each game index takes: index 0 is black in
  // the game palettes but opaque in a patch, so it goes to an entry of its colour.
  std::array<std::uint8_t, 256> patchIndex{};
  // The game's colours as they were (red, green, blue).
  std::array<std::uint8_t, 768> rgb{};
};

// Sizes of palette lumps.
inline constexpr std::size_t kPaletteBytes = 768;

// The darkest colour of 256 RGB triples that is not black (smallest red + green +
// blue above zero, the highest index winning ties); nothing when all are black.
std::optional<std::uint8_t> darkestNonBlack(std::span<const std::uint8_t, kPaletteBytes> rgb);

DoomPalette makeDoomPalette(std::span<const std::uint8_t, kPaletteBytes> rgb);

// The first 768 bytes of the default palette of a game kind (Doom for every kind
// but Heretic and Hexen).
std::array<std::uint8_t, kPaletteBytes> defaultPaletteFor(TWadKind kind);

// The palette of the first "PLAYPAL" or "PAL" entry, or the kind's default palette
// when there is none or it is shorter than one palette.
DoomPalette readWadPalette(WadDirectory& wad, TWadKind kind);

}  // namespace velorina
