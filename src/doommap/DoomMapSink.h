#pragma once
// What the map importer needs of the scene it fills: textures registered by name,
// texture holders, and surfaces added or merged. The scene implements it; the
// importer never sees the scene itself.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap.h"
#include "scene/records/PolygonInfo.h"
#include "scene/records/QuadrangleInfo.h"

namespace velorina {

class DoomTextureSink {
 public:
  virtual ~DoomTextureSink() = default;
  // Whether a texture is registered under `name`.
  virtual bool hasTexture(const std::string& name) const = 0;
  // Registers a texture built from `picture` (not yet brought to texture shape).
  virtual void registerTexture(const std::string& name, Bitmap picture) = 0;
};

class DoomMapSink : public DoomTextureSink {
 public:
  // A fresh object identifier, taken once per import as its group number.
  virtual std::int32_t nextObjectId() = 0;
  // One empty polygon per texture reference that merging surfaces can fill.
  virtual void addTextureHolders(std::vector<std::string> references, std::uint8_t texMode, std::uint8_t blendMode,
                                 std::int32_t cullMode) = 0;
  // Merges the surface into a polygon that accepts it or adds it as a new object.
  virtual void addOrMergeObject(const TD3DQuadrangleInfo& wall) = 0;
  virtual void addOrMergeObject(const TD3DPolygonInfo& piece) = 0;
  // Removes the polygons that received no points.
  virtual void removeEmptyPolygons() = 0;
};

}  // namespace velorina
