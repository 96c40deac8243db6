#pragma once
// TWZ1Bitmap: the "WZ1" run-length format (description "WZ1-Format"). After the
// header, (count, index) byte pairs code each row by itself: a run never crosses
// the end of a row, and the writer codes every row's last pixel as a run of its
// own. A run that reaches past the row's end on reading fills the row; the
// excess is dropped and the next pair starts the next row.
//
// Reading completes rows in order until the data ends; pixels the data does not
// reach keep index 0, a trailing odd byte is ignored and pairs beyond the last row
// are ignored. A loaded picture is 8 bits per pixel with all 256 stored palette
// entries.
#include <string>

#include "archive/ByteBuffer.h"
#include "archive/Stream.h"
#include "imaging/Bitmap.h"

namespace velorina {

class TWZ1Bitmap {
 public:
  static constexpr const char* kExtension = "WZ1";
  static constexpr const char* kDescription = "WZ1-Format";

  TWZ1Bitmap() = default;
  explicit TWZ1Bitmap(Bitmap bitmap) : bitmap_(std::move(bitmap)) {}

  Bitmap& bitmap() noexcept { return bitmap_; }
  const Bitmap& bitmap() const noexcept { return bitmap_; }

  // Reads from the stream's position to its end. Throws EWZException for a header
  // cut short or a width or height out of range.
  void LoadFromStream(Stream& source);
  // Throws EWZException "Το αρχείο WZ δεν βρέθηκε" when the file does not exist.
  void LoadFromFile(const std::string& path);
  // Writes at the stream's position; a bitmap that is not 8 bits per pixel is
  // converted first. Throws EWZException when the size does not fit the format.
  void SaveToStream(Stream& target) const;

  // The stored form, and decoding from bytes (used by the stream operations).
  ByteBuffer encode() const;
  void decode(std::span<const std::uint8_t> bytes, const std::string& source);

 private:
  Bitmap bitmap_;
};

}  // namespace velorina
