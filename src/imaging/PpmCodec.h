#pragma once
// Portable pixmaps: "P6" (binary samples) and "P3" (decimal samples), with a
// maximum sample value of 1 to 65535 (two big-endian bytes per binary sample
// above 255); "#" comments in the header are skipped. Pictures come out as 24
// bits per pixel, samples scaled to 0..255. The writer produces "P6", maximum 255.
#include <cstdint>
#include <span>
#include <string>

#include "archive/ByteBuffer.h"
#include "imaging/Bitmap.h"

namespace velorina {

Bitmap decodePpm(std::span<const std::uint8_t> bytes, const std::string& source);
ByteBuffer encodePpm(const Bitmap& bitmap);

}  // namespace velorina
