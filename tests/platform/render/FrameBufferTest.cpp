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

}  // namespace
}  // namespace velorina::software
