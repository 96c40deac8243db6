// The mix runs on the audio thread: once voices exist, rendering (decoding,
// refilling, looping, seeking) must not allocate.
#include <gtest/gtest.h>

#include "platform/sound/Mixer.h"
#include "platform/sound/SoundBuffer.h"
#include "platform/sound/WaveBuilder.h"
#include "support/AllocationCounter.h"

namespace velorina {
namespace {

TEST(MixerAllocation, RenderingAllocatesNothing) {
  using test::allocationCount;
  using test::allocationCounting;
  auto mixer = std::make_shared<Mixer>(48000);
  std::vector<std::int16_t> mono(5000), stereo(2 * 3000);
  for (std::size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<std::int16_t>(i);
  for (std::size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<std::int16_t>(-static_cast<int>(i));
  SoundBuffer looped(mixer, WaveReader::openMemory(testing::pcm16Wave(mono, 22050)));
  SoundBuffer once(mixer, WaveReader::openMemory(testing::pcm16Wave(stereo, 44100, 2)));
  looped.setLoop(LoopMode::Loop);
  looped.setFrequency(30000);
  looped.play();
  once.play();
  std::vector<float> out(2 * 1024);

  allocationCounting = true;
  for (int block = 0; block < 40; ++block) {
    if (block == 20) looped.setPosition(100);
    mixer->render(out);
  }
  allocationCounting = false;
  EXPECT_EQ(allocationCount.load(), 0);
  EXPECT_TRUE(looped.isPlaying());
  EXPECT_FALSE(once.isPlaying());  // ran to its end during the window
}

}  // namespace
}  // namespace velorina
