#pragma once
// The contents of a scene stream as records: texture names, objects, sounds and
// tones, data items, actions and lights. The scene builds its objects from these;
// the toolbox dumps them.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "scene/records/ActionInfo.h"
#include "scene/records/CustomDataInfo.h"
#include "scene/records/PolygonInfo.h"
#include "scene/records/QuadrangleInfo.h"
#include "scene/records/SceneInfo.h"
#include "scene/records/SceneLightInfo.h"
#include "scene/records/SoundInfo.h"
#include "scene/records/SphereInfo.h"
#include "scene/records/TextInfo.h"

namespace velorina {

// Object kind codes.
enum class ObjectKind : std::uint8_t {
  None = 0,
  Quadrangle = 2,
  Polygon = 4,
  Scene = 7,
  Sphere = 9,
  Text = 15,
  Sound = 101,
  Tone = 102,
  CustomData = 201,
  SceneLight = 213,
};

enum class SceneStreamForm { Headed, Headerless };

// The record of a surface object or nested scene, by its kind.
using SceneObjectRecord = std::variant<TD3DQuadrangleInfo, TD3DPolygonInfo, TD3DSphereInfo, TD3DTextInfo, TD3DSceneInfo>;

struct SceneObjectEntry {
  std::uint8_t Kind = 0;
  std::string Name;  // the list entry name (the headerless form names objects)
  SceneObjectRecord Record;
  TTextureNames TextureNames;
  bool operator==(const SceneObjectEntry&) const = default;
};

struct SceneSoundEntry {
  std::uint8_t Kind = 0;  // 101 wave sound, 102 tone
  std::string Name;
  std::variant<TD3DSoundInfo, TD3DToneInfo> Record;
  bool operator==(const SceneSoundEntry&) const = default;
};

struct SceneDocument {
  SceneStreamForm Form = SceneStreamForm::Headed;
  std::int32_t Version = 0;
  std::vector<std::string> Textures;  // the texture text's lines; a line's number is its index
  std::vector<SceneObjectEntry> Objects;
  std::vector<SceneSoundEntry> Sounds;
  std::vector<TCustomDataInfo> Data;
  std::vector<std::string> Names;
  std::vector<TD3DActionInfo> Actions;
  std::vector<TD3DSceneLightInfo> Lights;
  bool operator==(const SceneDocument&) const = default;
};

}  // namespace velorina
