#pragma once
// A small rasteriser for the shapes of metafiles: polygons filled by the even-odd
// or the winding rule (a pixel is inside when its centre is), polylines stroked
// with a square pen, and device-independent bitmaps stretched into rectangles.
// No anti-aliasing, as GDI draws them. Coordinates are device pixels.
//
// Work is bounded: every edge visited on every scan line, and every pixel a pen
// stamps, counts against a budget; a picture that exceeds it raises
// EInvalidGraphic rather than keep a loader busy for minutes.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/Bitmap.h"
#include "imaging/Canvas.h"

namespace velorina {

struct PointF {
  double x = 0, y = 0;
};

enum class FillRule { EvenOdd, Winding };

class VectorCanvas {
 public:
  // Draws onto `target` (any pixel format; colours are 0x00RRGGBB).
  VectorCanvas(Bitmap& target, std::string source);

  void fillPolygon(std::span<const PointF> points, FillRule rule, std::uint32_t rgb);
  // Several polygons filled as one shape (holes by the rule).
  void fillPolygons(std::span<const std::span<const PointF>> polygons, FillRule rule, std::uint32_t rgb);
  // A line through the points, `width` pixels wide (at least 1).
  void strokePolyline(std::span<const PointF> points, int width, std::uint32_t rgb, bool closed);
  // Stretches the whole of `image` (or its `from` part) into `to` (clipped).
  void drawImage(const Bitmap& image, Rect from, Rect to);

 private:
  void charge(std::uint64_t work);
  void line(int x0, int y0, int x1, int y1, int width, std::uint32_t rgb);
  void stamp(int x, int y, int width, std::uint32_t rgb);

  Bitmap& target_;
  std::string source_;
  std::uint64_t spent_ = 0;
  std::vector<std::pair<double, int>> crossings_;  // reused per scan line
};

}  // namespace velorina
