#pragma once
// TD3DTextInfo: the record of a 3D text. From version 107 the record ends with the
// sides flag, the shear, the filled flag and the text (u16 length and characters);
// older versions lack the later of these fields.

#include <string>

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "scene/records/Geometry.h"
#include "scene/records/TextureNames.h"

namespace velorina {

struct TD3DTextInfo {
  std::int32_t ID = 0;
  std::uint32_t FrontColor = 0;
  std::uint32_t BackColor = 0;
  float TexScaleU = 0, TexScaleV = 0;
  float FrontTexOffsetU = 0, FrontTexOffsetV = 0;
  float BackTexOffsetU = 0, BackTexOffsetV = 0;
  std::int16_t FrameCount = 0;
  std::int32_t FixedDistance = 0;
  float FramePeriod = 0;
  D3DVECTOR Position, Angles, Scale;
  std::uint8_t BlendMode = 0;
  bool Sides = true;
  float ShearX = 0.5f, ShearY = 0.5f;  // 0.5: no slant
  bool Filled = true;
  std::string Text;
  TTextureNames TextureNames;

  static TD3DTextInfo read(ByteReader& in, std::int32_t version);
  void write(Stream& out) const;
  bool operator==(const TD3DTextInfo&) const = default;
};

}  // namespace velorina
