#include "imaging/WZFormat.h"

#include "archive/FileStream.h"
#include "archive/LittleEndian.h"
#include "imaging/ImagingError.h"
#include "imaging/PixelConversion.h"
#include "imaging/StreamBytes.h"

namespace velorina::wz {

namespace {

// Truncated pictures may lack most of their rows, but not more than 15/16 of them
// once they are larger than a megapixel.
constexpr std::uint64_t kMaxMissingFactor = 16;
constexpr std::uint64_t kSlackPixels = 1u << 20;

[[noreturn]] void fail(const std::string& source, const std::string& detail) {
  throw EWZException(detail, ErrorContext{source, {}, {}, {}});
}

void checkSize(int width, int height, const std::string& source) {
  if (width <= 0 || height <= 0) {
    fail(source, "WZ picture size " + std::to_string(width) + "x" + std::to_string(height) + " is not positive");
  }
  if (width > kMaxWidth) {
    fail(source, "WZ picture width " + std::to_string(width) + " is above " + std::to_string(kMaxWidth));
  }
}

}  // namespace

Bitmap readHeader(std::span<const std::uint8_t> bytes, const std::string& source, PixelInit init) {
  if (bytes.size() < kHeaderSize) fail(source, "WZ header is cut short");
  int width = loadLE<std::int16_t>(bytes.data());
  int height = loadLE<std::int16_t>(bytes.data() + 2);
  checkSize(width, height, source);
  // Pixels the runs could reach at most: 255 per pair, plus the uncoded first
  // column of WZ2. Rows the data leaves out stay index 0, but a picture claiming
  // far more than its data could ever fill is refused before it is allocated.
  std::uint64_t reachable = (bytes.size() - kHeaderSize) / 2 * 255 + static_cast<std::uint64_t>(height);
  std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  if (pixels > kSlackPixels && pixels > reachable * kMaxMissingFactor) {
    fail(source, "WZ picture size " + std::to_string(width) + "x" + std::to_string(height) + " is far beyond its data");
  }
  Bitmap out(width, height, PixelFormat::Bits8, init);
  for (std::size_t i = 0; i < 256; ++i) {
    const std::uint8_t* e = bytes.data() + 4 + 4 * i;
    out.palette()[i] = {e[0], e[1], e[2], 0};  // the flags byte is not used
  }
  out.setPaletteCount(256);
  return out;
}

Bitmap prepareForSaving(const Bitmap& bitmap) {
  checkSize(bitmap.width(), bitmap.height(), {});
  if (bitmap.height() > 32767) fail({}, "WZ picture height " + std::to_string(bitmap.height()) + " is above 32767");
  return convertPixelFormat(bitmap, PixelFormat::Bits8);
}

void writeHeader(const Bitmap& bitmap, ByteBuffer& out) {
  std::size_t at = out.size();
  out.resize(at + kHeaderSize);
  storeLE<std::int16_t>(out.data() + at, static_cast<std::int16_t>(bitmap.width()));
  storeLE<std::int16_t>(out.data() + at + 2, static_cast<std::int16_t>(bitmap.height()));
  for (std::size_t i = 0; i < 256; ++i) {
    const PaletteEntry& e = bitmap.palette()[i];
    std::uint8_t* p = out.data() + at + 4 + 4 * i;
    p[0] = e.r, p[1] = e.g, p[2] = e.b, p[3] = e.flags;
  }
}

ByteBuffer readWholeFile(const std::string& path) {
  if (!isRegularFile(path)) throw EWZException(messages::kWZFileNotFound, ErrorContext{path, {}, {}, {}});
  FileStream file(path, FileMode::Read);
  ByteBuffer bytes;
  remainingBytes(file, bytes);
  return bytes;
}

}  // namespace velorina::wz
