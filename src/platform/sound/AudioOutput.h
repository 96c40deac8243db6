#pragma once
// The output end of the sound device: something that pulls mixed stereo frames
// from a renderer. Backends: SDL2 audio (real time), a null output (no device:
// everything runs silent) and a capture output that renders on demand into memory.

#include <span>

namespace velorina {

// Produces the mix. Called from the output's own thread (the audio callback), so
// implementations allocate nothing and hold no lock for long.
class AudioRenderer {
 public:
  virtual ~AudioRenderer() = default;
  // Fills `stereo` (interleaved left, right floats) completely.
  virtual void render(std::span<float> stereo) noexcept = 0;
};

// How the output consumes the mix.
enum class OutputPacing {
  RealTime,  // a device plays it: time passes on its own
  OnDemand,  // the owner asks for frames (tests)
  Silent,    // nothing is ever rendered
};

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // Frames per second of the output, fixed once the output exists.
  virtual int sampleRate() const = 0;
  virtual OutputPacing pacing() const = 0;
  // Begins pulling from the renderer, which must outlive stop().
  virtual void start(AudioRenderer& renderer) = 0;
  // Stops pulling; after it returns the renderer is no longer called.
  virtual void stop() = 0;
};

}  // namespace velorina
