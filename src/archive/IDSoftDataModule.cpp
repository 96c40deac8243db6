#include "archive/IDSoftDataModule.h"

namespace velorina {

TIDSoftDataModule::TIDSoftDataModule()
    : DefaultDoomPalette(TBinaryData::fromResource("DATA", "DEFAULTDOOMPALETTE")),
      DefaultHereticPalette(TBinaryData::fromResource("DATA", "DEFAULTHERETICPALETTE")),
      DefaultHexenPalette(TBinaryData::fromResource("DATA", "DEFAULTHEXENPALETTE")) {}

}  // namespace velorina
