#pragma once
// TToneGen: synthesises a short mono tone (sine, square, triangle, sawtooth or
// noise) into an in-memory WAVE image, optionally shaped by an attack, decay,
// sustain, release envelope, and plays it through the host's wave output.
//
// The image is resynthesised only when it is stale: changing the frequency,
// duration, waveform, resolution or quality stales the wave; changing the
// envelope settings stales the envelope; changing only the volume stales nothing.

#include <cstdint>
#include <span>
#include <vector>

#include "audio/ToneGenHost.h"

namespace velorina {

enum class TTGWave : std::uint8_t { tgSine, tgSquare, tgTriangle, tgSawtooth, tgNoise };
enum class TTGResolution : std::uint8_t { tg16Bit, tg8Bit };
// Sample rate: tgHiQ 96000 Hz, tgLoQ 44100 Hz.
enum class TTGQuality : std::uint8_t { tgHiQ, tgLoQ };

class TToneGen {
 public:
  static constexpr std::size_t kHeaderSize = 44;
  // The image buffer is this much longer than the sample data.
  static constexpr std::size_t kSpareBytes = 48;

  // Applies the defaults; the first live generator of the host saves the master
  // volume and applies this generator's volume.
  explicit TToneGen(ToneGenHost& host);
  // Stops playback; the last live generator restores the saved master volume.
  ~TToneGen();
  TToneGen(const TToneGen&) = delete;
  TToneGen& operator=(const TToneGen&) = delete;

  // Applies the volume, then synthesises the plain wave. False when the sample
  // buffer cannot be allocated.
  bool Prepare();
  // Applies the volume, then synthesises the wave and applies the envelope.
  bool PrepareADSR();
  // Applies the volume only.
  void PresetVolume();
  // Plays the plain wave (resynthesised when stale or when an envelope is on it).
  // True when playback has finished by the time it returns (neither Async nor Loop).
  bool Play();
  // Plays the wave with its envelope (resynthesised when either is stale).
  bool PlayADSR();
  // Stops any image playing through the host's output.
  void Stop();

  // Setters clamp to the ranges in the comments; while designing an out-of-range
  // value is also reported.
  void SetFrequency(int hertz);         // 20 .. 20000, default 440
  void SetDuration(int milliseconds);   // 10 .. 32767, default 100
  void SetWaveform(TTGWave wave);       // default tgSine
  void SetAttack(int percent);          // 0 .. 100, default 10
  void SetDecay(int percent);           // 0 .. 100, default 20
  void SetSustain(int percent);         // 0 .. 100, default 50
  void SetRelease(int percent);         // 0 .. 100, default 30
  void SetAsync(bool async);            // default true
  void SetLoop(bool loop);              // default false
  void SetResolution(TTGResolution resolution);  // default tg16Bit
  void SetQuality(TTGQuality quality);  // default tgHiQ
  void SetLeftVolume(int percent);      // 0 .. 100, default 100
  void SetRightVolume(int percent);     // 0 .. 100, default 100

  std::int16_t Frequency() const noexcept { return frequency_; }
  std::int16_t Duration() const noexcept { return duration_; }
  TTGWave Waveform() const noexcept { return waveform_; }
  std::int16_t Attack() const noexcept { return attack_; }
  std::int16_t Decay() const noexcept { return decay_; }
  std::int16_t Sustain() const noexcept { return sustain_; }
  std::int16_t Release() const noexcept { return release_; }
  bool Async() const noexcept { return async_; }
  bool Loop() const noexcept { return loop_; }
  TTGResolution Resolution() const noexcept { return resolution_; }
  TTGQuality Quality() const noexcept { return quality_; }
  std::int16_t LeftVolume() const noexcept { return leftVolume_; }
  std::int16_t RightVolume() const noexcept { return rightVolume_; }

  // The WAVE image: the 44-byte header and the sample data (without the spare
  // bytes); empty before the first synthesis.
  std::span<const std::uint8_t> Image() const noexcept;
  bool Finished() const noexcept { return finished_; }
  bool WaveStale() const noexcept { return waveStale_; }
  bool EnvelopeStale() const noexcept { return envelopeStale_; }
  bool EnvelopeApplied() const noexcept { return envelopeApplied_; }

 private:
  enum class Envelope { Plain, Shaped };

  std::int16_t clampSetting(int value, int low, int high);
  std::uint32_t packedVolume() const noexcept;
  bool synthesize(Envelope envelope);
  void writeHeader(std::uint32_t dataSize);
  void writeSamples(std::size_t dataSize);
  void applyEnvelope();
  bool playImage();

  ToneGenHost& host_;
  std::int16_t frequency_ = 440;
  std::int16_t duration_ = 100;
  TTGWave waveform_ = TTGWave::tgSine;
  std::int16_t attack_ = 10;
  std::int16_t decay_ = 20;
  std::int16_t sustain_ = 50;
  std::int16_t release_ = 30;
  bool async_ = true;
  bool loop_ = false;
  TTGResolution resolution_ = TTGResolution::tg16Bit;
  TTGQuality quality_ = TTGQuality::tgHiQ;
  std::int16_t leftVolume_ = 100;
  std::int16_t rightVolume_ = 100;

  std::vector<std::uint8_t> image_;  // header + samples + spare bytes
  std::size_t dataSize_ = 0;
  bool waveStale_ = true;
  bool envelopeStale_ = true;
  bool envelopeApplied_ = true;
  bool finished_ = true;
};

}  // namespace velorina
