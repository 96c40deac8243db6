#include "doommap/DoomPalette.h"

#include <algorithm>

#include "archive/IDSoftDataModule.h"

namespace velorina {

namespace {

int sumAt(std::span<const std::uint8_t, kPaletteBytes> rgb, int i) { return rgb[3 * i] + rgb[3 * i + 1] + rgb[3 * i + 2]; }

}  // namespace

std::optional<std::uint8_t> darkestNonBlack(std::span<const std::uint8_t, kPaletteBytes> rgb) {
  // Starts with no candidate: a black entry must never become the darkest non-black.
  std::optional<std::uint8_t> best;
  for (int i = 255; i >= 1; --i) {
    const int sum = sumAt(rgb, i);
    if (sum != 0 && (!best || sum < sumAt(rgb, *best))) best = static_cast<std::uint8_t>(i);
  }
  return best;
}

DoomPalette makeDoomPalette(std::span<const std::uint8_t, kPaletteBytes> rgb) {
  DoomPalette p;
  std::copy(rgb.begin(), rgb.end(), p.rgb.begin());
  const auto darkest = darkestNonBlack(rgb);
  const auto entryOf = [&](int i) {
    if (sumAt(rgb, i) == 0 && darkest) i = *darkest;
    return PaletteEntry{rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], 0};
  };
  for (int i = 1; i < 256; ++i) {
    p.logical[i] = entryOf(i);
    p.patchIndex[i] = static_cast<std::uint8_t>(i);
  }
  // Index 0 of a patch is opaque: take the logical entry of its colour.
  const PaletteEntry zero = entryOf(0);
  p.patchIndex[0] = darkest.value_or(0);
  for (int i = 1; i < 256; ++i) {
    if (p.logical[i] == zero) {
      p.patchIndex[0] = static_cast<std::uint8_t>(i);
      break;
    }
  }
  return p;
}

std::array<std::uint8_t, kPaletteBytes> defaultPaletteFor(TWadKind kind) {
  const TIDSoftDataModule module;
  const TBinaryData& data = kind == TWadKind::wkHeretic ? module.DefaultHereticPalette
                            : kind == TWadKind::wkHexen ? module.DefaultHexenPalette
                                                        : module.DefaultDoomPalette;
  std::array<std::uint8_t, kPaletteBytes> rgb{};
  const auto bytes = data.bytes();
  std::copy_n(bytes.begin(), std::min(bytes.size(), rgb.size()), rgb.begin());
  return rgb;
}

DoomPalette readWadPalette(WadDirectory& wad, TWadKind kind) {
  for (std::size_t i = 0; i < wad.size(); ++i) {
    if (wad[i].name != "PLAYPAL" && wad[i].name != "PAL") continue;
    if (wad[i].size < static_cast<std::int64_t>(kPaletteBytes)) break;  // too short: the default below
    const ByteBuffer lump = wad.readLump(i);
    return makeDoomPalette(std::span<const std::uint8_t, kPaletteBytes>(lump.data(), kPaletteBytes));
  }
  const auto rgb = defaultPaletteFor(kind);
  return makeDoomPalette(rgb);
}

}  // namespace velorina
