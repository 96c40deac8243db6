#pragma once
// A picture whose format decodes its bytes into a bitmap in one step; every
// standard format is one.
#include <cstdint>
#include <span>
#include <string>

#include "imaging/Picture.h"

namespace velorina {

// Decodes a whole stored picture; `source` names it in error messages.
using PictureDecoder = Bitmap (*)(std::span<const std::uint8_t> bytes, const std::string& source);

class RasterPicture final : public Picture {
 public:
  explicit RasterPicture(PictureDecoder decoder) : decoder_(decoder) {}
  // Reads the rest of the stream (in place when it is held in memory) and decodes
  // it. Bounds errors of the readers come out as EInvalidGraphic.
  void LoadFromStream(Stream& source) override;
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  void draw(Bitmap& canvas, int x, int y) const override;
  const Bitmap& bitmap() const override { return image_; }

 private:
  PictureDecoder decoder_;
  Bitmap image_;
};

}  // namespace velorina
