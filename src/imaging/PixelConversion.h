#pragma once
// Pixel-format conversion of bitmaps.
#include "imaging/Bitmap.h"

namespace velorina {

// The bitmap in another pixel format:
// - indexed to a wider indexed format keeps indices and palette exactly (1 or 4
//   bits to 8, 1 to 4);
// - anything to 16, 24 or 32 bits resolves colours (32 bits get alpha 255 unless
//   the source is 32 bits already);
// - true colour to an indexed format goes through `quantize` (Quantizer.h), as
//   does an indexed source whose used indices do not fit the narrower format.
// Converting to the same format answers a copy.
Bitmap convertPixelFormat(const Bitmap& source, PixelFormat target);

// Converts in place (no work when the format is already `target`).
void setPixelFormat(Bitmap& bitmap, PixelFormat target);

}  // namespace velorina
