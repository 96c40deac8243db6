#pragma once
// JPEG pictures (libjpeg-turbo). Colour pictures come out as 24 bits per pixel,
// greyscale ones as 8 bits with a grey ramp palette; CMYK and YCCK pictures are
// turned into RGB (Adobe's inverted CMYK). libjpeg's fatal errors return here
// as EInvalidGraphic instead of ending the program; its warnings about damaged
// data are tolerated, as viewers do, and the undecodable part is left grey.
#include <cstdint>
#include <span>
#include <string>

#include "imaging/Bitmap.h"

namespace velorina {

Bitmap decodeJpeg(std::span<const std::uint8_t> bytes, const std::string& source);

}  // namespace velorina
