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

// Where samples are written: sample (x, y) of the target lies at
// color[(y - y0) * stride + (x - x0)], its depth likewise (depth is nullptr
// without a depth buffer). A view of a whole FrameBuffer, or of one tile copied
// out of it.
struct SampleTarget {
  std::uint32_t* color = nullptr;
  float* depth = nullptr;
  std::size_t stride = 0;
  std::int32_t x0 = 0, y0 = 0;
};

enum class Interpolation { Perspective, Affine };
enum class Shading { Gouraud, Flat };

class Rasterizer {
 public:
  // scissor: the samples that may be written (the viewport within the target).
  // The rasterizer prepares the target's tiles (see FrameBuffer) before it
  // touches them.
  void setTarget(FrameBuffer* target, const SampleRect& scissor) {
    frameBuffer_ = target;
    target_ = {target->colorRow(0), target->hasDepth() ? target->depthRow(0) : nullptr, target->stride(), 0, 0};
    scissor_ = scissor;
  }
  // A view whose samples are ready to be drawn on; the scissor lies within it.
  void setTarget(const SampleTarget& target, const SampleRect& scissor) {
    frameBuffer_ = nullptr;
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

  FrameBuffer* frameBuffer_ = nullptr;  // the whole target, when drawing on it directly
  SampleTarget target_;
  SampleRect scissor_;
};

}  // namespace velorina::software
