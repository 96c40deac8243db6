#pragma once
// Saving a 32-bit picture (0xAARRGGBB texels, row by row from the top) as an
// 8-bit RGB PNG file. The alpha byte is not stored: frames are opaque.

#include <cstdint>
#include <span>
#include <string>

#include "archive/ByteBuffer.h"

namespace velorina {

// The PNG bytes of a picture; throws EStreamError naming `path` when the picture is
// empty, smaller than its size says, or cannot be encoded.
ByteBuffer encodeFramePng(const std::string& path, std::uint32_t width, std::uint32_t height,
                          std::span<const std::uint32_t> argb);

// Writes the PNG through a temporary file renamed over `path` when complete: a
// failure leaves whatever was at `path` as it was. Throws EFOpenError when the file
// cannot be created (a directory stands there, say) and EStreamError when the
// picture cannot be written.
void writePng(const std::string& path, std::uint32_t width, std::uint32_t height,
              std::span<const std::uint32_t> argb);

}  // namespace velorina
