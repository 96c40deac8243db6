#include "render/RenderWorkloads.h"

#include <cmath>
#include <random>

namespace velorina::bench {

namespace {

// A vertex at screen position (px, py) in pixels.
D3DLVERTEX atPixel(float px, float py, float z, float u, float v, D3DCOLOR color) {
  return {px * 2.0f / float(kWidth) - 1.0f, 1.0f - py * 2.0f / float(kHeight), z, 0, color, 0, u, v};
}

void addTriangle(std::vector<D3DLVERTEX>& out, const D3DLVERTEX& a, const D3DLVERTEX& b, const D3DLVERTEX& c) {
  out.push_back(a);
  out.push_back(b);
  out.push_back(c);
}

}  // namespace

std::vector<std::uint32_t> benchTexture() {
  std::vector<std::uint32_t> t(kTextureSide * kTextureSide);
  for (std::uint32_t y = 0; y < kTextureSide; ++y) {
    for (std::uint32_t x = 0; x < kTextureSide; ++x) {
      const bool keyed = (x + y * 3) % 8 == 0;
      t[y * kTextureSide + x] =
          keyed ? 0xFF000000u : 0xFF000000u | ((x * 7 + 40) & 0xFF) << 16 | ((y * 5 + 60) & 0xFF) << 8 | 0xA0;
    }
  }
  return t;
}

std::vector<D3DLVERTEX> fillWorkload() {
  std::vector<D3DLVERTEX> v;
  const float w = float(kWidth), h = float(kHeight);
  // One texel per pixel: the 1024-pixel width spans four repetitions.
  const float us = w / float(kTextureSide), vs = h / float(kTextureSide);
  for (int layer = 0; layer < kFillLayers; ++layer) {
    const float z = 0.9f - 0.1f * float(layer);  // back to front
    const D3DCOLOR c = 0xFF000000u | (0xFF - layer * 16) << 16 | 0xC0C0;
    const float o = 0.37f * float(layer);  // shift each layer's texture a little
    const D3DLVERTEX tl = atPixel(0, 0, z, o, o, c), tr = atPixel(w, 0, z, o + us, o, c);
    const D3DLVERTEX bl = atPixel(0, h, z, o, o + vs, c), br = atPixel(w, h, z, o + us, o + vs, c);
    addTriangle(v, tl, tr, bl);
    addTriangle(v, tr, br, bl);
  }
  return v;
}

std::vector<D3DLVERTEX> trisWorkload() {
  std::vector<D3DLVERTEX> v;
  v.reserve(std::size_t(kTriangles) * 3);
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<float> px(0.0f, float(kWidth) - 8.0f), py(0.0f, float(kHeight) - 8.0f);
  std::uniform_real_distribution<float> depth(0.05f, 0.95f), tex(0.0f, 1.0f);
  const float leg = std::sqrt(2.0f * kTriangleArea);  // a right triangle of that area
  const float texLeg = leg / float(kTextureSide);
  for (int i = 0; i < kTriangles; ++i) {
    const float x = px(rng), y = py(rng), z = depth(rng), u = tex(rng), t = tex(rng);
    const D3DCOLOR c = 0xFF000000u | (rng() & 0xFFFFFFu) | 0x404040u;
    addTriangle(v, atPixel(x, y, z, u, t, c), atPixel(x + leg, y, z, u + texLeg, t, c),
                atPixel(x, y + leg, z, u, t + texLeg, c));
  }
  return v;
}

}  // namespace velorina::bench
