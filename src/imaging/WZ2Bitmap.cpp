#include "imaging/WZ2Bitmap.h"

#include <algorithm>
#include <cstring>

#include "imaging/StreamBytes.h"
#include "imaging/WZFormat.h"

namespace velorina {

void TWZ2Bitmap::decode(std::span<const std::uint8_t> bytes, const std::string& source) {
  Bitmap out = wz::readHeader(bytes, source);
  const int width = out.width(), height = out.height();
  int x = 0, y = 0;
  const int stride = static_cast<int>(out.stride());
  std::uint8_t* row = out.row(0);
  const std::uint8_t* pair = bytes.data() + wz::kHeaderSize;
  const std::uint8_t* const end = pair + (bytes.size() - wz::kHeaderSize) / 2 * 2;
  for (; pair != end && y < height; pair += 2) {
    const std::uint8_t index = pair[1];
    int n = pair[0];
    if (n < width - x) {  // the common case: the run ends inside the row
      if (n <= 32 && x + 32 <= stride) {
        // Short runs store 32 bytes at once; the bytes past the run are
        // overwritten by the runs that follow (or are row padding).
        const std::uint64_t fill = 0x0101010101010101ull * index;
        std::uint8_t* p = row + x;
        std::memcpy(p, &fill, 8);
        std::memcpy(p + 8, &fill, 8);
        std::memcpy(p + 16, &fill, 8);
        std::memcpy(p + 24, &fill, 8);
      } else {
        std::memset(row + x, index, static_cast<std::size_t>(n));
      }
      x += n;
      continue;
    }
    while (n > 0 && y < height) {
      int count = std::min(n, width - x);
      std::memset(row + x, index, static_cast<std::size_t>(count));
      x += count, n -= count;
      // A completed row hands its last index to the next row's uncoded first pixel
      // (and in one-pixel-wide pictures that completes the next row as well).
      while (x == width && ++y < height) {
        row = out.row(y);
        row[0] = index;
        x = 1;
      }
    }
  }
  // Undo what the 16-byte stores wrote past the last run and into row padding.
  if (y < height) std::memset(row + x, 0, static_cast<std::size_t>(stride - x));
  for (int r = 0; r < std::min(y, height); ++r) std::memset(out.row(r) + width, 0, static_cast<std::size_t>(stride - width));
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
