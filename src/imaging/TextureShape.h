#pragma once
// Bringing a decoded picture to the shape a device texture needs: square, a power
// of two from 2 to 1024 on a side, optionally halved, quartered or doubled by the
// scene's texture-detail mode. All stretching goes through stretchDraw, so
// rectangles exclude their right and bottom edges and pixels keep their stored
// values (indexed pictures keep their palette).
#include "imaging/Bitmap.h"

namespace velorina {

struct TextureSize {
  int width = 0, height = 0;
  bool changed = false;
};

// The texture size for a picture of W x H: unequal sides both become the larger;
// a side that is not a power of two from 2 to 1024 becomes the next one up
// (2 below 3, 4 below 5, ... 512 up to 512, 1024 for anything larger).
TextureSize textureSizeFor(int width, int height) noexcept;

enum class TextureStretch { Keep, Stretch };

// Sizes the bitmap by textureSizeFor when that changes anything. With Stretch the
// picture without its last row and column is stretched over the whole new size;
// with Keep the picture stays at the top-left corner.
void FitTexture(Bitmap& bitmap, TextureStretch stretch);

// Softens a picture: the bitmap becomes 24 bits per pixel and every pixel except
// the last row and column whose three colour bytes are all non-zero becomes the
// mean of itself and its right, lower and lower-right neighbours (as they were
// before). Pixels with a zero colour byte keep their value, so black stays black.
void SmoothTexture(Bitmap& bitmap);

// Makes a non-square bitmap square (side = the longer side) by repeating it along
// the shorter side; each copy stretches the picture without its last row and
// column into its place.
void tileToSquare(Bitmap& bitmap);

// The texture-detail step applied to a freshly decoded picture: pictures whose
// shorter side is at most 7 become 2 x 2; mode 1 halves, 2 quarters, 3 doubles
// and smooths, 4 to 6 reduce to 2 x 2, and every mode except 3 ends with
// FitTexture (Stretch). Mode 3 can leave a non-square bitmap (see tileToSquare).
void shapeForDetail(Bitmap& bitmap, int textureDetail);

}  // namespace velorina
