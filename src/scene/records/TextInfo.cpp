#include "scene/records/TextInfo.h"

#include "scene/records/RecordVectors.h"

#include <algorithm>

#include "scene/records/StreamVersion.h"

namespace velorina {

TD3DTextInfo TD3DTextInfo::read(ByteReader& in, std::int32_t version) {
  TD3DTextInfo t;
  t.ID = in.i32();
  t.FrontColor = in.u32();
  t.BackColor = in.u32();
  t.TexScaleU = in.f32();
  t.TexScaleV = in.f32();
  t.FrontTexOffsetU = in.f32();
  t.FrontTexOffsetV = in.f32();
  t.BackTexOffsetU = in.f32();
  t.BackTexOffsetV = in.f32();
  t.FrameCount = in.i16();
  t.FixedDistance = in.i32();
  t.FramePeriod = in.f32();
  t.Position = readVector(in);
  t.Angles = readVector(in);
  t.Scale = readVector(in);
  t.BlendMode = in.u8();
  if (version >= stream_version::kV105) t.Sides = in.u8() != 0;
  if (version >= stream_version::kV106) {
    t.ShearX = in.f32();
    t.ShearY = in.f32();
  }
  if (version >= stream_version::kV107) t.Filled = in.u8() != 0;
  t.Text = in.string(in.u16());
  return t;
}

void TD3DTextInfo::write(Stream& out) const {
  out.writeI32(ID);
  out.writeU32(FrontColor);
  out.writeU32(BackColor);
  for (float f : {TexScaleU, TexScaleV, FrontTexOffsetU, FrontTexOffsetV, BackTexOffsetU, BackTexOffsetV}) out.writeF32(f);
  out.writeI16(FrameCount);
  out.writeI32(FixedDistance);
  out.writeF32(FramePeriod);
  writeVector(out, Position);
  writeVector(out, Angles);
  writeVector(out, Scale);
  out.writeU8(BlendMode);
  out.writeU8(Sides ? 1 : 0);
  out.writeF32(ShearX);
  out.writeF32(ShearY);
  out.writeU8(Filled ? 1 : 0);
  const auto n = static_cast<std::uint16_t>(std::min<std::size_t>(Text.size(), 0xFFFF));
  out.writeU16(n);
  out.writeExact(Text.data(), n);
}

}  // namespace velorina
