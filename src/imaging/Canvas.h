#pragma once
// Drawing operations on bitmaps, with the semantics the texture and patch code
// relies on: rectangles exclude their right and bottom edges, stretching picks
// the nearest source pixel (no blending, like colour-on-colour stretching), and
// pixels travel as stored values when both bitmaps share a pixel format (so
// indexed pictures keep their indices) and as colours otherwise.
#include <cstdint>

#include "imaging/Bitmap.h"

namespace velorina {

// A rectangle from (left, top) up to, not including, (right, bottom).
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const noexcept { return right - left; }
  int height() const noexcept { return bottom - top; }
  bool empty() const noexcept { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect boundsOf(const Bitmap& b) noexcept { return {0, 0, b.width(), b.height()}; }

// Stretches `from` of `source` onto `to` of `target`: target pixel (x, y) takes
// source pixel (from.left + (x - to.left) * from.width() / to.width(), likewise for
// y), rounded down. Target pixels outside the target, and those whose source pixel
// lies outside the source, are left alone; empty rectangles draw nothing. Source
// and target may be the same bitmap.
void stretchDraw(Bitmap& target, Rect to, const Bitmap& source, Rect from);

// Copies the whole source with its top-left corner at (x, y), clipped.
void draw(Bitmap& target, int x, int y, const Bitmap& source);

// Like draw, but source pixels whose colour is `transparent` (0x00RRGGBB, compared
// without alpha) leave the target unchanged. Patches are composed this way with
// black as the transparent colour.
void drawTransparent(Bitmap& target, int x, int y, const Bitmap& source, std::uint32_t transparent);

// Fills the rectangle (clipped) with a colour 0xAARRGGBB (the nearest palette
// entry in indexed bitmaps).
void fillRect(Bitmap& target, Rect area, std::uint32_t argb);

}  // namespace velorina
