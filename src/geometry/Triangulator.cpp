#include "geometry/Triangulator.h"

#include "geometry/EdgeParity.h"

#include <GL/glu.h>

#include <array>
#include <cmath>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>

namespace velorina {

namespace {

using TessCoords = std::array<GLdouble, 3>;

// What the tessellator's callbacks collect. Corner coordinates live in a deque so
// that the pointers handed to GLU stay valid until the polygon ends.
struct TessCollector {
  std::deque<TessCoords> coords;
  std::vector<Point2> corners;
  bool onlyTriangles = true;
  GLenum error = 0;
};

TessCollector& collector(void* data) { return *static_cast<TessCollector*>(data); }

void GLAPIENTRY onBegin(GLenum type, void* data) {
  if (type != GL_TRIANGLES) collector(data).onlyTriangles = false;
}

// Registering an edge-flag callback is what makes GLU emit separate triangles
// instead of fans and strips; the flags themselves are of no use here.
void GLAPIENTRY onEdgeFlag(GLboolean, void*) {}

void GLAPIENTRY onVertex(void* vertex, void* data) {
  const auto* c = static_cast<const GLdouble*>(vertex);
  collector(data).corners.push_back({c[0], c[1]});
}

// Crossing edges meet in a new corner; only its position matters.
void GLAPIENTRY onCombine(GLdouble coords[3], void*[4], GLfloat[4], void** out, void* data) {
  auto& c = collector(data);
  c.coords.push_back({coords[0], coords[1], 0.0});
  *out = c.coords.back().data();
}

void GLAPIENTRY onError(GLenum error, void* data) {
  auto& c = collector(data);
  if (c.error == 0) c.error = error;
}

void GLAPIENTRY onEnd(void*) {}

template <typename F>
void setCallback(GLUtesselator* tess, GLenum which, F* function) {
  gluTessCallback(tess, which, reinterpret_cast<_GLUfuncptr>(function));
}

struct TessDeleter {
  void operator()(GLUtesselator* tess) const noexcept { gluDeleteTess(tess); }
};
using TessPtr = std::unique_ptr<GLUtesselator, TessDeleter>;

TessPtr newTessellator() {
  TessPtr tess(gluNewTess());
  if (!tess) throw std::runtime_error("triangulateOddWinding: the tessellator could not be created");
  setCallback(tess.get(), GLU_TESS_BEGIN_DATA, &onBegin);
  setCallback(tess.get(), GLU_TESS_EDGE_FLAG_DATA, &onEdgeFlag);
  setCallback(tess.get(), GLU_TESS_VERTEX_DATA, &onVertex);
  setCallback(tess.get(), GLU_TESS_COMBINE_DATA, &onCombine);
  setCallback(tess.get(), GLU_TESS_ERROR_DATA, &onError);
  setCallback(tess.get(), GLU_TESS_END_DATA, &onEnd);
  gluTessProperty(tess.get(), GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
  // A fixed normal keeps GLU from guessing the plane (and from failing on
  // contours that are all collinear).
  gluTessNormal(tess.get(), 0.0, 0.0, 1.0);
  return tess;
}

void checkCoordinate(double v) {
  if (!std::isfinite(v) || std::abs(v) > kMaxTriangulatorCoordinate) {
    throw std::invalid_argument("triangulateOddWinding: coordinate " + std::to_string(v) +
                                " is not finite or too large");
  }
}

// The contour without repeated neighbours (the closing point included).
std::vector<Point2> withoutRepeats(const std::vector<Point2>& contour) {
  std::vector<Point2> out;
  out.reserve(contour.size());
  for (const Point2& p : contour) {
    checkCoordinate(p.x);
    checkCoordinate(p.y);
    if (out.empty() || !(out.back() == p)) out.push_back(p);
  }
  while (out.size() > 1 && out.front() == out.back()) out.pop_back();
  return out;
}

double cross(const Point2& a, const Point2& b, const Point2& c) {
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Keeps the triangles that cover something, each turned counter-clockwise.
std::vector<Point2> orientedTriangles(const std::vector<Point2>& corners) {
  std::vector<Point2> out;
  out.reserve(corners.size());
  for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
    const Point2& a = corners[i];
    const Point2& b = corners[i + 1];
    const Point2& c = corners[i + 2];
    const double z = cross(a, b, c);
    if (z == 0.0 || !std::isfinite(z)) continue;
    out.push_back(a);
    out.push_back(z > 0 ? b : c);
    out.push_back(z > 0 ? c : b);
  }
  return out;
}

}  // namespace

std::vector<Point2> triangulateOddWinding(std::span<const std::vector<Point2>> contours) {
  TessCollector collected;
  std::vector<std::vector<Point2>> cleaned;
  cleaned.reserve(contours.size());
  for (const auto& contour : contours) {
    auto c = withoutRepeats(contour);
    if (c.size() >= 3) cleaned.push_back(std::move(c));
  }
  if (cleaned.empty()) return {};
  // The tessellator mishandles edges that overlap along a stretch; such contours are
  // first rewritten without overlaps (the same odd-winding region).
  if (hasOverlappingEdges(cleaned)) {
    cleaned = withoutOverlappingEdges(cleaned);
    if (cleaned.empty()) return {};
  }

  TessPtr tess = newTessellator();
  gluTessBeginPolygon(tess.get(), &collected);
  for (const auto& contour : cleaned) {
    gluTessBeginContour(tess.get());
    for (const Point2& p : contour) {
      collected.coords.push_back({p.x, p.y, 0.0});
      gluTessVertex(tess.get(), collected.coords.back().data(), collected.coords.back().data());
    }
    gluTessEndContour(tess.get());
  }
  gluTessEndPolygon(tess.get());

  if (collected.error != 0) {
    const auto* text = reinterpret_cast<const char*>(gluErrorString(collected.error));
    throw std::runtime_error(std::string("triangulateOddWinding: the tessellator failed: ") +
                             (text ? text : "unknown error"));
  }
  if (!collected.onlyTriangles || collected.corners.size() % 3 != 0) {
    throw std::runtime_error("triangulateOddWinding: the tessellator answered something other than triangles");
  }
  return orientedTriangles(collected.corners);
}

}  // namespace velorina
