#pragma once
// A wave output that records what the tone generator asks of it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "audio/MessageReporter.h"
#include "platform/sound/WaveOutput.h"

namespace velorina::testing {

class FakeWaveOutput final : public WaveOutput {
 public:
  explicit FakeWaveOutput(std::uint32_t volume = 0xFFFFFFFFu, VolumeControl control = VolumeControl::Stereo)
      : volume_(volume), control_(control) {}

  bool playWaveImage(std::span<const std::uint8_t> image, WavePlayMode mode) override {
    played.emplace_back(std::vector<std::uint8_t>(image.begin(), image.end()), mode);
    return true;
  }
  void stopWaveImage() override { ++stops; }
  std::uint32_t masterVolume() const override { return volume_; }
  void setMasterVolume(std::uint32_t packed) override {
    volume_ = packed;
    ++volumeSets;
  }
  VolumeControl volumeControl() const override { return control_; }

  std::vector<std::pair<std::vector<std::uint8_t>, WavePlayMode>> played;
  int stops = 0;
  int volumeSets = 0;

 private:
  std::uint32_t volume_;
  VolumeControl control_;
};

class RecordingReporter final : public MessageReporter {
 public:
  void showError(const std::string& text, const std::string& caption) override {
    messages.emplace_back(text, caption);
  }
  std::vector<std::pair<std::string, std::string>> messages;
};

}  // namespace velorina::testing
