#pragma once
// Saving a drawn frame (0xAARRGGBB texels, row by row from the top) in the picture
// format its file name asks for: ".png" or ".bmp" (ASCII case ignored).

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velorina {

enum class FrameFileFormat { Png, Bmp };

// The format of a file name by its extension; nothing for any other extension.
std::optional<FrameFileFormat> frameFileFormatFor(const std::string& path);

// The one-line reason a name cannot take a frame, for callers that check names
// before drawing: "cannot write pictures of type "JPG" (PNG, BMP)".
std::string unsupportedFrameFileReason(const std::string& path);

// Writes the frame through the atomic writer. Throws EFOpenError for a name whose
// extension is neither, or when the file cannot be created, and EStreamError when
// writing fails; a failure leaves whatever was at `path` as it was.
void writeFrameFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                    std::span<const std::uint32_t> argb);

}  // namespace velorina
