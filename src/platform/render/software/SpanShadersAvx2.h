#pragma once
// The modulated-texture span loops eight samples at a time with AVX2. They
// compute exactly what the scalar loops compute: the same float steps in the same
// order (correctly rounded division, no fused multiply-add), and integer steps
// arranged differently but giving the same values. Groups with texture
// coordinates far outside the texture go to the scalar loop.

#include "platform/render/software/SpanShaders.h"

namespace velorina::software {

// Whether this processor runs AVX2.
bool hasAvx2();

template <TextureFilter Filter, bool Key, bool Specular, bool Depth, Diffuse Colour>
void modulateSpanAvx2(const PixelPipeline& pipe, const SpanRow& row);

}  // namespace velorina::software
