#include "platform/display/FrameFile.h"

#include <filesystem>

#include "archive/AtomicFile.h"
#include "archive/Error.h"
#include "archive/Messages.h"
#include "imaging/Bitmap.h"
#include "imaging/BmpCodec.h"
#include "platform/display/PngWriter.h"

namespace velorina {

namespace {

std::string upperExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  if (!ext.empty()) ext.erase(0, 1);
  for (char& c : ext) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return ext;
}

// A 24-bit bitmap (B, G, R bytes) of the frame.
ByteBuffer encodeFrameBmp(const std::string& path, std::uint32_t width, std::uint32_t height,
                          std::span<const std::uint32_t> argb) {
  if (width == 0 || height == 0 || width > kMaxBitmapSide || height > kMaxBitmapSide ||
      argb.size() < std::size_t(width) * height) {
    throw EStreamError(messages::kStreamWriteError,
                       ErrorContext{path, std::nullopt, std::nullopt,
                                    "picture of " + std::to_string(width) + " x " + std::to_string(height)});
  }
  Bitmap bitmap(static_cast<int>(width), static_cast<int>(height), PixelFormat::Bits24, PixelInit::Uninitialised);
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.row(static_cast<int>(y));
    const std::uint32_t* texel = argb.data() + std::size_t(y) * width;
    for (std::uint32_t x = 0; x < width; ++x) {
      row[3 * x + 0] = static_cast<std::uint8_t>(texel[x]);
      row[3 * x + 1] = static_cast<std::uint8_t>(texel[x] >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(texel[x] >> 16);
    }
    for (std::size_t pad = 3 * std::size_t(width); pad < bitmap.stride(); ++pad) row[pad] = 0;
  }
  return writeBmp(bitmap);
}

}  // namespace

std::optional<FrameFileFormat> frameFileFormatFor(const std::string& path) {
  const std::string ext = upperExtension(path);
  if (ext == "PNG") return FrameFileFormat::Png;
  if (ext == "BMP") return FrameFileFormat::Bmp;
  return std::nullopt;
}

std::string unsupportedFrameFileReason(const std::string& path) {
  const std::string ext = upperExtension(path);
  return (ext.empty() ? std::string("a picture name needs an extension")
                      : "cannot write pictures of type \"" + ext + "\"") +
         " (PNG, BMP)";
}

void writeFrameFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                    std::span<const std::uint32_t> argb) {
  const auto format = frameFileFormatFor(path);
  if (!format) {
    throw EFOpenError(formatMessage(messages::kFileCreateError, {path, unsupportedFrameFileReason(path)}),
                      ErrorContext{path, std::nullopt, std::nullopt, {}});
  }
  if (*format == FrameFileFormat::Png) return writePng(path, width, height, argb);
  const ByteBuffer bmp = encodeFrameBmp(path, width, height, argb);
  AtomicFileWriter writer(path);
  writer.stream().writeBytes(bmp);
  writer.commit();
}

}  // namespace velorina
