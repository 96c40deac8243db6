#include "imaging/TextureShape.h"

#include <algorithm>

#include "imaging/Canvas.h"
#include "imaging/PixelConversion.h"

namespace velorina {

namespace {

bool isTextureSide(int side) { return side >= 2 && side <= 1024 && (side & (side - 1)) == 0; }

int nextTextureSide(int side) {
  if (side > 512) return 1024;
  int out = 2;
  while (out < side) out *= 2;
  return out;
}

// A bitmap of the same format and palette as `like`.
Bitmap blankLike(const Bitmap& like, int width, int height) {
  Bitmap out(width, height, like.format());
  out.palette() = like.palette();
  out.setPaletteCount(like.paletteCount());
  return out;
}

// Shrinks the picture in place into the top-left w x h and cuts the bitmap there.
void reduceInPlace(Bitmap& bitmap, int stretchWidth, int stretchHeight, int width, int height) {
  stretchDraw(bitmap, {0, 0, stretchWidth, stretchHeight}, bitmap, boundsOf(bitmap));
  bitmap.setSize(std::max(0, width), std::max(0, height));
}

}  // namespace

TextureSize textureSizeFor(int width, int height) noexcept {
  TextureSize out{width, height, false};
  if (width != height) {
    out.width = out.height = std::max(width, height);
    out.changed = true;
  }
  if (out.changed || !isTextureSide(out.width)) {
    out.width = out.height = nextTextureSide(out.width);
    out.changed = true;
  }
  return out;
}

void FitTexture(Bitmap& bitmap, TextureStretch stretch) {
  const TextureSize size = textureSizeFor(bitmap.width(), bitmap.height());
  if (!size.changed) return;
  if (stretch == TextureStretch::Keep) {
    bitmap.setSize(size.width, size.height);
    return;
  }
  // The picture is taken before resizing, so a picture larger than 1024 is
  // reduced whole rather than cut to its top-left corner first.
  Bitmap old = blankLike(bitmap, std::max(0, bitmap.width() - 1), std::max(0, bitmap.height() - 1));
  draw(old, 0, 0, bitmap);
  bitmap.reset(size.width, size.height, bitmap.format());
  stretchDraw(bitmap, boundsOf(bitmap), old, boundsOf(old));
}

void SmoothTexture(Bitmap& bitmap) {
  setPixelFormat(bitmap, PixelFormat::Bits24);
  const Bitmap before = bitmap;
  for (int y = 0; y + 1 < bitmap.height(); ++y) {
    std::uint8_t* out = bitmap.row(y);
    const std::uint8_t* a = before.row(y);
    const std::uint8_t* b = before.row(y + 1);
    for (int x = 0; x + 1 < bitmap.width(); ++x) {
      std::uint8_t* p = out + 3 * x;
      if (p[0] == 0 || p[1] == 0 || p[2] == 0) continue;
      for (int c = 0; c < 3; ++c) {
        int i = 3 * x + c;
        p[c] = static_cast<std::uint8_t>((a[i] + a[i + 3] + b[i] + b[i + 3]) / 4);
      }
    }
  }
}

void tileToSquare(Bitmap& bitmap) {
  const int w = bitmap.width(), h = bitmap.height();
  if (w == h || w == 0 || h == 0) return;
  const int side = std::max(w, h);
  Bitmap square = blankLike(bitmap, side, side);
  const Rect from{0, 0, w - 1, h - 1};
  if (w > h) {
    for (int k = 1; k <= w / h + 1; ++k) stretchDraw(square, {0, h * (k - 1), w, h * k}, bitmap, from);
  } else {
    for (int k = 1; k <= h / w + 1; ++k) stretchDraw(square, {w * (k - 1), 0, w * k, h}, bitmap, from);
  }
  bitmap.setSize(side, side);
  stretchDraw(bitmap, {0, 0, side - 1, side - 1}, square, {0, 0, side - 1, side - 1});
}

void shapeForDetail(Bitmap& bitmap, int textureDetail) {
  const int w = bitmap.width(), h = bitmap.height();
  if (std::min(w, h) <= 7) {
    bitmap.setSize(2, 2);
    return;
  }
  switch (textureDetail) {
    case 1:
      reduceInPlace(bitmap, (w + 1) / 2, (h + 1) / 2, w / 2, h / 2);
      FitTexture(bitmap, TextureStretch::Stretch);
      break;
    case 2:
      reduceInPlace(bitmap, (w + 2) / 4, (h + 2) / 4, w / 4, h / 4);
      FitTexture(bitmap, TextureStretch::Stretch);
      break;
    case 3: {
      Bitmap twice = blankLike(bitmap, 2 * w, 2 * h);
      FitTexture(twice, TextureStretch::Keep);
      stretchDraw(twice, boundsOf(twice), bitmap, boundsOf(bitmap));
      bitmap.setSize(2 * w, 2 * h);
      draw(bitmap, 0, 0, twice);
      SmoothTexture(bitmap);
      break;
    }
    case 4:
    case 5:
    case 6: reduceInPlace(bitmap, 2, 2, 2, 2); break;
    default: FitTexture(bitmap, TextureStretch::Stretch); break;
  }
}

}  // namespace velorina
