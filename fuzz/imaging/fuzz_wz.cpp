// libFuzzer harness: the run-length formats. A WZ2 picture must decode, with the
// fastest and with the portable run placement, to exactly the bytes (row padding
// included) of the plain pixel-by-pixel reading, and a decoded WZ1 picture must
// encode back to a form that decodes to it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "archive/Error.h"
#include "imaging/WZ1Bitmap.h"
#include "imaging/WZ2Bitmap.h"
#include "imaging/WZFormat.h"

namespace {

// The reading rule one pixel at a time, without the decoder's shortcuts.
velorina::Bitmap referenceWz2(std::span<const std::uint8_t> bytes) {
  velorina::Bitmap out = velorina::wz::readHeader(bytes, "reference");
  int x = 0, y = 0;
  for (std::size_t i = velorina::wz::kHeaderSize; i + 1 < bytes.size(); i += 2) {
    for (int n = 0; n < bytes[i] && y < out.height(); ++n) {
      out.setRawPixel(x++, y, bytes[i + 1]);
      while (x == out.width() && ++y < out.height()) {
        out.setRawPixel(0, y, bytes[i + 1]);
        x = 1;
      }
    }
  }
  return out;
}

bool sameBytes(const velorina::Bitmap& a, const velorina::Bitmap& b) {
  return a.width() == b.width() && a.height() == b.height() && a.palette() == b.palette() &&
         std::ranges::equal(a.pixels(), b.pixels());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    const velorina::Bitmap expected = referenceWz2(bytes);
    for (auto placement : {velorina::RunPlacement::Fastest, velorina::RunPlacement::Portable}) {
      velorina::TWZ2Bitmap two;
      two.decode(bytes, "fuzz.wz2", placement);
      if (!sameBytes(two.bitmap(), expected)) std::abort();
      two.encode();
    }
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
