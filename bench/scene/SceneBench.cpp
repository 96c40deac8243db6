// A world of 10,000 quadrangles with 200 textures: loading it, and frames of camera
// motion drawn by the software device at 640 x 480, against the same frames with no
// device (the scene's own per-frame work) in the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "archive/MemoryStream.h"
#include "archive/Wad.h"
#include "imaging/BmpCodec.h"
#include "platform/display/DXDraw.h"
#include "platform/render/DeviceSelection.h"
#include "platform/display/ManualClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "scene/Scene.h"
#include "shell/SurfaceSetup.h"

namespace {

using namespace velorina;

constexpr int kQuads = 10000;
constexpr int kTextures = 200;

ByteBuffer texture(int seed) {
  Bitmap b(64, 64, PixelFormat::Bits8);
  for (int i = 0; i < 256; ++i) {
    b.palette()[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>((i * 7 + seed) & 255),
                      static_cast<std::uint8_t>((i * 13 + seed * 3) & 255), 0};
  }
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) b.row(y)[x] = static_cast<std::uint8_t>((x ^ y) + seed);
  }
  return writeBmp(b);
}

ByteBuffer sceneStream() {
  MemoryStream s;
  std::string names;
  for (int t = 0; t < kTextures; ++t) names += "tex" + std::to_string(t) + ".bmp\r\n";
  s.writeExact("SCENEDEF", 8);
  s.writeU32(117);
  s.writeU32(static_cast<std::uint32_t>(names.size()));
  s.writeExact(names.data(), names.size());
  s.writeU32(kQuads);
  for (int i = 0; i < kQuads; ++i) {
    // A field of small tiles on a 100 x 100 grid, facing the camera.
    const float x = static_cast<float>(i % 100) * 2 - 100;
    const float z = static_cast<float>(i / 100) * 2 + 2;
    TD3DQuadrangleInfo q;
    q.ID = i + 1;
    q.Corners = {D3DVECTOR{x - 0.8f, 0.8f, z}, {x + 0.8f, 0.8f, z}, {x - 0.8f, -0.8f, z}, {x + 0.8f, -0.8f, z}};
    q.TexSpanU = q.TexSpanV = 1;
    q.Colors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    s.writeU8(2);
    s.writeI16(1);
    s.writeI16(static_cast<std::int16_t>(i % kTextures));
    s.writeI16(-1);
    q.write(s);
  }
  s.writeU32(0);
  return s.release();
}

// The world archive, made once.
const ByteBuffer& archive() {
  static const ByteBuffer bytes = [] {
    MemoryStream out;
    out.writeExact("PWAD", 4);
    out.writeU32(0);
    out.writeU32(kTextures + 1);
    std::vector<TWadEntry> entries;
    auto add = [&](const std::string& name, const ByteBuffer& data) {
      const auto offset = static_cast<std::uint32_t>(out.position());
      const ByteBuffer block = compressBlock(data, TCompressionLevel::clFastest);
      out.writeBytes(block);
      entries.push_back({offset, static_cast<std::uint32_t>(block.size()), name});
    };
    add("MAP01.D3D", sceneStream());
    for (int t = 0; t < kTextures; ++t) add("tex" + std::to_string(t) + ".bmp", texture(t));
    ByteBuffer dir(entries.size() * kWadEntrySize);
    for (std::size_t i = 0; i < entries.size(); ++i) encodeWadEntry(entries[i], dir.data() + i * kWadEntrySize);
    const auto dirOffset = static_cast<std::uint32_t>(out.position());
    writeCompressedBlock(out, dir, TCompressionLevel::clFastest);
    out.setPosition(4);
    out.writeU32(dirOffset);
    return out.release();
  }();
  return bytes;
}

void BM_SceneLoad(benchmark::State& state) {
  ManualClock clock;
  for (auto _ : state) {
    MemoryStream file{std::span<const std::uint8_t>(archive())};
    TD3DScene scene(nullptr, nullptr, clock);
    scene.LoadFromPackage(file, 0, static_cast<std::uint32_t>(archive().size()), "MAP01.D3D");
    benchmark::DoNotOptimize(scene.Objects.size());
  }
}

// Saving the same world as a scene stream, against loading it above (same run).
void BM_SceneSave(benchmark::State& state) {
  ManualClock clock;
  MemoryStream file{std::span<const std::uint8_t>(archive())};
  TD3DScene scene(nullptr, nullptr, clock);
  scene.LoadFromPackage(file, 0, static_cast<std::uint32_t>(archive().size()), "MAP01.D3D");
  for (auto _ : state) {
    const ByteBuffer bytes = scene.SaveToBytes();
    benchmark::DoNotOptimize(bytes.data());
  }
}

// Merging n quadrangles into the holders of 200 textures; the time per surface
// should not grow with n.
void BM_AddOrMergeIntoHolders(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  ManualClock clock;
  std::vector<std::string> names;
  for (int t = 0; t < kTextures; ++t) names.push_back("holder" + std::to_string(t) + ".bmp");
  std::vector<TD3DQuadrangleInfo> quads(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    TD3DQuadrangleInfo& q = quads[static_cast<std::size_t>(i)];
    const float x = static_cast<float>(i % 100), z = static_cast<float>(i / 100);
    q.ID = i + 1;
    q.Corners = {D3DVECTOR{x, 1, z}, {x + 1, 1, z}, {x, 0, z}, {x + 1, 0, z}};
    q.TexSpanU = q.TexSpanV = 1;
    q.Colors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    q.TextureName = names[static_cast<std::size_t>(i % kTextures)];
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto scene = std::make_unique<TD3DScene>(nullptr, nullptr, clock);
    scene->AddTextureHolders(names, 0, TD3DScene::HolderBlend::Opaque, 3);
    state.ResumeTiming();
    for (const auto& q : quads) benchmark::DoNotOptimize(scene->AddOrMergeObject(ObjectKind::Quadrangle, q));
    state.PauseTiming();
    scene.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// Frames of a camera walking and turning, each presented as the player's flip
// does; `draw` selects a device or none.
void runFrames(benchmark::State& state, bool draw, DeviceKind kind = DeviceKind::Software) {
  ManualClock clock;
  DXDraw display(std::make_unique<OffscreenPresenter>(),
                 [kind](IRenderSurface& surface, std::uint32_t w, std::uint32_t h, DepthBuffer depth) {
                   return makeDevice(kind, surface, w, h, depth);
                 });
  TD3DScene scene(draw ? &display : nullptr, nullptr, clock);
  MemoryStream file{std::span<const std::uint8_t>(archive())};
  scene.LoadFromPackage(file, 0, static_cast<std::uint32_t>(archive().size()), "MAP01.D3D");
  const TWorldHeader header = TWorldHeader::shipped();
  display.SetDisplaySize(640, 480);
  display.OnInitialize = [](DXDraw& d) { setInitialViewTransform(*d.D3DDevice7()); };
  display.OnInitializeSurface = [&](DXDraw& d) {
    setUpSurface(*d.D3DDevice7(), d.SurfaceWidth(), d.SurfaceHeight(), header, &scene);
  };
  if (draw) display.Initialize();
  int frame = 0;
  for (auto _ : state) {
    ++frame;
    clock.advanceMilliseconds(16);
    scene.SetCameraPosition({std::sin(frame * 0.01f) * 20, 0, static_cast<float>(frame % 200) * 0.1f});
    scene.SetCameraRotation({0, std::sin(frame * 0.02f) * 0.5f, 0});
    scene.Frame(0);
    if (draw) display.Flip();
  }
}

void BM_SceneFrameSoftware640x480(benchmark::State& state) { runFrames(state, true); }
void BM_SceneFrameWithoutDevice(benchmark::State& state) { runFrames(state, false); }
void BM_SceneFrameOpenGl640x480(benchmark::State& state) {
  std::string why;
  if (!makeHeadlessOpenGlDevice(4, 4, DepthBuffer::None, why)) {
    state.SkipWithError(("no OpenGL 3.3 context: " + why).c_str());
    return;
  }
  runFrames(state, true, DeviceKind::OpenGl);
}

BENCHMARK(BM_SceneLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SceneSave)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_AddOrMergeIntoHolders)->Unit(benchmark::kMillisecond)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(3);
BENCHMARK(BM_SceneFrameSoftware640x480)->Unit(benchmark::kMillisecond)->Iterations(1000);
BENCHMARK(BM_SceneFrameOpenGl640x480)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_SceneFrameWithoutDevice)->Unit(benchmark::kMillisecond)->Iterations(1000);

}  // namespace

BENCHMARK_MAIN();
