#include "scene/objects/D3DObject.h"

#include "platform/display/DXDraw.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/SceneLight.h"
#include "archive/Wad.h"
#include "scene/records/StreamVersion.h"

namespace velorina {

TD3DObject::~TD3DObject() = default;

void TD3DObject::Initialize(DXDraw* dxDraw, TDirect3DTexture2* texture) {
  Hidden = false;
  Persistent = true;
  Merged = InitialMerged();
  Reserve = 3.4e38f;
  Origin = {0, 0, 0};
  ObjectIdCounter::increment();
  Picture_ = Bitmap();
  DXDraw_ = dxDraw;
  Texture_ = texture;
  Prepare();
}

bool TD3DObject::SameAs(const TD3DObject& other) const {
  return other.ObjectID() == ObjectID() && other.KindCode() == KindCode();
}

void TD3DObject::ApplyLights(std::span<TD3DSceneLight* const> lights) {
  for (TD3DSceneLight* light : lights) {
    if (light != nullptr) ApplyLight(*light);
  }
}

std::int32_t TD3DObject::StreamVersion() const { return stream_version::kCurrent; }

TTextureNames TD3DObject::TextureNameTable() const {
  TTextureNames names;
  names.set(0, GetTextureName());
  return names;
}

void addTextureName(std::vector<std::string>& list, const std::string& name) {
  if (name.empty()) return;
  const std::string key = upperAscii(name);
  for (const auto& present : list) {
    if (present.size() == name.size() && upperAscii(present) == key) return;
  }
  list.push_back(name);
}

void TD3DTimingObject::DrawTimed(const FrameTiming& timing, D3DPRIMITIVETYPE type,
                                 std::span<const D3DLVERTEX> vertices) const {
  IDirect3DDevice7* device = DXDraw_ != nullptr ? DXDraw_->D3DDevice7() : nullptr;
  if (device == nullptr) return;
  const TextureOrigin origin = Picture_.width() != 0 ? TextureOrigin::OwnColour : TextureOrigin::Table;
  TimedTextures_.DrawTimed(*device, timing, Time, Texture_, origin, type, vertices);
}

void TD3DVariableComplexityTimingObject::SetVertexCount(std::int32_t n) {
  if (n == ModelVertexCount || n < 0) return;
  ModelVertices.assign(static_cast<std::size_t>(n), D3DLVERTEX{});
  WorldVertices.assign(static_cast<std::size_t>(n), D3DLVERTEX{});
  ModelVertexCount = n;
}

}  // namespace velorina
