#pragma once
// TD3DObject: the abstract scene object. The scene drives every object through
// these virtual operations without knowing its kind: prepare, draw, move, rotate,
// compare, store, measure the distance from the eye, take light, count vertices.
// TD3DTimingObject adds the animation clock of objects with frame-animated
// textures; TD3DVariableComplexityTimingObject adds a level-of-detail interface.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "archive/Stream.h"
#include "imaging/Bitmap.h"
#include "scene/records/Geometry.h"
#include "scene/records/TextureNames.h"
#include "scene/objects/TimedTextures.h"

namespace velorina {

class DXDraw;
class TDirect3DTexture2;
class TD3DSceneLight;

class TD3DObject {
 public:
  virtual ~TD3DObject();
  TD3DObject(const TD3DObject&) = delete;
  TD3DObject& operator=(const TD3DObject&) = delete;

  // Called once at the end of construction, after every field is set.
  virtual void Prepare() = 0;
  virtual bool InitialMerged() const { return false; }
  virtual void SetHidden(bool hidden) { Hidden = hidden; }
  virtual std::uint8_t KindCode() const { return 0; }
  virtual std::int32_t ObjectID() const { return 0; }
  virtual void Draw() {}
  virtual void MoveBy(const D3DVECTOR&) {}
  virtual void MoveByXYZ(float x, float y, float z) { MoveBy({x, y, z}); }
  virtual void Rotate(const D3DVECTOR&) {}
  virtual void RotateXYZ(float x, float y, float z) { Rotate({x, y, z}); }
  // Appends each texture name the object uses that the list lacks (ASCII case
  // ignored, see addTextureName).
  virtual void AddTextureNames(std::vector<std::string>& list) const = 0;
  // The object's texture names as its stored form keeps them: pairs of image and
  // mask. By default the one name GetTextureName answers.
  virtual TTextureNames TextureNameTable() const;
  // Same identifier and kind.
  virtual bool SameAs(const TD3DObject& other) const;
  virtual void SaveToStream(Stream&) const {}
  virtual void LoadFromStream(ByteReader&, std::int32_t /*version*/) {}
  // Computes, keeps in Distance and answers the distance from the eye.
  virtual float UpdateDistance(const D3DVECTOR& eye) = 0;
  virtual std::string GetTextureName() const = 0;
  // A reference point of the object, with dz subtracted from its z.
  virtual D3DVECTOR GetCenter(float dz) const = 0;
  // Recolours the vertices for one light.
  virtual void ApplyLight(const TD3DSceneLight& light) = 0;
  // ApplyLight for every light of the list, in order, skipping null entries.
  virtual void ApplyLights(std::span<TD3DSceneLight* const> lights);
  virtual std::int32_t StreamVersion() const;
  virtual std::int32_t VertexCount() const = 0;
  virtual std::int32_t PrimitiveCount() const = 0;

  DXDraw* dxDraw() const noexcept { return DXDraw_; }
  TDirect3DTexture2* Texture() const noexcept { return Texture_; }
  const Bitmap& Picture() const noexcept { return Picture_; }

  bool Hidden = false;
  bool Merged = false;
  bool Persistent = true;
  float Reserve = 3.4e38f;
  D3DVECTOR Origin;
  float Distance = 0;

 protected:
  TD3DObject() = default;
  // The base initialisation: flags, the identifier counter, the display and the
  // texture; ends with Prepare. Concrete constructors call it once their record is set.
  void Initialize(DXDraw* dxDraw, TDirect3DTexture2* texture);

  DXDraw* DXDraw_ = nullptr;
  TDirect3DTexture2* Texture_ = nullptr;  // not owned unless the class says so
  Bitmap Picture_;                        // a class's own texture image
};

// Appends `name` to `list` unless it is empty or the list holds it already, ASCII
// case ignored (lists of names are searched without regard to case).
void addTextureName(std::vector<std::string>& list, const std::string& name);

// Adds the animation clock (seconds of scene time) that the scene sets each frame,
// and the table of texture pairs that frame-animated, blended drawing chooses from.
class TD3DTimingObject : public TD3DObject {
 public:
  double Time = 0;

  const TTexturePairs& TexturePairs() const noexcept { return TimedTextures_.Pairs(); }

 protected:
  TD3DTimingObject() = default;
  explicit TD3DTimingObject(const TTexturePairs& textures) : TimedTextures_(textures) {}

  // The frame of `timing` that the clock shows now.
  std::int16_t currentFrameOf(const FrameTiming& timing) const noexcept {
    return TTimedTextures::CurrentFrame(timing, Time);
  }
  // How many times a blended draw sends the vertices now (see TTimedTextures).
  std::int32_t blendedDrawCount(const FrameTiming& timing) const noexcept {
    return TimedTextures_.BlendedDrawCount(timing, Time);
  }
  // Draws on the display's device (nothing without one) with the object's texture,
  // which counts as its own colour texture while Picture holds an image.
  void DrawTimed(const FrameTiming& timing, D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> vertices) const;

  TTimedTextures TimedTextures_;
};

// Adds model and world vertex arrays and a level-of-detail interface.
class TD3DVariableComplexityTimingObject : public TD3DTimingObject {
 public:
  std::int32_t VertexCount() const override { return ModelVertexCount; }
  virtual void SetComplexity(std::int32_t level, std::int32_t levels) = 0;
  virtual void SaveComplexity() { SetComplexity(-1, 1); }
  virtual void RestoreComplexity() { SetComplexity(0, 1); }
  virtual float BoundingRadius() const = 0;
  // Resizes both vertex arrays to n vertices.
  virtual void SetVertexCount(std::int32_t n);

  std::int32_t ModelVertexCount = 0;
  std::vector<D3DLVERTEX> ModelVertices;
  std::vector<D3DLVERTEX> WorldVertices;
};

}  // namespace velorina
