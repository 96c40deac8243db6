#pragma once
// The world package header: the walking box, speeds, texture filtering, display,
// background colour, window title and the name of the map to load.

#include <cstdint>
#include <string>

#include "archive/Stream.h"

namespace velorina {

struct TWorldHeader {
  float MinX = 0, MaxX = 0, MinY = 0, MaxY = 0, MinZ = 0, MaxZ = 0;
  float MoveSpeed = 0;   // units per second; also a factor of the turn rate
  float TurnFactor = 0;  // turn rate = TurnFactor x MoveSpeed degrees per second
  std::uint32_t MinFilter = 0;  // D3DTEXTUREMINFILTER; only the low byte counts, signed
  std::uint32_t MagFilter = 0;  // D3DTEXTUREMAGFILTER; likewise
  std::uint8_t Antialias = 0;   // 0 none, else sort-independent antialiasing
  std::uint8_t Reserved = 0;    // read and ignored
  std::uint32_t DisplayWidth = 0;
  std::uint32_t DisplayHeight = 0;
  std::uint32_t BackgroundColor = 0;  // 0x00BBGGRR, or negative: a system colour
  std::string Title;
  std::string MapName;

  // The values of the shipped player.
  static TWorldHeader shipped();

  // The filter values as the device takes them: the low byte, sign-extended.
  std::int32_t minFilterValue() const noexcept { return static_cast<std::int8_t>(MinFilter & 0xFF); }
  std::int32_t magFilterValue() const noexcept { return static_cast<std::int8_t>(MagFilter & 0xFF); }

  // Stored form: fields in order, little-endian, strings with an i16 length.
  // Writing cuts strings to 32,767 characters.
  void write(Stream& out) const;
  bool operator==(const TWorldHeader&) const = default;
};

}  // namespace velorina
