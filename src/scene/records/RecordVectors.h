#pragma once
// Vectors in stored records: three little-endian singles, x, y, z.

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "scene/records/Geometry.h"

namespace velorina {

inline D3DVECTOR readVector(ByteReader& in) {
  const float x = in.f32();
  const float y = in.f32();
  const float z = in.f32();
  return {x, y, z};
}

inline void writeVector(Stream& out, const D3DVECTOR& v) {
  out.writeF32(v.x);
  out.writeF32(v.y);
  out.writeF32(v.z);
}

}  // namespace velorina
