#pragma once
// Saving a 32-bit picture (0xAARRGGBB texels, row by row from the top) as an
// 8-bit RGB PNG file. The alpha byte is not stored: frames are opaque.

#include <cstdint>
#include <span>
#include <string>

namespace velorina {

// Throws EFOpenError when the file cannot be created and EStreamError when the
// picture cannot be written (the file is then removed).
void writePng(const std::string& path, std::uint32_t width, std::uint32_t height,
              std::span<const std::uint32_t> argb);

}  // namespace velorina
