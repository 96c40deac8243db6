#include "platform/render/software/SpanShaders.h"

#include <algorithm>

#include "platform/render/software/PixelMath.h"
#include "platform/render/software/SpanShadersAvx2.h"

namespace velorina::software {

namespace {

// Each sample's quantities are evaluated from the row start (start + step * n)
// rather than accumulated, so that every loop, scalar or vector, computes the
// very same values.
inline float at(const SpanRow& row, int q, float n) { return row.val[q] + row.dqdx[q] * n; }

template <bool ConstantDiffuse>
void generalSpan(const PixelPipeline& pipe, const SpanRow& row) {
  for (std::int32_t x = row.lo; x <= row.hi; ++x) {
    const float n = float(x - row.lo);
    const float z = at(row, kZ, n);
    if (row.depth == nullptr || compare(pipe.depthFunc, z, row.depth[x])) {
      const float w = 1.0f / at(row, kQ, n);
      auto diffuse = [&](int q, int k) { return ConstantDiffuse ? row.diffuse[k] : at(row, q, n) * w; };
      const PixelInput in{diffuse(kR, 0),         diffuse(kG, 1),         diffuse(kB, 2),
                          diffuse(kA, 3),         at(row, kSpecR, n) * w, at(row, kSpecG, n) * w,
                          at(row, kSpecB, n) * w, at(row, kU, n) * w,     at(row, kV, n) * w};
      std::uint32_t argb;
      if (pipe.shade(in, argb)) {
        row.color[x] = pipe.blendOver(argb, row.color[x]);
        if (row.depth != nullptr && pipe.depthWrite) row.depth[x] = z;
      }
    }
  }
}

// Samples a wrapped power-of-two texture exactly as TextureSampler::sample does;
// false when the sample is keyed away.
template <TextureFilter Filter, bool Key>
inline bool sampleWrapped(const TextureSampler& t, float u, float v, std::uint32_t& rgb) {
  const std::int32_t wmask = t.width - 1, hmask = t.height - 1;
  if constexpr (Filter == TextureFilter::Point) {
    const std::int32_t x = floorToInt(reduceCoordinate(u) * float(t.width)) & wmask;
    const std::int32_t y = floorToInt(reduceCoordinate(v) * float(t.height)) & hmask;
    rgb = t.texels[std::size_t(y) * t.width + x];
    return !(Key && (rgb & 0xFFFFFFu) == t.keyRgb);
  } else {
    const BilinearTap tu = bilinearTap(u, float(t.width)), tv = bilinearTap(v, float(t.height));
    const std::int32_t x0 = tu.index & wmask, x1 = (tu.index + 1) & wmask;
    const std::size_t r0 = std::size_t(tv.index & hmask) * t.width, r1 = std::size_t((tv.index + 1) & hmask) * t.width;
    const std::uint32_t t0 = t.texels[r0 + x0], t1 = t.texels[r0 + x1], t2 = t.texels[r1 + x0], t3 = t.texels[r1 + x1];
    const std::int32_t wu = tu.weight, wv = tv.weight;
    std::int32_t w0 = (256 - wu) * (256 - wv), w1 = wu * (256 - wv), w2 = (256 - wu) * wv, w3 = wu * wv;
    std::int32_t total = 65536;
    if constexpr (Key) {
      const std::uint32_t k = t.keyRgb;
      std::int32_t keyed = 0;
      if ((t0 & 0xFFFFFFu) == k) keyed += w0, w0 = 0;
      if ((t1 & 0xFFFFFFu) == k) keyed += w1, w1 = 0;
      if ((t2 & 0xFFFFFFu) == k) keyed += w2, w2 = 0;
      if ((t3 & 0xFFFFFFu) == k) keyed += w3, w3 = 0;
      if (keyed >= 32768) return false;
      total -= keyed;
    }
    auto mix = [&](int shift) {
      const std::int32_t sum = std::int32_t((t0 >> shift) & 0xFF) * w0 + std::int32_t((t1 >> shift) & 0xFF) * w1 +
                               std::int32_t((t2 >> shift) & 0xFF) * w2 + std::int32_t((t3 >> shift) & 0xFF) * w3;
      return total == 65536 ? std::uint32_t((sum + 32768) >> 16) : std::uint32_t((sum + total / 2) / total);
    };
    rgb = (mix(16) << 16) | (mix(8) << 8) | mix(0);
    return true;
  }
}

}  // namespace

// Texture times diffuse colour, optional specular add, no blending: the stage
// setup the scene uses for every object. Draws samples from .. to of the row.
template <TextureFilter Filter, bool Key, bool Specular, bool Depth, Diffuse Colour>
void modulateRange(const PixelPipeline& pipe, const SpanRow& row, std::int32_t from, std::int32_t to) {
  const TextureSampler& tex = pipe.texture;
  const bool depthWrite = pipe.depthWrite;
  const std::int32_t constant[3] = {toByte(row.diffuse[0]), toByte(row.diffuse[1]), toByte(row.diffuse[2])};
  for (std::int32_t x = from; x <= to; ++x) {
    const float n = float(x - row.lo);
    const float z = at(row, kZ, n);
    if (Depth && !(z <= row.depth[x])) continue;
    const float w = 1.0f / at(row, kQ, n);
    std::uint32_t texel;
    if (!sampleWrapped<Filter, Key>(tex, at(row, kU, n) * w, at(row, kV, n) * w, texel)) continue;
    auto modulate = [&](std::int32_t channel, int q, int k) {
      if constexpr (Colour == Diffuse::White) return channel;
      if constexpr (Colour == Diffuse::Constant) return mul255(channel, constant[k]);
      return mul255(channel, toByte(at(row, q, n) * w));
    };
    std::int32_t cr = modulate(std::int32_t((texel >> 16) & 0xFF), kR, 0);
    std::int32_t cg = modulate(std::int32_t((texel >> 8) & 0xFF), kG, 1);
    std::int32_t cb = modulate(std::int32_t(texel & 0xFF), kB, 2);
    if constexpr (Specular) {
      cr = std::min(255, cr + toByte(at(row, kSpecR, n) * w));
      cg = std::min(255, cg + toByte(at(row, kSpecG, n) * w));
      cb = std::min(255, cb + toByte(at(row, kSpecB, n) * w));
    }
    row.color[x] = 0xFF000000u | (std::uint32_t(cr) << 16) | (std::uint32_t(cg) << 8) | std::uint32_t(cb);
    if (Depth && depthWrite) row.depth[x] = z;
  }
}

#define VELORINA_MODULATE_RANGE_COLOUR(F, K, S, D, C) \
  template void modulateRange<F, K, S, D, C>(const PixelPipeline&, const SpanRow&, std::int32_t, std::int32_t);
#define VELORINA_MODULATE_RANGE(F, K, S, D)                           \
  VELORINA_MODULATE_RANGE_COLOUR(F, K, S, D, Diffuse::Interpolated) \
  VELORINA_MODULATE_RANGE_COLOUR(F, K, S, D, Diffuse::Constant)     \
  VELORINA_MODULATE_RANGE_COLOUR(F, K, S, D, Diffuse::White)
#define VELORINA_MODULATE_RANGE_DEPTH(F, K, S) VELORINA_MODULATE_RANGE(F, K, S, true) VELORINA_MODULATE_RANGE(F, K, S, false)
#define VELORINA_MODULATE_RANGE_SPEC(F, K) VELORINA_MODULATE_RANGE_DEPTH(F, K, true) VELORINA_MODULATE_RANGE_DEPTH(F, K, false)
#define VELORINA_MODULATE_RANGE_KEY(F) VELORINA_MODULATE_RANGE_SPEC(F, true) VELORINA_MODULATE_RANGE_SPEC(F, false)
VELORINA_MODULATE_RANGE_KEY(TextureFilter::Point)
VELORINA_MODULATE_RANGE_KEY(TextureFilter::Bilinear)
#undef VELORINA_MODULATE_RANGE_KEY
#undef VELORINA_MODULATE_RANGE_SPEC
#undef VELORINA_MODULATE_RANGE_DEPTH
#undef VELORINA_MODULATE_RANGE
#undef VELORINA_MODULATE_RANGE_COLOUR

namespace {

template <TextureFilter Filter, bool Key, bool Specular, bool Depth, Diffuse Colour>
void modulateSpan(const PixelPipeline& pipe, const SpanRow& row) {
  modulateRange<Filter, Key, Specular, Depth, Colour>(pipe, row, row.lo, row.hi);
}

bool isPowerOfTwo(std::int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

bool plainArgument(std::uint32_t arg, std::uint32_t source) { return arg == source; }

// Texture times diffuse in either order, with nothing that reads alpha afterwards.
bool isTextureModulate(const PixelPipeline& p) {
  if (p.color.op != D3DTEXTUREOP::D3DTOP_MODULATE) return false;
  auto isDiffuse = [](std::uint32_t a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
  return (plainArgument(p.color.arg1, D3DTA_TEXTURE) && isDiffuse(p.color.arg2)) ||
         (plainArgument(p.color.arg2, D3DTA_TEXTURE) && isDiffuse(p.color.arg1));
}

template <TextureFilter Filter, bool Key, bool Specular, bool Depth>
SpanFunction pickColour(Diffuse diffuse) {
  using enum Diffuse;
  if (hasAvx2()) {
    switch (diffuse) {
      case Interpolated: return &modulateSpanAvx2<Filter, Key, Specular, Depth, Interpolated>;
      case Constant: return &modulateSpanAvx2<Filter, Key, Specular, Depth, Constant>;
      case White: return &modulateSpanAvx2<Filter, Key, Specular, Depth, White>;
    }
  }
  switch (diffuse) {
    case Interpolated: return &modulateSpan<Filter, Key, Specular, Depth, Interpolated>;
    case Constant: return &modulateSpan<Filter, Key, Specular, Depth, Constant>;
    case White: return &modulateSpan<Filter, Key, Specular, Depth, White>;
  }
  return &modulateSpan<Filter, Key, Specular, Depth, Interpolated>;
}

template <TextureFilter Filter, bool Key, bool Specular>
SpanFunction pickDepth(bool depth, Diffuse diffuse) {
  return depth ? pickColour<Filter, Key, Specular, true>(diffuse) : pickColour<Filter, Key, Specular, false>(diffuse);
}

template <TextureFilter Filter, bool Key>
SpanFunction pickSpecular(bool specular, bool depth, Diffuse diffuse) {
  return specular ? pickDepth<Filter, Key, true>(depth, diffuse) : pickDepth<Filter, Key, false>(depth, diffuse);
}

template <TextureFilter Filter>
SpanFunction pickKey(bool key, bool specular, bool depth, Diffuse diffuse) {
  return key ? pickSpecular<Filter, true>(specular, depth, diffuse)
             : pickSpecular<Filter, false>(specular, depth, diffuse);
}

}  // namespace

SpanFunction selectSpanFunction(const PixelPipeline& p, bool depth, bool blackSpecular, Diffuse diffuse) {
  const TextureSampler& t = p.texture;
  const bool depthTest = depth && p.depthTest;
  const bool fast = p.useTexture && t.texels != nullptr && isPowerOfTwo(t.width) && isPowerOfTwo(t.height) &&
                    t.addressU == D3DTEXTUREADDRESS::D3DTADDRESS_WRAP &&
                    t.addressV == D3DTEXTUREADDRESS::D3DTADDRESS_WRAP && isTextureModulate(p) && !p.blend &&
                    !p.alphaTest && (!depthTest || p.depthFunc == D3DCMPFUNC::D3DCMP_LESSEQUAL);
  if (!fast) return diffuse == Diffuse::Interpolated ? &generalSpan<false> : &generalSpan<true>;
  const bool specular = p.specular && !blackSpecular;
  return p.filter == TextureFilter::Bilinear
             ? pickKey<TextureFilter::Bilinear>(t.hasKey, specular, depthTest, diffuse)
             : pickKey<TextureFilter::Point>(t.hasKey, specular, depthTest, diffuse);
}

}  // namespace velorina::software
