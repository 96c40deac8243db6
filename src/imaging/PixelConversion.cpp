#include "imaging/PixelConversion.h"

#include <algorithm>

#include "imaging/Quantizer.h"

namespace velorina {

namespace {

// Highest palette index the picture uses.
std::uint32_t highestIndex(const Bitmap& source) {
  std::uint32_t highest = 0;
  for (int y = 0; y < source.height(); ++y)
    for (int x = 0; x < source.width(); ++x) highest = std::max(highest, source.rawPixel(x, y));
  return highest;
}

Bitmap copyIndices(const Bitmap& source, PixelFormat target) {
  Bitmap out(source.width(), source.height(), target);
  out.palette() = source.palette();
  out.setPaletteCount(std::min(source.paletteCount(), 1 << bitsPerPixel(target)));
  for (int y = 0; y < source.height(); ++y)
    for (int x = 0; x < source.width(); ++x) out.setRawPixel(x, y, source.rawPixel(x, y));
  return out;
}

Bitmap toIndexed(const Bitmap& source, PixelFormat target) {
  int capacity = 1 << bitsPerPixel(target);
  if (isIndexed(source.format()) && highestIndex(source) < static_cast<std::uint32_t>(capacity)) {
    return copyIndices(source, target);
  }
  Bitmap reduced = quantize(source, capacity);
  return target == PixelFormat::Bits8 ? reduced : copyIndices(reduced, target);
}

Bitmap toDirect(const Bitmap& source, PixelFormat target) {
  Bitmap out(source.width(), source.height(), target);
  bool keepAlpha = source.format() == PixelFormat::Bits32;
  for (int y = 0; y < source.height(); ++y)
    for (int x = 0; x < source.width(); ++x)
      out.setColour(x, y, keepAlpha ? source.colourWithAlpha(x, y) : source.colour(x, y));
  return out;
}

}  // namespace

Bitmap convertPixelFormat(const Bitmap& source, PixelFormat target) {
  if (source.format() == target) return source;
  return isIndexed(target) ? toIndexed(source, target) : toDirect(source, target);
}

void setPixelFormat(Bitmap& bitmap, PixelFormat target) {
  if (bitmap.format() != target) bitmap = convertPixelFormat(bitmap, target);
}

}  // namespace velorina
