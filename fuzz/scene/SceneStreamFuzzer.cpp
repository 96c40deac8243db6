// Reads arbitrary bytes as a scene stream, in both of its forms, then builds every
// quadrangle, polygon, sphere and text it holds (nested scenes name other files and
// are left out) and puts each through its counts, moves, light and a stored round
// trip that must give the same bytes again.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <variant>

#include "archive/MemoryStream.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/Polygon.h"
#include "scene/objects/QuadrAngle.h"
#include "scene/objects/SceneLight.h"
#include "scene/objects/Sphere.h"
#include "scene/objects/Text.h"
#include "scene/records/SceneStreamReader.h"

namespace {

using namespace velorina;

std::unique_ptr<TD3DObject> build(const SceneObjectRecord& record) {
  struct Build {
    std::unique_ptr<TD3DObject> operator()(const TD3DQuadrangleInfo& r) const {
      return std::make_unique<TD3DQuadrAngle>(nullptr, nullptr, r);
    }
    std::unique_ptr<TD3DObject> operator()(const TD3DPolygonInfo& r) const {
      return std::make_unique<TD3DPolygon>(nullptr, TTexturePairs{}, r);
    }
    std::unique_ptr<TD3DObject> operator()(const TD3DSphereInfo& r) const {
      return std::make_unique<TD3DSphere>(nullptr, TTexturePairs{}, r);
    }
    std::unique_ptr<TD3DObject> operator()(const TD3DTextInfo& r) const {
      return std::make_unique<TD3DText>(nullptr, TTexturePairs{}, r);
    }
    std::unique_ptr<TD3DObject> operator()(const TD3DSceneInfo&) const { return nullptr; }
  };
  return std::visit(Build{}, record);
}

// Reads the stored form back as the current version and checks it is unchanged.
template <typename Object>
void roundTrip(const TD3DObject& object) {
  const auto* typed = dynamic_cast<const Object*>(&object);
  if (typed == nullptr) return;
  MemoryStream out;
  typed->SaveToStream(out);
  ByteReader in(out.bytes());
  auto copy = Object::CreateFromStream(in, nullptr, TTexturePairs{}, 117);
  MemoryStream again;
  copy->SaveToStream(again);
  const auto a = out.bytes(), b = again.bytes();
  if (!std::equal(a.begin(), a.end(), b.begin(), b.end())) __builtin_trap();
}

void exercise(TD3DObject& object) {
  (void)object.VertexCount();
  (void)object.PrimitiveCount();
  (void)object.UpdateDistance({1, 2, 3});
  object.MoveByXYZ(0.5f, -1, 2);
  object.RotateXYZ(0.3f, 0.2f, 0.1f);
  TD3DSceneLightInfo l;
  l.Color = 0x8040FF;
  l.Range = 1e30f;
  l.RangeFactor = 1;
  object.ApplyLight(TD3DSceneLight(l));
  if (auto* sphere = dynamic_cast<TD3DSphere*>(&object)) {
    sphere->SaveComplexity();
    sphere->SetComplexity(2, 5);
    sphere->RestoreComplexity();
    if (sphere->ModelVertexCount > 0 && sphere->ModelVertexCount < 3) __builtin_trap();
  }
  if (auto* text = dynamic_cast<TD3DText*>(&object)) {
    if (text->ModelVertexCount > TD3DText::kMaxModelVertices) __builtin_trap();
    text->SetText(text->GetText() + "x");
  }
  roundTrip<TD3DSphere>(object);
  roundTrip<TD3DText>(object);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SceneDocument doc;
  try {
    SceneStreamReader(std::span<const std::uint8_t>(data, size), "fuzz").read(doc);
  } catch (const Error&) {
  }
  for (const SceneObjectEntry& entry : doc.Objects) {
    try {
      if (auto object = build(entry.Record)) exercise(*object);
    } catch (const Error&) {
    }
  }
  return 0;
}
