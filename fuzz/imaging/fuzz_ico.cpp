// libFuzzer harness: Icon files: directory, DIB and PNG entries.
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/Error.h"
#include "imaging/IconDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    velorina::decodeIcon(bytes, "fuzz.ico");
  } catch (const velorina::Error&) {
    // Refusing damaged input with the system's error is the expected outcome.
  }
  return 0;
}
