#pragma once
// The scene as the map importer's sink: textures go into its texture cache,
// surfaces through AddOrMergeObject, holders through AddTextureHolders.

#include "doommap/DoomMapSink.h"

namespace velorina {

class TD3DScene;

class SceneMapSink final : public DoomMapSink {
 public:
  explicit SceneMapSink(TD3DScene& scene) : scene_(scene) {}

  bool hasTexture(const std::string& name) const override;
  void registerTexture(const std::string& name, Bitmap picture) override;
  std::int32_t nextObjectId() override;
  void addTextureHolders(std::vector<std::string> references, std::uint8_t texMode, std::uint8_t blendMode,
                         std::int32_t cullMode) override;
  void addOrMergeObject(const TD3DQuadrangleInfo& wall) override;
  void addOrMergeObject(const TD3DPolygonInfo& piece) override;
  void removeEmptyPolygons() override;

  // Surfaces that went into an existing polygon, and those added as objects.
  std::size_t merged() const noexcept { return merged_; }
  std::size_t added() const noexcept { return added_; }

 private:
  TD3DScene& scene_;
  std::size_t merged_ = 0, added_ = 0;
};

}  // namespace velorina
