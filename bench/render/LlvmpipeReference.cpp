// The reference for the software device's benchmark: the same two workloads drawn
// through OpenGL. Run under Xvfb with Mesa's llvmpipe (LIBGL_ALWAYS_SOFTWARE=1,
// LP_NUM_THREADS=2); each frame ends with glFinish so the time covers the whole
// rasterisation. Fixed-function OpenGL 1.x: vertex buffer objects, a bilinear
// 256 x 256 texture modulated by the vertex colour, the colour key as an alpha
// test (keyed texels have alpha 0), depth test less-or-equal, back faces culled.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_opengl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "render/RenderWorkloads.h"

namespace velorina::bench {
namespace {

struct GlVertex {
  float x, y, z;
  std::uint8_t rgba[4];
  float u, v;
};

class GlContext {
 public:
  GlContext() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return;
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window_ = SDL_CreateWindow("llvmpipe reference", 0, 0, int(kWidth), int(kHeight), SDL_WINDOW_OPENGL);
    if (window_ == nullptr) return;
    context_ = SDL_GL_CreateContext(window_);
    if (context_ == nullptr) return;
    SDL_GL_SetSwapInterval(0);
    std::fprintf(stderr, "OpenGL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    setUpState();
  }
  ~GlContext() {
    if (context_ != nullptr) SDL_GL_DeleteContext(context_);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    SDL_Quit();
  }
  bool ok() const { return context_ != nullptr; }

  void frame(GLuint buffer, GLsizei count) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexPointer(3, GL_FLOAT, sizeof(GlVertex), reinterpret_cast<void*>(offsetof(GlVertex, x)));
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(GlVertex), reinterpret_cast<void*>(offsetof(GlVertex, rgba)));
    glTexCoordPointer(2, GL_FLOAT, sizeof(GlVertex), reinterpret_cast<void*>(offsetof(GlVertex, u)));
    glDrawArrays(GL_TRIANGLES, 0, count);
    glFinish();
  }

  GLuint upload(const std::vector<D3DLVERTEX>& vertices) {
    std::vector<GlVertex> gl(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) {
      const D3DLVERTEX& v = vertices[i];
      // Depth 0 .. 1 becomes OpenGL's -1 .. 1, which the default depth range maps back.
      gl[i] = {v.x, v.y, v.z * 2.0f - 1.0f,
               {std::uint8_t(v.color >> 16), std::uint8_t(v.color >> 8), std::uint8_t(v.color), 255}, v.tu, v.tv};
    }
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(gl.size() * sizeof(GlVertex)), gl.data(), GL_STATIC_DRAW);
    return buffer;
  }

 private:
  void setUpState() {
    glViewport(0, 0, GLsizei(kWidth), GLsizei(kHeight));
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    // The workloads' triangles run clockwise as seen on screen: make those the front faces.
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GEQUAL, 0.5f);
    glDisable(GL_BLEND);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    std::vector<std::uint32_t> texels = benchTexture();
    std::vector<std::uint8_t> rgba(texels.size() * 4);
    for (std::size_t i = 0; i < texels.size(); ++i) {
      const std::uint32_t c = texels[i];
      const bool keyed = (c & 0xFFFFFF) == 0;
      rgba[i * 4 + 0] = std::uint8_t(c >> 16);
      rgba[i * 4 + 1] = std::uint8_t(c >> 8);
      rgba[i * 4 + 2] = std::uint8_t(c);
      rgba[i * 4 + 3] = keyed ? 0 : 255;
    }
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(kTextureSide), GLsizei(kTextureSide), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glClearColor(0, 0, 0, 1);
  }

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
};

GlContext& context() {
  static GlContext c;
  return c;
}

void run(benchmark::State& state, const std::vector<D3DLVERTEX>& vertices, double pixelsPerFrame) {
  GlContext& gl = context();
  if (!gl.ok()) {
    state.SkipWithError("no OpenGL context (run under Xvfb)");
    return;
  }
  const GLuint buffer = gl.upload(vertices);
  gl.frame(buffer, GLsizei(vertices.size()));  // warm up: shaders are compiled on first use
  for (auto _ : state) gl.frame(buffer, GLsizei(vertices.size()));
  glDeleteBuffers(1, &buffer);
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["Mpixel/s"] =
      benchmark::Counter(double(state.iterations()) * pixelsPerFrame / 1e6, benchmark::Counter::kIsRate);
}

void BM_LlvmpipeFill(benchmark::State& state) {
  run(state, fillWorkload(), double(kFillLayers) * kWidth * kHeight);
}
void BM_LlvmpipeTris(benchmark::State& state) { run(state, trisWorkload(), double(kTriangles) * kTriangleArea); }

BENCHMARK(BM_LlvmpipeFill)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LlvmpipeTris)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velorina::bench

BENCHMARK_MAIN();
