// The AVX2 span loops against the scalar loops they stand in for, row by row:
// every configuration, texture sizes down to 1 x 1 (where every neighbour
// wraps), dense colour keys (where keyed texels carry any share of the weight),
// partial groups, depth-rejected lanes and rows longer than one run of groups,
// with the diffuse colour interpolated, constant or white. The outputs must be
// identical.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/render/software/SpanShaders.h"
#include "platform/render/software/SpanShadersAvx2.h"

namespace velorina::software {
namespace {

constexpr std::int32_t kRowLength = 160;  // longer than one run of 64 samples

struct TextureCase {
  std::int32_t width, height;
};

class SpanShadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!hasAvx2()) GTEST_SKIP() << "this processor has no AVX2";
  }

  std::mt19937 rng{7031};

  float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }

  // Random colours (alpha included), with about one texel in three black: the
  // key. The first is never black, so that every texture has something to draw.
  std::vector<std::uint32_t> texture(const TextureCase& c) {
    std::vector<std::uint32_t> t(std::size_t(c.width) * c.height);
    for (auto& texel : t) texel = rng() % 3 == 0 ? 0xFF000000u : std::uint32_t(rng());
    t[0] |= 0x00800000u;
    return t;
  }

  // A row whose quantities vary like a perspective span: 1/w stays positive;
  // texture coordinates run over many repetitions, now and then beyond the range
  // the vector loop handles itself.
  SpanRow row(std::uint32_t* color, float* depth, std::vector<float>& steps) {
    SpanRow r{};
    r.color = color;
    r.depth = depth;
    r.lo = std::int32_t(rng() % 16);
    r.hi = std::min(kRowLength - 1, r.lo + std::int32_t(rng() % (rng() % 2 == 0 ? 12 : 140)));
    const float coordinateScale = rng() % 8 == 0 ? 3000.0f : 3.0f;
    for (int q = 0; q < kQuantities; ++q) {
      r.val[q] = uniform(0.0f, 255.0f);
      steps[q] = uniform(-6.0f, 6.0f);
    }
    r.val[kZ] = uniform(0.0f, 1.0f);
    steps[kZ] = uniform(-0.02f, 0.02f);
    r.val[kQ] = uniform(0.5f, 2.0f);
    steps[kQ] = uniform(-0.01f, 0.01f);
    for (int q : {kU, kV}) {
      r.val[q] = uniform(-coordinateScale, coordinateScale);
      steps[q] = uniform(-0.2f, 0.2f);
    }
    r.dqdx = steps.data();
    for (float& c : r.diffuse) c = float(rng() % 256);
    return r;
  }

  // Draws many random rows both ways and counts the differing samples.
  template <TextureFilter Filter, bool Key, bool Specular, bool Depth, Diffuse Colour>
  void expectSameRows(const TextureCase& c) {
    const auto texels = texture(c);
    PixelPipeline pipe;
    pipe.texture.texels = texels.data();
    pipe.texture.width = c.width;
    pipe.texture.height = c.height;
    pipe.texture.hasKey = Key;
    pipe.texture.keyRgb = 0;
    pipe.filter = Filter;
    pipe.useTexture = true;
    pipe.specular = Specular;
    std::vector<float> steps(kQuantities);
    std::size_t differing = 0, drawn = 0;
    for (int i = 0; i < 200; ++i) {
      std::vector<std::uint32_t> colorScalar(kRowLength), colorVector(kRowLength);
      std::vector<float> depthScalar(kRowLength), depthVector(kRowLength);
      for (std::int32_t x = 0; x < kRowLength; ++x) {
        colorScalar[x] = colorVector[x] = 0x12345678u;
        depthScalar[x] = depthVector[x] = uniform(0.0f, 1.2f);
      }
      pipe.depthWrite = rng() % 4 != 0;
      SpanRow scalar = row(colorScalar.data(), Depth ? depthScalar.data() : nullptr, steps);
      if (Colour == Diffuse::White) std::fill(std::begin(scalar.diffuse), std::end(scalar.diffuse), 255.0f);
      SpanRow vector = scalar;
      vector.color = colorVector.data();
      vector.depth = Depth ? depthVector.data() : nullptr;
      modulateRange<Filter, Key, Specular, Depth, Colour>(pipe, scalar, scalar.lo, scalar.hi);
      modulateSpanAvx2<Filter, Key, Specular, Depth, Colour>(pipe, vector);
      for (std::int32_t x = 0; x < kRowLength; ++x) {
        differing += colorScalar[x] != colorVector[x] || depthScalar[x] != depthVector[x];
        drawn += colorScalar[x] != 0x12345678u;
      }
    }
    EXPECT_EQ(differing, 0u) << c.width << " x " << c.height;
    EXPECT_GT(drawn, 500u) << "the rows must draw something to compare";
  }

  template <TextureFilter Filter, bool Key, Diffuse Colour>
  void expectSameRowsForEveryTexture() {
    for (const TextureCase c : {TextureCase{1, 1}, TextureCase{2, 2}, TextureCase{16, 4}, TextureCase{256, 256}}) {
      expectSameRows<Filter, Key, false, true, Colour>(c);
      expectSameRows<Filter, Key, true, true, Colour>(c);
      expectSameRows<Filter, Key, false, false, Colour>(c);
      expectSameRows<Filter, Key, true, false, Colour>(c);
    }
  }

  template <TextureFilter Filter, bool Key>
  void expectSameRowsForEveryTexture() {
    expectSameRowsForEveryTexture<Filter, Key, Diffuse::Interpolated>();
    expectSameRowsForEveryTexture<Filter, Key, Diffuse::Constant>();
    expectSameRowsForEveryTexture<Filter, Key, Diffuse::White>();
  }
};

TEST_F(SpanShadersTest, BilinearVectorLoopMatchesTheScalarLoop) {
  expectSameRowsForEveryTexture<TextureFilter::Bilinear, false>();
}

TEST_F(SpanShadersTest, KeyedBilinearVectorLoopMatchesTheScalarLoop) {
  expectSameRowsForEveryTexture<TextureFilter::Bilinear, true>();
}

TEST_F(SpanShadersTest, PointVectorLoopMatchesTheScalarLoop) {
  expectSameRowsForEveryTexture<TextureFilter::Point, false>();
  expectSameRowsForEveryTexture<TextureFilter::Point, true>();
}

}  // namespace
}  // namespace velorina::software
