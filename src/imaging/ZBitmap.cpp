#include "imaging/ZBitmap.h"

#include <zlib.h>

#include "archive/CompressedBlock.h"
#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "imaging/PixelConversion.h"

namespace velorina {

namespace {

// The largest inflated size accepted: the largest bitmap plus headers and palette.
constexpr std::uint64_t kMaxInflated = kMaxBitmapBytes + 4096;

// Distance in bytes to the left neighbour the filter subtracts, 0 for unfiltered formats.
std::size_t filterDistance(PixelFormat format) {
  if (format == PixelFormat::Bits8) return 1;
  if (format == PixelFormat::Bits24) return 3;
  return 0;
}

ByteBuffer deflateAll(std::span<const std::uint8_t> data, TCompressionLevel level) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  ByteBuffer out(size);
  int rc = compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), zlibLevel(level));
  if (rc != Z_OK) throw ECompressionError("zlib compression failed");
  out.resize(size);
  return out;
}

}  // namespace

void filterRows(Bitmap& bitmap, RowFilter direction) noexcept {
  std::size_t d = filterDistance(bitmap.format());
  if (d == 0) return;
  std::size_t used = static_cast<std::size_t>(bitmap.width()) * d;  // pixel bytes, padding excluded
  for (int y = 0; y < bitmap.height(); ++y) {
    std::uint8_t* r = bitmap.row(y);
    if (direction == RowFilter::Apply) {
      for (std::size_t i = used; i-- > d;) r[i] = static_cast<std::uint8_t>(r[i] - r[i - d]);
    } else {
      for (std::size_t i = d; i < used; ++i) r[i] = static_cast<std::uint8_t>(r[i] + r[i - d]);
    }
  }
}

void TZBitmap::LoadFromStream(Stream& source) {
  const std::string name = source.name();
  const std::int64_t start = source.position();
  const std::int64_t end = source.size();
  if (end - start < 4) throwInvalidPicture(name, "compressed bitmap is shorter than its size word");
  source.setPosition(end - 4);
  const std::uint32_t inflatedSize = source.readU32();
  const auto compressedSize = static_cast<std::size_t>(end - 4 - start);
  if (inflatedSize > kMaxInflated) throwInvalidPicture(name, "inflated size " + std::to_string(inflatedSize) + " is too large");
  try {
    checkDeclaredLength(inflatedSize, compressedSize, name);
    ByteBuffer stored;
    std::span<const std::uint8_t> compressed = source.view(start, compressedSize);
    if (compressed.size() != compressedSize) {
      stored.resize(compressedSize);
      source.setPosition(start);
      source.readExact(stored.data(), compressedSize);
      compressed = stored;
    }
    ByteBuffer file;
    Inflater inflater;
    inflater.inflate(compressed, inflatedSize, file, name);
    bitmap_ = readBmp(file, name);
  } catch (const EInvalidGraphic&) {
    throw;
  } catch (const Error& e) {
    throwInvalidPicture(name, std::string("compressed bitmap: ") + e.what() + " (" + e.context().detail + ")");
  }
  source.setPosition(end);
  filterRows(bitmap_, RowFilter::Undo);
}

void TZBitmap::SaveToStream(Stream& target) const {
  Bitmap filtered = isIndexed(bitmap_.format()) ? bitmap_ : convertPixelFormat(bitmap_, PixelFormat::Bits24);
  filterRows(filtered, RowFilter::Apply);
  ByteBuffer file = writeBmp(filtered);
  target.writeBytes(deflateAll(file, CompressionLevel));
  target.seek(0, SeekOrigin::End);
  target.writeU32(static_cast<std::uint32_t>(file.size()));
}

}  // namespace velorina
