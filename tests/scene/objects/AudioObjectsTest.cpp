#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "archive/Error.h"
#include "archive/MemoryStream.h"
#include "audio/MessageReporter.h"
#include "platform/display/ManualClock.h"
#include "platform/sound/SoundDevice.h"
#include "platform/sound/WaveBuilder.h"
#include "platform/sound/capture/CaptureAudioOutput.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/Sound.h"
#include "scene/objects/Tone.h"

namespace velorina {
namespace {

constexpr int kWaveRate = 22050;

// A sound device over the capture output with a short looping-capable wave.
class SoundFixture : public ::testing::Test {
 protected:
  SoundFixture() : device_(std::make_unique<CaptureAudioOutput>(44100)) {}

  std::unique_ptr<WaveReader> wave() {
    return WaveReader::openMemory(testing::pcm16Wave(testing::constantSamples(2205, 1000), kWaveRate));
  }

  static TD3DSoundInfo record(float range, bool doppler = false) {
    TD3DSoundInfo info;
    info.ID = 7;
    info.Doppler = doppler;
    info.Range = range;
    info.Looped = true;
    info.Enabled = true;
    return info;
  }

  std::unique_ptr<TD3DSound> sound(const TD3DSoundInfo& info, const IClock& clock) {
    return std::make_unique<TD3DSound>(&device_, wave(), info, AudioStart::Play, clock);
  }

  SoundDevice device_;
  ManualClock clock_;
};

TEST_F(SoundFixture, VolumeFallsWithDistanceInsideRange) {
  auto ranged = sound(record(100), clock_);
  ASSERT_NE(ranged->stream(), nullptr);
  EXPECT_EQ(ranged->stream()->volume(), 0);  // the listener starts at the sound
  EXPECT_TRUE(ranged->stream()->isPlaying());

  ranged->SetListenerPosition({0, 0, 50});
  EXPECT_EQ(ranged->stream()->volume(), -2500);
  ranged->SetListenerPosition({0, 0, 100});
  EXPECT_EQ(ranged->stream()->volume(), -10000);  // exactly at the range: silent
  ranged->MoveBy({0, 0, 90});                      // the sound follows the listener
  EXPECT_EQ(ranged->stream()->volume(), -500);

  auto unlimited = sound(record(0), clock_);
  unlimited->SetListenerPosition({0, 0, 1e6f});
  EXPECT_EQ(unlimited->stream()->volume(), 0);
}

// The Doppler shift must behave the same whether the time comes from the
// performance counter or from the tick count.
class DopplerTest : public SoundFixture, public ::testing::WithParamInterface<PerformanceCounter> {};

TEST_P(DopplerTest, ApproachRaisesAndStandingStillRestoresFrequency) {
  ManualClock clock(GetParam());
  clock.setMicroseconds(5'000'000);
  auto s = sound(record(0, true), clock);
  ASSERT_EQ(s->BaseFrequency(), kWaveRate);
  clock.advanceMilliseconds(1000);
  s->SetListenerPosition({0, 0, 100});
  clock.advanceMilliseconds(1000);
  s->SetListenerPosition({0, 0, 65.6f});  // 34.4 units/s towards the sound
  EXPECT_NEAR(s->stream()->frequency(), 24255, 1);

  clock.advanceMilliseconds(100);
  s->SetListenerPosition({0, 0, 65.6f});
  EXPECT_EQ(s->stream()->frequency(), kWaveRate);
  EXPECT_TRUE(s->stream()->isPlaying());
  EXPECT_NEAR(s->LastTime(), 2.1, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Clocks, DopplerTest,
                         ::testing::Values(PerformanceCounter::Present, PerformanceCounter::Absent));

TEST_F(SoundFixture, DopplerNeverLeavesThePlayableRange) {
  auto noSpeed = record(0, true);
  noSpeed.SpeedOfSound = 0;
  auto still = sound(noSpeed, clock_);
  clock_.advanceMilliseconds(1000);
  still->SetListenerPosition({0, 0, 50});
  EXPECT_EQ(still->stream()->frequency(), kWaveRate);  // no speed of sound: no shift

  auto fast = sound(record(0, true), clock_);
  clock_.advanceMilliseconds(1000);
  fast->SetListenerPosition({0, 0, 1000});  // receding faster than sound
  EXPECT_EQ(fast->stream()->frequency(), SoundBuffer::kFrequencyMin);
  clock_.advanceMilliseconds(1);
  fast->SetListenerPosition({0, 0, 0});  // approaching at 1,000,000 units/s
  EXPECT_EQ(fast->stream()->frequency(), SoundBuffer::kFrequencyMax);
}

TEST_F(SoundFixture, PanFollowsHeadingAndPitchInsideRange) {
  auto s = sound(record(100), clock_);
  s->SetListenerPosition({10, 0, 0});
  s->SetListenerOrientation({0, kPi / 2, 0});  // sound level with the listener
  EXPECT_EQ(s->stream()->pan(), -2000);
  s->SetListenerOrientation({0, 0, 0});
  EXPECT_EQ(s->stream()->pan(), 0);

  s->SetListenerPosition({0, 0, 10});
  s->SetListenerOrientation({0, kPi / 2, kPi / 3});  // the pitch halves the pan
  EXPECT_EQ(s->stream()->pan(), 1000);
  s->SetListenerPosition({0, 0, -10});
  s->SetListenerOrientation({0, kPi / 2, 0});
  EXPECT_EQ(s->stream()->pan(), -2000);

  s->SetListenerPosition({0, 0, 200});  // out of range: the pan stays
  s->SetListenerOrientation({0, 0, 0});
  EXPECT_EQ(s->stream()->pan(), -2000);
  EXPECT_EQ(s->ListenerOrientation(), (D3DVECTOR{0, 0, 0}));
}

TEST_F(SoundFixture, DisabledSoundNeverStarts) {
  auto info = record(0);
  info.Enabled = false;
  auto s = sound(info, clock_);
  s->SetListenerPosition({1, 2, 3});
  s->Play();
  EXPECT_FALSE(s->stream()->isPlaying());
}

TEST_F(SoundFixture, MissingOrUndecodableWaveGivesSilentSound) {
  const std::vector<std::uint8_t> garbage{'R', 'I', 'F', 'F', 1, 2, 3, 4, 5};
  std::vector<std::unique_ptr<TD3DSound>> sounds;
  sounds.push_back(std::make_unique<TD3DSound>(&device_, std::unique_ptr<WaveReader>{}, record(10, true),
                                               AudioStart::Play, clock_));
  sounds.push_back(std::make_unique<TD3DSound>(nullptr, wave(), record(10, true), AudioStart::Play, clock_));
  sounds.push_back(std::make_unique<TD3DSound>(&device_, std::make_unique<MemoryStream>(garbage), record(10, true),
                                               AudioStart::Play, clock_));
  for (auto& s : sounds) {
    EXPECT_EQ(s->stream(), nullptr);
    EXPECT_EQ(s->BaseFrequency(), 0);
    s->SetListenerPosition({3, 0, 4});
    s->SetListenerPosition({3, 0, 4});
    s->SetListenerOrientation({0, 1, 0});
    s->UpdateSound();
    s->MoveBy({1, 0, 0});
    s->Play();
    s->Stop();
    s->Rewind();
    EXPECT_FLOAT_EQ(s->DistanceTo({3, 0, 4}), 4.472136f);
  }
}

TEST_F(SoundFixture, RecordLayoutsByVersion) {
  // Version 115: ID, position, range, looped, enabled; no Doppler byte.
  MemoryStream old;
  old.writeI32(42);
  for (float f : {1.0f, 2.0f, 3.0f, 50.0f}) old.writeF32(f);
  old.writeU8(1);
  old.writeU8(1);
  ASSERT_EQ(old.bytes().size(), 22u);
  ByteReader in(old.bytes());
  const std::int32_t before = ObjectIdCounter::value();
  auto s = TD3DSound::CreateFromStream(in, 115, &device_, wave(), AudioStart::Silent, clock_);
  EXPECT_EQ(ObjectIdCounter::value(), before + 1);
  EXPECT_EQ(in.offset(), 22u);
  EXPECT_FALSE(s->info().Doppler);
  EXPECT_FLOAT_EQ(s->info().SpeedOfSound, 344.0f);
  EXPECT_FLOAT_EQ(s->info().Range, 50.0f);
  EXPECT_EQ(s->AudioID(), 42);
  EXPECT_EQ(s->AudioKind(), 101);

  // Saved in the current layout with the Doppler speed: 27 bytes, read back equal.
  auto info = record(20, true);
  info.SpeedOfSound = 100;
  auto doppler = sound(info, clock_);
  MemoryStream saved;
  doppler->SaveToStream(saved);
  ASSERT_EQ(saved.bytes().size(), 27u);
  ByteReader back(saved.bytes());
  doppler->LoadFromStream(back, 117);
  EXPECT_EQ(doppler->info(), info);

  ByteReader truncated(saved.bytes().first(20));
  EXPECT_THROW(doppler->LoadFromStream(truncated, 117), Error);
}

// Counts the images played instead of playing them.
class CountingWaveOutput final : public WaveOutput {
 public:
  bool playWaveImage(std::span<const std::uint8_t>, WavePlayMode) override { return ++plays, true; }
  void stopWaveImage() override { ++stops; }
  std::uint32_t masterVolume() const override { return 0xFFFFFFFFu; }
  void setMasterVolume(std::uint32_t) override {}
  VolumeControl volumeControl() const override { return VolumeControl::Stereo; }
  int plays = 0;
  int stops = 0;
};

class NoMessages final : public MessageReporter {
 public:
  void showError(const std::string&, const std::string&) override {}
};

class ToneTest : public ::testing::Test {
 protected:
  static TD3DToneInfo record(float range) {
    TD3DToneInfo info;
    info.ID = 9;
    info.Range = range;
    info.Frequency = 880;
    info.Duration = 50;
    info.Quality = static_cast<std::uint8_t>(TTGQuality::tgLoQ);
    return info;
  }

  CountingWaveOutput output_;
  NoMessages messages_;
  ToneGenHost host_{output_, messages_};
};

TEST_F(ToneTest, PlaysOnlyWhileTheListenerIsInRange) {
  TD3DTone tone(host_, record(10), AudioStart::Silent);
  EXPECT_EQ(output_.plays, 0);
  EXPECT_EQ(tone.AudioKind(), 102);

  tone.SetListenerPosition({0, 0, 5});
  EXPECT_EQ(output_.plays, 1);
  EXPECT_EQ(tone.generator().LeftVolume(), 50);
  EXPECT_EQ(tone.generator().RightVolume(), 50);

  tone.SetListenerPosition({0, 0, 5});  // unchanged: nothing happens
  tone.SetListenerPosition({0, 0, 10});
  tone.SetListenerPosition({0, 20, 0});
  EXPECT_EQ(output_.plays, 1);
  EXPECT_EQ(tone.generator().LeftVolume(), 50);

  tone.MoveBy({0, 20, 1});  // moving the tone does not replay it
  EXPECT_EQ(output_.plays, 1);
  tone.SetListenerPosition({0, 20, 0});
  EXPECT_EQ(output_.plays, 1);  // same position as before: not even measured
  tone.SetListenerPosition({0, 20, 0.5f});
  EXPECT_EQ(output_.plays, 2);
  EXPECT_EQ(tone.generator().LeftVolume(), 95);

  TD3DTone playing(host_, record(0), AudioStart::Play);
  EXPECT_EQ(output_.plays, 3);
  playing.SetListenerPosition({1, 1, 1});  // no range: never replayed
  EXPECT_EQ(output_.plays, 3);
}

TEST_F(ToneTest, DamagedRecordFieldsTakeSafeValues) {
  TD3DToneInfo info = record(5);
  info.Frequency = 0;
  info.Duration = -3;
  info.Waveform = 9;
  info.Attack = 400;
  info.Resolution = 7;
  info.Quality = 200;
  info.Loop = 3;
  MemoryStream stored;
  info.write(stored);
  ByteReader in(stored.bytes());
  auto tone = TD3DTone::CreateFromStream(in, host_, AudioStart::Play);
  EXPECT_EQ(in.offset(), TD3DToneInfo::kStoredSize);
  const TToneGen& g = tone->generator();
  EXPECT_EQ(g.Frequency(), 20);
  EXPECT_EQ(g.Duration(), 10);
  EXPECT_EQ(g.Waveform(), TTGWave::tgSine);
  EXPECT_EQ(g.Attack(), 100);
  EXPECT_EQ(g.Resolution(), TTGResolution::tg16Bit);
  EXPECT_EQ(g.Quality(), TTGQuality::tgHiQ);
  EXPECT_TRUE(g.Loop());
  EXPECT_TRUE(g.Async());
  EXPECT_FALSE(g.Image().empty());

  // The record itself is kept as stored, so saving loses nothing.
  MemoryStream saved;
  tone->SaveToStream(saved);
  EXPECT_TRUE(std::equal(saved.bytes().begin(), saved.bytes().end(), stored.bytes().begin(), stored.bytes().end()));
}

}  // namespace
}  // namespace velorina
