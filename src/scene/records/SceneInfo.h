#pragma once

#include <string>

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "scene/records/Geometry.h"

namespace velorina {

// TD3DSceneInfo: the placement of a nested scene, stored as 28 bytes after the
// scene's zero-terminated name.
struct TD3DSceneInfo {
  static constexpr std::size_t kStoredSize = 28;

  std::int32_t ID = 0;
  D3DVECTOR Position;
  D3DVECTOR Rotation;
  std::string Name;

  static TD3DSceneInfo read(ByteReader& in);
  void write(Stream& out) const;
  bool operator==(const TD3DSceneInfo&) const = default;
};

}  // namespace velorina
