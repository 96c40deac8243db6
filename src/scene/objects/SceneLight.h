#pragma once
// TD3DSceneLight: a point light the scene applies to its objects in software, by
// recolouring their vertices.

#include "archive/Stream.h"
#include "platform/render/D3DTypes.h"
#include "scene/records/SceneLightInfo.h"

namespace velorina {

class TD3DSceneLight {
 public:
  explicit TD3DSceneLight(const TD3DSceneLightInfo& info);
  static TD3DSceneLight CreateFromStream(ByteReader& in, std::int32_t version);

  void SaveToStream(Stream& out) const { info_.write(out); }
  std::uint8_t KindCode() const noexcept { return 213; }
  std::int32_t LightID() const noexcept { return info_.ID; }
  void MoveBy(const D3DVECTOR& v);
  void MoveByXYZ(float x, float y, float z) { MoveBy({x, y, z}); }

  const TD3DSceneLightInfo& info() const noexcept { return info_; }
  float ReachRadius() const noexcept { return reachRadius_; }
  bool Enabled() const noexcept { return enabled_; }
  void setEnabled(bool on) noexcept { enabled_ = on; }

 private:
  TD3DSceneLightInfo info_;
  float reachRadius_ = 0;
  bool enabled_ = true;
};

// True when `point` lies closer to the light than its reach radius.
bool LightReaches(const TD3DSceneLight& light, const D3DVECTOR& point);

// Sets a vertex's diffuse and specular colours for one light. Inside the range a
// type-0 light blends from the base colour towards its own by (Range - d) / Range,
// each channel rounded to nearest, ties to even, modulo 256; a type-1 light gives
// its own colours; other types leave the vertex alone. Outside the range, or with
// the light disabled, the vertex returns to `baseColor` with no specular.
void LightVertex(const TD3DSceneLight& light, D3DLVERTEX& vertex, std::uint32_t baseColor);

}  // namespace velorina
