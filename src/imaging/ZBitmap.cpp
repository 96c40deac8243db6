#include "imaging/ZBitmap.h"

#include <zlib.h>

#include "archive/CompressedBlock.h"
#include "archive/LittleEndian.h"
#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "imaging/PixelConversion.h"
#include "imaging/StreamBytes.h"

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

void TZBitmap::decode(std::span<const std::uint8_t> bytes, const std::string& source) {
  if (bytes.size() < 4) throwInvalidPicture(source, "compressed bitmap is shorter than its size word");
  const std::uint32_t inflatedSize = loadLE<std::uint32_t>(bytes.data() + bytes.size() - 4);
  const auto compressed = bytes.first(bytes.size() - 4);
  if (inflatedSize > kMaxInflated) {
    throwInvalidPicture(source, "inflated size " + std::to_string(inflatedSize) + " is too large");
  }
  Bitmap image;
  try {
    checkDeclaredLength(inflatedSize, compressed.size(), source);
    ByteBuffer file;
    Inflater inflater;
    inflater.inflate(compressed, inflatedSize, file, source);
    image = readBmp(file, source);
  } catch (const EInvalidGraphic&) {
    throw;
  } catch (const Error& e) {
    throwInvalidPicture(source, std::string("compressed bitmap: ") + e.what() + " (" + e.context().detail + ")");
  }
  filterRows(image, RowFilter::Undo);
  bitmap_ = std::move(image);
}

void TZBitmap::LoadFromStream(Stream& source) {
  ByteBuffer storage;
  decode(remainingBytes(source, storage), source.name());
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
