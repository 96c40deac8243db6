// libFuzzer harness: Windows metafiles and enhanced metafiles drawn by the record renderer.
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/Error.h"
#include "imaging/MetafileDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    velorina::decodeWmf(bytes, "fuzz.wmf");
  } catch (const velorina::Error&) {
    // Refusing damaged input with the system's error is the expected outcome.
  }
  try {
    velorina::decodeEmf(bytes, "fuzz.emf");
  } catch (const velorina::Error&) {
  }
  return 0;
}
