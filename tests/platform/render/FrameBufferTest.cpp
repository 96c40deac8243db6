#include "platform/render/software/FrameBuffer.h"

#include <gtest/gtest.h>

#include <random>

namespace velorina::software {
namespace {

// Each channel's samples summed, plus half their count, divided by their count.
std::uint32_t meanOf(const FrameBuffer& fb, std::uint32_t x, std::uint32_t y, const std::vector<std::uint32_t>& samples) {
  const std::uint32_t s = fb.scale(), n = s * s;
  std::uint32_t sum[3] = {};
  for (std::uint32_t j = 0; j < s; ++j) {
    for (std::uint32_t i = 0; i < s; ++i) {
      const std::uint32_t c = samples[(std::size_t(y) * s + j) * fb.sampleWidth() + x * s + i];
      for (int k = 0; k < 3; ++k) sum[k] += (c >> (8 * k)) & 0xFF;
    }
  }
  std::uint32_t out = 0xFF000000u;
  for (int k = 0; k < 3; ++k) out |= ((sum[k] + n / 2) / n) << (8 * k);
  return out;
}

// The 2 x 2 resolve of antialiased frames adds the channels side by side; it must
// give every channel's rounded mean, extremes included, and bands of rows must
// together give the whole picture.
TEST(FrameBuffer, ResolveGivesEachChannelsRoundedMeanInBandsOrWhole) {
  for (const std::uint32_t scale : {2u, 3u}) {
    FrameBuffer fb(37, 11, false);
    fb.setScale(scale);
    std::vector<std::uint32_t> samples(std::size_t(fb.sampleWidth()) * fb.sampleHeight());
    std::mt19937 random(scale);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      // Every fourth pixel row is all white or all black samples: the sums' limits.
      const std::uint32_t row = std::uint32_t(i / fb.sampleWidth()) / scale;
      samples[i] = row % 4 == 1 ? 0xFFFFFFFFu : row % 4 == 3 ? 0x00000000u : random();
    }
    fb.prepare({0, 0, std::int32_t(fb.sampleWidth()), std::int32_t(fb.sampleHeight())});
    for (std::uint32_t y = 0; y < fb.sampleHeight(); ++y) {
      std::copy_n(samples.begin() + std::ptrdiff_t(y) * fb.sampleWidth(), fb.sampleWidth(), fb.colorRow(std::int32_t(y)));
    }
    std::vector<std::uint32_t> whole(37 * 11), bands(37 * 11, 0x12345678u);
    fb.resolve(whole);
    fb.resolveRows(bands, 0, 4);
    fb.resolveRows(bands, 4, 4);   // an empty band writes nothing
    fb.resolveRows(bands, 4, 99);  // a band past the end stops at the last row
    EXPECT_EQ(bands, whole);
    for (std::uint32_t y = 0; y < 11; ++y) {
      for (std::uint32_t x = 0; x < 37; ++x) {
        ASSERT_EQ(whole[y * 37 + x], meanOf(fb, x, y, samples)) << "scale " << scale << " at " << x << ", " << y;
      }
    }
  }
}

// Clears of whole tiles are only noted; whatever reads the samples afterwards
// (prepare, resolve, a change of scale) must see exactly what filling them at once
// would have left, partial clears over noted ones and colour-only or depth-only
// clears included.
TEST(FrameBuffer, NotedClearsReadAsIfCarriedOut) {
  for (const std::uint32_t scale : {1u, 2u, 3u}) {
    FrameBuffer lazy(150, 70, true);
    lazy.setScale(scale);
    const auto w = std::int32_t(lazy.sampleWidth()), h = std::int32_t(lazy.sampleHeight());
    std::vector<std::uint32_t> color(std::size_t(w) * h);
    std::vector<float> depth(color.size());
    auto clear = [&](const SampleRect& r, bool c, bool d, std::uint32_t argb, float z) {
      lazy.clear(r, c, d, argb, z);
      for (std::int32_t y = r.y0; y < r.y1; ++y) {
        for (std::int32_t x = r.x0; x < r.x1; ++x) {
          if (c) color[std::size_t(y) * w + x] = argb;
          if (d) depth[std::size_t(y) * w + x] = z;
        }
      }
    };
    clear({0, 0, w, h}, true, true, 0xFF102030u, 0.5f);
    clear({5, 3, 140, 66}, true, false, 0xFF405060u, 0.0f);  // whole tiles inside, parts at the edges
    clear({64, 0, 128, 64}, false, true, 0, 0.25f);         // exactly one tile's depth
    clear({130, 1, 131, 2}, true, true, 0xFFFFFFFFu, 0.75f);
    // Resolving reads noted clears without carrying them out.
    std::vector<std::uint32_t> resolved(150 * 70);
    lazy.resolve(resolved);
    for (std::uint32_t y = 0; y < 70; ++y) {
      for (std::uint32_t x = 0; x < 150; ++x) {
        ASSERT_EQ(resolved[y * 150 + x], meanOf(lazy, x, y, color)) << "scale " << scale << " at " << x << ", " << y;
      }
    }
    lazy.prepare({0, 0, w, h});
    for (std::int32_t y = 0; y < h; ++y) {
      for (std::int32_t x = 0; x < w; ++x) {
        ASSERT_EQ(lazy.colorRow(y)[x], color[std::size_t(y) * w + x]) << "scale " << scale << " at " << x << ", " << y;
        ASSERT_EQ(lazy.depthRow(y)[x], depth[std::size_t(y) * w + x]) << "scale " << scale << " at " << x << ", " << y;
      }
    }
  }
}

// A noted clear survives a change of scale: the new samples take the cleared
// colour and depth.
TEST(FrameBuffer, ScaleChangeCarriesOutNotedClears) {
  FrameBuffer fb(100, 100, true);
  fb.clear({0, 0, 100, 100}, true, true, 0xFF336699u, 0.5f);
  fb.setScale(2);
  fb.prepare({0, 0, 200, 200});
  EXPECT_EQ(fb.colorRow(199)[199], 0xFF336699u);
  EXPECT_EQ(fb.depthRow(0)[0], 0.5f);
}

}  // namespace
}  // namespace velorina::software
