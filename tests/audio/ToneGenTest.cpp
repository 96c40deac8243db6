#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "archive/LittleEndian.h"
#include "audio/FakeWaveOutput.h"
#include "audio/ToneGen.h"

namespace velorina {
namespace {

using testing::FakeWaveOutput;
using testing::RecordingReporter;

std::int16_t sample16(std::span<const std::uint8_t> image, std::size_t index) {
  return loadLE<std::int16_t>(image.data() + TToneGen::kHeaderSize + index * 2);
}

struct ToneGenTest : ::testing::Test {
  FakeWaveOutput output;
  RecordingReporter reporter;
  ToneGenHost host{output, reporter};
};

TEST_F(ToneGenTest, DefaultImageHeaderByteForByte) {
  TToneGen gen(host);
  ASSERT_TRUE(gen.Prepare());
  const auto image = gen.Image();
  ASSERT_EQ(image.size(), 19244u);  // 9600 16-bit samples at 96000 Hz
  const std::array<std::uint8_t, 44> expected = {
      'R', 'I', 'F', 'F', 0x24, 0x4B, 0, 0,  // 19200 + 36
      'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
      0x00, 0x77, 0x01, 0,  // 96000
      0x00, 0xEE, 0x02, 0,  // 192000 bytes per second
      2, 0, 16, 0, 'd', 'a', 't', 'a', 0x00, 0x4B, 0, 0};
  EXPECT_EQ(0, std::memcmp(image.data(), expected.data(), expected.size()));
}

TEST_F(ToneGenTest, EightBitLowQualityHeaderAndSize) {
  TToneGen gen(host);
  gen.SetResolution(TTGResolution::tg8Bit);
  gen.SetQuality(TTGQuality::tgLoQ);
  gen.SetDuration(250);
  ASSERT_TRUE(gen.Prepare());
  const auto image = gen.Image();
  const std::uint32_t samples = 250 * 441 / 10;
  ASSERT_EQ(image.size(), 44u + samples);
  EXPECT_EQ(loadLE<std::uint32_t>(image.data() + 4), samples + 36);
  EXPECT_EQ(loadLE<std::uint32_t>(image.data() + 24), 44100u);
  EXPECT_EQ(loadLE<std::uint32_t>(image.data() + 28), 44100u);
  EXPECT_EQ(loadLE<std::uint16_t>(image.data() + 32), 1u);
  EXPECT_EQ(loadLE<std::uint16_t>(image.data() + 34), 8u);
  EXPECT_EQ(image[44], 127);  // the 8-bit sine starts at mid scale: trunc(255 / 2)
}

TEST_F(ToneGenTest, OddSizedSixteenBitToneKeepsItsDeclaredSize) {
  TToneGen gen(host);
  gen.SetQuality(TTGQuality::tgLoQ);
  gen.SetDuration(15);  // 15 * 2 * 441 / 10 = 1323 bytes: half a sample at the end
  ASSERT_TRUE(gen.Prepare());
  EXPECT_EQ(gen.Image().size(), 44u + 1323u);
  EXPECT_EQ(loadLE<std::uint32_t>(gen.Image().data() + 40), 1323u);
}

TEST_F(ToneGenTest, SettersClampToTheirRangesSilentlyWhenRunning) {
  TToneGen gen(host);
  gen.SetFrequency(30000);
  gen.SetDuration(5);
  gen.SetSustain(120);
  gen.SetAttack(-3);
  gen.SetLeftVolume(101);
  EXPECT_EQ(gen.Frequency(), 20000);
  EXPECT_EQ(gen.Duration(), 10);
  EXPECT_EQ(gen.Sustain(), 100);
  EXPECT_EQ(gen.Attack(), 0);
  EXPECT_EQ(gen.LeftVolume(), 100);
  gen.SetFrequency(0);  // a stored 0 must not reach the period division
  EXPECT_EQ(gen.Frequency(), 20);
  EXPECT_TRUE(gen.Prepare());
  EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(ToneGenTest, SettersReportOutOfRangeValuesWhileDesigning) {
  ToneGenHost designing(output, reporter, DesignMode::Designing);
  TToneGen gen(designing);
  gen.SetFrequency(30000);
  gen.SetDuration(400);
  gen.SetRelease(-1);
  ASSERT_EQ(reporter.messages.size(), 2u);
  EXPECT_EQ(reporter.messages[0].first, "Η τιμή πρέπει να είναι από 20 έως 20000.");
  EXPECT_EQ(reporter.messages[0].second, "Σφάλμα");
  EXPECT_EQ(reporter.messages[1].first, "Η τιμή πρέπει να είναι από 0 έως 100.");
  EXPECT_EQ(gen.Frequency(), 20000);
}

TEST_F(ToneGenTest, UnknownEnumerationValuesTakeTheDefault) {
  TToneGen gen(host);
  gen.SetWaveform(static_cast<TTGWave>(9));
  gen.SetResolution(static_cast<TTGResolution>(7));
  gen.SetQuality(static_cast<TTGQuality>(200));
  EXPECT_EQ(gen.Waveform(), TTGWave::tgSine);
  EXPECT_EQ(gen.Resolution(), TTGResolution::tg16Bit);
  EXPECT_EQ(gen.Quality(), TTGQuality::tgHiQ);
}

// At 7000 Hz a period is 96000 / 7000 = 13.71 samples: periods of 13 and 14
// samples alternate so that period k ends at trunc(k * 13.71).
TEST_F(ToneGenTest, SquarePeriodsAlternateToFollowTheExactFrequency) {
  TToneGen gen(host);
  gen.SetWaveform(TTGWave::tgSquare);
  gen.SetFrequency(7000);
  ASSERT_TRUE(gen.Prepare());
  const auto image = gen.Image();
  const double period = 96000.0 / 7000.0;
  std::size_t start = 0;
  for (int k = 1; k <= 50; ++k) {
    const auto end = static_cast<std::size_t>(k * period);
    const std::size_t half = (end - start) >> 1;
    EXPECT_EQ(sample16(image, start), -32767) << "period " << k;
    EXPECT_EQ(sample16(image, start + half - 1), -32767) << "period " << k;
    EXPECT_EQ(sample16(image, start + half), 32767) << "period " << k;
    EXPECT_EQ(sample16(image, end - 1), 32767) << "period " << k;
    start = end;
  }
}

TEST_F(ToneGenTest, WaveformShapes) {
  TToneGen gen(host);
  gen.SetFrequency(1000);  // 96 samples a period
  ASSERT_TRUE(gen.Prepare());
  EXPECT_EQ(sample16(gen.Image(), 0), 0);
  EXPECT_EQ(sample16(gen.Image(), 24), 16383);  // a quarter period: half of full scale
  EXPECT_EQ(sample16(gen.Image(), 72), -16383);

  gen.SetWaveform(TTGWave::tgTriangle);
  ASSERT_TRUE(gen.Prepare());
  EXPECT_EQ(sample16(gen.Image(), 0), -32767);
  EXPECT_EQ(sample16(gen.Image(), 48), 0);  // rises by 32767 / 48 per sample to the middle
  EXPECT_EQ(sample16(gen.Image(), 96), -32767);

  gen.SetWaveform(TTGWave::tgSawtooth);
  ASSERT_TRUE(gen.Prepare());
  EXPECT_EQ(sample16(gen.Image(), 0), -32767);
  EXPECT_EQ(sample16(gen.Image(), 95), static_cast<std::int16_t>(-32767.0 + 95 * (32767.0 / 96)));
  EXPECT_EQ(sample16(gen.Image(), 96), -32767);
}

TEST_F(ToneGenTest, NoiseComesFromTheProgramsLinearCongruentialGenerator) {
  TToneGen gen(host);
  gen.SetWaveform(TTGWave::tgNoise);
  ASSERT_TRUE(gen.Prepare());
  // seed 1 -> 0; seed 134775814 -> 134775814 * 32768 >> 32 = 1028.
  EXPECT_EQ(sample16(gen.Image(), 0), 0);
  EXPECT_EQ(sample16(gen.Image(), 1), 1028);
}

TEST_F(ToneGenTest, OnlyWaveSettingsMakeTheWaveStale) {
  TToneGen gen(host);
  gen.SetWaveform(TTGWave::tgNoise);  // each synthesis draws new numbers
  gen.Play();
  const std::vector<std::uint8_t> first(gen.Image().begin(), gen.Image().end());
  gen.SetLeftVolume(50);
  gen.SetRightVolume(25);
  gen.Play();
  EXPECT_TRUE(std::equal(first.begin(), first.end(), gen.Image().begin(), gen.Image().end()));
  EXPECT_EQ(output.masterVolume(), (32767u) | (16383u << 16));
  gen.SetDuration(gen.Duration());  // the same value stales nothing
  EXPECT_FALSE(gen.WaveStale());
  gen.SetFrequency(880);
  EXPECT_TRUE(gen.WaveStale());
  gen.Play();
  EXPECT_FALSE(std::equal(first.begin(), first.end(), gen.Image().begin(), gen.Image().end()));
}

TEST_F(ToneGenTest, PlainPlayAfterEnvelopeResynthesises) {
  TToneGen gen(host);
  gen.SetWaveform(TTGWave::tgSquare);
  gen.PlayADSR();
  EXPECT_TRUE(gen.EnvelopeApplied());
  EXPECT_EQ(sample16(gen.Image(), 0), 0);  // the attack starts from silence
  gen.Play();
  EXPECT_FALSE(gen.EnvelopeApplied());
  EXPECT_TRUE(gen.EnvelopeStale());
  EXPECT_EQ(sample16(gen.Image(), 0), -32767);
}

TEST_F(ToneGenTest, PlayModesFollowAsyncAndLoop) {
  TToneGen gen(host);
  EXPECT_FALSE(gen.Play());
  EXPECT_FALSE(gen.Finished());
  gen.SetLoop(true);
  gen.Play();
  gen.SetLoop(false);
  gen.SetAsync(false);
  EXPECT_TRUE(gen.Play());
  EXPECT_TRUE(gen.Finished());
  ASSERT_EQ(output.played.size(), 3u);
  EXPECT_EQ(output.played[0].second, WavePlayMode::Async);
  EXPECT_EQ(output.played[1].second, WavePlayMode::Loop);
  EXPECT_EQ(output.played[2].second, WavePlayMode::Sync);
  EXPECT_EQ(output.played[0].first.size(), 19244u);  // the image without the spare bytes

  gen.SetAsync(true);
  gen.Play();
  const int stops = output.stops;
  gen.Stop();
  EXPECT_EQ(output.stops, stops + 1);
  EXPECT_TRUE(gen.Finished());
}

TEST(ToneGenVolume, MasterVolumeIsRestoredWhenTheLastGeneratorGoes) {
  FakeWaveOutput output(0x12345678u);
  RecordingReporter reporter;
  ToneGenHost host(output, reporter);
  {
    auto first = std::make_unique<TToneGen>(host);
    EXPECT_EQ(output.masterVolume(), 0xFFFFFFFFu);  // the defaults, 100 % each side
    first->SetLeftVolume(0);
    first->PresetVolume();
    {
      TToneGen second(host);
      EXPECT_EQ(host.liveGenerators(), 2);
    }
    EXPECT_EQ(output.masterVolume(), 0xFFFF0000u);  // not restored while one lives
    first.reset();
  }
  EXPECT_EQ(output.masterVolume(), 0x12345678u);
  EXPECT_EQ(host.liveGenerators(), 0);
}

TEST(ToneGenVolume, MonoDeviceLevelIsCopiedToBothSides) {
  FakeWaveOutput output(0x00001234u, VolumeControl::Mono);
  RecordingReporter reporter;
  ToneGenHost host(output, reporter);
  { TToneGen gen(host); }
  EXPECT_EQ(output.masterVolume(), 0x12341234u);
}

TEST(ToneGenVolume, DesigningLeavesTheMasterVolumeAlone) {
  FakeWaveOutput output(0x00010001u);
  RecordingReporter reporter;
  ToneGenHost host(output, reporter, DesignMode::Designing);
  { TToneGen gen(host); }
  EXPECT_EQ(output.volumeSets, 0);
}

}  // namespace
}  // namespace velorina
