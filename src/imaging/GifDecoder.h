#pragma once
// GIF pictures (giflib): the first image of the file, drawn on its logical screen.
// The result is 8 bits per pixel with the frame's colour table (local, else
// global). Screen pixels outside the frame take the transparent index when the
// frame has one, else the background index; the transparent index's palette
// entry is made black, the colour the scene treats as see-through.
#include <cstdint>
#include <span>
#include <string>

#include "imaging/Bitmap.h"

namespace velorina {

Bitmap decodeGif(std::span<const std::uint8_t> bytes, const std::string& source);

}  // namespace velorina
