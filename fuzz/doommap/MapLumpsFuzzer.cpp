// Reads arbitrary bytes as a WAD and every map of it in both record forms: any
// input must read or fail with the importer's error, never read outside a lump.
#include <cstddef>
#include <cstdint>
#include <span>

#include "doommap/MapLumps.h"
#include "doommap/SectorOutlines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  try {
    WadDirectory wad = WadDirectory::fromBytes(std::span<const std::uint8_t>(data, size), "fuzz.wad");
    for (const std::string& name : listMapNames(wad)) {
      for (const MapForm form : {MapForm::Doom, MapForm::Hexen, MapForm::NoLines}) {
        try {
          const DoomMapLumps map = ReadMapLumps(wad, name, form);
          buildSectorOutlines(map);
        } catch (const EDoomWadError&) {
        }
      }
    }
  } catch (const EDoomWadError&) {
  }
  return 0;
}
