#include "imaging/MetafileDecoder.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "archive/LittleEndian.h"
#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "imaging/VectorCanvas.h"

namespace velorina {

namespace {

constexpr double kCoordinateLimit = 1 << 20;  // device coordinates are clamped here
constexpr std::size_t kMaxObjects = 4096;
constexpr std::size_t kMaxSavedStates = 64;

struct Pen {
  bool visible = true;
  double width = 0;  // logical units; 0 is one pixel
  std::uint32_t rgb = 0;
};

struct Brush {
  bool visible = true;
  std::uint32_t rgb = 0xFFFFFF;
};

// A created object: a pen, a brush, or something this renderer does not draw.
struct GdiObject {
  std::optional<Pen> pen;
  std::optional<Brush> brush;
};

// Logical to picture coordinates: window and viewport (origin, extent), then the
// picture's own offset.
struct Mapping {
  double windowOrgX = 0, windowOrgY = 0, windowExtX = 1, windowExtY = 1;
  double viewportOrgX = 0, viewportOrgY = 0, viewportExtX = 1, viewportExtY = 1;
  bool scaled = false;  // false: logical units are device pixels
  double offsetX = 0, offsetY = 0;

  double scaleX() const { return scaled && windowExtX != 0 ? viewportExtX / windowExtX : 1; }
  double scaleY() const { return scaled && windowExtY != 0 ? viewportExtY / windowExtY : 1; }
  PointF map(double x, double y) const {
    PointF p{(x - windowOrgX) * scaleX() + viewportOrgX - offsetX, (y - windowOrgY) * scaleY() + viewportOrgY - offsetY};
    p.x = std::clamp(p.x, -kCoordinateLimit, kCoordinateLimit);
    p.y = std::clamp(p.y, -kCoordinateLimit, kCoordinateLimit);
    return p;
  }
};

struct DrawState {
  Pen pen;
  Brush brush;
  FillRule rule = FillRule::EvenOdd;
  Mapping mapping;
  double currentX = 0, currentY = 0;
};

std::uint32_t fromColorRef(std::uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF); }

Pen penFrom(std::uint32_t style, double width, std::uint32_t colorRef) {
  return Pen{(style & 0xF) != 5, width, fromColorRef(colorRef)};  // PS_NULL = 5
}

Brush brushFrom(std::uint32_t style, std::uint32_t colorRef) {
  return Brush{style != 1, fromColorRef(colorRef)};  // BS_NULL = 1; hatches and patterns drawn solid
}

int roundPixel(double v) { return static_cast<int>(std::lround(std::clamp(v, -kCoordinateLimit, kCoordinateLimit))); }

// Shapes in logical coordinates, drawn with the current pen and brush.
class ShapePainter {
 public:
  ShapePainter(Bitmap& target, const std::string& source) : canvas_(target, source) {}

  DrawState state;

  void polygon(const std::vector<PointF>& logical) { polygons({logical}); }

  void polygons(const std::vector<std::vector<PointF>>& logical) {
    std::vector<std::vector<PointF>> device;
    for (const auto& poly : logical) device.push_back(mapAll(poly));
    std::vector<std::span<const PointF>> spans(device.begin(), device.end());
    if (state.brush.visible) canvas_.fillPolygons(spans, state.rule, state.brush.rgb);
    if (state.pen.visible)
      for (const auto& poly : device) canvas_.strokePolyline(poly, penPixels(), state.pen.rgb, true);
  }

  void polyline(const std::vector<PointF>& logical) {
    if (state.pen.visible) canvas_.strokePolyline(mapAll(logical), penPixels(), state.pen.rgb, false);
  }

  void lineTo(double x, double y) {
    polyline({{state.currentX, state.currentY}, {x, y}});
    state.currentX = x, state.currentY = y;
  }

  void rectangle(double l, double t, double r, double b) {
    PointF a = state.mapping.map(l, t), c = state.mapping.map(r, b);
    double left = std::min(a.x, c.x), right = std::max(a.x, c.x), top = std::min(a.y, c.y), bottom = std::max(a.y, c.y);
    std::vector<PointF> area = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    if (state.brush.visible) canvas_.fillPolygon(area, state.rule, state.brush.rgb);
    // The border lies on the outermost pixels inside the rectangle.
    std::vector<PointF> border = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
    if (state.pen.visible) canvas_.strokePolyline(border, penPixels(), state.pen.rgb, true);
  }

  void ellipse(double l, double t, double r, double b) {
    PointF a = state.mapping.map(l, t), c = state.mapping.map(r, b);
    double cx = (a.x + c.x) / 2, cy = (a.y + c.y) / 2, rx = std::abs(c.x - a.x) / 2, ry = std::abs(c.y - a.y) / 2;
    int segments = std::clamp(static_cast<int>((rx + ry) * 1.6), 16, 512);
    std::vector<PointF> outline;
    for (int i = 0; i < segments; ++i) {
      double angle = 2 * std::numbers::pi * i / segments;
      outline.push_back({cx + rx * std::cos(angle), cy + ry * std::sin(angle)});
    }
    if (state.brush.visible) canvas_.fillPolygon(outline, state.rule, state.brush.rgb);
    if (state.pen.visible) canvas_.strokePolyline(outline, penPixels(), state.pen.rgb, true);
  }

  // A bitmap stretched into a logical rectangle (mirroring is ignored).
  void image(const Bitmap& bitmap, Rect from, double x, double y, double w, double h) {
    PointF a = state.mapping.map(x, y), c = state.mapping.map(x + w, y + h);
    Rect to{roundPixel(std::min(a.x, c.x)), roundPixel(std::min(a.y, c.y)), roundPixel(std::max(a.x, c.x)),
            roundPixel(std::max(a.y, c.y))};
    canvas_.drawImage(bitmap, from, to);
  }

 private:
  std::vector<PointF> mapAll(const std::vector<PointF>& logical) const {
    std::vector<PointF> out;
    out.reserve(logical.size());
    for (const PointF& p : logical) out.push_back(state.mapping.map(p.x, p.y));
    return out;
  }
  int penPixels() const {
    return std::max(1, roundPixel(state.pen.width * std::abs(state.mapping.scaleX())));
  }

  VectorCanvas canvas_;
};

// The part of a DIB's rows a source rectangle names; DIB rows count from the bottom.
Rect dibSource(const Bitmap& dib, int x, int yFromBottom, int w, int h) {
  if (w <= 0 || h <= 0) return boundsOf(dib);
  int top = dib.height() - yFromBottom - h;
  return {x, top, x + w, top + h};
}

Bitmap blankPicture(std::int64_t width, std::int64_t height, const std::string& source) {
  if (width <= 0 || height <= 0 || width > kMaxMetafileSide || height > kMaxMetafileSide) {
    throwInvalidPicture(source, "metafile size " + std::to_string(width) + "x" + std::to_string(height) + " is out of range");
  }
  return Bitmap(static_cast<int>(width), static_cast<int>(height), PixelFormat::Bits24);
}

// ---- WMF ----

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;

// Windows metafile record functions.
enum WmfRecord : std::uint16_t {
  kMetaEof = 0x0000,
  kMetaSaveDc = 0x001E,
  kMetaCreatePalette = 0x00F7,
  kMetaSetPolyFillMode = 0x0106,
  kMetaRestoreDc = 0x0127,
  kMetaSelectObject = 0x012D,
  kMetaDibCreatePatternBrush = 0x0142,
  kMetaDeleteObject = 0x01F0,
  kMetaCreatePatternBrush = 0x01F9,
  kMetaSetWindowOrg = 0x020B,
  kMetaSetWindowExt = 0x020C,
  kMetaLineTo = 0x0213,
  kMetaMoveTo = 0x0214,
  kMetaCreatePenIndirect = 0x02FA,
  kMetaCreateFontIndirect = 0x02FB,
  kMetaCreateBrushIndirect = 0x02FC,
  kMetaPolygon = 0x0324,
  kMetaPolyline = 0x0325,
  kMetaEllipse = 0x0418,
  kMetaRectangle = 0x041B,
  kMetaPolyPolygon = 0x0538,
  kMetaCreateRegion = 0x06FF,
  kMetaDibStretchBlt = 0x0B41,
  kMetaStretchDib = 0x0F43,
};

class WmfReader {
 public:
  WmfReader(std::span<const std::uint8_t> bytes, const std::string& source) : bytes_(bytes), source_(source) {}

  Bitmap decode() {
    ByteReader in(bytes_, source_);
    std::optional<Rect> box;
    int unitsPerInch = 1440;
    if (in.u32() == kPlaceableKey) {
      in.u16();
      box = Rect{in.i16(), in.i16(), in.i16(), in.i16()};
      unitsPerInch = in.u16();
      in.skip(6);
    } else {
      in.seek(0);
    }
    std::size_t headerStart = in.offset();
    std::uint16_t type = in.u16(), headerWords = in.u16();
    if ((type != 1 && type != 2) || headerWords != 9) throwInvalidPicture(source_, "not a Windows metafile");
    in.skip(6);  // version, size in words
    objects_.resize(std::min<std::size_t>(in.u16(), kMaxObjects));
    in.seek(headerStart + 18);

    std::optional<Rect> window = box;
    if (!window) window = findWindow(in);
    if (!window || window->empty()) throwInvalidPicture(source_, "metafile has no size");
    std::int64_t width = box ? std::int64_t{box->width()} * 96 / std::max(1, unitsPerInch) : window->width();
    std::int64_t height = box ? std::int64_t{box->height()} * 96 / std::max(1, unitsPerInch) : window->height();
    Bitmap out = blankPicture(width, height, source_);
    ShapePainter painter(out, source_);
    Mapping& m = painter.state.mapping;
    m.scaled = true;
    m.windowOrgX = window->left, m.windowOrgY = window->top;
    m.windowExtX = window->width(), m.windowExtY = window->height();
    m.viewportExtX = static_cast<double>(width), m.viewportExtY = static_cast<double>(height);
    play(in, painter);
    return out;
  }

 private:
  // A metafile without a placeable header is as large as its window extent.
  std::optional<Rect> findWindow(ByteReader in) {
    int orgX = 0, orgY = 0;
    while (in.remaining() >= 6) {
      std::size_t start = in.offset();
      std::uint64_t bytes = std::uint64_t{in.u32()} * 2;
      std::uint16_t function = in.u16();
      if (bytes < 6 || bytes > in.remaining() + 6) break;
      if (function == kMetaSetWindowOrg && bytes >= 10) orgY = in.i16(), orgX = in.i16();
      if (function == kMetaSetWindowExt && bytes >= 10) {
        int extY = in.i16(), extX = in.i16();
        return Rect{orgX, orgY, orgX + std::abs(extX), orgY + std::abs(extY)};
      }
      in.seek(start + static_cast<std::size_t>(bytes));
    }
    return std::nullopt;
  }

  void play(ByteReader& in, ShapePainter& p) {
    while (in.remaining() >= 6) {
      std::size_t start = in.offset();
      std::uint64_t bytes = std::uint64_t{in.u32()} * 2;
      std::uint16_t function = in.u16();
      if (bytes < 6 || bytes - 6 > in.remaining()) throwInvalidPicture(source_, "metafile record size out of range at byte " + std::to_string(start));
      if (function == kMetaEof) return;
      ByteReader params(in.bytes(static_cast<std::size_t>(bytes - 6)), source_);
      record(function, params, p);
    }
  }

  std::vector<PointF> points(ByteReader& r, std::size_t count) {
    if (count > r.remaining() / 4) throwInvalidPicture(source_, "metafile point count larger than its record");
    std::vector<PointF> out(count);
    for (auto& pt : out) pt.x = r.i16(), pt.y = r.i16();
    return out;
  }

  void create(GdiObject object) {
    auto slot = std::find_if(objects_.begin(), objects_.end(), [](const auto& o) { return !o.has_value(); });
    if (slot != objects_.end()) {
      *slot = object;
    } else if (objects_.size() < kMaxObjects) {
      objects_.push_back(object);
    }
  }

  void record(std::uint16_t function, ByteReader& r, ShapePainter& p) {
    if (stateRecord(function, r, p.state) || objectRecord(function, r, p.state)) return;
    shapeRecord(function, r, p);  // anything else that does not draw is skipped there
  }

  // Window, fill rule, saved states, current position. Coordinates come y first.
  bool stateRecord(std::uint16_t function, ByteReader& r, DrawState& s) {
    switch (function) {
      case kMetaSetPolyFillMode: s.rule = r.u16() == 2 ? FillRule::Winding : FillRule::EvenOdd; return true;
      case kMetaSetWindowOrg: s.mapping.windowOrgY = r.i16(), s.mapping.windowOrgX = r.i16(); return true;
      case kMetaSetWindowExt: s.mapping.windowExtY = r.i16(), s.mapping.windowExtX = r.i16(); return true;
      case kMetaSaveDc:
        if (saved_.size() < kMaxSavedStates) saved_.push_back(s);
        return true;
      case kMetaRestoreDc:
        if (!saved_.empty()) s = saved_.back(), saved_.pop_back();
        return true;
      case kMetaMoveTo: s.currentY = r.i16(), s.currentX = r.i16(); return true;
      default: return false;
    }
  }

  // The object table: every created object takes the lowest free slot, also those
  // this renderer does not draw with, so that later indices stay right.
  bool objectRecord(std::uint16_t function, ByteReader& r, DrawState& s) {
    switch (function) {
      case kMetaCreatePenIndirect: {
        std::uint16_t style = r.u16();
        double width = r.i16();
        r.i16();
        create({penFrom(style, std::abs(width), r.u32()), std::nullopt});
        return true;
      }
      case kMetaCreateBrushIndirect: {
        std::uint16_t style = r.u16();
        create({std::nullopt, brushFrom(style, r.u32())});
        return true;
      }
      case kMetaCreatePalette:
      case kMetaCreatePatternBrush:
      case kMetaDibCreatePatternBrush:
      case kMetaCreateFontIndirect:
      case kMetaCreateRegion: create({}); return true;
      case kMetaSelectObject: {
        std::size_t i = r.u16();
        if (i < objects_.size() && objects_[i]) {
          if (objects_[i]->pen) s.pen = *objects_[i]->pen;
          if (objects_[i]->brush) s.brush = *objects_[i]->brush;
        }
        return true;
      }
      case kMetaDeleteObject: {
        std::size_t i = r.u16();
        if (i < objects_.size()) objects_[i].reset();
        return true;
      }
      default: return false;
    }
  }

  void shapeRecord(std::uint16_t function, ByteReader& r, ShapePainter& p) {
    switch (function) {
      case kMetaLineTo: {
        double y = r.i16(), x = r.i16();
        p.lineTo(x, y);
        break;
      }
      case kMetaRectangle:
      case kMetaEllipse: {
        double b = r.i16(), rt = r.i16(), t = r.i16(), l = r.i16();
        function == kMetaRectangle ? p.rectangle(l, t, rt, b) : p.ellipse(l, t, rt, b);
        break;
      }
      case kMetaPolygon: p.polygon(points(r, static_cast<std::size_t>(std::max<int>(0, r.i16())))); break;
      case kMetaPolyline: p.polyline(points(r, static_cast<std::size_t>(std::max<int>(0, r.i16())))); break;
      case kMetaPolyPolygon: polyPolygon(r, p); break;
      case kMetaStretchDib:  // raster operation, colour usage, then as below
        r.skip(6);
        stretch(r, p);
        break;
      case kMetaDibStretchBlt:  // raster operation, then as below
        if (r.size() <= 22) break;  // without a bitmap it only fills with a raster operation
        r.skip(4);
        stretch(r, p);
        break;
      default: break;
    }
  }

  void polyPolygon(ByteReader& r, ShapePainter& p) {
    std::size_t count = r.u16();
    if (count > r.remaining() / 2) throwInvalidPicture(source_, "metafile polygon count larger than its record");
    std::vector<std::size_t> sizes(count);
    for (auto& n : sizes) n = r.u16();
    std::vector<std::vector<PointF>> polys;
    for (std::size_t n : sizes) polys.push_back(points(r, n));
    p.polygons(polys);
  }

  // Source height, width, y, x; destination height, width, y, x; the DIB.
  void stretch(ByteReader& r, ShapePainter& p) {
    int srcH = r.i16(), srcW = r.i16(), srcY = r.i16(), srcX = r.i16();
    int dstH = r.i16(), dstW = r.i16(), dstY = r.i16(), dstX = r.i16();
    Bitmap dib = readDib(r.bytes(r.remaining()), source_);
    p.image(dib, dibSource(dib, srcX, srcY, srcW, srcH), dstX, dstY, dstW, dstH);
  }

  std::span<const std::uint8_t> bytes_;
  const std::string& source_;
  std::vector<std::optional<GdiObject>> objects_;
  std::vector<DrawState> saved_;
};

// ---- EMF ----

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"

// Enhanced metafile record types.
enum EmfRecord : std::uint32_t {
  kEmrHeader = 1,
  kEmrPolygon = 3,
  kEmrPolyline = 4,
  kEmrPolylineTo = 6,
  kEmrPolyPolygon = 8,
  kEmrSetWindowExtEx = 9,
  kEmrSetWindowOrgEx = 10,
  kEmrSetViewportExtEx = 11,
  kEmrSetViewportOrgEx = 12,
  kEmrEof = 14,
  kEmrSetMapMode = 17,
  kEmrSetPolyFillMode = 19,
  kEmrMoveToEx = 27,
  kEmrSaveDc = 33,
  kEmrRestoreDc = 34,
  kEmrSelectObject = 37,
  kEmrCreatePen = 38,
  kEmrCreateBrushIndirect = 39,
  kEmrDeleteObject = 40,
  kEmrEllipse = 42,
  kEmrRectangle = 43,
  kEmrLineTo = 54,
  kEmrStretchDibits = 81,
  kEmrPolygon16 = 86,
  kEmrPolyline16 = 87,
  kEmrPolylineTo16 = 89,
  kEmrPolyPolygon16 = 91,
  kEmrExtCreatePen = 95,
};

class EmfReader {
 public:
  EmfReader(std::span<const std::uint8_t> bytes, const std::string& source) : bytes_(bytes), source_(source) {}

  Bitmap decode() {
    ByteReader in(bytes_, source_);
    if (in.u32() != kEmrHeader) throwInvalidPicture(source_, "not an enhanced metafile");
    std::uint32_t headerSize = in.u32();
    std::int32_t left = in.i32(), top = in.i32(), right = in.i32(), bottom = in.i32();
    in.skip(16);  // frame
    if (in.u32() != kEmfSignature) throwInvalidPicture(source_, "not an enhanced metafile");
    in.skip(12);
    objects_.resize(std::min<std::size_t>(in.u16(), kMaxObjects));
    Bitmap out = blankPicture(std::int64_t{right} - left + 1, std::int64_t{bottom} - top + 1, source_);
    ShapePainter painter(out, source_);
    painter.state.mapping.offsetX = left, painter.state.mapping.offsetY = top;
    painter.state.brush = {true, 0xFFFFFF};  // the device context starts with the white brush and black pen
    if (headerSize < 8 || headerSize > bytes_.size()) throwInvalidPicture(source_, "metafile header size out of range");
    in.seek(headerSize);
    play(in, painter);
    return out;
  }

 private:
  void play(ByteReader& in, ShapePainter& p) {
    while (in.remaining() >= 8) {
      std::size_t start = in.offset();
      std::uint32_t type = in.u32(), size = in.u32();
      if (size < 8 || size - 8 > in.remaining()) throwInvalidPicture(source_, "metafile record size out of range at byte " + std::to_string(start));
      if (type == kEmrEof) return;
      auto body = in.bytes(size - 8);
      ByteReader r(body, source_);
      record(type, r, p, bytes_.subspan(start, size));
    }
  }

  std::vector<PointF> points(ByteReader& r, std::size_t count, bool small) {
    if (count > r.remaining() / (small ? 4 : 8)) throwInvalidPicture(source_, "metafile point count larger than its record");
    std::vector<PointF> out(count);
    for (auto& pt : out) {
      if (small) {
        pt.x = r.i16(), pt.y = r.i16();
      } else {
        pt.x = r.i32(), pt.y = r.i32();
      }
    }
    return out;
  }

  void select(std::uint32_t handle, DrawState& s) {
    if (handle & 0x80000000u) {  // stock objects
      switch (handle & 0x7FFFFFFF) {
        case 0: s.brush = {true, 0xFFFFFF}; break;
        case 1: s.brush = {true, 0xC0C0C0}; break;
        case 2: s.brush = {true, 0x808080}; break;
        case 3: s.brush = {true, 0x404040}; break;
        case 4: s.brush = {true, 0x000000}; break;
        case 5: s.brush.visible = false; break;
        case 6: s.pen = {true, 0, 0xFFFFFF}; break;
        case 7: s.pen = {true, 0, 0x000000}; break;
        case 8: s.pen.visible = false; break;
        default: break;
      }
      return;
    }
    if (handle < objects_.size() && objects_[handle]) {
      if (objects_[handle]->pen) s.pen = *objects_[handle]->pen;
      if (objects_[handle]->brush) s.brush = *objects_[handle]->brush;
    }
  }

  void store(std::uint32_t handle, GdiObject object) {
    if (handle < objects_.size()) objects_[handle] = object;
  }

  void record(std::uint32_t type, ByteReader& r, ShapePainter& p, std::span<const std::uint8_t> whole) {
    if (stateRecord(type, r, p.state) || objectRecord(type, r, p.state)) return;
    shapeRecord(type, r, p, whole);  // anything else that does not draw is skipped there
  }

  // Mapping, fill rule, saved states, current position.
  bool stateRecord(std::uint32_t type, ByteReader& r, DrawState& s) {
    Mapping& m = s.mapping;
    switch (type) {
      case kEmrSetWindowExtEx: m.windowExtX = r.i32(), m.windowExtY = r.i32(); return true;
      case kEmrSetWindowOrgEx: m.windowOrgX = r.i32(), m.windowOrgY = r.i32(); return true;
      case kEmrSetViewportExtEx: m.viewportExtX = r.i32(), m.viewportExtY = r.i32(); return true;
      case kEmrSetViewportOrgEx: m.viewportOrgX = r.i32(), m.viewportOrgY = r.i32(); return true;
      case kEmrSetMapMode: {  // MM_ISOTROPIC (7) and MM_ANISOTROPIC (8) use the extents
        std::uint32_t mode = r.u32();
        m.scaled = mode == 7 || mode == 8;
        return true;
      }
      case kEmrSetPolyFillMode: s.rule = r.u32() == 2 ? FillRule::Winding : FillRule::EvenOdd; return true;
      case kEmrSaveDc:
        if (saved_.size() < kMaxSavedStates) saved_.push_back(s);
        return true;
      case kEmrRestoreDc:  // a negative count of states back
        for (std::int32_t back = r.i32(); back < 0 && !saved_.empty(); ++back) s = saved_.back(), saved_.pop_back();
        return true;
      case kEmrMoveToEx: s.currentX = r.i32(), s.currentY = r.i32(); return true;
      default: return false;
    }
  }

  // Pens and brushes: creation, selection, deletion.
  bool objectRecord(std::uint32_t type, ByteReader& r, DrawState& s) {
    switch (type) {
      case kEmrCreatePen: {
        std::uint32_t handle = r.u32(), style = r.u32();
        double width = r.i32();
        r.i32();
        store(handle, {penFrom(style, std::abs(width), r.u32()), std::nullopt});
        return true;
      }
      case kEmrExtCreatePen: {
        std::uint32_t handle = r.u32();
        r.skip(16);  // pattern bitmap offsets and sizes
        std::uint32_t style = r.u32(), width = r.u32(), brushStyle = r.u32(), colour = r.u32();
        store(handle, {penFrom(brushStyle == 1 ? 5 : style, width, colour), std::nullopt});
        return true;
      }
      case kEmrCreateBrushIndirect: {
        std::uint32_t handle = r.u32(), style = r.u32();
        store(handle, {std::nullopt, brushFrom(style, r.u32())});
        return true;
      }
      case kEmrSelectObject: select(r.u32(), s); return true;
      case kEmrDeleteObject: {
        std::uint32_t handle = r.u32();
        if (handle < objects_.size()) objects_[handle].reset();
        return true;
      }
      default: return false;
    }
  }

  void shapeRecord(std::uint32_t type, ByteReader& r, ShapePainter& p, std::span<const std::uint8_t> whole) {
    switch (type) {
      case kEmrLineTo: {
        double x = r.i32(), y = r.i32();
        p.lineTo(x, y);
        break;
      }
      case kEmrRectangle:
      case kEmrEllipse: {
        double l = r.i32(), t = r.i32(), rt = r.i32(), b = r.i32();
        type == kEmrRectangle ? p.rectangle(l, t, rt, b) : p.ellipse(l, t, rt, b);
        break;
      }
      case kEmrPolygon:
      case kEmrPolygon16:
      case kEmrPolyline:
      case kEmrPolyline16: {
        r.skip(16);  // bounds
        auto pts = points(r, r.u32(), type == kEmrPolygon16 || type == kEmrPolyline16);
        (type == kEmrPolygon || type == kEmrPolygon16) ? p.polygon(pts) : p.polyline(pts);
        break;
      }
      case kEmrPolylineTo:
      case kEmrPolylineTo16: polylineTo(r, p, type == kEmrPolylineTo16); break;
      case kEmrPolyPolygon:
      case kEmrPolyPolygon16: polyPolygon(r, p, type == kEmrPolyPolygon16); break;
      case kEmrStretchDibits: stretchDibits(r, p, whole); break;
      default: break;
    }
  }

  // A polyline from the current position, which moves to its last point.
  void polylineTo(ByteReader& r, ShapePainter& p, bool small) {
    r.skip(16);
    auto pts = points(r, r.u32(), small);
    if (pts.empty()) return;
    DrawState& s = p.state;
    pts.insert(pts.begin(), PointF{s.currentX, s.currentY});
    p.polyline(pts);
    s.currentX = pts.back().x, s.currentY = pts.back().y;
  }

  void polyPolygon(ByteReader& r, ShapePainter& p, bool small) {
    r.skip(16);
    std::size_t count = r.u32();
    r.u32();  // total points
    if (count > r.remaining() / 4) throwInvalidPicture(source_, "metafile polygon count larger than its record");
    std::vector<std::size_t> sizes(count);
    for (auto& n : sizes) n = r.u32();
    std::vector<std::vector<PointF>> polys;
    for (std::size_t n : sizes) polys.push_back(points(r, n, small));
    p.polygons(polys);
  }

  void stretchDibits(ByteReader& r, ShapePainter& p, std::span<const std::uint8_t> whole) {
    r.skip(16);
    std::int32_t dstX = r.i32(), dstY = r.i32(), srcX = r.i32(), srcY = r.i32(), srcW = r.i32(), srcH = r.i32();
    std::uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    r.skip(8);  // usage, raster operation
    std::int32_t dstW = r.i32(), dstH = r.i32();
    if (cbBmi == 0 || offBmi >= whole.size() || offBits < offBmi || offBits > whole.size() ||
        cbBits > whole.size() - offBits || cbBmi > offBits - offBmi) {
      throwInvalidPicture(source_, "metafile bitmap lies outside its record");
    }
    Bitmap dib = readDib(whole.subspan(offBmi, offBits - offBmi + cbBits), source_, offBits - offBmi);
    p.image(dib, dibSource(dib, srcX, srcY, srcW, srcH), dstX, dstY, dstW, dstH);
  }

  std::span<const std::uint8_t> bytes_;
  const std::string& source_;
  std::vector<std::optional<GdiObject>> objects_;
  std::vector<DrawState> saved_;
};

}  // namespace

Bitmap decodeWmf(std::span<const std::uint8_t> bytes, const std::string& source) {
  return guardPictureReads([&] {
    return WmfReader(bytes, source).decode();
  });
}

Bitmap decodeEmf(std::span<const std::uint8_t> bytes, const std::string& source) {
  return guardPictureReads([&] {
    return EmfReader(bytes, source).decode();
  });
}

}  // namespace velorina
