#include "scene/objects/Text.h"

#include <algorithm>
#include <cmath>

#include "platform/display/DXDraw.h"
#include "platform/render/Direct3DTexture2.h"
#include "platform/render/IDirect3DDevice7.h"
#include "scene/objects/FrameTextureNames.h"
#include "scene/objects/GlyphFont.h"
#include "scene/objects/SceneLight.h"
#include "scene/objects/VertexPlacement.h"

namespace velorina {

namespace {

constexpr std::int32_t kFixedDistanceFrom = 50001;
constexpr float kFlatDepth = 1e-5f;
constexpr float kFrontZ = -0.5f, kBackZ = 0.5f;

// The colour value 0x00BBGGRR of a device colour 0xAARRGGBB.
std::uint32_t colorValueOf(D3DCOLOR c) { return ((c >> 16) & 0xFFu) | (c & 0xFF00u) | ((c & 0xFFu) << 16); }

int codeOf(char c) { return static_cast<unsigned char>(c); }

}  // namespace

TD3DText::TD3DText(StreamKey, const TTexturePairs& textures, TextMessages messages)
    : TD3DTimingObject(textures), messages_(std::move(messages)) {}

TD3DText::TD3DText(DXDraw* dxDraw, const TTexturePairs& textures, const TD3DTextInfo& info, TextMessages messages)
    : TD3DText(StreamKey{}, textures, std::move(messages)) {
  info_ = info;
  Initialize(dxDraw, TimedTextures_.BaseTexture());
}

std::unique_ptr<TD3DText> TD3DText::CreateFromStream(ByteReader& in, DXDraw* dxDraw, const TTexturePairs& textures,
                                                     std::int32_t version, TextMessages messages) {
  auto t = std::make_unique<TD3DText>(StreamKey{}, textures, std::move(messages));
  t->LoadFromStream(in, version);
  t->Initialize(dxDraw, t->TimedTextures_.BaseTexture());
  return t;
}

TD3DText::~TD3DText() = default;

void TD3DText::SetVertexCount(std::int32_t n) {
  if (n == ModelVertexCount || n < 0) return;
  // Shrinking keeps the capacity, so a text that changes back and forth allocates once.
  ModelVertices.resize(static_cast<std::size_t>(n));
  WorldVertices.resize(static_cast<std::size_t>(n));
  ModelVertexCount = n;
}

bool TD3DText::flat() const noexcept { return std::fabs(info_.Scale.z) <= kFlatDepth; }

std::size_t TD3DText::verticesPerPoint() const noexcept {
  if (flat()) return 1;
  return info_.Sides ? 8 : 2;
}

TD3DText::Extent TD3DText::measure() const {
  const GlyphFont& font = GlyphFont::Program(info_.Filled ? GlyphStyle::Filled : GlyphStyle::Outline);
  const std::size_t limit = static_cast<std::size_t>(kMaxModelVertices) / verticesPerPoint();
  Extent e;
  for (char c : info_.Text) {
    const std::size_t points = font.PointCount(codeOf(c));
    if (e.frontPoints + points > limit) break;
    e.frontPoints += points;
    e.pen += GlyphFont::Advance(codeOf(c));
    ++e.characters;
  }
  return e;
}

void TD3DText::BuildGlyphs() {
  const Extent extent = measure();
  const std::size_t n = extent.frontPoints;
  SetVertexCount(static_cast<std::int32_t>(n * verticesPerPoint()));
  writeFront(extent);
  if (!flat()) {
    writeBack(n);
    if (info_.Sides) writeWalls(n);
  }
  frontPoints_ = n;
  walled_ = !flat() && info_.Sides;
  builtCharacters_ = extent.characters;
  if (extent.characters < info_.Text.size()) reportCut(extent);
}

void TD3DText::writeFront(const Extent& extent) {
  const GlyphFont& font = GlyphFont::Program(info_.Filled ? GlyphStyle::Filled : GlyphStyle::Outline);
  const D3DCOLOR front = ColorToDeviceColor(info_.FrontColor, 0);
  const float shearX = info_.ShearX - 0.5f;
  const float shearY = info_.ShearY - 0.5f;
  // The line is centred on x = 0: every x is taken back by half the final pen.
  const float halfPen = static_cast<float>(extent.pen) / 2;
  const float z = flat() ? 0 : kFrontZ;
  std::int32_t pen = 0;
  std::size_t k = 0;
  for (std::size_t i = 0; i < extent.characters; ++i) {
    const int code = codeOf(info_.Text[i]);
    for (const GlyphPoint& p : font.Glyph(code)) {
      const float px = static_cast<float>(p.y) * shearX + static_cast<float>(p.x) + static_cast<float>(pen);
      const float py = static_cast<float>(p.x) * shearY + static_cast<float>(p.y);
      const float x = (px - halfPen) * kFontScale;
      const float y = py * kFontScale - 0.5f;
      ModelVertices[k++] = {x, y, z, 0, front, 0, x * info_.TexScaleU + info_.FrontTexOffsetU,
                            y * info_.TexScaleV + info_.FrontTexOffsetV};
    }
    pen += GlyphFont::Advance(code);
  }
}

void TD3DText::writeBack(std::size_t n) {
  const D3DCOLOR back = ColorToDeviceColor(info_.BackColor, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const D3DLVERTEX& f = ModelVertices[i];
    ModelVertices[n + i] = {f.x, f.y, kBackZ, 0, back, 0, f.x * info_.TexScaleU + info_.BackTexOffsetU,
                            f.y * info_.TexScaleV + info_.BackTexOffsetV};
  }
}

namespace {

// Each triangle walls its own three edges, so every letter is closed all round: the
// wall on the front edge (a, b) is front a, back a, front b, back b, front b, back a,
// copied from the first 2n vertices (front, then back) into the walls after them.
void copyWalls(std::span<D3DLVERTEX> vertices, std::size_t n) {
  D3DLVERTEX* out = vertices.data() + 2 * n;
  const D3DLVERTEX* front = vertices.data();
  const D3DLVERTEX* back = vertices.data() + n;
  const auto wall = [&](std::size_t a, std::size_t b) {
    out[0] = front[a], out[1] = back[a], out[2] = front[b];
    out[3] = back[b], out[4] = front[b], out[5] = back[a];
    out += 6;
  };
  for (std::size_t t = 0; t + 2 < n; t += 3) {
    wall(t, t + 1);
    wall(t + 1, t + 2);
    wall(t + 2, t);
  }
}

}  // namespace

void TD3DText::writeWalls(std::size_t n) { copyWalls(ModelVertices, n); }

void TD3DText::reportCut(const Extent& extent) {
  if (!messages_.reporter || lastReportedCut_ == info_.Text) return;
  lastReportedCut_ = info_.Text;
  messages_.reporter->showError(
      "The 3D text " + std::to_string(info_.ID) + " of " + std::to_string(info_.Text.size()) +
          " characters needs more than the " + std::to_string(kMaxModelVertices) +
          " vertices one object may have; only its first " + std::to_string(extent.characters) +
          " characters are shown.",
      messages_.caption);
}

void TD3DText::TransformVertices() {
  const D3DMATRIX& m = placement_.Matrix(info_.Scale, info_.Angles);
  if (!walled_) {
    TransformToWorld(ModelVertices, WorldVertices, m, info_.Position, VertexAttributes::Copy);
    return;
  }
  // The walls are copies of front and back vertices, and so are their placed
  // copies: only the faces are placed, the walls copied from them.
  const std::size_t faces = 2 * frontPoints_;
  TransformToWorld(std::span<const D3DLVERTEX>(ModelVertices).first(faces),
                   std::span<D3DLVERTEX>(WorldVertices).first(faces), m, info_.Position, VertexAttributes::Copy);
  copyWalls(WorldVertices, frontPoints_);
}

void TD3DText::SetText(const std::string& text) {
  if (text == info_.Text) return;
  info_.Text = text;
  BuildGlyphs();
  TransformVertices();
}

void TD3DText::Prepare() {
  BuildGlyphs();
  TransformVertices();
  if (Texture_ != nullptr) {
    Picture_ = Bitmap();
  } else {
    ownTexture_ = MakeColourTexture(Picture_, info_.FrontColor);
    Texture_ = ownTexture_.get();
  }
}

void TD3DText::Draw() {
  IDirect3DDevice7* device = DXDraw_ != nullptr ? DXDraw_->D3DDevice7() : nullptr;
  if (device == nullptr) return;
  // A valid cull mode: never refused.
  static_cast<void>(device->SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  DrawTimed(timing(), D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST, WorldVertices);
}

void TD3DText::MoveBy(const D3DVECTOR& v) {
  if (v == D3DVECTOR{}) return;
  info_.Position = VectorAdd(info_.Position, v);
  MoveVertices(WorldVertices, v);
}

void TD3DText::Rotate(const D3DVECTOR& angles) {
  if (angles == D3DVECTOR{}) return;
  info_.Angles = WrapAngles(info_.Angles, angles);
  RotateVertices(WorldVertices, angles);
}

void TD3DText::AddTextureNames(std::vector<std::string>& list) const {
  AddFrameTextureNames(info_.TextureNames, info_.FrameCount, list);
}

bool TD3DText::SameAs(const TD3DObject& other) const {
  if (!TD3DObject::SameAs(other)) return false;
  const auto* t = dynamic_cast<const TD3DText*>(&other);
  if (t == nullptr) return false;
  TD3DTextInfo a = info_;
  TD3DTextInfo b = t->info_;
  a.Text.clear(), b.Text.clear();
  a.TextureNames.clear(), b.TextureNames.clear();
  return a == b && SameFrameTextureNames(info_.TextureNames, t->info_.TextureNames, info_.FrameCount);
}

void TD3DText::LoadFromStream(ByteReader& in, std::int32_t version) {
  TD3DTextInfo loaded = TD3DTextInfo::read(in, version);
  loaded.TextureNames = std::move(info_.TextureNames);
  info_ = std::move(loaded);
  BuildGlyphs();
  TransformVertices();
}

float TD3DText::UpdateDistance(const D3DVECTOR& eye) {
  Distance = info_.FixedDistance >= kFixedDistanceFrom ? static_cast<float>(info_.FixedDistance)
                                                        : VectorMagnitude(VectorSub(info_.Position, eye));
  return Distance;
}

D3DVECTOR TD3DText::GetCenter(float dz) const { return {info_.Position.x, info_.Position.y, info_.Position.z - dz}; }

void TD3DText::ApplyLight(const TD3DSceneLight& light) {
  if (!LightReaches(light, info_.Position)) return;
  // Each light starts from the model vertex's unlit colour, so lighting again
  // gives the same result and the channels keep their order.
  for (std::size_t i = 0; i < WorldVertices.size(); ++i) {
    LightVertex(light, WorldVertices[i], colorValueOf(ModelVertices[i].color));
  }
}

std::int32_t TD3DText::VertexCount() const { return blendedDrawCount(timing()) * ModelVertexCount; }

std::string TD3DText::GetFrameTextureName() const {
  return info_.TextureNames.get(2 * static_cast<std::size_t>(CurrentFrame()));
}

}  // namespace velorina
