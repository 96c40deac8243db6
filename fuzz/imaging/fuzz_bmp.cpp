// libFuzzer harness: Windows bitmap files, packed DIBs and icon DIBs; a decoded picture must survive a write and read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "archive/Error.h"
#include "imaging/BmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    velorina::Bitmap b = velorina::readBmp(bytes, "fuzz.bmp");
    if (!(velorina::readBmp(velorina::writeBmp(b), "again") == b)) std::abort();
    if (size > 14) {
      velorina::readDib(bytes.subspan(14), "fuzz.dib");
      velorina::readIconDib(bytes.subspan(14), "fuzz.ico");
    }
  } catch (const velorina::Error&) {
    // Refusing damaged input with the system's error is the expected outcome.
  }
  return 0;
}
