#include "platform/display/PngWriter.h"

#include <png.h>

#include "archive/AtomicFile.h"
#include "archive/Error.h"
#include "archive/Messages.h"

namespace velorina {

namespace {

ErrorContext contextFor(const std::string& path, std::string detail) {
  ErrorContext context;
  context.file = path;
  context.detail = std::move(detail);
  return context;
}

}  // namespace

ByteBuffer encodeFramePng(const std::string& path, std::uint32_t width, std::uint32_t height,
                          std::span<const std::uint32_t> argb) {
  if (width == 0 || height == 0 || argb.size() < std::size_t(width) * height) {
    throw EStreamError(messages::kStreamWriteError,
                       contextFor(path, "picture of " + std::to_string(width) + " x " + std::to_string(height) +
                                            " with " + std::to_string(argb.size()) + " texels"));
  }
  ByteBuffer rgb(std::size_t(width) * height * 3);
  for (std::size_t i = 0; i < std::size_t(width) * height; ++i) {
    rgb[i * 3 + 0] = static_cast<std::uint8_t>(argb[i] >> 16);
    rgb[i * 3 + 1] = static_cast<std::uint8_t>(argb[i] >> 8);
    rgb[i * 3 + 2] = static_cast<std::uint8_t>(argb[i]);
  }
  // The simplified libpng interface reports failures by its answer and message
  // instead of by a long jump, which would skip C++ destructors. The picture is
  // encoded in memory first, so nothing touches the disk until it is complete.
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
    const std::string why = image.message;
    png_image_free(&image);
    throw EStreamError(messages::kStreamWriteError, contextFor(path, why));
  }
  ByteBuffer png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr)) {
    const std::string why = image.message;
    png_image_free(&image);
    throw EStreamError(messages::kStreamWriteError, contextFor(path, why));
  }
  png.resize(size);
  return png;
}

void writePng(const std::string& path, std::uint32_t width, std::uint32_t height,
              std::span<const std::uint32_t> argb) {
  const ByteBuffer png = encodeFramePng(path, width, height, argb);
  AtomicFileWriter writer(path);
  writer.stream().writeBytes(png);
  writer.commit();
}

}  // namespace velorina
