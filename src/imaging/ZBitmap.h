#pragma once
// TZBitmap: a bitmap stored as a zlib-compressed Windows bitmap file whose rows
// are delta-filtered, followed by the inflated size as a u32 at the very end of
// the stream (so the picture must end its stream: a file, an archive entry or a
// sub-stream window). Extension "BMZ", description "zBitmap".
//
// Filter: in 8-bit rows every byte from the second on holds its difference
// (mod 256) from the byte to its left; in 24-bit rows every byte from the fourth
// on holds its difference from the same channel of the pixel to its left. 1- and
// 4-bit rows are stored as they are; other formats are saved as 24 bits.
#include <span>
#include <string>

#include "archive/CompressionLevel.h"
#include "archive/Stream.h"
#include "imaging/Bitmap.h"

namespace velorina {

class TZBitmap {
 public:
  static constexpr const char* kExtension = "BMZ";
  static constexpr const char* kDescription = "zBitmap";

  TZBitmap() = default;
  explicit TZBitmap(Bitmap bitmap) : bitmap_(std::move(bitmap)) {}

  Bitmap& bitmap() noexcept { return bitmap_; }
  const Bitmap& bitmap() const noexcept { return bitmap_; }

  TCompressionLevel CompressionLevel = TCompressionLevel::clDefault;

  // Reads from the stream's position to its end. Throws EInvalidGraphic when the
  // stream is shorter than the size word, when the size word is larger than the
  // compressed bytes could inflate to, when the zlib stream is damaged or ends
  // before that size, or when the inflated bytes are not a valid bitmap file.
  void LoadFromStream(Stream& source);
  // The same for a whole stored picture held in memory.
  void decode(std::span<const std::uint8_t> bytes, const std::string& source);
  // Writes at the stream's position, then appends the size word at its end.
  void SaveToStream(Stream& target) const;

 private:
  Bitmap bitmap_;
};

// The row filter, exposed for tests and the benchmark: apply or undo in place on
// an 8- or 24-bit bitmap (other formats are left alone).
enum class RowFilter { Apply, Undo };
void filterRows(Bitmap& bitmap, RowFilter direction) noexcept;

}  // namespace velorina
