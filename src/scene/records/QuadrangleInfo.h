#pragma once
// TD3DQuadrangleInfo: the record of a quadrangle. Stored as 90 bytes (81 below
// version 100, without the texture offsets and the transparency flag); the texture
// name is stored by the scene, not in the record.

#include <array>
#include <string>

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "scene/records/Geometry.h"

namespace velorina {

struct TD3DQuadrangleInfo {
  std::int32_t ID = 0;
  std::array<D3DVECTOR, 4> Corners{};  // drawn as a strip 0, 1, 2, 3
  std::int32_t FixedDistance = 0;
  std::uint8_t Flags = 0;  // bit 0: two-sided
  float TexSpanU = 0, TexSpanV = 0;
  float TexOffsetU = 0, TexOffsetV = 0;
  std::array<std::uint32_t, 4> Colors{};  // 0x00BBGGRR per corner
  bool Transparent = false;
  std::string TextureName;

  static constexpr std::size_t kStoredSize = 90;
  static constexpr std::size_t kStoredSizeBefore100 = 81;

  // Reads the stored record of a stream of `version` (the name stays empty).
  static TD3DQuadrangleInfo read(ByteReader& in, std::int32_t version);
  // Writes the 90-byte layout.
  void write(Stream& out) const;
  bool operator==(const TD3DQuadrangleInfo&) const = default;
};

}  // namespace velorina
