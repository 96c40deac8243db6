// The squares of samples the OpenGL device draws points and lines with: they
// must cover exactly the samples the software device writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "platform/render/RenderTestSupport.h"
#include "platform/render/opengl/GlPointExpander.h"

namespace velorina {
namespace {

using testing::vtx;
using Sample = std::pair<int, int>;

constexpr std::uint32_t kSide = 16;

GlPointExpander expander(std::uint32_t scale) {
  GlPointExpander e;
  e.setFrame(D3DMATRIX::identity(), D3DVIEWPORT7{0, 0, kSide, kSide, 0.0f, 1.0f}, scale);
  return e;
}

// The samples the squares cover, read back from their clip-unit corners (the
// vertex shader flips y; squares get no pixel-centre shift).
std::set<Sample> covered(const std::vector<D3DLVERTEX>& out, std::uint32_t scale) {
  std::set<Sample> samples;
  const float side = float(kSide * scale);
  for (std::size_t i = 0; i + 5 < out.size(); i += 6) {
    float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
    for (std::size_t k = i; k < i + 6; ++k) {
      const float x = (out[k].x + 1.0f) * 0.5f * side;
      const float y = (1.0f - out[k].y) * 0.5f * side;
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
    EXPECT_FLOAT_EQ(x1 - x0, float(scale));
    EXPECT_FLOAT_EQ(y1 - y0, float(scale));
    EXPECT_FLOAT_EQ(x0, std::round(x0)) << "a square's corners lie on sample edges";
    for (int y = int(std::lround(y0)); y < int(std::lround(y1)); ++y)
      for (int x = int(std::lround(x0)); x < int(std::lround(x1)); ++x) samples.insert({x, y});
  }
  return samples;
}

TEST(GlPointExpander, PointCoversThePixelOrItsSupersampledBlock) {
  std::vector<D3DLVERTEX> out;
  // Clip x 0.1 is sample 8.8 of 16: the pixel whose centre is nearest, 9.
  expander(1).point(vtx(0.1f, 0.0f, 0.5f, 0xFF102030, 0.25f, 0.75f), 7, out);
  ASSERT_EQ(out.size(), 6u);
  EXPECT_EQ(covered(out, 1), (std::set<Sample>{{9, 8}}));
  for (const D3DLVERTEX& v : out) {
    EXPECT_EQ(v.color, 0xFF102030u);
    EXPECT_EQ(v.dwReserved, 7u);
    EXPECT_FLOAT_EQ(v.tu, 0.25f);
    EXPECT_FLOAT_EQ(v.z, 0.5f);
  }
  out.clear();
  expander(2).point(vtx(0.1f, 0.0f, 0.5f, 0xFF102030), 0, out);
  EXPECT_EQ(covered(out, 2), (std::set<Sample>{{18, 16}, {19, 16}, {18, 17}, {19, 17}}));
}

TEST(GlPointExpander, LineStepsOneSamplePerMajorAxisStep) {
  std::vector<D3DLVERTEX> out;
  // From pixel (2, 8) to pixel (10, 4): nine steps along x, y falling by half a pixel a step.
  const float x0 = (2.0f + 0.0f) / 8.0f - 1.0f, x1 = 10.0f / 8.0f - 1.0f;
  expander(1).line(vtx(x0, 0.0f, 0.5f, 0xFF000000), vtx(x1, 0.5f, 0.5f, 0xFFFF0000), 0, out);
  ASSERT_EQ(out.size(), 9u * 6u);
  const std::set<Sample> s = covered(out, 1);
  EXPECT_EQ(s.size(), 9u);
  EXPECT_TRUE(s.contains({2, 8}));
  EXPECT_TRUE(s.contains({10, 4}));
  // Colour runs from the first end to the second.
  EXPECT_EQ(out.front().color, 0xFF000000u);
  EXPECT_EQ(out.back().color, 0xFFFF0000u);
}

TEST(GlPointExpander, NothingForWhatTheSoftwareDeviceLeavesOut) {
  std::vector<D3DLVERTEX> out;
  const GlPointExpander e = expander(1);
  e.point(vtx(0.0f, 0.0f, -0.5f, 0xFFFFFFFF), 0, out);  // before the near plane
  e.point(vtx(NAN, 0.0f, 0.5f, 0xFFFFFFFF), 0, out);
  e.line(vtx(0.0f, 0.0f, 0.5f, 0xFFFFFFFF), vtx(INFINITY, 0.0f, 0.5f, 0xFFFFFFFF), 0, out);
  e.line(vtx(-0.5f, 0.0f, 1.5f, 0xFFFFFFFF), vtx(0.5f, 0.0f, 2.0f, 0xFFFFFFFF), 0, out);  // beyond the far plane
  EXPECT_TRUE(out.empty());
}

TEST(GlPointExpander, UnfilledTrianglesAreCulledByTheirWindingOnScreen) {
  // Clockwise on screen (y up in clip units, down on screen).
  const D3DLVERTEX a = vtx(-0.5f, 0.5f, 0.5f, 0xFFFFFFFF), b = vtx(0.5f, 0.5f, 0.5f, 0xFFFFFFFF),
                   c = vtx(0.0f, -0.5f, 0.5f, 0xFFFFFFFF);
  const GlPointExpander e = expander(1);
  for (const bool wireframe : {false, true}) {
    std::vector<D3DLVERTEX> cw, ccw, none;
    e.triangle(a, b, c, D3DCULL::D3DCULL_CW, wireframe, 0, cw);
    e.triangle(a, b, c, D3DCULL::D3DCULL_CCW, wireframe, 0, ccw);
    e.triangle(a, b, c, D3DCULL::D3DCULL_NONE, wireframe, 0, none);
    EXPECT_TRUE(cw.empty());
    EXPECT_EQ(ccw.size(), none.size());
    EXPECT_EQ(none.size(), wireframe ? (9u + 9u + 9u) * 6u : 3u * 6u);
  }
}

}  // namespace
}  // namespace velorina
