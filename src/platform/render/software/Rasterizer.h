#pragma once
// Scan conversion of screen-space triangles, lines and points into a FrameBuffer.
//
// Triangles: vertex positions are snapped to 1/16 pixel and tested against pixel
// centres at integer coordinates with exact integer edge functions; a sample on
// an edge belongs to the triangle only when the edge is a top or a left edge, so
// triangles that share an edge cover each sample exactly once. Each row's covered
// span is solved directly from the three edge functions rather than tested
// sample by sample. Attributes are interpolated as a / w and 1 / w across the
// screen and divided per sample (perspective-correct); depth (z / w) is linear in
// screen space.

#include <cstdint>

#include "platform/render/software/Clipper.h"
#include "platform/render/software/FrameBuffer.h"
#include "platform/render/software/PixelPipeline.h"
#include "platform/render/software/SpanShaders.h"

namespace velorina::software {

struct ScreenVertex {
  float x, y;  // samples
  float z;     // depth 0 .. 1 after the viewport's depth range
  float rhw;   // 1 / w
  float attr[kAttributeCount];
};

enum class Interpolation { Perspective, Affine };
enum class Shading { Gouraud, Flat };

class Rasterizer {
 public:
  // scissor: the samples that may be written (the viewport within the target).
  void setTarget(FrameBuffer* target, const SampleRect& scissor) {
    target_ = target;
    scissor_ = scissor;
  }

  // Flat shading takes the colours of `a`.
  void drawTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, const PixelPipeline& pipe,
                    Interpolation interp, Shading shading);
  // Lines and points are `size` samples wide (the supersampling factor), so that
  // they keep their weight after the samples are averaged.
  void drawLine(const ScreenVertex& a, const ScreenVertex& b, const PixelPipeline& pipe, std::int32_t size);
  void drawPoint(const ScreenVertex& v, const PixelPipeline& pipe, std::int32_t size);

 private:
  void writeSample(std::int32_t x, std::int32_t y, float z, const PixelInput& in, const PixelPipeline& pipe);

  FrameBuffer* target_ = nullptr;
  SampleRect scissor_;
};

}  // namespace velorina::software
