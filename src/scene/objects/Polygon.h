#pragma once
// TD3DPolygon: up to 32767 points drawn as a triangle list, strip or fan in one
// colour, with corner or planar texture coordinates, a cull mode and the
// frame-animated, blended texturing of timed objects. It is also the unit of
// batching: compatible polygons and quadrangles are merged into one triangle list
// that keeps whole vertices (colour and texture coordinates each); such a polygon
// has its Merged flag set.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/objects/D3DObject.h"
#include "scene/records/PolygonInfo.h"
#include "scene/records/QuadrangleInfo.h"

namespace velorina {

// How BuildVertices treats texture coordinates.
enum class TexCoords {
  Rebuild,  // from the record: corners by position in the primitive, or planar
  Keep,     // each vertex keeps its current ones
};

class TD3DPolygon final : public TD3DTimingObject {
  // Only CreateFromStream makes a polygon whose record comes later.
  class StreamKey {
    friend class TD3DPolygon;
    StreamKey() = default;
  };

 public:
  static constexpr std::int32_t kMaxPoints = TD3DPolygonInfo::kMaxPoints;

  TD3DPolygon(StreamKey, const TTexturePairs& textures);
  // Copies the texture table and the record (points and, for a merged record, its
  // whole vertices), builds the vertices and initialises with pair 0's image.
  TD3DPolygon(DXDraw* dxDraw, const TTexturePairs& textures, const TD3DPolygonInfo& info);
  // Reads the record from a stream of `version` (the texture names stay empty),
  // then initialises; a stored Merged flag survives.
  static std::unique_ptr<TD3DPolygon> CreateFromStream(ByteReader& in, DXDraw* dxDraw, const TTexturePairs& textures,
                                                       std::int32_t version);
  ~TD3DPolygon() override;

  void Prepare() override;
  bool InitialMerged() const override { return StoredMerged; }
  std::uint8_t KindCode() const override { return 4; }
  std::int32_t ObjectID() const override { return info_.ID; }
  void Draw() override;
  void MoveBy(const D3DVECTOR& v) override;
  void Rotate(const D3DVECTOR& angles) override;
  void AddTextureNames(std::vector<std::string>& list) const override;
  bool SameAs(const TD3DObject& other) const override;
  void SaveToStream(Stream& out) const override;
  void LoadFromStream(ByteReader& in, std::int32_t version) override;
  float UpdateDistance(const D3DVECTOR& eye) override;
  std::string GetTextureName() const override { return info_.TextureNames.get(0); }
  TTextureNames TextureNameTable() const override { return info_.TextureNames; }
  D3DVECTOR GetCenter(float dz) const override;
  void ApplyLight(const TD3DSceneLight& light) override;
  std::int32_t VertexCount() const override;
  std::int32_t PrimitiveCount() const override;

  // Rebuilds the vertices from the points. A merged polygon changes only the
  // positions: each vertex keeps its colours and texture coordinates.
  void BuildVertices(TexCoords texCoords);
  // Resizes the point and vertex arrays to n entries, n taken into 0..32767 (the
  // entries up to the smaller size are kept), and makes n the point count, so the
  // record never counts points that the arrays lack.
  void SetArrayCount(std::int32_t n);
  std::int32_t ArrayCount() const noexcept { return static_cast<std::int32_t>(points_.size()); }
  // The image name of the current frame's pair.
  std::string GetFrameTextureName() const;
  std::int16_t CurrentFrame() const noexcept { return currentFrameOf(timing()); }
  // Turns a strip or fan into the same triangles as a list. True for a list (left
  // as it is) and for a strip or fan that could be converted; a strip or fan of one
  // or two points and any other primitive type stay as they are (false).
  bool ConvertToTriangleList();

  // Whether a polygon or quadrangle of this record can be appended to this polygon.
  bool CanMerge(const TD3DPolygonInfo& info) const;
  bool CanMerge(const TD3DQuadrangleInfo& info) const;
  // Records of any other kind never merge.
  template <typename OtherRecord>
  bool CanMerge(const OtherRecord&) const {
    return false;
  }
  // Appends a polygon or quadrangle as triangles; false (and nothing appended) when
  // the result would reach 32767 points or either side is no well-formed list.
  bool Merge(const TD3DPolygonInfo& info) { return MergePolygon(info); }
  bool Merge(const TD3DQuadrangleInfo& info) { return MergeQuadrangle(info); }
  template <typename OtherRecord>
  bool Merge(const OtherRecord&) {
    return false;
  }
  bool MergePolygon(const TD3DPolygonInfo& info);
  bool MergeQuadrangle(const TD3DQuadrangleInfo& info);

  // A copy of the record with the points taken from the vertex positions; a merged
  // polygon's record also carries its whole vertices (with their unlit colours).
  TD3DPolygonInfo GetInfo() const;
  // The record's point count.
  std::int32_t PointCount() const noexcept { return info_.PointCount; }
  std::int32_t PrimitiveType() const noexcept { return info_.PrimitiveType; }
  const std::vector<D3DVECTOR>& Points() const noexcept { return points_; }
  const std::vector<D3DLVERTEX>& Vertices() const noexcept { return vertices_; }

  bool StoredMerged = false;  // what InitialMerged answers

 private:
  // The unlit colours of a vertex: lights blend from these, and the stored form
  // keeps them.
  struct BaseColors {
    D3DCOLOR diffuse = 0;
    D3DCOLOR specular = 0;
  };

  FrameTiming timing() const noexcept { return {info_.FrameCount, info_.FramePeriod, info_.BlendMode}; }
  // Takes the record's points (and whole vertices when it is merged).
  void takeGeometry(const TD3DPolygonInfo& info);
  void appendVertex(const D3DLVERTEX& v);
  // Converts to a list and answers whether the result is a list of whole triangles.
  bool readyToAppend();
  std::int32_t primitivesPerDraw() const noexcept;

  TD3DPolygonInfo info_;  // the record; its points live in points_
  std::vector<D3DVECTOR> points_;
  std::vector<D3DLVERTEX> vertices_;
  std::vector<BaseColors> baseColors_;
  std::unique_ptr<TDirect3DTexture2> ownTexture_;  // the colour texture Prepare made
};

// Splits a polygon into one-triangle polygon records, clearing `out` first: a list
// gives one record per whole triangle, a strip or fan one per triangle after the
// first two points; other primitive types give none. At most 32767 records; answers
// their number.
std::int32_t SplitIntoTriangles(const TD3DPolygon& polygon, std::vector<TD3DPolygonInfo>& out);

}  // namespace velorina
