#pragma once
// Small worlds for the scene tests: pictures, quadrangles and scene streams written
// field by field in the stored layout, and an offscreen display to draw on.

#include <string>
#include <utility>
#include <vector>

#include "archive/MemoryStream.h"
#include "imaging/BmpCodec.h"
#include "platform/display/DXDraw.h"
#include "platform/display/ManualClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "scene/records/QuadrangleInfo.h"
#include "scene/records/SceneInfo.h"
#include "scene/Scene.h"
#include "scene/records/SceneLightInfo.h"
#include "support/ArchiveBuilder.h"

namespace velorina::test {

inline std::string bmpFile(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Bitmap bitmap(16, 16, PixelFormat::Bits24);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      std::uint8_t* p = bitmap.row(y) + 3 * x;
      p[0] = b, p[1] = g, p[2] = r;
    }
  }
  const ByteBuffer bytes = writeBmp(bitmap);
  return std::string(bytes.begin(), bytes.end());
}

inline TD3DQuadrangleInfo wall(std::int32_t id, float z) {
  TD3DQuadrangleInfo q;
  q.ID = id;
  q.Corners = {D3DVECTOR{-1, 1, z}, {1, 1, z}, {-1, -1, z}, {1, -1, z}};
  q.TexSpanU = 1;
  q.TexSpanV = 1;
  q.Colors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  q.Flags = 1;  // two-sided
  return q;
}

// A scene stream with the given texture text and quadrangles, each naming texture
// line `texture` (or none with -1), plus optional nested scene names and a light.
// The head of a scene stream of version 117: magic, version, texture text and the
// object count.
inline void writeSceneHead(MemoryStream& s, const std::string& textures, std::uint32_t objects) {
  s.writeExact("SCENEDEF", 8);
  s.writeU32(117);
  s.writeU32(static_cast<std::uint32_t>(textures.size()));
  s.writeExact(textures.data(), textures.size());
  s.writeU32(objects);
}

inline std::string sceneStream(const std::string& textures, const std::vector<std::pair<TD3DQuadrangleInfo, int>>& quads,
                        const std::vector<std::string>& nested = {}, bool light = false) {
  MemoryStream s;
  writeSceneHead(s, textures, static_cast<std::uint32_t>(quads.size() + nested.size()));
  for (const auto& [q, t] : quads) {
    s.writeU8(2);
    s.writeI16(1);
    s.writeI16(static_cast<std::int16_t>(t));
    s.writeI16(-1);
    q.write(s);
  }
  for (const auto& n : nested) {
    s.writeU8(7);
    s.writeExact(n.c_str(), n.size() + 1);
    TD3DSceneInfo info;
    info.ID = 70;
    info.Position = {0, 0, 1};
    info.write(s);
  }
  s.writeU32(0);  // sounds
  s.writeU32(1);  // data
  s.writeU8(4);
  s.writeExact("blob", 4);
  s.writeI32(41);
  s.writeU32(0);  // names
  s.writeU32(0);  // actions
  s.writeU32(light ? 1 : 0);
  if (light) {
    TD3DSceneLightInfo l;
    l.ID = 42;
    l.Color = 0x0000FF;
    l.Range = 100;
    l.RangeFactor = 100;
    l.LightType = 1;
    l.write(s);
  }
  return std::string(s.bytes().begin(), s.bytes().end());
}

struct Rig {
  ManualClock clock;
  DXDraw display{std::make_unique<OffscreenPresenter>()};
  Rig() {
    display.SetDisplaySize(64, 48);
    display.Initialize();
  }
};

// Loads `archive` as the world package of `scene` (the archive alone, from byte 0).
inline void loadPackage(TD3DScene& scene, const Bytes& archive, const std::string& mapName = "MAP01.D3D") {
  MemoryStream file{std::span<const std::uint8_t>(archive)};
  scene.LoadFromPackage(file, 0, static_cast<std::uint32_t>(archive.size()), mapName);
}

}  // namespace velorina::test
