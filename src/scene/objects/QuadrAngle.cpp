#include "scene/objects/QuadrAngle.h"

#include <algorithm>

#include "platform/display/DXDraw.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/SceneLight.h"

namespace velorina {

namespace {

constexpr std::int32_t kFixedDistanceThreshold = 50000;

void setPixel24(Bitmap& b, int x, int y, std::uint32_t colorValue) {
  std::uint8_t* p = b.row(y) + 3 * x;  // B, G, R
  p[0] = static_cast<std::uint8_t>(colorValue >> 16);
  p[1] = static_cast<std::uint8_t>(colorValue >> 8);
  p[2] = static_cast<std::uint8_t>(colorValue);
}

D3DVECTOR midpoint(const D3DVECTOR& a, const D3DVECTOR& b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
}

}  // namespace

TD3DQuadrAngle::TD3DQuadrAngle(DXDraw* dxDraw, TDirect3DTexture2* texture, const TD3DQuadrangleInfo& info)
    : info_(info) {
  Initialize(dxDraw, texture);
}

std::unique_ptr<TD3DQuadrAngle> TD3DQuadrAngle::CreateFromStream(ByteReader& in, DXDraw* dxDraw,
                                                                 TDirect3DTexture2* texture, std::int32_t version) {
  auto q = std::make_unique<TD3DQuadrAngle>(StreamKey{});
  q->LoadFromStream(in, version);
  q->Initialize(dxDraw, texture);
  return q;
}

TD3DQuadrAngle::~TD3DQuadrAngle() = default;

void TD3DQuadrAngle::BuildVertices() {
  for (std::size_t i = 0; i < 4; ++i) {
    D3DLVERTEX& v = vertices_[i];
    v.x = info_.Corners[i].x;
    v.y = info_.Corners[i].y;
    v.z = info_.Corners[i].z;
    v.color = ColorToDeviceColor(info_.Colors[i], 0);
    v.specular = 0;
    v.tu = info_.TexOffsetU + ((i & 1) ? info_.TexSpanU : 0.0f);
    v.tv = info_.TexOffsetV + ((i & 2) ? info_.TexSpanV : 0.0f);
  }
}

void TD3DQuadrAngle::Prepare() {
  BuildVertices();
  if (Texture_ != nullptr) return;
  Picture_.reset(2, 2, PixelFormat::Bits24);
  setPixel24(Picture_, 0, 0, info_.Colors[0]);
  setPixel24(Picture_, 1, 0, info_.Colors[1]);
  setPixel24(Picture_, 0, 1, info_.Colors[2]);
  setPixel24(Picture_, 1, 1, info_.Colors[3]);
  ownTexture_ = createTexture(Picture_);
  Texture_ = ownTexture_.get();
}

void TD3DQuadrAngle::Draw() {
  IDirect3DDevice7* device = DXDraw_ != nullptr ? DXDraw_->D3DDevice7() : nullptr;
  if (device == nullptr) return;
  const D3DCULL cull = (info_.Flags & 1) ? D3DCULL::D3DCULL_NONE : D3DCULL::D3DCULL_CCW;
  device->SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_CULLMODE, d3dValue(cull));
  const bool keyed = info_.Transparent && Texture_ != nullptr;
  if (keyed) {
    Texture_->SetColorKey(0);
    Texture_->SetTransparent(true);
  }
  device->SetTexture(0, Texture_);
  device->DrawPrimitive(D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, vertices_, 4, 0);
  if (keyed) Texture_->SetTransparent(false);
}

void TD3DQuadrAngle::MoveBy(const D3DVECTOR& v) {
  for (auto& c : info_.Corners) c = VectorAdd(c, v);
  BuildVertices();
}

void TD3DQuadrAngle::Rotate(const D3DVECTOR& a) {
  D3DMATRIX m;
  RotationMatrix(m, 1, a.x, a.y, a.z);
  for (auto& c : info_.Corners) TransformPoint(c, c, m);
  MoveBy({0, 0, 0});
}

void TD3DQuadrAngle::AddTextureNames(std::vector<std::string>& list) const {
  addTextureName(list, info_.TextureName);
}

bool TD3DQuadrAngle::SameAs(const TD3DObject& other) const {
  if (!TD3DObject::SameAs(other)) return false;
  const auto* q = dynamic_cast<const TD3DQuadrAngle*>(&other);
  if (q == nullptr) return false;
  const TD3DQuadrangleInfo& a = info_;
  const TD3DQuadrangleInfo& b = q->info_;
  return a.Corners == b.Corners && a.TexSpanU == b.TexSpanU && a.TexSpanV == b.TexSpanV &&
         a.TexOffsetU == b.TexOffsetU && a.TexOffsetV == b.TexOffsetV && a.Colors == b.Colors && a.Flags == b.Flags &&
         a.FixedDistance == b.FixedDistance && a.TextureName == b.TextureName;
}

void TD3DQuadrAngle::LoadFromStream(ByteReader& in, std::int32_t version) {
  std::string name = std::move(info_.TextureName);
  info_ = TD3DQuadrangleInfo::read(in, version);
  info_.TextureName = std::move(name);
  BuildVertices();
}

float TD3DQuadrAngle::UpdateDistance(const D3DVECTOR& eye) {
  if (info_.FixedDistance > kFixedDistanceThreshold) {
    Distance = static_cast<float>(info_.FixedDistance);
    return Distance;
  }
  const auto& c = info_.Corners;
  const D3DVECTOR points[8] = {c[0], c[1], c[2], c[3], midpoint(c[0], c[1]), midpoint(c[1], c[2]),
                               midpoint(c[2], c[3]), midpoint(c[3], c[0])};
  float best = VectorMagnitude(VectorSub(points[0], eye));
  for (const auto& p : points) best = MinSingle(best, VectorMagnitude(VectorSub(p, eye)));
  Distance = best;
  return Distance;
}

D3DVECTOR TD3DQuadrAngle::GetCenter(float dz) const {
  D3DVECTOR s{0, 0, 0};
  for (const auto& c : info_.Corners) s = VectorAdd(s, c);
  return {s.x / 4, s.y / 4, s.z / 4 - dz};
}

void TD3DQuadrAngle::ApplyLight(const TD3DSceneLight& light) {
  if (!LightReaches(light, GetCenter(0))) return;
  for (std::size_t i = 0; i < 4; ++i) LightVertex(light, vertices_[i], info_.Colors[i]);
}

}  // namespace velorina
