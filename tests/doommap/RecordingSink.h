#pragma once
// A map sink that keeps what the importer hands it, for the tests.

#include <map>
#include <string>
#include <vector>

#include "doommap/DoomMapSink.h"

namespace velorina::test {

class RecordingSink final : public DoomMapSink {
 public:
  struct Holder {
    std::string reference;
    std::uint8_t texMode, blendMode;
    std::int32_t cullMode;
  };

  bool hasTexture(const std::string& name) const override { return textures.contains(name); }
  void registerTexture(const std::string& name, Bitmap picture) override { textures[name] = std::move(picture); }
  std::int32_t nextObjectId() override { return ++lastId; }
  void addTextureHolders(std::vector<std::string> references, std::uint8_t texMode, std::uint8_t blendMode,
                         std::int32_t cullMode) override {
    for (auto& r : references) holders.push_back({r, texMode, blendMode, cullMode});
  }
  void addOrMergeObject(const TD3DQuadrangleInfo& wall) override { walls.push_back(wall); }
  void addOrMergeObject(const TD3DPolygonInfo& piece) override { pieces.push_back(piece); }
  void removeEmptyPolygons() override { ++removals; }

  std::map<std::string, Bitmap> textures;
  std::vector<Holder> holders;
  std::vector<TD3DQuadrangleInfo> walls;
  std::vector<TD3DPolygonInfo> pieces;
  std::int32_t lastId = 40;
  int removals = 0;
};

}  // namespace velorina::test
