#include "scene/records/ActionInfo.h"

#include "scene/records/RecordVectors.h"

#include <array>

namespace velorina {

TD3DActionInfo TD3DActionInfo::read(ByteReader& in) {
  TD3DActionInfo a;
  a.Kind = in.u8();
  in.skip(3);
  a.ID = in.i32();
  a.TargetKind = in.i32();
  a.TargetID = in.i32();
  a.Vector1 = readVector(in);
  a.Vector2 = readVector(in);
  a.Duration = in.f64();
  in.skip(1);  // the stored Temporary flag: a loaded action is never temporary
  in.skip(6);
  a.Temporary = 0;
  return a;
}

void TD3DActionInfo::write(Stream& out) const {
  static constexpr std::array<std::uint8_t, 6> kZeros{};
  out.writeU8(Kind);
  out.writeBytes(std::span(kZeros).first(3));
  out.writeI32(ID);
  out.writeI32(TargetKind);
  out.writeI32(TargetID);
  writeVector(out, Vector1);
  writeVector(out, Vector2);
  out.writeLE(Duration);
  out.writeU8(Temporary);
  out.writeBytes(kZeros);
}

}  // namespace velorina
