// libFuzzer harness: Bitmap resources of Windows modules: PE headers, section table, resource tree.
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/Error.h"
#include "imaging/PeBitmapResources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    velorina::readModuleBitmap(bytes, "1", "fuzz.dll");
    velorina::readModuleBitmap(bytes, "LOGO", "fuzz.dll");
  } catch (const velorina::Error&) {
    // Refusing damaged input with the system's error is the expected outcome.
  }
  return 0;
}
