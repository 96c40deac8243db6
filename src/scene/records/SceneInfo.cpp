#include "scene/records/SceneInfo.h"

#include "scene/records/RecordVectors.h"

namespace velorina {

TD3DSceneInfo TD3DSceneInfo::read(ByteReader& in) {
  TD3DSceneInfo s;
  s.ID = in.i32();
  s.Position = readVector(in);
  s.Rotation = readVector(in);
  return s;
}

void TD3DSceneInfo::write(Stream& out) const {
  out.writeI32(ID);
  writeVector(out, Position);
  writeVector(out, Rotation);
}

}  // namespace velorina
