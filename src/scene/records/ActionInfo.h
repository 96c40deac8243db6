#pragma once
// The record of an action: a continuous move or turn of the scene's targets,
// stored as 55 bytes with the padding written as zeros.

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "scene/records/Geometry.h"

namespace velorina {

enum class ActionKind : std::uint8_t {
  RotateAboutCentres = 210,  // turn each target about its own centre by Vector2 per Duration
  Move = 211,                // move the targets by Vector1 per Duration
  RotateAboutPoint = 212,    // turn the targets about the point Vector1 by Vector2 per Duration
};

struct TD3DActionInfo {
  static constexpr std::size_t kStoredSize = 55;

  std::uint8_t Kind = 0;
  std::int32_t ID = 0;
  std::int32_t TargetKind = 0;  // -1 any; below 100 an object kind; 100 and above an audio kind
  std::int32_t TargetID = 0;
  D3DVECTOR Vector1;
  D3DVECTOR Vector2;
  double Duration = 0;     // seconds in which the whole vector is applied
  std::uint8_t Temporary = 0;  // runtime only; always 0 after reading

  static TD3DActionInfo read(ByteReader& in);
  void write(Stream& out) const;
  bool operator==(const TD3DActionInfo&) const = default;
};

}  // namespace velorina
