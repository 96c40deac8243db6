#include "platform/display/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <vector>

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

void writePng(const std::string& path, std::uint32_t width, std::uint32_t height,
              std::span<const std::uint32_t> argb) {
  if (width == 0 || height == 0 || argb.size() < std::size_t(width) * height) {
    throw EStreamError(messages::kStreamWriteError,
                       contextFor(path, "picture of " + std::to_string(width) + " x " + std::to_string(height) +
                                            " with " + std::to_string(argb.size()) + " texels"));
  }
  std::vector<png_byte> rgb(std::size_t(width) * height * 3);
  for (std::size_t i = 0; i < std::size_t(width) * height; ++i) {
    rgb[i * 3 + 0] = png_byte(argb[i] >> 16);
    rgb[i * 3 + 1] = png_byte(argb[i] >> 8);
    rgb[i * 3 + 2] = png_byte(argb[i]);
  }
  // The simplified libpng interface reports failures by its answer and message
  // instead of by a long jump, which would skip C++ destructors.
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr)) {
    const std::string why = image.message;
    png_image_free(&image);
    std::remove(path.c_str());
    throw EFOpenError(formatMessage(messages::kFileCreateError, {path, why}), contextFor(path, ""));
  }
}

}  // namespace velorina
