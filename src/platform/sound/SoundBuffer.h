#pragma once
// A streaming sound buffer: one voice of the mixer with the controls of a
// DirectSound secondary buffer. Created by SoundDevice; owned by whoever plays it.
// All calls come from the frame thread and return at once.

#include <cstdint>
#include <memory>

#include "platform/sound/WaveReader.h"

namespace velorina {

class Mixer;
class Voice;

enum class LoopMode { Once, Loop };

class SoundBuffer {
 public:
  // Playback frequency limits in hertz.
  static constexpr int kFrequencyMin = 100;
  static constexpr int kFrequencyMax = 100000;

  SoundBuffer(std::shared_ptr<Mixer> mixer, std::unique_ptr<WaveReader> wave);
  ~SoundBuffer();
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  const WaveFormat& format() const noexcept;
  // The wave's own sample rate: the frequency a new buffer plays at.
  int baseFrequency() const noexcept { return format().sampleRate; }

  // Hundredths of a decibel, clamped to -10000 (silent) .. 0 (full).
  void setVolume(int hundredths);
  int volume() const noexcept { return volume_; }
  // -10000 (left) .. 10000 (right), clamped.
  void setPan(int pan);
  int pan() const noexcept { return pan_; }
  // Hertz, clamped to 100 .. 100000; 0 restores the base frequency.
  void setFrequency(int hertz);
  int frequency() const noexcept { return frequency_; }
  void setLoop(LoopMode mode);
  LoopMode loop() const noexcept { return loop_; }

  // Starts or resumes playback from the current position.
  void play();
  // Pauses; the position is kept.
  void stop();
  // False once stopped or, without looping, after the last frame played.
  bool isPlaying() const noexcept;
  // The frame of the wave that plays now; setting it takes effect at the next mix.
  std::int64_t position() const noexcept;
  void setPosition(std::int64_t frame);

 private:
  void updateGains();

  std::shared_ptr<Mixer> mixer_;
  std::shared_ptr<Voice> voice_;
  int volume_ = 0;
  int pan_ = 0;
  int frequency_;
  LoopMode loop_ = LoopMode::Once;
};

}  // namespace velorina
