#include "platform/render/software/PixelPipeline.h"

#include "platform/render/software/PixelMath.h"

#include <algorithm>
#include <cmath>

namespace velorina::software {

namespace {

constexpr std::uint32_t channel(std::uint32_t c, int shift) { return (c >> shift) & 0xFF; }

// Wraps or clamps an integer texel coordinate into 0 .. size-1.
std::int32_t address(std::int32_t i, std::int32_t size, D3DTEXTUREADDRESS mode) {
  switch (mode) {
    case D3DTEXTUREADDRESS::D3DTADDRESS_CLAMP:
    case D3DTEXTUREADDRESS::D3DTADDRESS_BORDER:
      return std::clamp(i, 0, size - 1);
    case D3DTEXTUREADDRESS::D3DTADDRESS_MIRROR: {
      const std::int32_t period = 2 * size;
      std::int32_t m = i % period;
      if (m < 0) m += period;
      return m < size ? m : period - 1 - m;
    }
    case D3DTEXTUREADDRESS::D3DTADDRESS_WRAP:
    default: {
      std::int32_t m = i % size;
      return m < 0 ? m + size : m;
    }
  }
}

struct Rgba {
  std::int32_t r, g, b, a;
};

Rgba unpack(std::uint32_t c) {
  return {std::int32_t(channel(c, 16)), std::int32_t(channel(c, 8)), std::int32_t(channel(c, 0)),
          std::int32_t(channel(c, 24))};
}

// One stage argument: its source, then the complement and alpha-replicate flags.
Rgba argument(std::uint32_t arg, const Rgba& diffuse, const Rgba& specular, const Rgba& texel,
              std::uint32_t factor) {
  Rgba v;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE: v = texel; break;
    case D3DTA_TFACTOR: v = unpack(factor); break;
    case D3DTA_SPECULAR: v = specular; break;
    case D3DTA_DIFFUSE:
    case D3DTA_CURRENT:  // stage 0: the current colour is the diffuse colour
    default: v = diffuse; break;
  }
  if (arg & D3DTA_COMPLEMENT) v = {255 - v.r, 255 - v.g, 255 - v.b, 255 - v.a};
  if (arg & D3DTA_ALPHAREPLICATE) v = {v.a, v.a, v.a, v.a};
  return v;
}

std::int32_t operate(D3DTEXTUREOP op, std::int32_t x, std::int32_t y, std::int32_t current) {
  switch (op) {
    case D3DTEXTUREOP::D3DTOP_SELECTARG1: return x;
    case D3DTEXTUREOP::D3DTOP_SELECTARG2: return y;
    case D3DTEXTUREOP::D3DTOP_MODULATE: return mul255(x, y);
    case D3DTEXTUREOP::D3DTOP_MODULATE2X: return clamp255(2 * mul255(x, y));
    case D3DTEXTUREOP::D3DTOP_MODULATE4X: return clamp255(4 * mul255(x, y));
    case D3DTEXTUREOP::D3DTOP_ADD: return clamp255(x + y);
    case D3DTEXTUREOP::D3DTOP_ADDSIGNED: return clamp255(x + y - 128);
    case D3DTEXTUREOP::D3DTOP_ADDSIGNED2X: return clamp255(2 * (x + y - 128));
    case D3DTEXTUREOP::D3DTOP_SUBTRACT: return clamp255(x - y);
    case D3DTEXTUREOP::D3DTOP_ADDSMOOTH: return clamp255(x + y - mul255(x, y));
    case D3DTEXTUREOP::D3DTOP_DISABLE:
    default: return current;
  }
}

std::int32_t blendFactor(D3DBLEND f, std::int32_t src, std::int32_t srcAlpha, std::int32_t dest,
                         std::int32_t value, bool isSource) {
  // The target has no alpha channel: its alpha reads as fully opaque.
  constexpr std::int32_t destAlpha = 255;
  switch (f) {
    case D3DBLEND::D3DBLEND_ZERO: return 0;
    case D3DBLEND::D3DBLEND_ONE: return value;
    case D3DBLEND::D3DBLEND_SRCCOLOR: return mul255(value, src);
    case D3DBLEND::D3DBLEND_INVSRCCOLOR: return mul255(value, 255 - src);
    case D3DBLEND::D3DBLEND_SRCALPHA: return mul255(value, srcAlpha);
    case D3DBLEND::D3DBLEND_INVSRCALPHA: return mul255(value, 255 - srcAlpha);
    case D3DBLEND::D3DBLEND_DESTALPHA: return mul255(value, destAlpha);
    case D3DBLEND::D3DBLEND_INVDESTALPHA: return mul255(value, 255 - destAlpha);
    case D3DBLEND::D3DBLEND_DESTCOLOR: return mul255(value, dest);
    case D3DBLEND::D3DBLEND_INVDESTCOLOR: return mul255(value, 255 - dest);
    case D3DBLEND::D3DBLEND_SRCALPHASAT: return mul255(value, std::min(srcAlpha, 255 - destAlpha));
    // The "both" factors set the pair at once from the source side's choice.
    case D3DBLEND::D3DBLEND_BOTHSRCALPHA: return mul255(value, isSource ? srcAlpha : 255 - srcAlpha);
    case D3DBLEND::D3DBLEND_BOTHINVSRCALPHA: return mul255(value, isSource ? 255 - srcAlpha : srcAlpha);
  }
  return value;
}

}  // namespace

bool compare(D3DCMPFUNC func, float value, float reference) {
  switch (func) {
    case D3DCMPFUNC::D3DCMP_NEVER: return false;
    case D3DCMPFUNC::D3DCMP_LESS: return value < reference;
    case D3DCMPFUNC::D3DCMP_EQUAL: return value == reference;
    case D3DCMPFUNC::D3DCMP_LESSEQUAL: return value <= reference;
    case D3DCMPFUNC::D3DCMP_GREATER: return value > reference;
    case D3DCMPFUNC::D3DCMP_NOTEQUAL: return value != reference;
    case D3DCMPFUNC::D3DCMP_GREATEREQUAL: return value >= reference;
    case D3DCMPFUNC::D3DCMP_ALWAYS: return true;
  }
  return true;
}

bool TextureSampler::sample(float u, float v, TextureFilter filter, std::uint32_t& argb) const {
  if (texels == nullptr) {
    argb = 0xFFFFFFFFu;
    return true;
  }
  if (filter == TextureFilter::Point) {
    // Texel i covers u from i / width to (i + 1) / width.
    const std::int32_t x = address(floorToInt(reduceCoordinate(u) * float(width)), width, addressU);
    const std::int32_t y = address(floorToInt(reduceCoordinate(v) * float(height)), height, addressV);
    argb = texels[std::size_t(y) * width + x];
    return !(hasKey && (argb & 0xFFFFFFu) == keyRgb);
  }
  const BilinearTap tu = bilinearTap(u, float(width)), tv = bilinearTap(v, float(height));
  const std::int32_t wu = tu.weight, wv = tv.weight;
  const std::int32_t x0 = address(tu.index, width, addressU);
  const std::int32_t x1 = address(tu.index + 1, width, addressU);
  const std::int32_t y0 = address(tv.index, height, addressV);
  const std::int32_t y1 = address(tv.index + 1, height, addressV);
  const std::uint32_t t[4] = {texels[std::size_t(y0) * width + x0], texels[std::size_t(y0) * width + x1],
                              texels[std::size_t(y1) * width + x0], texels[std::size_t(y1) * width + x1]};
  std::int32_t w[4] = {(256 - wu) * (256 - wv), wu * (256 - wv), (256 - wu) * wv, wu * wv};
  std::int32_t total = 65536;
  if (hasKey) {
    std::int32_t keyed = 0;
    for (int i = 0; i < 4; ++i) {
      if ((t[i] & 0xFFFFFFu) == keyRgb) {
        keyed += w[i];
        w[i] = 0;
      }
    }
    if (keyed >= 32768) return false;
    total -= keyed;
  }
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    std::int32_t sum = 0;
    for (int i = 0; i < 4; ++i) sum += std::int32_t(channel(t[i], shift)) * w[i];
    out |= std::uint32_t((sum + total / 2) / total) << shift;
  }
  argb = out;
  return true;
}

bool PixelPipeline::shade(const PixelInput& in, std::uint32_t& argb) const {
  std::uint32_t texel = 0xFFFFFFFFu;
  if (useTexture && !texture.sample(in.u, in.v, filter, texel)) return false;
  const Rgba diffuse{toByte(in.r), toByte(in.g), toByte(in.b), toByte(in.a)};
  const Rgba specularRgba{toByte(in.sr), toByte(in.sg), toByte(in.sb), 255};
  const Rgba t = unpack(texel);
  const Rgba c1 = argument(color.arg1, diffuse, specularRgba, t, textureFactor);
  const Rgba c2 = argument(color.arg2, diffuse, specularRgba, t, textureFactor);
  const Rgba a1 = argument(alpha.arg1, diffuse, specularRgba, t, textureFactor);
  const Rgba a2 = argument(alpha.arg2, diffuse, specularRgba, t, textureFactor);
  std::int32_t r = operate(color.op, c1.r, c2.r, diffuse.r);
  std::int32_t g = operate(color.op, c1.g, c2.g, diffuse.g);
  std::int32_t b = operate(color.op, c1.b, c2.b, diffuse.b);
  const std::int32_t a = operate(alpha.op, a1.a, a2.a, diffuse.a);
  if (specular) {
    r = std::min(255, r + specularRgba.r);
    g = std::min(255, g + specularRgba.g);
    b = std::min(255, b + specularRgba.b);
  }
  if (alphaTest && !compare(alphaFunc, float(a), float(alphaRef))) return false;
  argb = (std::uint32_t(a) << 24) | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
  return true;
}

std::uint32_t PixelPipeline::blendOver(std::uint32_t src, std::uint32_t dest) const {
  if (!blend) return src | 0xFF000000u;
  const std::int32_t sa = std::int32_t(channel(src, 24));
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const auto s = std::int32_t(channel(src, shift));
    const auto d = std::int32_t(channel(dest, shift));
    D3DBLEND df = destBlend;
    if (srcBlend == D3DBLEND::D3DBLEND_BOTHSRCALPHA || srcBlend == D3DBLEND::D3DBLEND_BOTHINVSRCALPHA) df = srcBlend;
    const std::int32_t sv = blendFactor(srcBlend, s, sa, d, s, true);
    const std::int32_t dv = blendFactor(df, s, sa, d, d, false);
    out |= std::uint32_t(clamp255(sv + dv)) << shift;
  }
  return out;
}

}  // namespace velorina::software
