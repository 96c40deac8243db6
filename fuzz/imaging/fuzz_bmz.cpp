// libFuzzer harness: Compressed bitmaps (zlib, size word, filtered bitmap file).
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/Error.h"
#include "imaging/ZBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    velorina::TZBitmap z;
    z.decode(bytes, "fuzz.bmz");
  } catch (const velorina::Error&) {
    // Refusing damaged input with the system's error is the expected outcome.
  }
  return 0;
}
