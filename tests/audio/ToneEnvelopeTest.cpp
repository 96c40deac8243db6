#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "archive/LittleEndian.h"
#include "audio/FakeWaveOutput.h"
#include "audio/ToneGen.h"

namespace velorina {
namespace {

using testing::FakeWaveOutput;
using testing::RecordingReporter;

std::vector<std::int64_t> samples16(std::span<const std::uint8_t> image) {
  std::vector<std::int64_t> out;
  for (std::size_t p = TToneGen::kHeaderSize; p + 1 < image.size(); p += 2) out.push_back(loadLE<std::int16_t>(&image[p]));
  return out;
}

// A square wave has full-scale samples everywhere, so the envelope's factor can be
// read straight off the shaped samples.
struct EnvelopeTest : ::testing::Test {
  FakeWaveOutput output;
  RecordingReporter reporter;
  ToneGenHost host{output, reporter};
  TToneGen gen{host};

  void SetUp() override { gen.SetWaveform(TTGWave::tgSquare); }

  std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>> plainAndShaped() {
    EXPECT_TRUE(gen.Prepare());
    auto plain = samples16(gen.Image());
    EXPECT_TRUE(gen.PrepareADSR());
    return {plain, samples16(gen.Image())};
  }
};

// Defaults: 9600 samples; attack 960 samples (0..960), decay 1920 (961..2881),
// sustain 3840 at half level (2882..6722), release the remaining 2877.
TEST_F(EnvelopeTest, DefaultPhasesAndLevels) {
  const auto [plain, shaped] = plainAndShaped();
  ASSERT_EQ(shaped.size(), 9600u);
  EXPECT_EQ(shaped[0], 0);
  EXPECT_EQ(shaped[480], plain[480] * 480 / 960);
  EXPECT_EQ(shaped[960], plain[960]);
  EXPECT_EQ(shaped[961], plain[961]);
  // End of the decay: v - v * 1920 * 50 / (100 * 1920). The product needs 64 bits.
  EXPECT_EQ(shaped[2881], plain[2881] - plain[2881] / 2);
  EXPECT_EQ(shaped[4000], plain[4000] / 2);
  EXPECT_EQ(shaped[6722], plain[6722] / 2);
  EXPECT_EQ(shaped[6723], plain[6723] / 2);  // release j = 0
  EXPECT_EQ(shaped[9599], static_cast<std::int64_t>(plain[9599] * 1 * 0.5 / 2877));
  EXPECT_TRUE(gen.EnvelopeApplied());
  EXPECT_FALSE(gen.EnvelopeStale());
}

TEST_F(EnvelopeTest, OverlongSharesAreScaledAndSustainVanishes) {
  gen.SetAttack(60);
  gen.SetDecay(60);
  gen.SetRelease(30);  // scaled to 40, 40, 20: no room for sustain, so its level is 0
  const auto [plain, shaped] = plainAndShaped();
  EXPECT_EQ(shaped[3840], plain[3840]);  // the attack is 40 % of 9600 samples
  EXPECT_EQ(shaped[3841 + 1920], plain[5761] - plain[5761] / 2);
  EXPECT_EQ(shaped[7681], 0);  // the decay falls all the way to the zero sustain level
  for (std::size_t i = 7682; i < shaped.size(); ++i) ASSERT_EQ(shaped[i], 0) << i;
}

TEST_F(EnvelopeTest, WithoutReleaseTheSustainRunsToTheEnd) {
  gen.SetRelease(0);
  const auto [plain, shaped] = plainAndShaped();
  EXPECT_EQ(shaped[5000], plain[5000] / 2);
  EXPECT_EQ(shaped.back(), plain.back() / 2);
}

TEST_F(EnvelopeTest, EightBitSamplesAreShapedAroundMidScale) {
  gen.SetResolution(TTGResolution::tg8Bit);
  ASSERT_TRUE(gen.PrepareADSR());
  const auto image = gen.Image();
  EXPECT_EQ(image[44], 128);                        // attack from silence
  // Sample 4100 lies in the high half of a period: (255 - 128) at half level.
  EXPECT_EQ(image[44 + 4100], 128 + 63);
  EXPECT_EQ(image[44 + 4000], 128 - 64);  // and 4000 in the low half
}

TEST_F(EnvelopeTest, ChangingTheEnvelopeOnlyReshapes) {
  gen.PlayADSR();
  EXPECT_FALSE(gen.EnvelopeStale());
  gen.SetSustain(80);
  EXPECT_TRUE(gen.EnvelopeStale());
  EXPECT_FALSE(gen.WaveStale());
  gen.PlayADSR();
  EXPECT_EQ(std::abs(samples16(gen.Image())[4000]), static_cast<std::int64_t>(32767 * 0.8));
  EXPECT_FALSE(gen.EnvelopeStale());
}

}  // namespace
}  // namespace velorina
