// libFuzzer harness: JPEG pictures through libjpeg-turbo (fatal errors must come back as exceptions).
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/Error.h"
#include "imaging/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    velorina::decodeJpeg(bytes, "fuzz.jpg");
  } catch (const velorina::Error&) {
    // Refusing damaged input with the system's error is the expected outcome.
  }
  return 0;
}
