#pragma once
// TWZ2Bitmap: the "WZ2" run-length format (description "WZ2-Format"). After the
// header, (count, index) byte pairs code one pixel sequence: the whole top row,
// then pixels 2 to w of each later row. Runs carry across rows, and the first
// pixel of every row after the top repeats the last pixel of the row above, so a
// row whose first pixel differs from that comes back changed.
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

// How decoding places the runs: with the fastest code the processor supports
// (AVX2 stores where present), or with the portable code every processor runs.
// Both give the same bitmap; tests compare them.
enum class RunPlacement { Fastest, Portable };

class TWZ2Bitmap {
 public:
  static constexpr const char* kExtension = "WZ2";
  static constexpr const char* kDescription = "WZ2-Format";

  TWZ2Bitmap() = default;
  explicit TWZ2Bitmap(Bitmap bitmap) : bitmap_(std::move(bitmap)) {}

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
  void decode(std::span<const std::uint8_t> bytes, const std::string& source,
              RunPlacement placement = RunPlacement::Fastest);

 private:
  Bitmap bitmap_;
};

}  // namespace velorina
