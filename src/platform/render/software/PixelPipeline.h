#pragma once
// What happens to one pixel after rasterisation: texture stage 0, specular add,
// alpha test, depth test and blending. The device decodes its states into a
// PixelPipeline once per draw call; the rasteriser runs it per sample. Nothing
// here allocates.

#include <cstdint>

#include "platform/render/D3DTypes.h"
#include "platform/render/RenderStateBlock.h"

namespace velorina::software {

// Interpolated, already perspective-corrected inputs of one sample; colours are
// in 0 .. 255, texture coordinates in texture units (1.0 = one repetition).
struct PixelInput {
  float r, g, b, a;
  float sr, sg, sb;
  float u, v;
};

// Texture stage 0's texture as the device reads it.
struct TextureSampler {
  const std::uint32_t* texels = nullptr;  // nullptr: no texture bound (reads opaque white)
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool hasKey = false;  // colour keying is on and the texture has a key
  std::uint32_t keyRgb = 0;
  D3DTEXTUREADDRESS addressU = D3DTEXTUREADDRESS::D3DTADDRESS_WRAP;
  D3DTEXTUREADDRESS addressV = D3DTEXTUREADDRESS::D3DTADDRESS_WRAP;

  // Samples at (u, v) with the given filter. Answers false when the sample is
  // colour-keyed away: for point sampling when the texel equals the key; for
  // bilinear sampling when keyed texels carry half or more of the weight. Keyed
  // texels never bleed their colour into the result.
  bool sample(float u, float v, TextureFilter filter, std::uint32_t& argb) const;
};

struct StageArgs {
  std::uint32_t arg1 = D3DTA_TEXTURE;
  std::uint32_t arg2 = D3DTA_CURRENT;
  D3DTEXTUREOP op = D3DTEXTUREOP::D3DTOP_MODULATE;
};

struct PixelPipeline {
  TextureSampler texture;
  TextureFilter filter = TextureFilter::Point;
  bool useTexture = false;  // some argument of an enabled operation reads the texture
  StageArgs color;
  StageArgs alpha{D3DTA_TEXTURE, D3DTA_CURRENT, D3DTEXTUREOP::D3DTOP_SELECTARG1};
  std::uint32_t textureFactor = 0xFFFFFFFFu;
  bool specular = false;
  bool alphaTest = false;
  D3DCMPFUNC alphaFunc = D3DCMPFUNC::D3DCMP_ALWAYS;
  std::uint32_t alphaRef = 0;
  bool depthTest = true;
  bool depthWrite = true;
  D3DCMPFUNC depthFunc = D3DCMPFUNC::D3DCMP_LESSEQUAL;
  bool blend = false;
  D3DBLEND srcBlend = D3DBLEND::D3DBLEND_ONE;
  D3DBLEND destBlend = D3DBLEND::D3DBLEND_ZERO;

  // The stage and specular result for one sample; false when the sample is
  // discarded (colour key or alpha test).
  bool shade(const PixelInput& in, std::uint32_t& argb) const;
  // The blended colour written over dest (an opaque 0xFFRRGGBB target).
  std::uint32_t blendOver(std::uint32_t src, std::uint32_t dest) const;
};

bool compare(D3DCMPFUNC func, float value, float reference);

}  // namespace velorina::software
