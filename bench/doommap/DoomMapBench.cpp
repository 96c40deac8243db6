// Freedoom 2's maps (Debian's freedoom package; every benchmark is skipped without
// it): importing all 32 maps with their textures, the import's stages measured
// apart, and drawing MAP01 from player 1's start and along a scripted walk at
// 1024 x 768 without antialiasing on the software device, against the device's
// "fill" frame (RenderWorkloads.h) measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <set>

#include "doommap/DoomTextures.h"
#include "doommap/MapImport.h"
#include "doommap/MapLumps.h"
#include "doommap/SectorOutlines.h"
#include "geometry/Triangulator.h"
#include "platform/display/DXDraw.h"
#include "platform/display/ManualClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "platform/render/Direct3DTexture2.h"
#include "platform/render/software/SoftwareDevice.h"
#include "render/RenderWorkloads.h"
#include "scene/Scene.h"
#include "scene/SceneMapSink.h"
#include "shell/MapStart.h"
#include "shell/SurfaceSetup.h"

namespace velorina::bench {
namespace {

constexpr const char* kWad = "/usr/share/games/doom/freedoom2.wad";

bool skipWithoutFreedoom(benchmark::State& state) {
  if (std::filesystem::exists(kWad)) return false;
  state.SkipWithError("the freedoom package is not installed (/usr/share/games/doom/freedoom2.wad)");
  return true;
}

const std::vector<std::string>& mapNames() {
  static const std::vector<std::string> names = listMapNames(WadDirectory::open(kWad));
  return names;
}

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// The whole import of every map into a scene of its own, as the player opens it.
void BM_ImportAllMaps(benchmark::State& state) {
  if (skipWithoutFreedoom(state)) return;
  ManualClock clock;
  std::vector<double> perMap;
  for (auto _ : state) {
    for (const std::string& name : mapNames()) {
      const auto t = Clock::now();
      TD3DScene scene(nullptr, nullptr, clock);
      scene.ImportDoomMap(kWad, kWad, name, kDefaultMapScale, kDefaultMapBrightness, true);
      benchmark::DoNotOptimize(scene.Objects.size());
      perMap.push_back(msSince(t));
    }
  }
  std::sort(perMap.begin(), perMap.end());
  state.counters["maps"] = static_cast<double>(mapNames().size());
  state.counters["median_ms_per_map"] = perMap[perMap.size() / 2];
  state.counters["slowest_ms"] = perMap.back();
}

// A sink that keeps nothing: the import without the scene's side of it (texture
// registration and merging into holders).
class DiscardingSink final : public DoomMapSink {
 public:
  bool hasTexture(const std::string& name) const override { return names_.contains(name); }
  void registerTexture(const std::string& name, Bitmap picture) override {
    names_.insert(name);
    benchmark::DoNotOptimize(picture.pixels().data());
  }
  std::int32_t nextObjectId() override { return 1; }
  void addTextureHolders(std::vector<std::string>, std::uint8_t, std::uint8_t, std::int32_t) override {}
  void addOrMergeObject(const TD3DQuadrangleInfo& wall) override { benchmark::DoNotOptimize(&wall); }
  void addOrMergeObject(const TD3DPolygonInfo& piece) override { benchmark::DoNotOptimize(&piece); }
  void removeEmptyPolygons() override {}

 private:
  std::set<std::string> names_;
};

void BM_ImportAllMapsWithoutScene(benchmark::State& state) {
  if (skipWithoutFreedoom(state)) return;
  for (auto _ : state) {
    for (const std::string& name : mapNames()) {
      DiscardingSink sink;
      benchmark::DoNotOptimize(ImportDoomMap(sink, kWad, {}, name, kDefaultMapScale, kDefaultMapBrightness, true));
    }
  }
}

// The scene's sink with the time spent in it measured: bringing textures into the
// scene and merging surfaces into their holders.
class TimingSink final : public DoomMapSink {
 public:
  explicit TimingSink(TD3DScene& scene) : inner_(scene) {}
  bool hasTexture(const std::string& name) const override { return inner_.hasTexture(name); }
  void registerTexture(const std::string& name, Bitmap picture) override {
    const auto t = Clock::now();
    inner_.registerTexture(name, std::move(picture));
    registerMs += msSince(t);
  }
  std::int32_t nextObjectId() override { return inner_.nextObjectId(); }
  void addTextureHolders(std::vector<std::string> references, std::uint8_t texMode, std::uint8_t blendMode,
                         std::int32_t cullMode) override {
    inner_.addTextureHolders(std::move(references), texMode, blendMode, cullMode);
  }
  void addOrMergeObject(const TD3DQuadrangleInfo& wall) override { timedMerge([&] { inner_.addOrMergeObject(wall); }); }
  void addOrMergeObject(const TD3DPolygonInfo& piece) override { timedMerge([&] { inner_.addOrMergeObject(piece); }); }
  void removeEmptyPolygons() override { timedMerge([&] { inner_.removeEmptyPolygons(); }); }

  double registerMs = 0, mergeMs = 0;

 private:
  template <typename F>
  void timedMerge(F&& f) {
    const auto t = Clock::now();
    f();
    mergeMs += msSince(t);
  }
  SceneMapSink inner_;
};

// The whole import again, its time split into the scene's share (texture
// registration, merging) and the importer's own (lumps, textures composed, walls,
// triangulated floors), summed over the 32 maps.
void BM_ImportShares(benchmark::State& state) {
  if (skipWithoutFreedoom(state)) return;
  ManualClock clock;
  double total = 0, registering = 0, merging = 0;
  for (auto _ : state) {
    for (const std::string& name : mapNames()) {
      const auto t = Clock::now();
      TD3DScene scene(nullptr, nullptr, clock);
      TimingSink sink(scene);
      benchmark::DoNotOptimize(ImportDoomMap(sink, kWad, {}, name, kDefaultMapScale, kDefaultMapBrightness, true));
      total += msSince(t);
      registering += sink.registerMs, merging += sink.mergeMs;
    }
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["total_ms"] = total / n;
  state.counters["registering_ms"] = registering / n;
  state.counters["merging_ms"] = merging / n;
  state.counters["importer_ms"] = (total - registering - merging) / n;
}

// Stage: finding and decoding each map's lumps (the probe included, as the import does).
void BM_StageLumpReading(benchmark::State& state) {
  if (skipWithoutFreedoom(state)) return;
  for (auto _ : state) {
    for (const std::string& name : mapNames()) {
      benchmark::DoNotOptimize(ReadMapLumps(kWad, name, ProbeWadKind(kWad)).sectors.size());
    }
  }
}

// Stage: every sector's outlines and their triangles.
void BM_StageTriangulation(benchmark::State& state) {
  if (skipWithoutFreedoom(state)) return;
  std::vector<DoomMapLumps> maps;
  for (const std::string& name : mapNames()) maps.push_back(ReadMapLumps(kWad, name, TWadKind::wkDoom));
  for (auto _ : state) {
    for (const DoomMapLumps& map : maps) {
      const SectorOutlines outlines = buildSectorOutlines(map);
      for (const auto& loops : outlines.loops) {
        if (!loops.empty()) benchmark::DoNotOptimize(triangulateOddWinding(loops).size());
      }
    }
  }
}

// Stage: composing the flats and wall textures each map uses.
void BM_StageTextureComposition(benchmark::State& state) {
  if (skipWithoutFreedoom(state)) return;
  std::vector<std::vector<std::string>> used;
  for (const std::string& name : mapNames()) {
    const DoomMapLumps map = ReadMapLumps(kWad, name, TWadKind::wkDoom);
    std::set<std::string> names;
    for (const DoomSector& s : map.sectors) names.insert({s.floorFlat, s.ceilingFlat});
    for (const DoomSideDef& s : map.sideDefs) names.insert({s.upper, s.lower, s.middle});
    names.erase("-");
    used.emplace_back(names.begin(), names.end());
  }
  for (auto _ : state) {
    for (const auto& names : used) {
      auto builder = DoomTextureBuilder::open(kWad);
      DiscardingSink sink;
      LoadDoomTextures(*builder, sink, kWad, names, {});
    }
  }
}

// A device that counts the draw calls it passes on.
class CountingDevice final : public IDirect3DDevice7 {
 public:
  explicit CountingDevice(std::unique_ptr<IDirect3DDevice7> inner) : inner_(std::move(inner)) {}
  D3DRESULT SetViewport(const D3DVIEWPORT7& v) override { return inner_->SetViewport(v); }
  D3DVIEWPORT7 GetViewport() const override { return inner_->GetViewport(); }
  D3DRESULT SetMaterial(const D3DMATERIAL7& m) override { return inner_->SetMaterial(m); }
  D3DMATERIAL7 GetMaterial() const override { return inner_->GetMaterial(); }
  D3DRESULT SetTransform(D3DTRANSFORMSTATETYPE w, const D3DMATRIX& m) override { return inner_->SetTransform(w, m); }
  D3DMATRIX GetTransform(D3DTRANSFORMSTATETYPE w) const override { return inner_->GetTransform(w); }
  D3DRESULT SetRenderState(D3DRENDERSTATETYPE s, std::uint32_t v) override { return inner_->SetRenderState(s, v); }
  std::uint32_t GetRenderState(D3DRENDERSTATETYPE s) const override { return inner_->GetRenderState(s); }
  D3DRESULT SetTextureStageState(std::uint32_t st, D3DTEXTURESTAGESTATETYPE s, std::uint32_t v) override {
    return inner_->SetTextureStageState(st, s, v);
  }
  std::uint32_t GetTextureStageState(std::uint32_t st, D3DTEXTURESTAGESTATETYPE s) const override {
    return inner_->GetTextureStageState(st, s);
  }
  D3DRESULT Clear(std::span<const D3DRECT> r, std::uint32_t f, D3DCOLOR c, float z, std::uint32_t s) override {
    return inner_->Clear(r, f, c, z, s);
  }
  D3DRESULT BeginScene() override { return inner_->BeginScene(); }
  D3DRESULT EndScene() override { return inner_->EndScene(); }
  D3DRESULT SetTexture(std::uint32_t stage, TDirect3DTexture2* t) override { return inner_->SetTexture(stage, t); }
  D3DRESULT DrawPrimitive(D3DPRIMITIVETYPE type, std::uint32_t format, std::span<const D3DLVERTEX> v,
                          std::uint32_t count, std::uint32_t flags) override {
    ++drawCalls;
    return inner_->DrawPrimitive(type, format, v, count, flags);
  }
  D3DRESULT Present() override { return inner_->Present(); }
  std::uint32_t RenderTargetWidth() const override { return inner_->RenderTargetWidth(); }
  std::uint32_t RenderTargetHeight() const override { return inner_->RenderTargetHeight(); }
  bool HasDepthBuffer() const override { return inner_->HasDepthBuffer(); }
  D3DRESULT ReadRenderTarget(std::span<std::uint32_t> out) override { return inner_->ReadRenderTarget(out); }

  std::size_t drawCalls = 0;

 private:
  std::unique_ptr<IDirect3DDevice7> inner_;
};

// MAP01 opened as the player opens it, drawn frame after frame at 1024 x 768 with
// the header made for it (no antialiasing), presented as the player flips. With
// `walk` the camera walks a scripted loop from player 1's start: forward, turning,
// its height following the floor.
void runMap01(benchmark::State& state, bool walk) {
  if (skipWithoutFreedoom(state)) return;
  ManualClock clock;
  CountingDevice* counter = nullptr;
  DXDraw display(std::make_unique<OffscreenPresenter>(),
                 [&counter](IRenderSurface& surface, std::uint32_t w, std::uint32_t h, DepthBuffer depth) {
                   auto device = std::make_unique<CountingDevice>(std::make_unique<SoftwareDevice>(surface, w, h, depth));
                   counter = device.get();
                   return std::unique_ptr<IDirect3DDevice7>(std::move(device));
                 });
  TD3DScene scene(&display, nullptr, clock);
  MapStart start = readMapStart(kWad, "MAP01");
  scene.OpenFromArchiveFile(kWad, start.mapName);
  display.SetDisplaySize(start.header.DisplayWidth, start.header.DisplayHeight);
  display.OnInitialize = [](DXDraw& d) { setInitialViewTransform(*d.D3DDevice7()); };
  display.OnInitializeSurface = [&](DXDraw& d) {
    setUpSurface(*d.D3DDevice7(), d.SurfaceWidth(), d.SurfaceHeight(), start.header, &scene);
  };
  display.Initialize();
  D3DVECTOR eye = start.position;
  D3DVECTOR turn = start.rotation;
  eye.y = start.camera->start(eye, clock.GetTickCount());
  scene.SetCameraPosition(eye);
  scene.SetCameraRotation(turn);
  std::size_t frames = 0, draws = 0;
  for (auto _ : state) {
    clock.advanceMilliseconds(16);
    if (walk) {
      // 0.12 units forward a frame, a slow sway of the heading, back to the start
      // every 400 frames.
      const int step = static_cast<int>(frames % 400);
      if (step == 0) eye = start.position;
      turn.y = start.rotation.y + 0.6f * std::sin(static_cast<float>(step) * 0.02f);
      eye.x += std::sin(turn.y) * 0.12f;
      eye.z += std::cos(turn.y) * 0.12f;
      eye.y = start.camera->follow(eye, clock.GetTickCount());
      scene.SetCameraPosition(eye);
      scene.SetCameraRotation(turn);
    }
    counter->drawCalls = 0;
    scene.Frame(start.header.BackgroundColor);
    display.Flip();
    draws += counter->drawCalls;
    ++frames;
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["objects"] = static_cast<double>(scene.Objects.size());
  state.counters["draws_per_frame"] = frames ? static_cast<double>(draws) / static_cast<double>(frames) : 0.0;
}

void BM_DrawMap01FromStart(benchmark::State& state) { runMap01(state, false); }
void BM_DrawMap01Walk(benchmark::State& state) { runMap01(state, true); }

// The software device's fill frame (eight full-screen textured layers), the
// reference the map frames are measured against.
void BM_SoftwareFillFrame(benchmark::State& state) {
  using enum D3DRENDERSTATETYPE;
  using enum D3DTEXTURESTAGESTATETYPE;
  SoftwareDevice device(kWidth, kHeight, DepthBuffer::Attached);
  const auto texels = benchTexture();
  TDirect3DTexture2 texture(kTextureSide, kTextureSide, texels);
  texture.SetColorKey(0);
  static_cast<void>(device.SetTexture(0, &texture));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_ZFUNC, d3dValue(D3DCMPFUNC::D3DCMP_LESSEQUAL)));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_CCW)));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
  static_cast<void>(device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(D3DTEXTUREMINFILTER::D3DTFN_LINEAR)));
  const std::vector<D3DLVERTEX> fill = fillWorkload();
  auto frame = [&] {
    static_cast<void>(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0));
    static_cast<void>(device.BeginScene());
    static_cast<void>(device.DrawPrimitive(D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, fill, std::uint32_t(fill.size()), 0));
    static_cast<void>(device.EndScene());
  };
  frame();
  for (auto _ : state) frame();
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ImportAllMaps)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportShares)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportAllMapsWithoutScene)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StageLumpReading)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StageTriangulation)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StageTextureComposition)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SoftwareFillFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DrawMap01FromStart)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DrawMap01Walk)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(400);

}  // namespace
}  // namespace velorina::bench
BENCHMARK_MAIN();
