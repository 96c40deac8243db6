// The mix runs on the audio thread: once voices exist, rendering (decoding,
// refilling, looping, seeking) must not allocate.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/sound/Mixer.h"
#include "platform/sound/SoundBuffer.h"
#include "platform/sound/WaveBuilder.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
}  // namespace

// The replacements pair malloc with free; GCC cannot see that through the
// replaced global operators and warns of a mismatch that is not there.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace velorina {
namespace {

TEST(MixerAllocation, RenderingAllocatesNothing) {
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

  counting = true;
  for (int block = 0; block < 40; ++block) {
    if (block == 20) looped.setPosition(100);
    mixer->render(out);
  }
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_TRUE(looped.isPlaying());
  EXPECT_FALSE(once.isPlaying());  // ran to its end during the window
}

}  // namespace
}  // namespace velorina
