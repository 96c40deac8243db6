#include "scene/objects/Polygon.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "platform/display/DXDraw.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/QuadrAngle.h"
#include "scene/objects/SceneLight.h"

namespace velorina {

namespace {

constexpr std::int32_t kList = static_cast<std::int32_t>(D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST);
constexpr std::int32_t kStrip = static_cast<std::int32_t>(D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP);
constexpr std::int32_t kFan = static_cast<std::int32_t>(D3DPRIMITIVETYPE::D3DPT_TRIANGLEFAN);
constexpr std::int32_t kFixedDistanceFrom = 50001;
// A quadrangle adds six points; below this count they still fit.
constexpr std::int32_t kQuadrangleRoom = 32761;

struct Corner {
  float u, v;
};

// The texture corner of point i by its position in the primitive: a list repeats
// (0,0) (1,0) (0,1) per triangle, a strip covers unit squares two triangles at a
// time, a fan walks round the square about its first point.
std::optional<Corner> cornerOf(std::int32_t type, std::size_t i) {
  static constexpr std::array<Corner, 3> kList3{{{0, 0}, {1, 0}, {0, 1}}};
  static constexpr std::array<Corner, 4> kStrip4{{{0, 0}, {1, 0}, {0, 1}, {1, 1}}};
  static constexpr std::array<Corner, 4> kFan4{{{1, 1}, {1, 0}, {1, 1}, {0, 1}}};
  switch (type) {
    case kList: return kList3[i % 3];
    case kStrip: return kStrip4[i % 4];
    case kFan: return i == 0 ? Corner{0, 0} : kFan4[i % 4];
    default: return std::nullopt;
  }
}

bool isTriangleType(std::int32_t type) { return type == kList || type == kStrip || type == kFan; }

D3DVECTOR positionOf(const D3DLVERTEX& v) { return {v.x, v.y, v.z}; }

// The colour value 0x00BBGGRR of a device colour 0xAARRGGBB.
std::uint32_t colorValueOf(D3DCOLOR c) { return ((c >> 16) & 0xFFu) | (c & 0xFF00u) | ((c & 0xFFu) << 16); }

// The device takes the low byte of the stored cull mode, sign-extended.
std::uint32_t cullModeValue(std::int32_t stored) {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(stored & 0xFF)));
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool sameFrameNames(const TTextureNames& a, const TTextureNames& b, std::int16_t frameCount) {
  const auto names = static_cast<std::size_t>(2 * TTimedTextures::UsableFrames(frameCount));
  for (std::size_t i = 0; i < names; ++i) {
    if (!sameNameIgnoringCase(a.get(i), b.get(i))) return false;
  }
  return true;
}

bool sameShading(const TD3DPolygonInfo& a, const TD3DPolygonInfo& b) {
  return a.Color == b.Color && a.TexScaleU == b.TexScaleU && a.TexScaleV == b.TexScaleV &&
         a.TexOffsetU == b.TexOffsetU && a.TexOffsetV == b.TexOffsetV && a.TexMode == b.TexMode &&
         a.FixedDistance == b.FixedDistance;
}

bool sameAnimation(const TD3DPolygonInfo& a, const TD3DPolygonInfo& b) {
  return a.FrameCount == b.FrameCount && (a.FrameCount < 2 || a.FramePeriod == b.FramePeriod) &&
         a.BlendMode == b.BlendMode && a.CullMode == b.CullMode && a.TextureNames == b.TextureNames;
}

}  // namespace

TD3DPolygon::TD3DPolygon(DXDraw* dxDraw, const TTexturePairs& textures, const TD3DPolygonInfo& info)
    : TD3DTimingObject(textures) {
  takeGeometry(info);
  Initialize(dxDraw, TimedTextures_.BaseTexture());
}

TD3DPolygon::TD3DPolygon(StreamKey, const TTexturePairs& textures) : TD3DTimingObject(textures) {}

std::unique_ptr<TD3DPolygon> TD3DPolygon::CreateFromStream(ByteReader& in, DXDraw* dxDraw,
                                                           const TTexturePairs& textures, std::int32_t version) {
  auto p = std::make_unique<TD3DPolygon>(StreamKey{}, textures);
  p->LoadFromStream(in, version);
  p->Initialize(dxDraw, p->TimedTextures_.BaseTexture());
  return p;
}

TD3DPolygon::~TD3DPolygon() = default;

void TD3DPolygon::takeGeometry(const TD3DPolygonInfo& info) {
  info_ = info;
  info_.Points = {};
  info_.Vertices = {};
  const auto n = static_cast<std::size_t>(std::clamp<std::int32_t>(info.PointCount, 0, kMaxPoints));
  info_.PointCount = static_cast<std::int16_t>(n);
  points_.assign(n, D3DVECTOR{});
  std::copy_n(info.Points.begin(), std::min(n, info.Points.size()), points_.begin());
  const bool wholeVertices = info.Merged && !info.Vertices.empty();
  const std::size_t given = wholeVertices ? std::min(n, info.Vertices.size()) : 0;
  for (std::size_t i = 0; i < given; ++i) points_[i] = positionOf(info.Vertices[i]);
  vertices_.assign(n, D3DLVERTEX{});
  baseColors_.assign(n, BaseColors{});
  Merged = false;
  BuildVertices(TexCoords::Rebuild);
  for (std::size_t i = 0; i < given; ++i) {
    vertices_[i] = info.Vertices[i];
    baseColors_[i] = {info.Vertices[i].color, info.Vertices[i].specular};
  }
  StoredMerged = info.Merged;
  Merged = StoredMerged;
}

void TD3DPolygon::BuildVertices(TexCoords texCoords) {
  if (Merged) {
    for (std::size_t i = 0; i < points_.size(); ++i) {
      vertices_[i].x = points_[i].x;
      vertices_[i].y = points_[i].y;
      vertices_[i].z = points_[i].z;
    }
    return;
  }
  const D3DCOLOR colour = ColorToDeviceColor(info_.Color, 0);
  for (std::size_t i = 0; i < points_.size(); ++i) {
    D3DLVERTEX& v = vertices_[i];
    const D3DVECTOR& p = points_[i];
    v.x = p.x, v.y = p.y, v.z = p.z;
    v.color = colour;
    v.specular = 0;
    baseColors_[i] = {colour, 0};
    if (texCoords == TexCoords::Keep) continue;
    if (info_.TexMode != 0) {
      v.tu = info_.TexScaleU * p.x + info_.TexOffsetU;
      v.tv = info_.TexScaleV * p.z + info_.TexOffsetV;
    } else if (const auto c = cornerOf(info_.PrimitiveType, i)) {
      v.tu = info_.TexScaleU * c->u + info_.TexOffsetU;
      v.tv = info_.TexScaleV * c->v + info_.TexOffsetV;
    }
  }
}

void TD3DPolygon::SetArrayCount(std::int32_t n) {
  const auto size = static_cast<std::size_t>(std::clamp(n, 0, kMaxPoints));
  info_.PointCount = static_cast<std::int16_t>(size);
  if (size == points_.size()) return;
  points_.resize(size);
  vertices_.resize(size);
  baseColors_.resize(size);
}

void TD3DPolygon::Prepare() {
  if (Texture_ != nullptr) {
    Picture_ = Bitmap();
  } else {
    Picture_.reset(2, 2, PixelFormat::Bits24);
    const std::uint32_t argb = ColorToDeviceColor(info_.Color, 0xFF);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 2; ++x) Picture_.setColour(x, y, argb);
    }
    ownTexture_ = createTexture(Picture_);
    Texture_ = ownTexture_.get();
  }
  if (!isTriangleType(info_.PrimitiveType)) {
    // Drawn as a strip; its texture corners are a strip's.
    info_.PrimitiveType = kStrip;
    BuildVertices(TexCoords::Rebuild);
  }
}

void TD3DPolygon::Draw() {
  IDirect3DDevice7* device = DXDraw_ != nullptr ? DXDraw_->D3DDevice7() : nullptr;
  if (device == nullptr) return;
  device->SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_CULLMODE, cullModeValue(info_.CullMode));
  DrawTimed(timing(), static_cast<D3DPRIMITIVETYPE>(info_.PrimitiveType), vertices_);
}

void TD3DPolygon::MoveBy(const D3DVECTOR& v) {
  for (auto& p : points_) p = VectorAdd(p, v);
  BuildVertices(TexCoords::Keep);
}

void TD3DPolygon::Rotate(const D3DVECTOR& a) {
  D3DMATRIX m;
  RotationMatrix(m, 1, a.x, a.y, a.z);
  for (auto& p : points_) TransformPoint(p, p, m);
  BuildVertices(TexCoords::Keep);
}

void TD3DPolygon::AddTextureNames(std::vector<std::string>& list) const {
  const auto names = static_cast<std::size_t>(2 * TTimedTextures::UsableFrames(info_.FrameCount));
  for (std::size_t i = 0; i < names; ++i) {
    const std::string& name = info_.TextureNames.get(i);
    addTextureName(list, name);
  }
}

bool TD3DPolygon::SameAs(const TD3DObject& other) const {
  if (!TD3DObject::SameAs(other)) return false;
  const auto* p = dynamic_cast<const TD3DPolygon*>(&other);
  if (p == nullptr) return false;
  const TD3DPolygonInfo& a = info_;
  const TD3DPolygonInfo& b = p->info_;
  return sameShading(a, b) && a.PointCount == b.PointCount && a.FrameCount == b.FrameCount &&
         a.FramePeriod == b.FramePeriod && a.PrimitiveType == b.PrimitiveType && a.BlendMode == b.BlendMode &&
         a.CullMode == b.CullMode && points_ == p->points_ &&
         sameFrameNames(a.TextureNames, b.TextureNames, a.FrameCount);
}

void TD3DPolygon::SaveToStream(Stream& out) const { GetInfo().write(out); }

void TD3DPolygon::LoadFromStream(ByteReader& in, std::int32_t version) {
  TD3DPolygonInfo loaded = TD3DPolygonInfo::read(in, version);
  loaded.TextureNames = std::move(info_.TextureNames);
  takeGeometry(loaded);
}

float TD3DPolygon::UpdateDistance(const D3DVECTOR& eye) {
  const std::size_t n = points_.size();
  if (info_.FixedDistance >= kFixedDistanceFrom) {
    Distance = static_cast<float>(info_.FixedDistance);
  } else if (n == 0) {
    Distance = 0;
  } else if (info_.PrimitiveType == kList || info_.PrimitiveType == kStrip) {
    const D3DVECTOR sum = VectorAdd(VectorAdd(points_[0], points_[n / 2]), points_[n - 1]);
    Distance = VectorMagnitude(VectorSub({sum.x / 3, sum.y / 3, sum.z / 3}, eye));
  } else if (info_.PrimitiveType == kFan) {
    Distance = VectorMagnitude(VectorSub(points_[0], eye));
  } else {
    Distance = 0;
  }
  return Distance;
}

D3DVECTOR TD3DPolygon::GetCenter(float dz) const {
  if (points_.empty()) return {0, 0, 0};
  return {points_[0].x, points_[0].y, points_[0].z - dz};
}

void TD3DPolygon::ApplyLight(const TD3DSceneLight& light) {
  if (!LightReaches(light, GetCenter(0))) return;
  // Each light starts from the unlit colour, so lighting again gives the same result.
  for (std::size_t i = 0; i < vertices_.size(); ++i) {
    LightVertex(light, vertices_[i], colorValueOf(baseColors_[i].diffuse));
  }
}

std::int32_t TD3DPolygon::primitivesPerDraw() const noexcept {
  const std::int32_t n = info_.PointCount;
  switch (info_.PrimitiveType) {
    case kList: return n / 3;
    case kStrip:
    case kFan: return std::max(n - 2, 0);
    default: return 0;
  }
}

std::int32_t TD3DPolygon::VertexCount() const { return blendedDrawCount(timing()) * info_.PointCount; }

std::int32_t TD3DPolygon::PrimitiveCount() const { return blendedDrawCount(timing()) * primitivesPerDraw(); }

std::string TD3DPolygon::GetFrameTextureName() const {
  return info_.TextureNames.get(2 * static_cast<std::size_t>(CurrentFrame()));
}

bool TD3DPolygon::ConvertToTriangleList() {
  const std::int32_t type = info_.PrimitiveType;
  if (type == kList) return true;
  if (type != kStrip && type != kFan) return false;
  const std::size_t n = points_.size();
  if (n == 0) {
    // Nothing to convert: an empty list, ready to take triangles.
    info_.PrimitiveType = kList;
    return true;
  }
  if (n < 3 || 3 * (n - 2) > static_cast<std::size_t>(kMaxPoints)) return false;
  std::vector<std::size_t> order;
  order.reserve(3 * (n - 2));
  for (std::size_t k = 0; k + 2 < n; ++k) {
    if (type == kFan) {
      order.insert(order.end(), {0, k + 1, k + 2});
    } else if (k % 2 == 0) {
      order.insert(order.end(), {k, k + 1, k + 2});
    } else {
      order.insert(order.end(), {k, k + 2, k + 1});  // keeps every triangle's winding
    }
  }
  std::vector<D3DVECTOR> points(order.size());
  std::vector<D3DLVERTEX> vertices(order.size());
  std::vector<BaseColors> bases(order.size());
  for (std::size_t m = 0; m < order.size(); ++m) {
    points[m] = points_[order[m]];
    vertices[m] = vertices_[order[m]];
    bases[m] = baseColors_[order[m]];
  }
  points_ = std::move(points);
  vertices_ = std::move(vertices);
  baseColors_ = std::move(bases);
  info_.PointCount = static_cast<std::int16_t>(points_.size());
  info_.PrimitiveType = kList;
  BuildVertices(TexCoords::Rebuild);
  return true;
}

bool TD3DPolygon::CanMerge(const TD3DPolygonInfo& info) const {
  if (!Merged && !sameShading(info_, info)) return false;
  if (info_.PointCount + std::max<std::int32_t>(info.PointCount, 0) >= kMaxPoints) return false;
  return sameAnimation(info_, info);
}

bool TD3DPolygon::CanMerge(const TD3DQuadrangleInfo& info) const {
  const D3DCULL cull = (info.Flags & 1) ? D3DCULL::D3DCULL_NONE : D3DCULL::D3DCULL_CCW;
  if (static_cast<std::int32_t>(d3dValue(cull)) != info_.CullMode) return false;
  if (info.TextureName != info_.TextureNames.get(0)) return false;
  if (info_.FrameCount >= 2 || info_.PointCount >= kQuadrangleRoom) return false;
  if (Merged) return true;
  const bool oneColour = std::all_of(info.Colors.begin(), info.Colors.end(),
                                     [&](std::uint32_t c) { return c == info_.Color; });
  return oneColour && info.TexSpanU == info_.TexScaleU && info.TexSpanV == info_.TexScaleV &&
         info.TexOffsetU == info_.TexOffsetU && info.TexOffsetV == info_.TexOffsetV;
}

bool TD3DPolygon::readyToAppend() {
  return ConvertToTriangleList() && info_.PrimitiveType == kList && points_.size() % 3 == 0;
}

void TD3DPolygon::appendVertex(const D3DLVERTEX& v) {
  points_.push_back(positionOf(v));
  vertices_.push_back(v);
  baseColors_.push_back({v.color, v.specular});
  info_.PointCount = static_cast<std::int16_t>(points_.size());
}

bool TD3DPolygon::MergePolygon(const TD3DPolygonInfo& info) {
  if (!readyToAppend()) return false;
  TD3DPolygon piece(DXDraw_, TexturePairs(), info);
  if (!piece.readyToAppend()) return false;
  if (points_.size() + piece.points_.size() >= static_cast<std::size_t>(kMaxPoints)) return false;
  for (std::size_t i = 0; i < piece.vertices_.size(); ++i) {
    D3DLVERTEX v = piece.vertices_[i];
    v.color = piece.baseColors_[i].diffuse;
    v.specular = piece.baseColors_[i].specular;
    appendVertex(v);
  }
  return true;
}

bool TD3DPolygon::MergeQuadrangle(const TD3DQuadrangleInfo& info) {
  if (!readyToAppend()) return false;
  const TD3DQuadrAngle quadrangle(DXDraw_, TimedTextures_.BaseTexture(), info);
  if (info_.PointCount >= kQuadrangleRoom) return false;
  // The strip 0, 1, 2, 3 as the two triangles (0, 1, 2) and (1, 3, 2).
  for (std::size_t i : {0, 1, 2, 1, 3, 2}) appendVertex(quadrangle.Vertices()[i]);
  return true;
}

TD3DPolygonInfo TD3DPolygon::GetInfo() const {
  TD3DPolygonInfo r = info_;
  r.Merged = Merged;
  r.PointCount = static_cast<std::int16_t>(vertices_.size());
  r.Points.resize(vertices_.size());
  for (std::size_t i = 0; i < vertices_.size(); ++i) r.Points[i] = positionOf(vertices_[i]);
  if (Merged) {
    r.Vertices = vertices_;
    for (std::size_t i = 0; i < vertices_.size(); ++i) {
      r.Vertices[i].color = baseColors_[i].diffuse;
      r.Vertices[i].specular = baseColors_[i].specular;
    }
  }
  return r;
}

std::int32_t SplitIntoTriangles(const TD3DPolygon& polygon, std::vector<TD3DPolygonInfo>& out) {
  out.clear();
  const TD3DPolygonInfo whole = polygon.GetInfo();
  TD3DPolygonInfo piece = whole;
  piece.Points.clear();
  piece.Vertices.clear();
  piece.PointCount = 3;
  const auto add = [&](std::size_t a, std::size_t b, std::size_t c, std::int32_t type, bool mirrored) {
    if (out.size() >= static_cast<std::size_t>(TD3DPolygon::kMaxPoints)) return;
    TD3DPolygonInfo& r = out.emplace_back(piece);
    r.PrimitiveType = type;
    r.Points = {whole.Points[a], whole.Points[b], whole.Points[c]};
    if (whole.Merged) r.Vertices = {whole.Vertices[a], whole.Vertices[b], whole.Vertices[c]};
    // A strip's even triangles run backwards; mirrored corners keep their texture.
    if (mirrored && whole.TexMode == 0) {
      r.TexScaleU = -whole.TexScaleU;
      r.TexScaleV = -whole.TexScaleV;
    }
  };
  const std::size_t n = whole.Points.size();
  if (whole.PrimitiveType == kList) {
    for (std::size_t k = 0; k + 2 < n; k += 3) add(k, k + 1, k + 2, kList, false);
  } else if (whole.PrimitiveType == kFan) {
    for (std::size_t j = 1; j + 1 < n; ++j) add(0, j, j + 1, kStrip, false);
  } else if (whole.PrimitiveType == kStrip) {
    for (std::size_t j = 1; j + 1 < n; ++j) {
      if (j % 2 == 1) {
        add(j - 1, j, j + 1, kStrip, false);
      } else {
        add(j + 1, j, j - 1, kStrip, true);
      }
    }
  }
  return static_cast<std::int32_t>(out.size());
}

}  // namespace velorina
