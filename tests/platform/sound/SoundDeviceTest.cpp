#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/sound/SoundDevice.h"
#include "platform/sound/SoundError.h"
#include "platform/sound/WaveBuilder.h"
#include "platform/sound/null/NullAudioOutput.h"
#include "platform/sound/sdl/SdlAudioOutput.h"

namespace velorina {
namespace {

using testing::pcm16Wave;

TEST(NullOutput, EverythingWorksSilently) {
  SoundDevice device(std::make_unique<NullAudioOutput>());
  EXPECT_FALSE(device.isAudible());
  auto sound = device.createBuffer(WaveReader::openMemory(pcm16Wave(std::vector<std::int16_t>(100, 5), 22050)));
  sound->setLoop(LoopMode::Loop);
  sound->play();
  sound->setFrequency(30000);
  sound->setPosition(50);
  EXPECT_EQ(sound->position(), 50);
  // A synchronous image returns at once: nothing would ever end it.
  EXPECT_TRUE(device.playWaveImage(pcm16Wave(std::vector<std::int16_t>(48000, 5), 48000), WavePlayMode::Sync));
}

// SDL's dummy driver consumes audio in real time without a sound card.
TEST(SdlOutput, DummyDriverPlaysInRealTime) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto device = SoundDevice::openDefault();
  ASSERT_EQ(device->pacing(), OutputPacing::RealTime);
  EXPECT_GT(device->outputRate(), 0);
  const auto start = std::chrono::steady_clock::now();
  // 60 ms of sound played synchronously: returns once the device has consumed it.
  EXPECT_TRUE(device->playWaveImage(pcm16Wave(std::vector<std::int16_t>(1323, 1000), 22050), WavePlayMode::Sync));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(40));
  EXPECT_LT(elapsed, std::chrono::seconds(3));
}

TEST(SdlOutput, MissingDriverFallsBackToSilence) {
  const char* saved = std::getenv("SDL_AUDIODRIVER");
  const std::string previous = saved != nullptr ? saved : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_THROW(SdlAudioOutput(), ESoundError);
  auto device = SoundDevice::openDefault();
  EXPECT_EQ(device->pacing(), OutputPacing::Silent);
  if (saved != nullptr) {
    setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
  } else {
    unsetenv("SDL_AUDIODRIVER");
  }
}

}  // namespace
}  // namespace velorina
