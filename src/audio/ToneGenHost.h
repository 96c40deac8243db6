#pragma once
// What the tone generators of one program share: the output that plays their
// WAVE images, the master volume in force before the first generator existed
// (restored when the last one goes), the count of live generators, the noise
// generator, and where setter errors are reported while designing. One host per
// program; it must outlive its generators, and its output must outlive it.

#include <cstdint>

#include "audio/LinearCongruentialRandom.h"
#include "audio/MessageReporter.h"
#include "platform/sound/WaveOutput.h"

namespace velorina {

// Designing: an authoring tool edits generators; setters then report values out
// of range, and the device master volume is left alone.
enum class DesignMode { Running, Designing };

class ToneGenHost {
 public:
  ToneGenHost(WaveOutput& output, MessageReporter& reporter, DesignMode mode = DesignMode::Running)
      : output_(output), reporter_(reporter), mode_(mode) {}
  ToneGenHost(const ToneGenHost&) = delete;
  ToneGenHost& operator=(const ToneGenHost&) = delete;

  WaveOutput& output() noexcept { return output_; }
  MessageReporter& reporter() noexcept { return reporter_; }
  DesignMode mode() const noexcept { return mode_; }
  LinearCongruentialRandom& random() noexcept { return random_; }

  int liveGenerators() const noexcept { return live_; }
  std::uint32_t savedVolume() const noexcept { return savedVolume_; }

  // Counts a new generator. Returns true when it is the first and the master
  // volume was saved (the generator then applies its own volume).
  bool generatorCreated();
  // Counts a generator gone; the last one restores the saved master volume.
  void generatorDestroyed();

 private:
  WaveOutput& output_;
  MessageReporter& reporter_;
  DesignMode mode_;
  LinearCongruentialRandom random_;
  int live_ = 0;
  std::uint32_t savedVolume_ = 0;
};

}  // namespace velorina
