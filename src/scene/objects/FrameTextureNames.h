#pragma once
// The texture names of frame-animated objects (sphere, text): frame i uses the
// pair of entries 2i (image) and 2i+1 (mask) of the record's name table.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Bitmap.h"
#include "scene/records/TextureNames.h"

namespace velorina {

class TDirect3DTexture2;

// Appends the non-empty image and mask names of frames 0..frameCount-1 that the
// list lacks, compared without regard to case (frames beyond the table do not
// exist).
void AddFrameTextureNames(const TTextureNames& names, std::int16_t frameCount, std::vector<std::string>& list);

// Whether the names of the first frameCount pairs agree, without regard to case.
bool SameFrameTextureNames(const TTextureNames& a, const TTextureNames& b, std::int16_t frameCount);

// Makes `picture` a 2 x 2 24-bit image of one colour value (0x00BBGGRR) and
// answers the device texture made from it: the texture of an object that names none.
std::unique_ptr<TDirect3DTexture2> MakeColourTexture(Bitmap& picture, std::uint32_t color);

}  // namespace velorina
