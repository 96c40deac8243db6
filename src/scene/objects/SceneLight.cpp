#include "scene/objects/SceneLight.h"

#include <cmath>

#include "scene/records/Geometry.h"

namespace velorina {

namespace {

std::uint32_t channel(std::uint32_t color, int shift) { return (color >> shift) & 0xFF; }

// base - round((base - light) * f), modulo 256.
std::uint32_t blendChannel(std::uint32_t base, std::uint32_t light, double f) {
  const double product = (static_cast<double>(base) - static_cast<double>(light)) * f;
  const auto rounded = static_cast<std::int64_t>(std::nearbyint(product));
  const std::int64_t c = static_cast<std::int64_t>(base) - rounded;
  return static_cast<std::uint32_t>(((c % 256) + 256) % 256);
}

}  // namespace

TD3DSceneLight::TD3DSceneLight(const TD3DSceneLightInfo& info)
    : info_(info), reachRadius_(info.Range * info.RangeFactor), enabled_(true) {}

TD3DSceneLight TD3DSceneLight::CreateFromStream(ByteReader& in, std::int32_t version) {
  return TD3DSceneLight(TD3DSceneLightInfo::read(in, version));
}

void TD3DSceneLight::MoveBy(const D3DVECTOR& v) { info_.Position = VectorAdd(info_.Position, v); }

bool LightReaches(const TD3DSceneLight& light, const D3DVECTOR& point) {
  return VectorMagnitude(VectorSub(point, light.info().Position)) < light.ReachRadius();
}

void LightVertex(const TD3DSceneLight& light, D3DLVERTEX& vertex, std::uint32_t baseColor) {
  const TD3DSceneLightInfo& l = light.info();
  const float d = VectorMagnitude(VectorSub({vertex.x, vertex.y, vertex.z}, l.Position));
  if (!(d < l.Range) || !light.Enabled()) {
    vertex.color = ColorToDeviceColor(baseColor, 0);
    vertex.specular = 0;
    return;
  }
  if (l.LightType == 0) {
    const double f = (static_cast<double>(l.Range) - d) / l.Range;
    const std::uint32_t r = blendChannel(channel(baseColor, 0), channel(l.Color, 0), f);
    const std::uint32_t g = blendChannel(channel(baseColor, 8), channel(l.Color, 8), f);
    const std::uint32_t b = blendChannel(channel(baseColor, 16), channel(l.Color, 16), f);
    vertex.color = (r << 16) | (g << 8) | b;
    auto specularChannel = [&](int shift) {
      return static_cast<std::uint32_t>(std::nearbyint(channel(l.Specular, shift) * f)) & 0xFF;
    };
    vertex.specular = (specularChannel(0) << 16) | (specularChannel(8) << 8) | specularChannel(16);
  } else if (l.LightType == 1) {
    vertex.color = ColorToDeviceColor(l.Color, 0);
    vertex.specular = ColorToDeviceColor(l.Specular, 0);
  }
}

}  // namespace velorina
