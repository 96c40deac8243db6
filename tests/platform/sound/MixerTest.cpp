#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/sound/SoundDevice.h"
#include "platform/sound/WaveBuilder.h"
#include "platform/sound/capture/CaptureAudioOutput.h"

namespace velorina {
namespace {

using testing::pcm16Wave;

constexpr int kOutputRate = 48000;

struct MixerTest : ::testing::Test {
  CaptureAudioOutput* capture = nullptr;
  std::unique_ptr<SoundDevice> device;

  void SetUp() override {
    auto output = std::make_unique<CaptureAudioOutput>(kOutputRate);
    capture = output.get();
    device = std::make_unique<SoundDevice>(std::move(output));
  }

  std::unique_ptr<SoundBuffer> buffer(const std::vector<std::int16_t>& samples, int rate = kOutputRate,
                                      int channels = 1) {
    return device->createBuffer(WaveReader::openMemory(pcm16Wave(samples, rate, channels)));
  }
};

// 16384 / 32768: a steady half-scale signal.
const std::vector<std::int16_t> kHalfScale(20000, 16384);

std::vector<std::int16_t> ramp(int count) {
  std::vector<std::int16_t> out(count);
  for (int i = 0; i < count; ++i) out[i] = static_cast<std::int16_t>(i * 8);
  return out;
}

int zeroCrossings(const std::vector<float>& stereo) {
  int count = 0;
  for (std::size_t i = 2; i < stereo.size(); i += 2) count += (stereo[i - 2] < 0) != (stereo[i] < 0);
  return count;
}

TEST_F(MixerTest, VolumeIsInHundredthsOfADecibel) {
  auto sound = buffer(kHalfScale);
  sound->play();
  EXPECT_NEAR(capture->render(64)[100], 0.5f, 1e-4);
  sound->setVolume(-600);
  const auto quieter = capture->render(64);
  EXPECT_NEAR(quieter[0], 0.5 * std::pow(10.0, -0.3), 1e-4);
  EXPECT_NEAR(quieter[1], 0.5 * std::pow(10.0, -0.3), 1e-4);
  sound->setVolume(-10000);
  EXPECT_EQ(capture->render(64)[10], 0.0f);
  sound->setVolume(300);  // above full scale is clamped
  EXPECT_EQ(sound->volume(), 0);
}

TEST_F(MixerTest, PanAttenuatesTheOtherSideInDecibels) {
  auto sound = buffer(kHalfScale);
  sound->play();
  sound->setPan(10000);
  auto out = capture->render(16);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_NEAR(out[1], 0.5f, 1e-4);
  sound->setPan(-2000);  // right side 20 dB down
  out = capture->render(16);
  EXPECT_NEAR(out[0], 0.5f, 1e-4);
  EXPECT_NEAR(out[1], 0.05f, 1e-4);
}

TEST_F(MixerTest, FrequencyChangeIsHeardAsAPitchChange) {
  std::vector<std::int16_t> sine(48000);
  for (int i = 0; i < 48000; ++i) sine[i] = static_cast<std::int16_t>(10000 * std::sin(2 * std::numbers::pi * 1000.0 * (i + 0.5) / 48000));
  auto sound = buffer(sine);
  sound->play();
  EXPECT_NEAR(zeroCrossings(capture->render(4800)), 200, 2);  // 1000 Hz for 0.1 s
  sound->setFrequency(24000);
  EXPECT_NEAR(zeroCrossings(capture->render(4800)), 100, 2);  // an octave down
  EXPECT_EQ(sound->frequency(), 24000);
  sound->setFrequency(0);
  EXPECT_EQ(sound->frequency(), 48000);
  sound->setFrequency(50);
  EXPECT_EQ(sound->frequency(), SoundBuffer::kFrequencyMin);
  sound->setFrequency(1'000'000);
  EXPECT_EQ(sound->frequency(), SoundBuffer::kFrequencyMax);
}

TEST_F(MixerTest, WavesAreResampledFromTheirOwnRate) {
  std::vector<std::int16_t> sine(22050);
  for (int i = 0; i < 22050; ++i) sine[i] = static_cast<std::int16_t>(10000 * std::sin(2 * std::numbers::pi * 441.0 * (i + 0.5) / 22050));
  auto sound = buffer(sine, 22050);
  EXPECT_EQ(sound->baseFrequency(), 22050);
  sound->play();
  EXPECT_NEAR(zeroCrossings(capture->render(24000)), 441, 2);  // 441 Hz for half a second
}

// A ramp resampled by linear interpolation stays a ramp: every output frame, across
// the refills of the voice's block of decoded frames, lies on the line.
TEST_F(MixerTest, ResamplingFollowsTheWaveAcrossRefills) {
  constexpr int kFrames = 9000;
  std::vector<std::int16_t> mono(kFrames), stereo(2 * kFrames);
  for (int i = 0; i < kFrames; ++i) {
    mono[i] = static_cast<std::int16_t>(i * 3);
    stereo[2 * i] = static_cast<std::int16_t>(i * 3);
    stereo[2 * i + 1] = static_cast<std::int16_t>(-i * 2);
  }
  auto left = buffer(mono, 22050);
  auto both = buffer(stereo, 22050, 2);
  left->setPan(-10000);  // the mono ramp on the left only
  both->setPan(10000);   // the stereo ramp's right side on the right only
  left->play();
  both->play();
  const auto out = capture->render(19000);  // about 8700 source frames
  for (std::size_t f = 0; f < 19000; ++f) {
    const double source = f * 22050.0 / 48000.0;
    ASSERT_NEAR(out[2 * f], source * 3 / 32768.0, 2e-5) << f;
    ASSERT_NEAR(out[2 * f + 1], -source * 2 / 32768.0, 2e-5) << f;
  }
}

TEST_F(MixerTest, WithoutLoopingPlaybackEndsAndStartsOverOnTheNextPlay) {
  auto sound = buffer(std::vector<std::int16_t>(100, 16384));
  sound->play();
  const auto out = capture->render(300);
  EXPECT_NEAR(out[2 * 99], 0.5f, 1e-4);
  for (std::size_t f = 101; f < 300; ++f) ASSERT_EQ(out[2 * f], 0.0f) << f;
  EXPECT_FALSE(sound->isPlaying());
  EXPECT_EQ(sound->position(), 0);
  sound->play();
  EXPECT_NEAR(capture->render(10)[0], 0.5f, 1e-4);
}

TEST_F(MixerTest, LoopingRunsSeamlessly) {
  auto sound = buffer(std::vector<std::int16_t>(100, 16384));
  sound->setLoop(LoopMode::Loop);
  sound->play();
  const auto out = capture->render(5050);
  for (std::size_t f = 0; f < 5050; ++f) ASSERT_NEAR(out[2 * f], 0.5f, 1e-4) << f;
  EXPECT_TRUE(sound->isPlaying());
  EXPECT_EQ(sound->position(), 50);
}

TEST_F(MixerTest, StopKeepsThePositionAndSetPositionMovesIt) {
  auto sound = buffer(ramp(2000));
  sound->play();
  capture->render(100);
  sound->stop();
  EXPECT_EQ(capture->render(10)[0], 0.0f);
  EXPECT_EQ(sound->position(), 100);
  sound->play();
  EXPECT_FLOAT_EQ(capture->render(1)[0], 100 * 8 / 32768.0f);
  sound->setPosition(1500);
  EXPECT_EQ(sound->position(), 1500);
  EXPECT_FLOAT_EQ(capture->render(1)[0], 1500 * 8 / 32768.0f);
  sound->setPosition(1'000'000);  // past the end: clamped to the end
  EXPECT_EQ(sound->position(), 2000);
}

TEST_F(MixerTest, StereoWavesKeepTheirSidesAndVoicesAdd) {
  std::vector<std::int16_t> stereo;
  for (int i = 0; i < 1000; ++i) stereo.insert(stereo.end(), {16384, -8192});
  auto a = buffer(stereo, kOutputRate, 2);
  auto b = buffer(kHalfScale);
  a->play();
  b->play();
  b->setVolume(-10000);
  auto out = capture->render(8);
  EXPECT_NEAR(out[0], 0.5f, 1e-4);
  EXPECT_NEAR(out[1], -0.25f, 1e-4);
  b->setVolume(0);
  out = capture->render(8);
  EXPECT_NEAR(out[0], 1.0f, 1e-4);
  EXPECT_NEAR(out[1], 0.25f, 1e-4);
}

TEST_F(MixerTest, MasterVolumeScalesEachSide) {
  auto sound = buffer(kHalfScale);
  sound->play();
  device->setMasterVolume(0x0000FFFFu);  // left full, right off
  auto out = capture->render(8);
  EXPECT_NEAR(out[0], 0.5f, 1e-4);
  EXPECT_EQ(out[1], 0.0f);
  device->setMasterVolume(0xFFFF8000u);
  out = capture->render(8);
  EXPECT_NEAR(out[0], 0.25f, 1e-3);
  EXPECT_EQ(device->masterVolume(), 0xFFFF8000u);
}

TEST_F(MixerTest, WaveImagesPlayFromMemoryOneAtATime) {
  const auto image = pcm16Wave(kHalfScale, kOutputRate);
  EXPECT_TRUE(device->playWaveImage(image, WavePlayMode::Async));
  EXPECT_NEAR(capture->render(8)[0], 0.5f, 1e-4);
  EXPECT_TRUE(device->playWaveImage(image, WavePlayMode::Loop));
  EXPECT_NEAR(capture->render(8)[0], 0.5f, 1e-4);  // the first was stopped, not added to
  device->stopWaveImage();
  EXPECT_EQ(capture->render(8)[0], 0.0f);
  const std::vector<std::uint8_t> junk(64, 0x41);
  EXPECT_FALSE(device->playWaveImage(junk, WavePlayMode::Async));
}

TEST_F(MixerTest, BuffersMayOutliveTheDevice) {
  auto sound = buffer(kHalfScale);
  device.reset();
  sound->play();
  sound->setVolume(-100);
  EXPECT_EQ(sound->position(), 0);
}

}  // namespace
}  // namespace velorina
