#pragma once
// TD3DText: a line of text as triangles, from one of the two built-in vector fonts.
// Flat text is the letters' front faces; solid text adds a back face and, when
// Sides is set, walls along every edge of every letter triangle. The line is
// centred on x = 0 with its baseline at y = -0.5, then scaled, turned and placed
// in the scene, coloured front and back and drawn with the frame-animated,
// blended texturing of timed objects.
//
// One object holds at most kMaxModelVertices vertices, the most one draw of the
// Direct3D 7 device takes. A longer text is built up to the last character that
// fits (the record keeps the whole text) and the cut is reported.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/MessageReporter.h"
#include "scene/objects/D3DObject.h"
#include "scene/objects/VertexPlacement.h"
#include "scene/records/TextInfo.h"

namespace velorina {

// Where a text that has to be cut is reported, and the caption it carries.
struct TextMessages {
  std::shared_ptr<MessageReporter> reporter;  // none: the cut goes unreported
  std::string caption = "DXVelorina";
};

class TD3DText final : public TD3DTimingObject {
  // Only CreateFromStream makes a text whose record comes later.
  class StreamKey {
    friend class TD3DText;
    StreamKey() = default;
  };

 public:
  static constexpr std::int32_t kMaxModelVertices = 65535;
  // Model units per font unit: a font size of 23/15 text units.
  static constexpr float kFontScale = 0.0015333333f;

  TD3DText(StreamKey, const TTexturePairs& textures, TextMessages messages);
  // Copies the texture table and the record, then initialises with pair 0's image.
  TD3DText(DXDraw* dxDraw, const TTexturePairs& textures, const TD3DTextInfo& info, TextMessages messages = {});
  // Reads the record from a stream of `version` (the texture names stay empty),
  // then initialises.
  static std::unique_ptr<TD3DText> CreateFromStream(ByteReader& in, DXDraw* dxDraw, const TTexturePairs& textures,
                                                    std::int32_t version, TextMessages messages = {});
  ~TD3DText() override;

  void Prepare() override;
  std::uint8_t KindCode() const override { return 15; }
  std::int32_t ObjectID() const override { return info_.ID; }
  void Draw() override;
  void MoveBy(const D3DVECTOR& v) override;
  void Rotate(const D3DVECTOR& angles) override;
  void AddTextureNames(std::vector<std::string>& list) const override;
  // Same kind and identifier, the same numbers and flags in the record and the
  // same names for the animation's frames; the text itself takes no part.
  bool SameAs(const TD3DObject& other) const override;
  void SaveToStream(Stream& out) const override { info_.write(out); }
  TTextureNames TextureNameTable() const override { return info_.TextureNames; }
  void LoadFromStream(ByteReader& in, std::int32_t version) override;
  float UpdateDistance(const D3DVECTOR& eye) override;
  std::string GetTextureName() const override { return info_.TextureNames.get(0); }
  D3DVECTOR GetCenter(float dz) const override;
  void ApplyLight(const TD3DSceneLight& light) override;
  std::int32_t VertexCount() const override;
  std::int32_t PrimitiveCount() const override { return VertexCount() / 3; }

  // Resizes both vertex arrays to n vertices (n of 0 or more).
  void SetVertexCount(std::int32_t n);
  // World vertices from the model vertices: scaled, turned, moved to Position,
  // with the model's colours and texture coordinates.
  void TransformVertices();
  // Model vertices from Text and the font that Filled chooses.
  void BuildGlyphs();
  const std::string& GetText() const noexcept { return info_.Text; }
  // Rebuilds only when `text` differs from Text.
  void SetText(const std::string& text);
  // The image name of the current frame's pair.
  std::string GetFrameTextureName() const;
  std::int16_t CurrentFrame() const noexcept { return currentFrameOf(timing()); }

  const TD3DTextInfo& GetInfo() const noexcept { return info_; }
  // How many characters of Text the geometry shows (fewer than all when cut).
  std::size_t BuiltCharacters() const noexcept { return builtCharacters_; }

  std::int32_t ModelVertexCount = 0;
  std::vector<D3DLVERTEX> ModelVertices;  // text space
  std::vector<D3DLVERTEX> WorldVertices;  // scene space

 private:
  struct Extent {
    std::size_t characters = 0;   // how many characters are built
    std::size_t frontPoints = 0;  // their glyph points
    std::int32_t pen = 0;         // the pen after them, in font units
  };

  FrameTiming timing() const noexcept { return {info_.FrameCount, info_.FramePeriod, info_.BlendMode}; }
  bool flat() const noexcept;
  // Vertices per front point: 1 flat, 2 solid, 8 solid with walls.
  std::size_t verticesPerPoint() const noexcept;
  Extent measure() const;
  void writeFront(const Extent& extent);
  void writeBack(std::size_t n);
  void writeWalls(std::size_t n);
  void reportCut(const Extent& extent);

  TD3DTextInfo info_;
  TextMessages messages_;
  std::size_t builtCharacters_ = 0;
  std::size_t frontPoints_ = 0;  // front vertices of the built geometry
  bool walled_ = false;          // whether walls follow the front and back faces
  std::string lastReportedCut_;  // the text whose cut was reported last, so it is told once
  PlacementCache placement_;
  std::unique_ptr<TDirect3DTexture2> ownTexture_;  // the colour texture Prepare made
};

}  // namespace velorina
