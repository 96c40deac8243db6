#include "imaging/PpmCodec.h"

#include <cctype>
#include <cstdio>

#include "imaging/ImagingError.h"

namespace velorina {

namespace {

// A cursor over the header and the decimal samples of "P3".
class TextReader {
 public:
  TextReader(std::span<const std::uint8_t> bytes, const std::string& source) : bytes_(bytes), source_(source) {}

  // The next decimal number after white space and comments.
  std::uint32_t number() {
    skipSpace();
    if (pos_ >= bytes_.size() || !std::isdigit(bytes_[pos_])) throwInvalidPicture(source_, "PPM: number expected at byte " + std::to_string(pos_));
    std::uint64_t v = 0;
    while (pos_ < bytes_.size() && std::isdigit(bytes_[pos_])) {
      v = v * 10 + (bytes_[pos_++] - '0');
      if (v > 0xFFFFFFFFu) throwInvalidPicture(source_, "PPM: number too large");
    }
    return static_cast<std::uint32_t>(v);
  }
  // After the header's last number exactly one white-space byte precedes binary data.
  std::size_t binaryStart() {
    if (pos_ >= bytes_.size() || !std::isspace(bytes_[pos_])) throwInvalidPicture(source_, "PPM: header must end in white space");
    return pos_ + 1;
  }

 private:
  void skipSpace() {
    while (pos_ < bytes_.size()) {
      if (bytes_[pos_] == '#') {
        while (pos_ < bytes_.size() && bytes_[pos_] != '\n' && bytes_[pos_] != '\r') ++pos_;
      } else if (std::isspace(bytes_[pos_])) {
        ++pos_;
      } else {
        break;
      }
    }
  }
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 2;
  const std::string& source_;
};

std::uint8_t scale(std::uint32_t v, std::uint32_t max) {
  if (v > max) v = max;
  return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
}

}  // namespace

Bitmap decodePpm(std::span<const std::uint8_t> bytes, const std::string& source) {
  if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '6' && bytes[1] != '3')) {
    throwInvalidPicture(source, "not a \"P6\" or \"P3\" pixmap");
  }
  bool binary = bytes[1] == '6';
  TextReader text(bytes, source);
  std::uint32_t width = text.number(), height = text.number(), max = text.number();
  if (max == 0 || max > 65535) throwInvalidPicture(source, "PPM: maximum sample value out of range");
  checkBitmapSize(width, height, PixelFormat::Bits24, source.c_str());
  if (width == 0 || height == 0) throwInvalidPicture(source, "PPM: picture has no pixels");
  std::uint64_t samples = std::uint64_t{width} * height * 3;
  std::size_t sampleBytes = max > 255 ? 2 : 1;
  std::size_t start = binary ? text.binaryStart() : 0;
  // Binary samples must all be present; decimal ones take at least two bytes each.
  std::uint64_t needed = binary ? samples * sampleBytes : samples * 2 - 1;
  if (needed > bytes.size() - std::min(bytes.size(), start)) throwInvalidPicture(source, "PPM: pixel data cut short");
  Bitmap out(static_cast<int>(width), static_cast<int>(height), PixelFormat::Bits24);
  for (int y = 0; y < out.height(); ++y) {
    std::uint8_t* row = out.row(y);
    for (std::uint32_t i = 0; i < width * 3; ++i) {
      std::uint32_t v;
      if (binary) {
        v = sampleBytes == 2 ? (std::uint32_t{bytes[start]} << 8 | bytes[start + 1]) : bytes[start];
        start += sampleBytes;
      } else {
        v = text.number();
      }
      // Samples come R, G, B; rows store B, G, R.
      row[i - i % 3 + 2 - i % 3] = scale(v, max);
    }
  }
  return out;
}

ByteBuffer encodePpm(const Bitmap& bitmap) {
  char header[64];
  int n = std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", bitmap.width(), bitmap.height());
  ByteBuffer out(header, header + n);
  out.reserve(out.size() + static_cast<std::size_t>(bitmap.width()) * bitmap.height() * 3);
  for (int y = 0; y < bitmap.height(); ++y)
    for (int x = 0; x < bitmap.width(); ++x) {
      std::uint32_t c = bitmap.colour(x, y);
      out.push_back(static_cast<std::uint8_t>(c >> 16));
      out.push_back(static_cast<std::uint8_t>(c >> 8));
      out.push_back(static_cast<std::uint8_t>(c));
    }
  return out;
}

}  // namespace velorina
