// The software device drawing the two workloads of RenderWorkloads.h.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/software/SoftwareDevice.h"
#include "render/RenderWorkloads.h"

namespace velorina::bench {
namespace {

using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;

void must(D3DRESULT result) {
  if (result != D3DRESULT::D3D_OK) throw std::runtime_error("the software device refused the benchmark's set-up");
}

struct Setup {
  Setup() : device(kWidth, kHeight, DepthBuffer::Attached) {
    const auto texels = benchTexture();
    texture = std::make_unique<TDirect3DTexture2>(kTextureSide, kTextureSide, texels);
    texture->SetColorKey(0);
    must(device.SetTexture(0, texture.get()));
    must(device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
    must(device.SetRenderState(D3DRENDERSTATE_ZFUNC, d3dValue(D3DCMPFUNC::D3DCMP_LESSEQUAL)));
    must(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_CCW)));
    must(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
    must(device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
    must(device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(D3DTEXTUREMINFILTER::D3DTFN_LINEAR)));
  }
  void frame(const std::vector<D3DLVERTEX>& v) {
    must(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0));
    must(device.BeginScene());
    must(device.DrawPrimitive(D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, std::uint32_t(v.size()), 0));
    must(device.EndScene());
  }
  SoftwareDevice device;
  std::unique_ptr<TDirect3DTexture2> texture;
};

void run(benchmark::State& state, const std::vector<D3DLVERTEX>& v, double pixelsPerFrame) {
  Setup s;
  s.frame(v);  // warm up: vertex storage grows once
  for (auto _ : state) s.frame(v);
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["Mpixel/s"] =
      benchmark::Counter(double(state.iterations()) * pixelsPerFrame / 1e6, benchmark::Counter::kIsRate);
}

void BM_SoftwareFill(benchmark::State& state) {
  run(state, fillWorkload(), double(kFillLayers) * kWidth * kHeight);
}
void BM_SoftwareTris(benchmark::State& state) { run(state, trisWorkload(), double(kTriangles) * kTriangleArea); }

BENCHMARK(BM_SoftwareFill)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SoftwareTris)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velorina::bench
BENCHMARK_MAIN();
