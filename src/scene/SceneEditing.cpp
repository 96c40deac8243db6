// Building objects from records and changing the lists: objects, texture holders and actions.
#include "scene/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "archive/FileStream.h"
#include "archive/MemoryStream.h"
#include "archive/Messages.h"
#include "audio/MessageRelay.h"
#include "audio/StderrMessageReporter.h"
#include "audio/ToneGenHost.h"
#include "doommap/LumpReference.h"
#include "doommap/WadProbe.h"
#include "imaging/PictureRegistry.h"
#include "platform/Resources.h"
#include "platform/sound/SoundDevice.h"
#include "platform/sound/null/NullAudioOutput.h"
#include "scene/objects/Sound.h"
#include "scene/objects/Tone.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/records/SceneStreamReader.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/Polygon.h"
#include "scene/objects/QuadrAngle.h"
#include "scene/objects/Sphere.h"
#include "scene/objects/Text.h"

namespace velorina {

namespace {

// Visitor from lambdas.
template <typename... Fs>
struct Overloaded : Fs... {
  using Fs::operator()...;
};

}  // namespace

void TD3DScene::AddAction(const TD3DActionInfo& info) {
  Actions.add({}, std::make_unique<TD3DAction>(info, *this));
  if (info.Temporary == 0) Modified = true;
  RecomputeIdentifierCounter();
}

void TD3DScene::DeleteAction(std::size_t index) {
  if (index >= Actions.size()) return;
  if (!Actions[index].object->Temporary()) Modified = true;
  Actions.removeAt(index);
}

void TD3DScene::DeleteActionsById(std::int32_t id) {
  for (std::size_t i = Actions.size(); i-- > 0;) {
    if (Actions[i].object->ActionID() == id) DeleteAction(i);
  }
}

void TD3DScene::ReplaceAction(std::size_t index, const TD3DActionInfo& info) {
  if (index >= Actions.size()) return;
  if (!Actions[index].object->Temporary()) Modified = true;
  Actions[index].object = std::make_unique<TD3DAction>(info, *this);
  if (info.Temporary == 0) Modified = true;
  RecomputeIdentifierCounter();
}

void TD3DScene::DeleteTemporaryActions() {
  for (std::size_t i = Actions.size(); i-- > 0;) {
    if (Actions[i].object->Temporary()) DeleteAction(i);
  }
}


// --- loading ------------------------------------------------------------------------

std::pair<std::string, std::unique_ptr<TD3DObject>> TD3DScene::buildObject(const SceneObjectRecord& record,
                                                                            const TTextureNames& textureNames) {
  using Built = std::pair<std::string, std::unique_ptr<TD3DObject>>;
  // One case per record type, so a record type that no case builds fails to compile.
  return std::visit(
      Overloaded{
          [&](const TD3DQuadrangleInfo& q) -> Built {
            std::string name = q.TextureName;
            TDirect3DTexture2* texture = AcquireTexture(name);
            TD3DQuadrangleInfo info = q;
            info.TextureName = texture != nullptr ? name : q.TextureName;
            return {info.TextureName, std::make_unique<TD3DQuadrAngle>(DXDraw_, texture, info)};
          },
          [&](const TD3DPolygonInfo& p) -> Built {
            TD3DPolygonInfo info = p;
            info.TextureNames = textureNames;
            const std::string name = textureNames.get(0);
            TTexturePairs pairs;
            AcquireTextureSet(info.TextureNames, pairs);
            return {name, std::make_unique<TD3DPolygon>(DXDraw_, pairs, info)};
          },
          [&](const TD3DSphereInfo& s) -> Built {
            TD3DSphereInfo info = s;
            const std::string name = info.TextureNames.get(0);
            TTexturePairs pairs;
            AcquireTextureSet(info.TextureNames, pairs);
            return {name, std::make_unique<TD3DSphere>(DXDraw_, pairs, info)};
          },
          [&](const TD3DTextInfo& t) -> Built {
            TD3DTextInfo info = t;
            const std::string name = info.TextureNames.get(0);
            TTexturePairs pairs;
            AcquireTextureSet(info.TextureNames, pairs);
            return {name, std::make_unique<TD3DText>(DXDraw_, pairs, info, TextMessages{reporter_, messageCaption_})};
          },
          [&](const TD3DSceneInfo& s) -> Built {
            TD3DSceneInfo info = s;
            if (!info.Name.empty() && !LoadingFromArchive) info.Name = ResolveFileName(info.Name);
            return {s.Name, CreateChild(info, *this)};
          },
      },
      record);
}

TD3DObject* TD3DScene::AddObject(const SceneObjectRecord& record) {
  const auto* polygon = std::get_if<TD3DPolygonInfo>(&record);
  auto [name, object] = buildObject(record, polygon != nullptr ? polygon->TextureNames : TTextureNames{});
  if (!object) return nullptr;
  Modified = true;
  TD3DObject* added = Objects.add(std::move(name), std::move(object));
  RebuildSubScenes();
  RecomputeIdentifierCounter();
  return added;
}

void TD3DScene::AddTextureHolders(std::vector<std::string> references, std::uint8_t texMode, HolderBlend blend,
                                  std::int32_t cullMode) {
  AcquireTextureList(references);
  for (const std::string& reference : references) {
    TD3DPolygonInfo holder;
    holder.Color = 0xFFFFFF;
    holder.TexMode = texMode;
    holder.FrameCount = 1;
    holder.PrimitiveType = static_cast<std::int32_t>(D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST);
    holder.BlendMode = blend == HolderBlend::Blended ? 16 : 0;
    holder.CullMode = cullMode;
    holder.TextureNames.set(0, reference);
    if (TD3DObject* added = AddObject(holder)) added->Merged = true;
  }
}

void TD3DScene::RemoveEmptyPolygons() {
  for (std::size_t i = Objects.size(); i-- > 0;) {
    const auto* polygon = dynamic_cast<const TD3DPolygon*>(Objects[i].object.get());
    if (polygon != nullptr && polygon->PointCount() == 0) Objects.removeAt(i);
  }
}

void TD3DScene::appendObject(std::string name, std::unique_ptr<TD3DObject> object, const ScenePlacement& p) {
  object->RotateXYZ(p.rotation.x, p.rotation.y, p.rotation.z);
  object->MoveByXYZ(p.translation.x, p.translation.y, p.translation.z);
  Objects.add(std::move(name), std::move(object));
}

}  // namespace velorina
