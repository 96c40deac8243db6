#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "audio/FakeWaveOutput.h"
#include "audio/ToneGen.h"
#include "tools/Commands.h"

namespace velorina {
namespace {

using testing::FakeWaveOutput;
using testing::RecordingReporter;

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file holds exactly the image a generator with the same settings makes.
TEST(ToneCommand, WritesTheGeneratorsImage) {
  const auto path = std::filesystem::path(::testing::TempDir()) / "tone-command.wav";
  ASSERT_EQ(tools::runToneCommand({"--frequency", "20000", "--duration", "40", "--waveform", "triangle",
                                   "--resolution", "8", "--quality", "lo", "--adsr", "-o", path.string()}),
            0);
  FakeWaveOutput output;
  RecordingReporter reporter;
  ToneGenHost host(output, reporter);
  TToneGen gen(host);
  gen.SetFrequency(20000);
  gen.SetDuration(40);
  gen.SetWaveform(TTGWave::tgTriangle);
  gen.SetResolution(TTGResolution::tg8Bit);
  gen.SetQuality(TTGQuality::tgLoQ);
  ASSERT_TRUE(gen.PrepareADSR());
  const auto written = readFile(path);
  EXPECT_TRUE(std::equal(written.begin(), written.end(), gen.Image().begin(), gen.Image().end()));
  std::filesystem::remove(path);
}

TEST(ToneCommand, RejectsBadArguments) {
  EXPECT_EQ(tools::runToneCommand({"--waveform", "pulse", "-o", "unused.wav"}), 1);
  EXPECT_EQ(tools::runToneCommand({"--resolution", "12", "-o", "unused.wav"}), 1);
  EXPECT_EQ(tools::runToneCommand({}), 1);
  // A value out of range is refused, not replaced by the nearer limit.
  EXPECT_EQ(tools::runToneCommand({"--frequency", "30000", "-o", "unused.wav"}), 1);
  EXPECT_FALSE(std::filesystem::exists("unused.wav"));
}

}  // namespace
}  // namespace velorina
