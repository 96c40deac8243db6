// Rebuilding generated geometry against merely copying what it produces, in the
// same run: SetText of a three-character solid line with walls (the dance does
// this three times every 300 ms) against copying the finished model and world
// arrays, and a 32 x 64 sphere's BuildGeometry + TransformVertices against copying
// its two arrays. Report the ratios of each pair.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <vector>

#include "scene/objects/Sphere.h"
#include "scene/objects/Text.h"

namespace {

using namespace velorina;

TD3DTextInfo danceLine() {
  TD3DTextInfo t;
  t.ID = 1;
  t.FrontColor = 0x00FFFF;
  t.BackColor = 0x0000FF;
  t.TexScaleU = t.TexScaleV = 1;
  t.FrameCount = 1;
  t.Position = {0, 1, 5};
  t.Angles = {0, 0.3f, 0};
  t.Scale = {1, 1, 0.3f};
  t.Sides = true;
  t.Text = "\\o/";
  return t;
}

// Two frames of a dancer's line, so every call changes the text.
constexpr std::array<const char*, 2> kFrames{"\\o/", "/o\\"};

void BM_SetTextSolidWithWalls(benchmark::State& state) {
  TD3DText text(nullptr, TTexturePairs{}, danceLine());
  std::size_t frame = 0;
  for (auto _ : state) {
    frame ^= 1;
    text.SetText(kFrames[frame]);
    benchmark::DoNotOptimize(text.WorldVertices.data());
  }
  state.counters["vertices"] = static_cast<double>(text.ModelVertexCount);
}
BENCHMARK(BM_SetTextSolidWithWalls);

template <typename Object>
void copyArrays(benchmark::State& state, const Object& object) {
  std::vector<D3DLVERTEX> model(object.ModelVertices.size());
  std::vector<D3DLVERTEX> world(object.WorldVertices.size());
  for (auto _ : state) {
    std::copy(object.ModelVertices.begin(), object.ModelVertices.end(), model.begin());
    std::copy(object.WorldVertices.begin(), object.WorldVertices.end(), world.begin());
    benchmark::DoNotOptimize(model.data());
    benchmark::DoNotOptimize(world.data());
    benchmark::ClobberMemory();
  }
  state.counters["vertices"] = static_cast<double>(object.ModelVertexCount);
}

void BM_CopyTextArrays(benchmark::State& state) {
  const TD3DText text(nullptr, TTexturePairs{}, danceLine());
  copyArrays(state, text);
}
BENCHMARK(BM_CopyTextArrays);

TD3DSphereInfo sphere32x64() {
  TD3DSphereInfo s;
  s.ID = 5;
  s.Color = 0xFFFFFF;
  s.TexScaleU = s.TexScaleV = 1;
  s.FrameCount = 1;
  s.Position = {1, 2, 8};
  s.Angles = {0.1f, 0.7f, 0.2f};
  s.Scale = {2, 2, 2};
  s.CullMode = 1;
  s.Stacks = 32;
  s.Slices = 64;
  return s;
}

void BM_SphereBuildAndTransform(benchmark::State& state) {
  TD3DSphere sphere(nullptr, TTexturePairs{}, sphere32x64());
  for (auto _ : state) {
    sphere.BuildGeometry();
    sphere.TransformVertices();
    benchmark::DoNotOptimize(sphere.WorldVertices.data());
    benchmark::ClobberMemory();
  }
  state.counters["vertices"] = static_cast<double>(sphere.ModelVertexCount);
}
BENCHMARK(BM_SphereBuildAndTransform);

void BM_CopySphereArrays(benchmark::State& state) {
  const TD3DSphere sphere(nullptr, TTexturePairs{}, sphere32x64());
  copyArrays(state, sphere);
}
BENCHMARK(BM_CopySphereArrays);

}  // namespace

BENCHMARK_MAIN();
