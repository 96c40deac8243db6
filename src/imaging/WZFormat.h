#pragma once
// What the two run-length formats share: the header (signed 16-bit width and
// height, then 256 palette entries of red, green, blue, flags) and its checks.
// The run coding differs and lives in WZ1Bitmap and WZ2Bitmap.
#include <cstdint>
#include <span>
#include <string>

#include "archive/ByteBuffer.h"
#include "archive/Stream.h"
#include "imaging/Bitmap.h"

namespace velorina::wz {

inline constexpr int kMaxWidth = 2048;
inline constexpr std::size_t kHeaderSize = 4 + 256 * 4;

// Reads the header from the start of `bytes` and answers an 8-bit bitmap of the
// stored size and palette, all pixels index 0 (or left unset with
// PixelInit::Uninitialised, for a decoder that writes every byte itself). Throws
// EWZException for a header cut short, a width or height of 0 or less, or a width
// above 2048.
Bitmap readHeader(std::span<const std::uint8_t> bytes, const std::string& source,
                  PixelInit init = PixelInit::Zero);

// The bitmap as 8 bits per pixel (converted when it is not), checked to fit the
// format; throws EWZException otherwise.
Bitmap prepareForSaving(const Bitmap& bitmap);

// Appends the header of an 8-bit bitmap to `out`.
void writeHeader(const Bitmap& bitmap, ByteBuffer& out);

// Opens a file for the formats' LoadFromFile; EWZException "Το αρχείο WZ δεν
// βρέθηκε" when it does not exist.
ByteBuffer readWholeFile(const std::string& path);

}  // namespace velorina::wz
