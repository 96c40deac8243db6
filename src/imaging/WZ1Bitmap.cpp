#include "imaging/WZ1Bitmap.h"

#include <algorithm>

#include "imaging/StreamBytes.h"
#include "imaging/WZFormat.h"

namespace velorina {

void TWZ1Bitmap::decode(std::span<const std::uint8_t> bytes, const std::string& source) {
  // The runs write every pixel they reach; the rest (row padding, rows the data
  // does not complete) is cleared here rather than zero-filling the whole bitmap
  // first.
  Bitmap out = wz::readHeader(bytes, source, PixelInit::Uninitialised);
  const int width = out.width(), height = out.height();
  const std::size_t padding = out.stride() - static_cast<std::size_t>(width);
  int x = 0, y = 0;
  for (std::size_t i = wz::kHeaderSize; i + 1 < bytes.size() && y < height; i += 2) {
    int count = std::min<int>(bytes[i], width - x);
    std::uint8_t* row = out.row(y);
    std::fill(row + x, row + x + count, bytes[i + 1]);
    x += count;
    if (x == width) {
      std::fill_n(row + width, padding, std::uint8_t{0});
      x = 0, ++y;
    }
  }
  if (y < height) {
    std::uint8_t* rest = out.row(y) + x;
    std::fill(rest, out.pixels().data() + out.pixels().size(), std::uint8_t{0});
  }
  bitmap_ = std::move(out);
}

ByteBuffer TWZ1Bitmap::encode() const {
  Bitmap b = wz::prepareForSaving(bitmap_);
  ByteBuffer out;
  wz::writeHeader(b, out);
  const int width = b.width();
  for (int y = 0; y < b.height(); ++y) {
    const std::uint8_t* row = b.row(y);
    for (int x = 0; x < width;) {
      int count = 1;
      // A run stops before the row's last pixel, which always goes out on its own.
      while (x + count < width - 1 && row[x + count] == row[x] && count < 255) ++count;
      out.push_back(static_cast<std::uint8_t>(count));
      out.push_back(row[x]);
      x += count;
    }
  }
  return out;
}

void TWZ1Bitmap::LoadFromStream(Stream& source) {
  ByteBuffer storage;
  decode(remainingBytes(source, storage), source.name());
}

void TWZ1Bitmap::LoadFromFile(const std::string& path) { decode(wz::readWholeFile(path), path); }

void TWZ1Bitmap::SaveToStream(Stream& target) const { target.writeBytes(encode()); }

}  // namespace velorina
