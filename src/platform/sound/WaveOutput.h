#pragma once
// What the tone generator needs of the platform: play a WAVE image from memory
// (one at a time, like the system's play-sound service) and the master volume of
// the output device.

#include <cstdint>
#include <span>

namespace velorina {

enum class WavePlayMode {
  Sync,   // returns when the sound has ended
  Async,  // returns at once
  Loop,   // returns at once; repeats until stopped
};

// Whether the device controls left and right volume separately.
enum class VolumeControl { Stereo, Mono };

class WaveOutput {
 public:
  virtual ~WaveOutput() = default;
  // Stops the image playing now, then plays this one (the bytes are copied).
  // Returns false when the image cannot be decoded.
  virtual bool playWaveImage(std::span<const std::uint8_t> image, WavePlayMode mode) = 0;
  virtual void stopWaveImage() = 0;
  // Master volume as the wave-out service packs it: left level in the low 16 bits,
  // right level in the high 16 bits, 0 .. 65535 each. A Mono device reports its
  // one level in the low 16 bits.
  virtual std::uint32_t masterVolume() const = 0;
  virtual void setMasterVolume(std::uint32_t packed) = 0;
  virtual VolumeControl volumeControl() const = 0;
};

}  // namespace velorina
