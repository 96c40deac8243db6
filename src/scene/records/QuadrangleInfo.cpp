#include "scene/records/QuadrangleInfo.h"

#include "scene/records/RecordVectors.h"

#include "scene/records/StreamVersion.h"

namespace velorina {

TD3DQuadrangleInfo TD3DQuadrangleInfo::read(ByteReader& in, std::int32_t version) {
  TD3DQuadrangleInfo q;
  q.ID = in.i32();
  for (auto& c : q.Corners) c = readVector(in);
  q.FixedDistance = in.i32();
  q.Flags = in.u8();
  q.TexSpanU = in.f32();
  q.TexSpanV = in.f32();
  if (version >= stream_version::kV100) {
    q.TexOffsetU = in.f32();
    q.TexOffsetV = in.f32();
  }
  for (auto& c : q.Colors) c = in.u32();
  if (version >= stream_version::kV100) q.Transparent = in.u8() != 0;
  return q;
}

void TD3DQuadrangleInfo::write(Stream& out) const {
  out.writeI32(ID);
  for (const auto& c : Corners) {
    writeVector(out, c);
  }
  out.writeI32(FixedDistance);
  out.writeU8(Flags);
  out.writeF32(TexSpanU);
  out.writeF32(TexSpanV);
  out.writeF32(TexOffsetU);
  out.writeF32(TexOffsetV);
  for (auto c : Colors) out.writeU32(c);
  out.writeU8(Transparent ? 1 : 0);
}

}  // namespace velorina
