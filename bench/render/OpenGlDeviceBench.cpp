// The OpenGL device drawing the two workloads of RenderWorkloads.h, through the
// device interface exactly as the scene draws: states set, vertices handed over
// every frame. Each frame ends with glFinish, like the raw OpenGL reference
// (LlvmpipeReference.cpp), so the two time the same work and the ratio between
// them is the device's own overhead.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/opengl/EglHeadlessContext.h"
#include "platform/render/opengl/OpenGlDevice.h"
#include "render/RenderWorkloads.h"

namespace velorina::bench {
namespace {

using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;

void check(D3DRESULT r) {
  if (r != D3DRESULT::D3D_OK) std::fprintf(stderr, "device call refused (%d)\n", int(r));
}

struct Setup {
  explicit Setup(EglHeadlessContext& context) : device(context, nullptr, kWidth, kHeight, DepthBuffer::Attached, false) {
    const auto texels = benchTexture();
    texture = std::make_unique<TDirect3DTexture2>(kTextureSide, kTextureSide, texels);
    texture->SetColorKey(0);
    check(device.SetTexture(0, texture.get()));
    check(device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
    check(device.SetRenderState(D3DRENDERSTATE_ZFUNC, d3dValue(D3DCMPFUNC::D3DCMP_LESSEQUAL)));
    check(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_CCW)));
    check(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
    check(device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
    check(device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(D3DTEXTUREMINFILTER::D3DTFN_LINEAR)));
  }
  void frame(const std::vector<D3DLVERTEX>& v) {
    check(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0));
    check(device.BeginScene());
    check(device.DrawPrimitive(D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, std::uint32_t(v.size()), 0));
    check(device.EndScene());
    glFinish();
  }
  OpenGlDevice device;
  std::unique_ptr<TDirect3DTexture2> texture;
};

EglHeadlessContext* context() {
  static std::unique_ptr<EglHeadlessContext> c = [] {
    std::string why;
    auto made = EglHeadlessContext::create(why);
    if (made) std::fprintf(stderr, "OpenGL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    else std::fprintf(stderr, "no OpenGL context: %s\n", why.c_str());
    return made;
  }();
  return c.get();
}

void run(benchmark::State& state, const std::vector<D3DLVERTEX>& v, double pixelsPerFrame) {
  EglHeadlessContext* gl = context();
  if (gl == nullptr) {
    state.SkipWithError("no OpenGL 3.3 context");
    return;
  }
  Setup s(*gl);
  s.frame(v);  // warm up: shaders compiled, texture uploaded, buffers grown
  for (auto _ : state) s.frame(v);
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["Mpixel/s"] =
      benchmark::Counter(double(state.iterations()) * pixelsPerFrame / 1e6, benchmark::Counter::kIsRate);
}

void BM_OpenGlFill(benchmark::State& state) { run(state, fillWorkload(), double(kFillLayers) * kWidth * kHeight); }
void BM_OpenGlTris(benchmark::State& state) { run(state, trisWorkload(), double(kTriangles) * kTriangleArea); }

BENCHMARK(BM_OpenGlFill)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenGlTris)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velorina::bench
BENCHMARK_MAIN();
