#pragma once
// TD3DQuadrAngle: four corners drawn as one textured, colour-shaded two-triangle
// strip (0, 1, 2, 3). Without a texture it makes its own 2 x 2 texture of its four
// corner colours, which it owns and releases with itself.

#include <array>
#include <memory>

#include "scene/objects/D3DObject.h"
#include "scene/records/QuadrangleInfo.h"

namespace velorina {

class TD3DQuadrAngle final : public TD3DObject {
  // Only CreateFromStream makes a quadrangle whose record comes later.
  class StreamKey {
    friend class TD3DQuadrAngle;
    StreamKey() = default;
  };

 public:
  explicit TD3DQuadrAngle(StreamKey) {}
  TD3DQuadrAngle(DXDraw* dxDraw, TDirect3DTexture2* texture, const TD3DQuadrangleInfo& info);
  // Reads the record from a stream of `version`, then initialises.
  static std::unique_ptr<TD3DQuadrAngle> CreateFromStream(ByteReader& in, DXDraw* dxDraw, TDirect3DTexture2* texture,
                                                          std::int32_t version);
  ~TD3DQuadrAngle() override;

  void Prepare() override;
  std::uint8_t KindCode() const override { return 2; }
  std::int32_t ObjectID() const override { return info_.ID; }
  void Draw() override;
  void MoveBy(const D3DVECTOR& v) override;
  void Rotate(const D3DVECTOR& angles) override;
  void AddTextureNames(std::vector<std::string>& list) const override;
  bool SameAs(const TD3DObject& other) const override;
  void SaveToStream(Stream& out) const override { info_.write(out); }
  void LoadFromStream(ByteReader& in, std::int32_t version) override;
  float UpdateDistance(const D3DVECTOR& eye) override;
  std::string GetTextureName() const override { return info_.TextureName; }
  D3DVECTOR GetCenter(float dz) const override;
  void ApplyLight(const TD3DSceneLight& light) override;
  std::int32_t VertexCount() const override { return 4; }
  std::int32_t PrimitiveCount() const override { return 2; }

  // Rebuilds the four vertices from the record.
  void BuildVertices();
  const TD3DQuadrangleInfo& GetInfo() const noexcept { return info_; }
  const std::array<D3DLVERTEX, 4>& Vertices() const noexcept { return vertices_; }

 private:
  TD3DQuadrangleInfo info_;
  std::array<D3DLVERTEX, 4> vertices_{};
  std::unique_ptr<TDirect3DTexture2> ownTexture_;  // the corner-colour texture Prepare made
};

}  // namespace velorina
