#include "imaging/Canvas.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace velorina {

namespace {

// Moves one pixel: stored value when the formats match, colour otherwise.
void transferPixel(Bitmap& target, int tx, int ty, const Bitmap& source, int sx, int sy) {
  if (target.format() == source.format()) {
    target.setRawPixel(tx, ty, source.rawPixel(sx, sy));
  } else {
    target.setColour(tx, ty, source.colourWithAlpha(sx, sy));
  }
}

// Byte-aligned formats of equal depth copy whole pixels with memcpy.
bool byteAligned(const Bitmap& a, const Bitmap& b) {
  return a.format() == b.format() && a.bitsPerPixel() >= 8;
}

// Source column for each target column x0..x1-1 of `to` (-1 when outside the
// source). Only the visible columns are mapped, however wide `to` is.
std::vector<int> columnMap(Rect to, Rect from, int sourceWidth, int x0, int x1) {
  std::vector<int> map(static_cast<std::size_t>(std::max(0, x1 - x0)));
  for (int x = x0; x < x1; ++x) {
    auto sx = from.left + static_cast<std::int64_t>(x - to.left) * from.width() / to.width();
    map[static_cast<std::size_t>(x - x0)] = (sx >= 0 && sx < sourceWidth) ? static_cast<int>(sx) : -1;
  }
  return map;
}

}  // namespace

void stretchDraw(Bitmap& target, Rect to, const Bitmap& source, Rect from) {
  if (to.empty() || from.empty()) return;
  if (&target == &source) {
    Bitmap copy = source;
    stretchDraw(target, to, copy, from);
    return;
  }
  int x0 = std::max(0, to.left), x1 = std::min(target.width(), to.right);
  if (x0 >= x1) return;
  std::vector<int> columns = columnMap(to, from, source.width(), x0, x1);
  int y0 = std::max(0, to.top), y1 = std::min(target.height(), to.bottom);
  bool fast = byteAligned(target, source);
  auto bytes = static_cast<std::size_t>(target.bitsPerPixel() / 8);
  for (int y = y0; y < y1; ++y) {
    auto sy = from.top + static_cast<std::int64_t>(y - to.top) * from.height() / to.height();
    if (sy < 0 || sy >= source.height()) continue;
    std::uint8_t* out = target.row(y);
    const std::uint8_t* in = source.row(static_cast<int>(sy));
    for (int x = x0; x < x1; ++x) {
      int sx = columns[static_cast<std::size_t>(x - x0)];
      if (sx < 0) continue;
      if (fast) {
        std::memcpy(out + static_cast<std::size_t>(x) * bytes, in + static_cast<std::size_t>(sx) * bytes, bytes);
      } else {
        transferPixel(target, x, y, source, sx, static_cast<int>(sy));
      }
    }
  }
}

void draw(Bitmap& target, int x, int y, const Bitmap& source) {
  stretchDraw(target, {x, y, x + source.width(), y + source.height()}, source, boundsOf(source));
}

void drawTransparent(Bitmap& target, int x, int y, const Bitmap& source, std::uint32_t transparent) {
  transparent &= 0xFFFFFFu;
  int y0 = std::max(0, y), y1 = std::min(target.height(), y + source.height());
  int x0 = std::max(0, x), x1 = std::min(target.width(), x + source.width());
  for (int ty = y0; ty < y1; ++ty) {
    for (int tx = x0; tx < x1; ++tx) {
      if ((source.colour(tx - x, ty - y) & 0xFFFFFFu) == transparent) continue;
      transferPixel(target, tx, ty, source, tx - x, ty - y);
    }
  }
}

void fillRect(Bitmap& target, Rect area, std::uint32_t argb) {
  int x0 = std::max(0, area.left), x1 = std::min(target.width(), area.right);
  int y0 = std::max(0, area.top), y1 = std::min(target.height(), area.bottom);
  if (x0 >= x1 || y0 >= y1) return;
  target.setColour(x0, y0, argb);  // one lookup of the stored value, then copies
  std::uint32_t raw = target.rawPixel(x0, y0);
  for (int ty = y0; ty < y1; ++ty)
    for (int tx = x0; tx < x1; ++tx) target.setRawPixel(tx, ty, raw);
}

}  // namespace velorina
