#pragma once
// TD3DSoundInfo: the record of a wave sound placed in the scene. Stored as 23
// bytes, 27 with the Doppler speed of sound, 22 below version 116 (no Doppler).

#include <string>

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "scene/records/Geometry.h"

namespace velorina {

struct TD3DSoundInfo {
  static constexpr float kDefaultSpeedOfSound = 344.0f;

  std::int32_t ID = 0;
  D3DVECTOR Position;
  bool Doppler = false;
  float SpeedOfSound = kDefaultSpeedOfSound;
  float Range = 0;  // 0: no attenuation
  bool Looped = false;
  bool Enabled = false;
  std::string WaveName;  // stored by the scene beside the record

  static TD3DSoundInfo read(ByteReader& in, std::int32_t version);
  void write(Stream& out) const;
  bool operator==(const TD3DSoundInfo&) const = default;
};

// TD3DToneInfo: the record of a synthesised tone, stored as its 40 bytes with the
// padding written as zeros.
struct TD3DToneInfo {
  static constexpr std::size_t kStoredSize = 40;

  std::int32_t ID = 0;
  D3DVECTOR Position;
  float Range = 0;
  std::uint8_t Loop = 0;
  std::int16_t Frequency = 0;  // Hz
  std::int16_t Duration = 0;   // ms
  std::uint8_t Waveform = 0;
  std::int16_t Attack = 0, Decay = 0, Sustain = 0, Release = 0;
  std::uint8_t Resolution = 0;
  std::uint8_t Quality = 0;

  static TD3DToneInfo read(ByteReader& in);
  void write(Stream& out) const;
  bool operator==(const TD3DToneInfo&) const = default;
};

}  // namespace velorina
