// Probes arbitrary bytes as a WAD file: every input must answer a kind.
#include <cstddef>
#include <cstdint>
#include <span>

#include "doommap/WadProbe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto kind = velorina::probeWadBytes(std::span<const std::uint8_t>(data, size));
  if (static_cast<int>(kind) > 6) __builtin_trap();
  return 0;
}
