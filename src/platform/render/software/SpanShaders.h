#pragma once
// The per-row inner loops of triangle drawing. The general loop runs the whole
// PixelPipeline per sample; specialised loops cover the common configuration
// (a wrapped power-of-two texture modulated by the diffuse colour, no blending,
// no alpha test) with every decision taken once per draw call instead of per
// sample. A specialised loop writes exactly the pixels the general one would.

#include <cstdint>

#include "platform/render/software/Clipper.h"
#include "platform/render/software/PixelPipeline.h"

namespace velorina::software {

// Interpolated quantities, in this order: z, 1/w, then each attribute divided by w.
inline constexpr int kQuantities = 2 + kAttributeCount;
// kQuantities rounded up to whole vectors of four floats.
inline constexpr int kPaddedQuantities = (kQuantities + 3) / 4 * 4;
enum Quantity : int { kZ = 0, kQ = 1, kR, kG, kB, kA, kSpecR, kSpecG, kSpecB, kU, kV };

// How a triangle's diffuse colour varies. Gouraud shading of three equal colours
// is that colour at every sample: it is then taken as it is rather than
// interpolated and divided back (which rounds). White leaves a modulated texel as
// it is, since mul255(x, 255) == x.
enum class Diffuse : std::uint8_t { Interpolated, Constant, White };

struct SpanRow {
  std::uint32_t* color;  // the row's colour samples
  float* depth;          // the row's depth samples, nullptr without depth testing
  std::int32_t lo, hi;   // inclusive range of samples to draw
  alignas(16) float val[kPaddedQuantities];  // the quantities at sample lo (and padding)
  const float* dqdx;            // their change per sample
  float diffuse[4];             // r, g, b, a (0 .. 255) of a Constant or White triangle
};

using SpanFunction = void (*)(const PixelPipeline& pipe, const SpanRow& row);

// The scalar loop for a wrapped power-of-two texture modulated by the diffuse
// colour (optional specular add, no blending), over samples from .. to of the
// row. Instantiated for every combination in SpanShaders.cpp.
template <TextureFilter Filter, bool Key, bool Specular, bool Depth, Diffuse Colour>
void modulateRange(const PixelPipeline& pipe, const SpanRow& row, std::int32_t from, std::int32_t to);

// The fastest loop that draws this pipeline exactly (the general one when no
// specialised loop applies). `depth`: the target has a depth buffer.
// `blackSpecular`: the primitive's specular colour is black at every vertex, so the
// specular add changes nothing and a specialised loop may leave it out.
// `diffuse`: how the primitive's diffuse colour varies (SpanRow::diffuse holds it
// unless Interpolated).
SpanFunction selectSpanFunction(const PixelPipeline& pipe, bool depth, bool blackSpecular = false,
                                Diffuse diffuse = Diffuse::Interpolated);

}  // namespace velorina::software
