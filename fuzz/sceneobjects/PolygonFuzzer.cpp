// Reads arbitrary bytes as a polygon record (the first byte picks the stream
// version), then puts the polygon through everything that reshapes its points:
// drawing counts, conversion to a list, merging, splitting and a stored round trip.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "archive/MemoryStream.h"
#include "scene/objects/Polygon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  if (size < 1) return 0;
  static constexpr std::array<std::int32_t, 4> kVersions{99, 107, 108, 117};
  const std::int32_t version = kVersions[data[0] % kVersions.size()];
  ByteReader in(std::span<const std::uint8_t>(data + 1, size - 1), "fuzz");
  try {
    auto polygon = TD3DPolygon::CreateFromStream(in, nullptr, TTexturePairs{}, version);
    polygon->Time = 1.25;
    (void)polygon->VertexCount();
    (void)polygon->PrimitiveCount();
    (void)polygon->UpdateDistance({1, 2, 3});
    std::vector<TD3DPolygonInfo> pieces;
    SplitIntoTriangles(*polygon, pieces);
    const TD3DPolygonInfo info = polygon->GetInfo();
    if (polygon->CanMerge(info)) polygon->Merge(info);
    TD3DQuadrangleInfo quadrangle;
    polygon->MergeQuadrangle(quadrangle);
    polygon->RotateXYZ(0.5f, 0.25f, 1);
    MemoryStream out;
    polygon->SaveToStream(out);
    ByteReader back(out.bytes());
    auto copy = TD3DPolygon::CreateFromStream(back, nullptr, TTexturePairs{}, 117);
    // What was stored reads back to the same stored form, byte for byte.
    MemoryStream again;
    copy->SaveToStream(again);
    const auto a = out.bytes(), b = again.bytes();
    if (!std::equal(a.begin(), a.end(), b.begin(), b.end())) __builtin_trap();
  } catch (const Error&) {
  }
  return 0;
}
