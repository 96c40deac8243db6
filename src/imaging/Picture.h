#pragma once
// A picture of one of the registered formats (PictureRegistry.h).
#include "archive/Stream.h"
#include "imaging/Bitmap.h"

namespace velorina {

class Picture {
 public:
  virtual ~Picture() = default;
  // Reads the picture from the stream's position to its end. Throws EInvalidGraphic
  // (or the format's own error class) for damaged or hostile data.
  virtual void LoadFromStream(Stream& source) = 0;
  // Size in pixels once loaded (0 x 0 before).
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Draws the picture with its top-left corner at (x, y), converting colours to
  // the canvas's pixel format. Transparent parts of pictures that have them
  // (icons, GIF and PNG transparency) are black in the picture and are drawn black.
  virtual void draw(Bitmap& canvas, int x, int y) const = 0;
  // The picture as a bitmap in its own pixel format: indexed pictures keep their
  // palette and indices.
  virtual const Bitmap& bitmap() const = 0;
};

}  // namespace velorina
