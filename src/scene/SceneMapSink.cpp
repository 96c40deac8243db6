#include "scene/SceneMapSink.h"

#include "scene/Scene.h"
#include "scene/objects/ObjectIdCounter.h"

namespace velorina {

bool SceneMapSink::hasTexture(const std::string& name) const {
  const std::ptrdiff_t index = scene_.Textures->indexOf(name);
  return index >= 0 && (*scene_.Textures)[static_cast<std::size_t>(index)].object != nullptr;
}

void SceneMapSink::registerTexture(const std::string& name, Bitmap picture) {
  scene_.RegisterTexture(name, std::move(picture));
}

std::int32_t SceneMapSink::nextObjectId() { return ObjectIdCounter::next(); }

void SceneMapSink::addTextureHolders(std::vector<std::string> references, std::uint8_t texMode,
                                     std::uint8_t blendMode, std::int32_t cullMode) {
  scene_.AddTextureHolders(std::move(references), texMode,
                           blendMode != 0 ? TD3DScene::HolderBlend::Blended : TD3DScene::HolderBlend::Opaque,
                           cullMode);
}

void SceneMapSink::addOrMergeObject(const TD3DQuadrangleInfo& wall) {
  ++(scene_.AddOrMergeObject(ObjectKind::Quadrangle, wall) ? merged_ : added_);
}

void SceneMapSink::addOrMergeObject(const TD3DPolygonInfo& piece) {
  ++(scene_.AddOrMergeObject(ObjectKind::Polygon, piece) ? merged_ : added_);
}

void SceneMapSink::removeEmptyPolygons() { scene_.RemoveEmptyPolygons(); }

}  // namespace velorina
