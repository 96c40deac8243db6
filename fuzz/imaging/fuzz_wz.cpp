// libFuzzer harness: The run-length formats; a decoded WZ1 picture must encode back to a form that decodes to it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "archive/Error.h"
#include "imaging/WZ1Bitmap.h"
#include "imaging/WZ2Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    velorina::TWZ2Bitmap two;
    two.decode(bytes, "fuzz.wz2");
    two.encode();
    velorina::TWZ1Bitmap one;
    one.decode(bytes, "fuzz.wz1");
    velorina::TWZ1Bitmap again;
    again.decode(one.encode(), "again");
    if (!(again.bitmap() == one.bitmap())) std::abort();
  } catch (const velorina::Error&) {
    // Refusing damaged input with the system's error is the expected outcome.
  }
  return 0;
}
