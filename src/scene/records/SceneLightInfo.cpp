#include "scene/records/SceneLightInfo.h"

#include "scene/records/RecordVectors.h"

#include "scene/records/StreamVersion.h"

namespace velorina {

TD3DSceneLightInfo TD3DSceneLightInfo::read(ByteReader& in, std::int32_t version) {
  TD3DSceneLightInfo l;
  l.ID = in.i32();
  l.Color = in.u32();
  l.Specular = in.u32();
  if (version < stream_version::kV102) l.Specular = 0;
  l.Range = in.f32();
  if (version >= stream_version::kV116) l.RangeFactor = in.f32();
  l.Position = readVector(in);
  l.LightType = in.u8();
  return l;
}

void TD3DSceneLightInfo::write(Stream& out) const {
  out.writeI32(ID);
  out.writeU32(Color);
  out.writeU32(Specular);
  out.writeF32(Range);
  out.writeF32(RangeFactor);
  writeVector(out, Position);
  out.writeU8(LightType);
}

}  // namespace velorina
