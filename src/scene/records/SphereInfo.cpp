#include "scene/records/SphereInfo.h"

#include "scene/records/RecordVectors.h"

#include "scene/records/StreamVersion.h"

namespace velorina {

TD3DSphereInfo TD3DSphereInfo::read(ByteReader& in, std::int32_t version) {
  TD3DSphereInfo s;
  s.ID = in.i32();
  s.Color = in.u32();
  s.TexScaleU = in.f32();
  s.TexScaleV = in.f32();
  if (version >= stream_version::kV101) {
    s.TexOffsetU = in.f32();
    s.TexOffsetV = in.f32();
  }
  if (version >= stream_version::kV100) {
    s.FrameCount = in.i16();
    s.FixedDistance = in.i32();
    s.FramePeriod = in.f32();
  } else {
    s.FrameCount = in.u8();
    s.FixedDistance = in.i32();
    s.FramePeriod = static_cast<float>(in.f64());
  }
  s.Position = readVector(in);
  s.Angles = readVector(in);
  s.Scale = readVector(in);
  s.BlendMode = in.u8();
  s.CullMode = in.i32();
  s.Stacks = in.u8();
  s.Slices = in.u8();
  return s;
}

void TD3DSphereInfo::write(Stream& out) const {
  out.writeI32(ID);
  out.writeU32(Color);
  out.writeF32(TexScaleU);
  out.writeF32(TexScaleV);
  out.writeF32(TexOffsetU);
  out.writeF32(TexOffsetV);
  out.writeI16(FrameCount);
  out.writeI32(FixedDistance);
  out.writeF32(FramePeriod);
  writeVector(out, Position);
  writeVector(out, Angles);
  writeVector(out, Scale);
  out.writeU8(BlendMode);
  out.writeI32(CullMode);
  out.writeU8(Stacks);
  out.writeU8(Slices);
}

}  // namespace velorina
