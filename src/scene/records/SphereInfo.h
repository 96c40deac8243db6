#pragma once
// TD3DSphereInfo: the record of a sphere (an ellipsoid of Stacks x Slices). Stored
// as 77 bytes from version 101, 69 at version 100 (no texture offsets) and 72
// below (no offsets, a one-byte frame count and an 8-byte frame period).

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "scene/records/Geometry.h"
#include "scene/records/TextureNames.h"

namespace velorina {

struct TD3DSphereInfo {
  std::int32_t ID = 0;
  std::uint32_t Color = 0;
  float TexScaleU = 0, TexScaleV = 0;
  float TexOffsetU = 0, TexOffsetV = 0;
  std::int16_t FrameCount = 0;
  std::int32_t FixedDistance = 0;
  float FramePeriod = 0;
  D3DVECTOR Position, Angles, Scale;
  std::uint8_t BlendMode = 0;
  std::int32_t CullMode = 0;
  std::uint8_t Stacks = 0;
  std::uint8_t Slices = 0;
  TTextureNames TextureNames;

  static TD3DSphereInfo read(ByteReader& in, std::int32_t version);
  void write(Stream& out) const;
  bool operator==(const TD3DSphereInfo&) const = default;
};

}  // namespace velorina
