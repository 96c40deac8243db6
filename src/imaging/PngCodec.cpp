#include "imaging/PngCodec.h"

#include <png.h>

#include <cstring>

#include "imaging/ImagingError.h"
#include "imaging/PixelConversion.h"

namespace velorina {

namespace {

// Deflate expands at most about 1032 to 1 and a 1-bit row packs 8 pixels a byte.
constexpr std::uint64_t kMaxPixelsPerByte = 1032 * 8;

struct ImageGuard {
  png_image image{};
  ImageGuard() { image.version = PNG_IMAGE_VERSION; }
  ~ImageGuard() { png_image_free(&image); }
  ImageGuard(const ImageGuard&) = delete;
  ImageGuard& operator=(const ImageGuard&) = delete;
};

[[noreturn]] void fail(const std::string& source, const png_image& image) {
  throwInvalidPicture(source, std::string("PNG: ") + image.message);
}

Bitmap readIndexed(png_image& image, const std::string& source) {
  image.format = PNG_FORMAT_RGBA_COLORMAP;
  Bitmap out(static_cast<int>(image.width), static_cast<int>(image.height), PixelFormat::Bits8);
  std::uint8_t colourMap[256 * 4];
  if (!png_image_finish_read(&image, nullptr, out.pixels().data(), static_cast<png_int_32>(out.stride()), colourMap)) {
    fail(source, image);
  }
  int count = static_cast<int>(std::min<png_uint_32>(image.colormap_entries, 256));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* c = colourMap + 4 * i;
    out.palette()[static_cast<std::size_t>(i)] =
        c[3] == 0 ? PaletteEntry{} : PaletteEntry{c[0], c[1], c[2], 0};
  }
  out.setPaletteCount(count);
  return out;
}

Bitmap readDirect(png_image& image, const std::string& source) {
  image.format = PNG_FORMAT_BGRA;
  Bitmap out(static_cast<int>(image.width), static_cast<int>(image.height), PixelFormat::Bits32);
  if (!png_image_finish_read(&image, nullptr, out.pixels().data(), static_cast<png_int_32>(out.stride()), nullptr)) {
    fail(source, image);
  }
  for (int y = 0; y < out.height(); ++y) {
    std::uint8_t* p = out.row(y);
    for (int x = 0; x < out.width(); ++x, p += 4)
      if (p[3] == 0) std::memset(p, 0, 4);
  }
  return out;
}

}  // namespace

bool isPng(std::span<const std::uint8_t> bytes) noexcept {
  return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

Bitmap decodePng(std::span<const std::uint8_t> bytes, const std::string& source) {
  ImageGuard guard;
  png_image& image = guard.image;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) fail(source, image);
  checkBitmapSize(image.width, image.height, PixelFormat::Bits32, source.c_str());
  if (static_cast<std::uint64_t>(image.width) * image.height > bytes.size() * kMaxPixelsPerByte) {
    throwInvalidPicture(source, "PNG picture is far larger than its data");
  }
  // Palette files keep their indices when they have at most 256 entries.
  bool indexed = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0 && image.colormap_entries <= 256;
  return indexed ? readIndexed(image, source) : readDirect(image, source);
}

ByteBuffer encodePng(const Bitmap& bitmap) {
  ImageGuard guard;
  png_image& image = guard.image;
  image.width = static_cast<png_uint_32>(bitmap.width());
  image.height = static_cast<png_uint_32>(bitmap.height());
  Bitmap source;
  std::uint8_t colourMap[256 * 3] = {};
  if (isIndexed(bitmap.format())) {
    source = convertPixelFormat(bitmap, PixelFormat::Bits8);
    image.format = PNG_FORMAT_RGB_COLORMAP;
    int count = source.paletteCount() > 0 ? source.paletteCount() : 256;
    image.colormap_entries = static_cast<png_uint_32>(count);
    for (int i = 0; i < count; ++i) {
      const PaletteEntry& e = source.palette()[static_cast<std::size_t>(i)];
      colourMap[3 * i] = e.r, colourMap[3 * i + 1] = e.g, colourMap[3 * i + 2] = e.b;
    }
  } else {
    source = convertPixelFormat(bitmap, PixelFormat::Bits24);
    image.format = PNG_FORMAT_BGR;
  }
  png_alloc_size_t size = 0;
  auto stride = static_cast<png_int_32>(source.stride());
  const void* pixels = source.pixels().data();
  if (!png_image_write_get_memory_size(image, size, 0, pixels, stride, colourMap)) {
    throw EInvalidGraphic(std::string("PNG: ") + image.message);
  }
  ByteBuffer out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, stride, colourMap)) {
    throw EInvalidGraphic(std::string("PNG: ") + image.message);
  }
  out.resize(size);
  return out;
}

}  // namespace velorina
