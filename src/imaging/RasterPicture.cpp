#include "imaging/RasterPicture.h"

#include "archive/ByteBuffer.h"
#include "imaging/Canvas.h"
#include "imaging/ImagingError.h"
#include "imaging/StreamBytes.h"

namespace velorina {

void RasterPicture::LoadFromStream(Stream& source) {
  ByteBuffer storage;
  auto bytes = remainingBytes(source, storage);
  try {
    image_ = decoder_(bytes, source.name());
  } catch (const EStreamError& e) {
    // A bounds check of the byte reader: the picture ends before its data does.
    ErrorContext context = e.context();
    context.detail = "picture data cut short: " + context.detail;
    throw EInvalidGraphic(messages::kInvalidPicture, std::move(context));
  }
}

void RasterPicture::draw(Bitmap& canvas, int x, int y) const { velorina::draw(canvas, x, y, image_); }

}  // namespace velorina
