#include "scene/objects/SceneInfo.h"

namespace velorina {

TD3DSceneInfo TD3DSceneInfo::read(ByteReader& in) {
  TD3DSceneInfo s;
  s.ID = in.i32();
  s.Position = {in.f32(), in.f32(), in.f32()};
  s.Rotation = {in.f32(), in.f32(), in.f32()};
  return s;
}

void TD3DSceneInfo::write(Stream& out) const {
  out.writeI32(ID);
  for (const auto& v : {Position, Rotation}) {
    out.writeF32(v.x);
    out.writeF32(v.y);
    out.writeF32(v.z);
  }
}

}  // namespace velorina
