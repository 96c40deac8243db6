#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "archive/MemoryStream.h"
#include "archive/SubStream.h"
#include "platform/sound/SoundError.h"
#include "platform/sound/WaveReader.h"
#include "platform/sound/WaveBuilder.h"

namespace velorina {
namespace {

using testing::pcm16Wave;

constexpr int kRate = 22050;
constexpr int kFrames = 4000;

double testTone(int frame) { return 0.5 * std::sin(2.0 * std::numbers::pi * 441.0 * frame / kRate); }

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Encoding {
  const char* name;
  int subtype;
  double tolerance;
};

class WaveEncodings : public ::testing::TestWithParam<Encoding> {};

// Each encoding is written by libsndfile itself, then decoded from a file and
// from memory; the decoded tone must match what was written.
TEST_P(WaveEncodings, DecodeFromFileAndMemory) {
  const Encoding encoding = GetParam();
  const auto path = std::filesystem::path(::testing::TempDir()) / (std::string("tone-") + encoding.name + ".wav");
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | encoding.subtype;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  std::vector<double> tone(kFrames);
  for (int i = 0; i < kFrames; ++i) tone[i] = testTone(i);
  sf_write_double(file, tone.data(), kFrames);
  sf_close(file);

  auto fromFile = WaveReader::openFile(path.string());
  auto fromMemory = WaveReader::openMemory(readFile(path), "memory");
  for (WaveReader* reader : {fromFile.get(), fromMemory.get()}) {
    EXPECT_EQ(reader->format().container, "WAV (Microsoft)");
    EXPECT_NE(reader->format().encoding, "unknown");
    EXPECT_EQ(reader->format().channels, 1);
    EXPECT_EQ(reader->format().sampleRate, kRate);
    EXPECT_GE(reader->format().frames, kFrames);  // ADPCM rounds up to whole blocks
    std::vector<float> decoded(kFrames + 2048);
    std::size_t total = 0;
    while (std::size_t got = reader->readFrames(decoded.data() + total, 256)) total += got;
    ASSERT_GE(total, static_cast<std::size_t>(kFrames));
    double worst = 0;
    for (int i = 100; i < kFrames; ++i) worst = std::max(worst, std::abs(decoded[i] - testTone(i)));
    EXPECT_LT(worst, encoding.tolerance) << encoding.name;
  }
  std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(Formats, WaveEncodings,
                         ::testing::Values(Encoding{"u8", SF_FORMAT_PCM_U8, 0.01}, Encoding{"s16", SF_FORMAT_PCM_16, 1e-4},
                                           Encoding{"s24", SF_FORMAT_PCM_24, 1e-4}, Encoding{"s32", SF_FORMAT_PCM_32, 1e-4},
                                           Encoding{"float", SF_FORMAT_FLOAT, 1e-6},
                                           Encoding{"ima", SF_FORMAT_IMA_ADPCM, 0.05},
                                           Encoding{"msadpcm", SF_FORMAT_MS_ADPCM, 0.05},
                                           Encoding{"ulaw", SF_FORMAT_ULAW, 0.02}, Encoding{"alaw", SF_FORMAT_ALAW, 0.02}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(WaveReader, ReadsFromAWindowOfAStreamAndSeeks) {
  std::vector<std::int16_t> ramp(1000);
  for (int i = 0; i < 1000; ++i) ramp[i] = static_cast<std::int16_t>(i * 32);
  auto wave = pcm16Wave(ramp, 8000);
  std::vector<std::uint8_t> archive(100 + wave.size() + 50, 0xEE);  // the lump sits 100 bytes in
  std::copy(wave.begin(), wave.end(), archive.begin() + 100);
  auto parent = std::make_unique<MemoryStream>(archive);
  auto window = std::make_unique<TSubStream>(parent.get(), static_cast<std::uint32_t>(wave.size()), 100);
  WaveReader reader(std::move(window));
  EXPECT_EQ(reader.format().frames, 1000);
  ASSERT_TRUE(reader.seekFrame(700));
  float sample = 0;
  ASSERT_EQ(reader.readFrames(&sample, 1), 1u);
  EXPECT_FLOAT_EQ(sample, 700 * 32 / 32768.0f);
}

std::vector<std::uint8_t> goodWave() { return pcm16Wave(std::vector<std::int16_t>(64, 1000), 8000); }

void expectRejected(std::vector<std::uint8_t> bytes, const char* why) {
  try {
    WaveReader::openMemory(bytes, "bad.wav");
    ADD_FAILURE() << "accepted: " << why;
  } catch (const ESoundError& e) {
    EXPECT_EQ(e.context().file, "bad.wav") << why;
    EXPECT_FALSE(e.context().detail.empty()) << why;
  }
}

TEST(WaveReader, HostileHeadersGiveClearErrors) {
  auto bytes = goodWave();
  expectRejected({bytes.begin(), bytes.begin() + 8}, "truncated RIFF header");
  expectRejected({bytes.begin(), bytes.begin() + 30}, "fmt chunk cut short");
  expectRejected({}, "empty");
  expectRejected(std::vector<std::uint8_t>(300, 0x5A), "not a wave at all");

  auto noChannels = goodWave();
  noChannels[22] = 0;
  expectRejected(noChannels, "zero channels");
  auto manyChannels = goodWave();
  manyChannels[22] = 200;
  expectRejected(manyChannels, "200 channels");
  auto noRate = goodWave();
  std::fill(noRate.begin() + 24, noRate.begin() + 28, 0);
  expectRejected(noRate, "zero sample rate");
  auto hugeFmt = goodWave();
  storeLE<std::uint32_t>(hugeFmt.data() + 16, 0xFFFFFFF0u);
  expectRejected(hugeFmt, "fmt chunk longer than the file");
  auto noData = goodWave();
  std::copy_n("junk", 4, noData.begin() + 36);
  expectRejected(noData, "no data chunk");
}

TEST(WaveReader, DataChunkLongerThanTheFilePlaysWhatExists) {
  auto bytes = goodWave();
  storeLE<std::uint32_t>(bytes.data() + 4, 0x7FFFFFF0u);
  storeLE<std::uint32_t>(bytes.data() + 40, 0x7FFFFFF0u);
  auto reader = WaveReader::openMemory(bytes);
  EXPECT_LE(reader->format().frames, 64);
  std::vector<float> out(4096);
  EXPECT_EQ(reader->readFrames(out.data(), out.size()), static_cast<std::size_t>(reader->format().frames));
}

}  // namespace
}  // namespace velorina
