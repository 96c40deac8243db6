#pragma once
// TD3DSphere: an ellipsoid of Stacks latitude bands and Slices longitude segments,
// drawn as one triangle strip from the +y pole down with the frame-animated,
// blended texturing of timed objects. Its detail can be lowered and restored while
// the scene runs (SetComplexity).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/objects/D3DObject.h"
#include "scene/objects/VertexPlacement.h"
#include "scene/records/SphereInfo.h"

namespace velorina {

class TD3DSphere final : public TD3DVariableComplexityTimingObject {
  // Only CreateFromStream makes a sphere whose record comes later.
  class StreamKey {
    friend class TD3DSphere;
    StreamKey() = default;
  };

 public:
  TD3DSphere(StreamKey, const TTexturePairs& textures);
  // Copies the texture table and the record, then initialises with pair 0's image.
  TD3DSphere(DXDraw* dxDraw, const TTexturePairs& textures, const TD3DSphereInfo& info);
  // Reads the record from a stream of `version` (the texture names stay empty),
  // then initialises.
  static std::unique_ptr<TD3DSphere> CreateFromStream(ByteReader& in, DXDraw* dxDraw, const TTexturePairs& textures,
                                                      std::int32_t version);
  ~TD3DSphere() override;

  void Prepare() override;
  std::uint8_t KindCode() const override { return 9; }
  std::int32_t ObjectID() const override { return info_.ID; }
  void Draw() override;
  void MoveBy(const D3DVECTOR& v) override;
  void Rotate(const D3DVECTOR& angles) override;
  void AddTextureNames(std::vector<std::string>& list) const override;
  bool SameAs(const TD3DObject& other) const override;
  void SaveToStream(Stream& out) const override { info_.write(out); }
  TTextureNames TextureNameTable() const override { return info_.TextureNames; }
  void LoadFromStream(ByteReader& in, std::int32_t version) override;
  float UpdateDistance(const D3DVECTOR& eye) override;
  std::string GetTextureName() const override { return info_.TextureNames.get(0); }
  D3DVECTOR GetCenter(float dz) const override;
  void ApplyLight(const TD3DSceneLight& light) override;
  std::int32_t VertexCount() const override;
  std::int32_t PrimitiveCount() const override;

  // Level -1 saves the current detail, level 0 restores the saved one, any other
  // level sets the saved detail scaled by (levels - level) / levels, never below 3
  // stacks and slices nor above the saved ones. Levels of 0 or less are ignored.
  void SetComplexity(std::int32_t level, std::int32_t levels) override;
  // The largest radius (the largest magnitude of a Scale component).
  float BoundingRadius() const override;

  // World vertices from the model vertices: scaled, turned, moved to Position.
  void TransformVertices();
  // Model (and world) vertices of the unit sphere from Stacks and Slices: Stacks
  // bands of 2 * (Slices + 1) vertices; none when either is 0.
  void BuildGeometry();
  // The image name of the current frame's pair.
  std::string GetFrameTextureName() const;
  std::int16_t CurrentFrame() const noexcept { return currentFrameOf(timing()); }

  const TD3DSphereInfo& GetInfo() const noexcept { return info_; }
  std::uint8_t SavedStacks() const noexcept { return savedStacks_; }
  std::uint8_t SavedSlices() const noexcept { return savedSlices_; }

 private:
  FrameTiming timing() const noexcept { return {info_.FrameCount, info_.FramePeriod, info_.BlendMode}; }
  // Stores a new detail and rebuilds, unless it is the current one.
  void setDetail(std::uint8_t stacks, std::uint8_t slices);

  TD3DSphereInfo info_;
  std::uint8_t savedStacks_ = 0;
  std::uint8_t savedSlices_ = 0;
  struct Longitude {
    float sin = 0, cos = 0;
    float tu = 0;  // the texture coordinate of every vertex on it
  };
  // Kept between builds, so a rebuild of the same detail allocates nothing.
  std::vector<Longitude> longitudes_;
  PlacementCache placement_;
  std::unique_ptr<TDirect3DTexture2> ownTexture_;  // the colour texture Prepare made
};

}  // namespace velorina
