#pragma once
// Sphere and text records written in the layouts of older stream versions, field
// by field, as another program would have written them.

#include <cstdint>

#include "archive/MemoryStream.h"
#include "scene/records/SphereInfo.h"
#include "scene/records/TextInfo.h"

namespace velorina::testing {

inline void writeVectorField(Stream& s, const D3DVECTOR& v) {
  s.writeF32(v.x);
  s.writeF32(v.y);
  s.writeF32(v.z);
}

// 77 bytes from version 101, 69 at 100 (no offsets), 72 below (no offsets, a byte
// frame count and a double period).
inline void writeSphereRecord(Stream& s, const TD3DSphereInfo& r, std::int32_t version) {
  s.writeI32(r.ID);
  s.writeU32(r.Color);
  s.writeF32(r.TexScaleU);
  s.writeF32(r.TexScaleV);
  if (version >= 101) {
    s.writeF32(r.TexOffsetU);
    s.writeF32(r.TexOffsetV);
  }
  if (version >= 100) {
    s.writeI16(r.FrameCount);
    s.writeI32(r.FixedDistance);
    s.writeF32(r.FramePeriod);
  } else {
    s.writeU8(static_cast<std::uint8_t>(r.FrameCount));
    s.writeI32(r.FixedDistance);
    s.writeLE<double>(r.FramePeriod);
  }
  writeVectorField(s, r.Position);
  writeVectorField(s, r.Angles);
  writeVectorField(s, r.Scale);
  s.writeU8(r.BlendMode);
  s.writeI32(r.CullMode);
  s.writeU8(r.Stacks);
  s.writeU8(r.Slices);
}

// Versions 104 to 107: Sides from 105, the shear from 106, Filled from 107.
inline void writeTextRecord(Stream& s, const TD3DTextInfo& r, std::int32_t version) {
  s.writeI32(r.ID);
  s.writeU32(r.FrontColor);
  s.writeU32(r.BackColor);
  for (float f : {r.TexScaleU, r.TexScaleV, r.FrontTexOffsetU, r.FrontTexOffsetV, r.BackTexOffsetU, r.BackTexOffsetV}) {
    s.writeF32(f);
  }
  s.writeI16(r.FrameCount);
  s.writeI32(r.FixedDistance);
  s.writeF32(r.FramePeriod);
  writeVectorField(s, r.Position);
  writeVectorField(s, r.Angles);
  writeVectorField(s, r.Scale);
  s.writeU8(r.BlendMode);
  if (version >= 105) s.writeU8(r.Sides ? 1 : 0);
  if (version >= 106) {
    s.writeF32(r.ShearX);
    s.writeF32(r.ShearY);
  }
  if (version >= 107) s.writeU8(r.Filled ? 1 : 0);
  s.writeU16(static_cast<std::uint16_t>(r.Text.size()));
  s.writeExact(r.Text.data(), r.Text.size());
}

// What a record of `version` keeps of `r`: the fields the layout lacks take
// their defaults.
inline TD3DSphereInfo sphereAsStoredIn(TD3DSphereInfo r, std::int32_t version) {
  if (version < 101) r.TexOffsetU = r.TexOffsetV = 0;
  if (version < 100) r.FrameCount = static_cast<std::uint8_t>(r.FrameCount);
  r.TextureNames.clear();
  return r;
}

inline TD3DTextInfo textAsStoredIn(TD3DTextInfo r, std::int32_t version) {
  if (version < 105) r.Sides = true;
  if (version < 106) r.ShearX = r.ShearY = 0.5f;
  if (version < 107) r.Filled = true;
  r.TextureNames.clear();
  return r;
}

}  // namespace velorina::testing
