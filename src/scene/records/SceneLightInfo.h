#pragma once
// The record of a scene light: 33 bytes from version 116, 29 below (no range
// factor, which stays 0); below version 102 the stored specular colour is read and
// replaced by 0.

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "scene/records/Geometry.h"

namespace velorina {

struct TD3DSceneLightInfo {
  std::int32_t ID = 0;
  std::uint32_t Color = 0;     // 0x00BBGGRR
  std::uint32_t Specular = 0;  // 0x00BBGGRR
  float Range = 0;
  float RangeFactor = 0;
  D3DVECTOR Position;
  std::uint8_t LightType = 0;  // 0: falls off with distance; 1: full inside the range

  static TD3DSceneLightInfo read(ByteReader& in, std::int32_t version);
  void write(Stream& out) const;
  bool operator==(const TD3DSceneLightInfo&) const = default;
};

}  // namespace velorina
