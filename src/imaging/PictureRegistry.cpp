#include "imaging/PictureRegistry.h"

#include <algorithm>
#include <cctype>

#include "archive/Messages.h"
#include "imaging/BmpCodec.h"
#include "imaging/GifDecoder.h"
#include "imaging/IconDecoder.h"
#include "imaging/ImagingError.h"
#include "imaging/JpegDecoder.h"
#include "imaging/MetafileDecoder.h"
#include "imaging/PngCodec.h"
#include "imaging/PpmCodec.h"
#include "imaging/RasterPicture.h"
#include "imaging/TgaDecoder.h"
#include "imaging/WZ1Bitmap.h"
#include "imaging/WZ2Bitmap.h"
#include "imaging/ZBitmap.h"

namespace velorina {

namespace {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// A DIB file is a bitmap file; a packed DIB without the file header is read too.
Bitmap decodeDibPicture(std::span<const std::uint8_t> bytes, const std::string& source) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return readBmp(bytes, source);
  return readDib(bytes, source);
}

template <typename Format>
Bitmap decodeWith(std::span<const std::uint8_t> bytes, const std::string& source) {
  Format picture;
  picture.decode(bytes, source);
  return std::move(picture.bitmap());
}

PictureFormat raster(const char* extension, const char* description, PictureDecoder decoder) {
  return {extension, description, [decoder] { return std::make_unique<RasterPicture>(decoder); }};
}

PictureRegistry makeStandard() {
  PictureRegistry r;
  r.add(raster("BMP", "Bitmaps", readBmp));
  r.add(raster("DIB", "Device-independent bitmaps", decodeDibPicture));
  r.add(raster("GIF", "GIF Image", decodeGif));
  r.add(raster("JPG", "JPEG Image File", decodeJpeg));
  r.add(raster("JPEG", "JPEG Image File", decodeJpeg));
  r.add(raster("PNG", "Portable Network Graphics", decodePng));
  r.add(raster("PPM", "Portable Pixmap", decodePpm));
  r.add(raster("TGA", "Truevision Targa", decodeTga));
  r.add(raster("ICO", "Icons", decodeIcon));
  r.add(raster("WMF", "Metafiles", decodeWmf));
  r.add(raster("EMF", "Enhanced Metafiles", decodeEmf));
  r.add(raster(TZBitmap::kExtension, TZBitmap::kDescription, decodeWith<TZBitmap>));
  r.add(raster(TWZ1Bitmap::kExtension, TWZ1Bitmap::kDescription, decodeWith<TWZ1Bitmap>));
  r.add(raster(TWZ2Bitmap::kExtension, TWZ2Bitmap::kDescription, decodeWith<TWZ2Bitmap>));
  return r;
}

}  // namespace

const PictureRegistry& PictureRegistry::standard() {
  static const PictureRegistry registry = makeStandard();
  return registry;
}

void PictureRegistry::add(PictureFormat format) {
  format.extension = upper(format.extension);
  auto it = std::find_if(formats_.begin(), formats_.end(),
                         [&](const PictureFormat& f) { return f.extension == format.extension; });
  if (it != formats_.end()) {
    *it = std::move(format);
  } else {
    formats_.push_back(std::move(format));
  }
}

const PictureFormat* PictureRegistry::find(std::string_view extension) const {
  std::string key = upper(extension);
  for (const auto& f : formats_)
    if (f.extension == key) return &f;
  return nullptr;
}

std::string PictureRegistry::extensionOf(std::string_view name) {
  auto dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string ext = upper(name.substr(dot + 1));
  std::erase(ext, '\0');
  return ext;
}

std::unique_ptr<Picture> PictureRegistry::createFor(const std::string& name) const {
  const PictureFormat* format = find(extensionOf(name));
  if (!format) throw EInvalidGraphic(formatMessage(messages::kUnknownPictureType, {name}), ErrorContext{name, {}, {}, {}});
  return format->create();
}

Bitmap loadPicture(const std::string& name, Stream& source, const PictureRegistry& registry) {
  auto picture = registry.createFor(name);
  try {
    picture->LoadFromStream(source);
  } catch (Error& e) {
    e.setFileIfUnset(name);
    throw;
  }
  return picture->bitmap();
}

}  // namespace velorina
