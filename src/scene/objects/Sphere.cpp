#include "scene/objects/Sphere.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/display/DXDraw.h"
#include "platform/render/Direct3DTexture2.h"
#include "platform/render/IDirect3DDevice7.h"
#include "scene/objects/FrameTextureNames.h"
#include "scene/objects/SceneLight.h"
#include "scene/objects/VertexPlacement.h"

namespace velorina {

namespace {

constexpr std::int32_t kFixedDistanceFrom = 50001;
constexpr std::uint8_t kMinimumDetail = 3;

// The detail `saved` scaled by (levels - level) / levels, kept within 3..saved.
std::uint8_t scaledDetail(std::uint8_t saved, std::int32_t level, std::int32_t levels) {
  const double scaled = std::trunc(static_cast<double>(saved) * (static_cast<double>(levels) - level) / levels);
  const double atLeast = std::max(scaled, static_cast<double>(kMinimumDetail));
  return static_cast<std::uint8_t>(std::min(atLeast, static_cast<double>(saved)));
}

// The sine and cosine of 0, d, 2d, ... by turning one step at a time: two calls of
// the trigonometric functions for a whole table, in double precision, so the
// error after 256 steps stays far below a single's resolution.
struct AngleSteps {
  explicit AngleSteps(double step) : stepSin(std::sin(step)), stepCos(std::cos(step)) {}
  void next() noexcept {
    const double s = sin * stepCos + cos * stepSin;
    cos = cos * stepCos - sin * stepSin;
    sin = s;
  }
  double stepSin, stepCos;
  double sin = 0, cos = 1;
};

}  // namespace

TD3DSphere::TD3DSphere(StreamKey, const TTexturePairs& textures) : TD3DVariableComplexityTimingObject() {
  TimedTextures_ = TTimedTextures(textures);
}

TD3DSphere::TD3DSphere(DXDraw* dxDraw, const TTexturePairs& textures, const TD3DSphereInfo& info)
    : TD3DSphere(StreamKey{}, textures) {
  info_ = info;
  Initialize(dxDraw, TimedTextures_.BaseTexture());
}

std::unique_ptr<TD3DSphere> TD3DSphere::CreateFromStream(ByteReader& in, DXDraw* dxDraw,
                                                         const TTexturePairs& textures, std::int32_t version) {
  auto s = std::make_unique<TD3DSphere>(StreamKey{}, textures);
  s->LoadFromStream(in, version);
  s->Initialize(dxDraw, s->TimedTextures_.BaseTexture());
  return s;
}

TD3DSphere::~TD3DSphere() = default;

void TD3DSphere::BuildGeometry() {
  const std::int32_t stacks = info_.Stacks;
  const std::int32_t slices = info_.Slices;
  if (stacks == 0 || slices == 0) {
    SetVertexCount(0);
    return;
  }
  SetVertexCount(stacks * 2 * (slices + 1));
  // Every band runs through the same longitudes: their sines, cosines and u once.
  longitudes_.resize(static_cast<std::size_t>(slices) + 1);
  AngleSteps phi(2 * std::numbers::pi / slices);
  for (std::int32_t j = 0; j <= slices; ++j, phi.next()) {
    const float tu = -static_cast<float>(j) / static_cast<float>(slices) * info_.TexScaleU + info_.TexOffsetU;
    longitudes_[static_cast<std::size_t>(j)] = {static_cast<float>(phi.sin), static_cast<float>(phi.cos), tu};
  }
  const D3DCOLOR colour = ColorToDeviceColor(info_.Color, 0);
  const float bandV = info_.TexScaleV / static_cast<float>(stacks);
  D3DLVERTEX* model = ModelVertices.data();
  AngleSteps theta(std::numbers::pi / stacks);
  for (std::int32_t i = 0; i < stacks; ++i) {
    const float sin0 = static_cast<float>(theta.sin), cos0 = static_cast<float>(theta.cos);
    theta.next();
    const float sin1 = static_cast<float>(theta.sin), cos1 = static_cast<float>(theta.cos);
    const float tv = static_cast<float>(i) / static_cast<float>(stacks) * info_.TexScaleV + info_.TexOffsetV;
    const float tvLower = tv + bandV;
    for (const Longitude& l : longitudes_) {
      *model++ = {sin0 * l.sin, cos0, sin0 * l.cos, 0, colour, 0, l.tu, tv};
      *model++ = {sin1 * l.sin, cos1, sin1 * l.cos, 0, colour, 0, l.tu, tvLower};
    }
  }
  // The world array starts as the same vertices: copied whole, which is far
  // cheaper than making each vertex twice field by field.
  std::copy(ModelVertices.begin(), ModelVertices.end(), WorldVertices.begin());
}

void TD3DSphere::TransformVertices() {
  TransformToWorld(ModelVertices, WorldVertices, placement_.Matrix(info_.Scale, info_.Angles), info_.Position,
                   VertexAttributes::Keep);
}

void TD3DSphere::Prepare() {
  BuildGeometry();
  TransformVertices();
  if (Texture_ != nullptr) {
    Picture_ = Bitmap();
  } else {
    ownTexture_ = MakeColourTexture(Picture_, info_.Color);
    Texture_ = ownTexture_.get();
  }
}

void TD3DSphere::Draw() {
  IDirect3DDevice7* device = DXDraw_ != nullptr ? DXDraw_->D3DDevice7() : nullptr;
  if (device == nullptr) return;
  // Any stored cull mode is accepted (an unknown one culls nothing): never refused.
  static_cast<void>(
      device->SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_CULLMODE, static_cast<std::uint32_t>(info_.CullMode)));
  DrawTimed(timing(), D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP, WorldVertices);
}

void TD3DSphere::MoveBy(const D3DVECTOR& v) {
  if (v == D3DVECTOR{}) return;
  info_.Position = VectorAdd(info_.Position, v);
  MoveVertices(WorldVertices, v);
}

void TD3DSphere::Rotate(const D3DVECTOR& angles) {
  if (angles == D3DVECTOR{}) return;
  info_.Angles = WrapAngles(info_.Angles, angles);
  RotateVertices(WorldVertices, angles);
}

void TD3DSphere::AddTextureNames(std::vector<std::string>& list) const {
  AddFrameTextureNames(info_.TextureNames, info_.FrameCount, list);
}

bool TD3DSphere::SameAs(const TD3DObject& other) const {
  if (!TD3DObject::SameAs(other)) return false;
  const auto* s = dynamic_cast<const TD3DSphere*>(&other);
  if (s == nullptr) return false;
  const TD3DSphereInfo& a = info_;
  const TD3DSphereInfo& b = s->info_;
  // The texture offsets take no part.
  return a.ID == b.ID && a.Color == b.Color && a.TexScaleU == b.TexScaleU && a.TexScaleV == b.TexScaleV &&
         a.FrameCount == b.FrameCount && a.FixedDistance == b.FixedDistance && a.FramePeriod == b.FramePeriod &&
         a.Position == b.Position && a.Angles == b.Angles && a.Scale == b.Scale && a.BlendMode == b.BlendMode &&
         a.CullMode == b.CullMode && a.Stacks == b.Stacks && a.Slices == b.Slices &&
         SameFrameTextureNames(a.TextureNames, b.TextureNames, a.FrameCount);
}

void TD3DSphere::LoadFromStream(ByteReader& in, std::int32_t version) {
  TD3DSphereInfo loaded = TD3DSphereInfo::read(in, version);
  loaded.TextureNames = std::move(info_.TextureNames);
  info_ = std::move(loaded);
  BuildGeometry();
  TransformVertices();
}

float TD3DSphere::UpdateDistance(const D3DVECTOR& eye) {
  Distance = info_.FixedDistance >= kFixedDistanceFrom ? static_cast<float>(info_.FixedDistance)
                                                        : VectorMagnitude(VectorSub(info_.Position, eye));
  return Distance;
}

D3DVECTOR TD3DSphere::GetCenter(float dz) const {
  return {info_.Position.x, info_.Position.y, info_.Position.z - dz};
}

void TD3DSphere::ApplyLight(const TD3DSceneLight& light) {
  if (!LightReaches(light, info_.Position)) return;
  // Every vertex starts from the record's colour, so lighting again gives the same result.
  for (D3DLVERTEX& v : WorldVertices) LightVertex(light, v, info_.Color);
}

std::int32_t TD3DSphere::VertexCount() const { return blendedDrawCount(timing()) * ModelVertexCount; }

std::int32_t TD3DSphere::PrimitiveCount() const {
  return blendedDrawCount(timing()) * std::max(ModelVertexCount - 2, 0);
}

void TD3DSphere::SetComplexity(std::int32_t level, std::int32_t levels) {
  if (level == -1) {
    savedStacks_ = info_.Stacks;
    savedSlices_ = info_.Slices;
  } else if (level == 0) {
    setDetail(savedStacks_, savedSlices_);
  } else if (levels > 0) {
    setDetail(scaledDetail(savedStacks_, level, levels), scaledDetail(savedSlices_, level, levels));
  }
}

void TD3DSphere::setDetail(std::uint8_t stacks, std::uint8_t slices) {
  if (stacks == info_.Stacks && slices == info_.Slices) return;
  info_.Stacks = stacks;
  info_.Slices = slices;
  BuildGeometry();
  TransformVertices();
}

float TD3DSphere::BoundingRadius() const {
  // A negative scale mirrors the sphere; its radius is the magnitude.
  return std::max({std::fabs(info_.Scale.x), std::fabs(info_.Scale.y), std::fabs(info_.Scale.z)});
}

std::string TD3DSphere::GetFrameTextureName() const {
  return info_.TextureNames.get(2 * static_cast<std::size_t>(CurrentFrame()));
}

}  // namespace velorina
