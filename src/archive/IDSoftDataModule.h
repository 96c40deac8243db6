#pragma once
// TIDSoftDataModule: the default palettes used when a Doom-family archive carries
// no palette of its own. Each is a compressed-block program resource of type "DATA".

#include "archive/BinaryData.h"

namespace velorina {

class TIDSoftDataModule {
 public:
  static constexpr std::size_t kDoomPaletteSize = 10752;     // 14 palettes of 256 RGB triples
  static constexpr std::size_t kHereticPaletteSize = 10752;  // 14 palettes of 256 RGB triples
  static constexpr std::size_t kHexenPaletteSize = 21532;    // 28 palettes of 768 bytes and 28 more

  // Loads the three palettes from the program's resources.
  TIDSoftDataModule();

  TBinaryData DefaultDoomPalette;
  TBinaryData DefaultHereticPalette;
  TBinaryData DefaultHexenPalette;
};

}  // namespace velorina
