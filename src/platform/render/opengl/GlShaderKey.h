#pragma once
// What one member of the OpenGL device's shader family is made for: the choices
// that change the shader's code. Everything else a draw needs (matrix, texture
// factor, alpha reference, pixel offset) stays a uniform. Each distinct key is
// compiled once, so every program does only the work its state needs: llvmpipe
// runs a shader on the CPU and would otherwise pay for every branch not taken.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/render/D3DTypes.h"

namespace velorina {

enum class GlTexturing : std::uint8_t {
  None,     // no texture read: texture arguments read white
  Sampled,  // one filter, applied by the sampler
  Split,    // minification and magnification filters differ: both sampled, one kept per pixel
};

// How colour-keyed texels are kept out of the sample. The uploaded picture has
// keyed texels at (0, 0, 0, 0), so the sampler's weighted sum leaves them out;
// dividing by the weight of the texels that are not keyed renormalises it.
enum class GlKeying : std::uint8_t {
  None,
  InAlpha,  // every texel that is not keyed is opaque: the sampled alpha is that weight
  InMask,   // translucent texels: the weight comes from a second, one-channel texture
};

struct GlShaderKey {
  GlTexturing texturing = GlTexturing::None;
  GlKeying keying = GlKeying::None;
  bool reduceCoordinates = false;  // clamp or mirror addressing: far coordinates wrap first, as the software device does
  D3DTEXTUREOP colorOp = D3DTEXTUREOP::D3DTOP_DISABLE;
  std::uint32_t colorArg1 = 0, colorArg2 = 0;
  D3DTEXTUREOP alphaOp = D3DTEXTUREOP::D3DTOP_DISABLE;
  std::uint32_t alphaArg1 = 0, alphaArg2 = 0;
  bool specular = false;
  bool flatShading = false;
  D3DCMPFUNC alphaFunc = D3DCMPFUNC::D3DCMP_ALWAYS;  // ALWAYS: no alpha test
  bool depthFixUp = false;                           // no clip control: depth 0 .. 1 mapped onto -1 .. 1
  bool operator==(const GlShaderKey&) const = default;
};

// Which arguments an operation reads; the key leaves the others at 0 so that
// states differing only in an unread argument share a program.
constexpr bool glStageReadsArg1(D3DTEXTUREOP op) {
  return op != D3DTEXTUREOP::D3DTOP_DISABLE && op != D3DTEXTUREOP::D3DTOP_SELECTARG2;
}
constexpr bool glStageReadsArg2(D3DTEXTUREOP op) {
  return op != D3DTEXTUREOP::D3DTOP_DISABLE && op != D3DTEXTUREOP::D3DTOP_SELECTARG1;
}

struct GlShaderKeyHash {
  std::size_t operator()(const GlShaderKey& k) const noexcept {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    mix(std::uint64_t(k.texturing));
    mix(std::uint64_t(k.keying));
    mix(k.reduceCoordinates);
    mix(std::uint64_t(k.colorOp));
    mix(k.colorArg1);
    mix(k.colorArg2);
    mix(std::uint64_t(k.alphaOp));
    mix(k.alphaArg1);
    mix(k.alphaArg2);
    mix(k.specular);
    mix(k.flatShading);
    mix(std::uint64_t(k.alphaFunc));
    mix(k.depthFixUp);
    return std::size_t(h);
  }
};

}  // namespace velorina
