#pragma once
// The modulated-texture span loops eight samples at a time with AVX2. They
// compute exactly what the scalar loops compute (the same formulas in the same
// order, correctly rounded division, no fused multiply-add), and hand groups with
// texture coordinates far outside the texture to the scalar loop.

#include "platform/render/software/SpanShaders.h"

namespace velorina::software {

// Whether this processor runs AVX2.
bool hasAvx2();

template <TextureFilter Filter, bool Key, bool Specular, bool Depth>
void modulateSpanAvx2(const PixelPipeline& pipe, const SpanRow& row);

}  // namespace velorina::software
