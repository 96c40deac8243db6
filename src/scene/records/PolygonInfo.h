#pragma once
// TD3DPolygonInfo: the record of a polygon with its points. A merged polygon keeps
// whole vertices (colour and texture coordinates each) instead of bare points.

#include <string>
#include <vector>

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "platform/render/D3DTypes.h"
#include "scene/records/Geometry.h"
#include "scene/records/TextureNames.h"

namespace velorina {

struct TD3DPolygonInfo {
  static constexpr std::int32_t kMaxPoints = 32767;

  bool Merged = false;  // stored from version 108
  std::int32_t ID = 0;
  std::uint32_t Color = 0;
  float TexScaleU = 0, TexScaleV = 0;
  float TexOffsetU = 0, TexOffsetV = 0;
  std::uint8_t TexMode = 0;  // 0: corner coordinates; else planar on x-z
  std::int32_t FixedDistance = 0;
  std::int16_t PointCount = 0;
  std::int16_t FrameCount = 0;
  float FramePeriod = 0;
  std::int32_t PrimitiveType = 5;
  std::uint8_t BlendMode = 0;
  std::int32_t CullMode = 0;
  std::vector<D3DVECTOR> Points;       // when not merged: PointCount points
  std::vector<D3DLVERTEX> Vertices;    // when merged: PointCount whole vertices
  TTextureNames TextureNames;

  // Reads the stored record of a stream of `version`; a negative point count is
  // refused (EStreamError naming the offset).
  static TD3DPolygonInfo read(ByteReader& in, std::int32_t version);
  // Writes the layout of the current version.
  void write(Stream& out) const;
  bool operator==(const TD3DPolygonInfo& o) const;
};

}  // namespace velorina
