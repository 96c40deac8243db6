#include "imaging/WZ2Bitmap.h"

#include <algorithm>

#include "imaging/StreamBytes.h"
#include "imaging/WZFormat.h"

namespace velorina {

void TWZ2Bitmap::decode(std::span<const std::uint8_t> bytes, const std::string& source) {
  Bitmap out = wz::readHeader(bytes, source);
  const int width = out.width(), height = out.height();
  int x = 0, y = 0;
  for (std::size_t i = wz::kHeaderSize; i + 1 < bytes.size() && y < height; i += 2) {
    const std::uint8_t index = bytes[i + 1];
    for (int n = bytes[i]; n > 0 && y < height;) {
      int count = std::min(n, width - x);
      std::fill(out.row(y) + x, out.row(y) + x + count, index);
      x += count, n -= count;
      // A completed row hands its last index to the next row's uncoded first pixel
      // (and in one-pixel-wide pictures that completes the next row as well).
      while (x == width && ++y < height) {
        out.row(y)[0] = index;
        x = 1;
      }
    }
  }
  bitmap_ = std::move(out);
}

ByteBuffer TWZ2Bitmap::encode() const {
  Bitmap b = wz::prepareForSaving(bitmap_);
  ByteBuffer out;
  wz::writeHeader(b, out);
  int count = 0;
  std::uint8_t current = 0;
  auto code = [&](std::uint8_t index) {
    if (count > 0 && (index != current || count == 255)) {
      out.push_back(static_cast<std::uint8_t>(count));
      out.push_back(current);
      count = 0;
    }
    current = index;
    ++count;
  };
  for (int y = 0; y < b.height(); ++y) {
    const std::uint8_t* row = b.row(y);
    for (int x = y == 0 ? 0 : 1; x < b.width(); ++x) code(row[x]);
  }
  if (count > 0) {
    out.push_back(static_cast<std::uint8_t>(count));
    out.push_back(current);
  }
  return out;
}

void TWZ2Bitmap::LoadFromStream(Stream& source) {
  ByteBuffer storage;
  decode(remainingBytes(source, storage), source.name());
}

void TWZ2Bitmap::LoadFromFile(const std::string& path) { decode(wz::readWholeFile(path), path); }

void TWZ2Bitmap::SaveToStream(Stream& target) const { target.writeBytes(encode()); }

}  // namespace velorina
