// Building objects from records and changing the lists: objects, texture holders and actions.
#include "scene/Scene.h"
#include "scene/records/Overloaded.h"

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
#include "archive/Resources.h"
#include "platform/sound/SoundDevice.h"
#include "platform/sound/null/NullAudioOutput.h"
#include "scene/objects/Sound.h"
#include "scene/objects/Tone.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/records/SceneStreamReader.h"
#include "scene/records/SceneStreamWriter.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/Polygon.h"
#include "scene/objects/QuadrAngle.h"
#include "scene/objects/Sphere.h"
#include "scene/objects/Text.h"

namespace velorina {

namespace {

// The texture-name table of a record that has one.
TTextureNames recordTextureNames(const SceneObjectRecord& record) {
  return std::visit(
      [](const auto& r) -> TTextureNames {
        if constexpr (requires { r.TextureNames; }) {
          return r.TextureNames;
        } else {
          return {};
        }
      },
      record);
}

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
            if (!info.Name.empty() && !LoadingFromArchive) {
              info.Name = ResourceMode ? ResolveResourceName(info.Name) : ResolveFileName(info.Name);
            }
            return {s.Name, CreateChild(info, *this)};
          },
      },
      record);
}

// --- surface objects ------------------------------------------------------------------

std::pair<std::string, std::unique_ptr<TD3DObject>> TD3DScene::buildObjectOfKind(ObjectKind kind,
                                                                                  const SceneObjectRecord& info) {
  if (kindOfRecord(info) != kind) return {};
  return buildObject(info, recordTextureNames(info));
}

TD3DObject* TD3DScene::AddObject(ObjectKind kind, const SceneObjectRecord& info) {
  auto [name, object] = buildObjectOfKind(kind, info);
  if (!object) return nullptr;
  Modified = true;
  TD3DObject* added = Objects.add(std::move(name), std::move(object));
  // A nested scene joins SubScenes; the list is not rebuilt, so adding stays cheap.
  if (added->KindCode() == d3dValue(ObjectKind::Scene)) SubScenes.push_back(static_cast<TD3DScene*>(added));
  RecomputeIdentifierCounter();
  return added;
}

TD3DObject* TD3DScene::AddObject(const SceneObjectRecord& record) { return AddObject(kindOfRecord(record), record); }

std::vector<TD3DPolygon*>& TD3DScene::mergeCandidates(const std::string& textureName) {
  if (!mergeIndexValid_ || mergeIndexed_ > Objects.size()) {
    mergeIndex_.clear();
    mergeIndexed_ = 0;
    mergeIndexValid_ = true;
  }
  // Objects appended since the last call join the index in list order.
  for (; mergeIndexed_ < Objects.size(); ++mergeIndexed_) {
    TD3DObject* object = Objects[mergeIndexed_].object.get();
    if (object == nullptr || object->KindCode() != d3dValue(ObjectKind::Polygon)) continue;
    if (auto* polygon = dynamic_cast<TD3DPolygon*>(object)) mergeIndex_[polygon->GetTextureName()].push_back(polygon);
  }
  return mergeIndex_[textureName];
}

bool TD3DScene::AddOrMergeObject(ObjectKind kind, const SceneObjectRecord& info) {
  if (kindOfRecord(info) == kind) {
    const std::string* texture = nullptr;
    if (const auto* q = std::get_if<TD3DQuadrangleInfo>(&info)) texture = &q->TextureName;
    if (const auto* p = std::get_if<TD3DPolygonInfo>(&info)) texture = &p->TextureNames.get(0);
    if (texture != nullptr) {
      for (TD3DPolygon* polygon : mergeCandidates(*texture)) {
        const bool merged = std::visit([&](const auto& r) { return polygon->CanMerge(r) && polygon->Merge(r); }, info);
        if (merged) {
          Modified = true;
          return true;
        }
      }
    }
  }
  AddObject(kind, info);
  return false;
}

void TD3DScene::DeleteObject(std::size_t index) {
  if (index >= Objects.size()) return;
  Objects.removeAt(index);
  Modified = true;
  RebuildSubScenes();
}

TD3DObject* TD3DScene::ReplaceObject(std::size_t index, ObjectKind kind, const SceneObjectRecord& info) {
  if (index >= Objects.size() || d3dValue(kind) >= 16) return nullptr;
  auto [name, object] = buildObjectOfKind(kind, info);
  if (!object) return nullptr;
  Modified = true;
  auto& entry = Objects[index];
  entry.name = std::move(name);
  entry.object = std::move(object);  // the old object goes only now
  RebuildSubScenes();
  InvalidateAll();
  RecomputeIdentifierCounter();
  return entry.object.get();
}

void TD3DScene::SplitPolygon(std::size_t index, bool deleteOriginal, bool markMoved) {
  if (index >= Objects.size()) return;
  const auto* polygon = dynamic_cast<const TD3DPolygon*>(Objects[index].object.get());
  if (polygon == nullptr) return;
  std::vector<TD3DPolygonInfo> pieces;  // as many as there are triangles
  SplitIntoTriangles(*polygon, pieces);
  for (const auto& piece : pieces) AddObject(ObjectKind::Polygon, piece);
  if (deleteOriginal) DeleteObject(index);
  if (markMoved) PendingChanges |= pcPosition;
  Modified = true;
}

void TD3DScene::SplitAllPolygons() {
  const std::size_t n = Objects.size();
  for (std::size_t i = 0; i < n; ++i) SplitPolygon(i, false, false);
  for (std::size_t i = n; i-- > 0;) {
    if (dynamic_cast<const TD3DPolygon*>(Objects[i].object.get()) != nullptr) DeleteObject(i);
  }
  PendingChanges |= pcPosition;
}

// --- lights ----------------------------------------------------------------------------

void TD3DScene::syncLightPointers() {
  lightPointers_.clear();
  for (auto& l : Lights) lightPointers_.push_back(l.object.get());
}

TD3DSceneLight* TD3DScene::AddLight(const TD3DSceneLightInfo& info) {
  TD3DSceneLight* light = Lights.add({}, std::make_unique<TD3DSceneLight>(info));
  syncLightPointers();
  for (auto& e : Objects) {
    if (e.object) e.object->ApplyLight(*light);
  }
  PendingChanges |= pcLighting;
  Modified = true;
  RecomputeIdentifierCounter();
  return light;
}

void TD3DScene::DeleteLight(std::size_t index) {
  if (index >= Lights.size()) return;
  Lights.removeAt(index);
  syncLightPointers();
  PendingChanges |= pcLighting;
  Modified = true;
}

void TD3DScene::ReplaceLight(std::size_t index, const TD3DSceneLightInfo& info) {
  if (index >= Lights.size()) return;  // an index below 0 arrives here as a huge one
  Lights[index].object = std::make_unique<TD3DSceneLight>(info);
  syncLightPointers();
  PendingChanges |= pcLighting;
  Modified = true;
  RecomputeIdentifierCounter();
}

// --- audio -----------------------------------------------------------------------------

std::unique_ptr<TD3DBaseAudio> TD3DScene::makeSound(TD3DSoundInfo info, std::string& listName) {
  listName = info.WaveName;
  std::unique_ptr<Stream> wave = GetWaveStream(listName);
  info.WaveName = listName;
  auto sound = std::make_unique<TD3DSound>(sound_, std::move(wave), info, audioStart(), *clock_);
  giveViewer(*sound);
  return sound;
}

void TD3DScene::giveViewer(TD3DBaseAudio& audio) {
  audio.SetListenerPosition(GetCameraPosition());
  audio.SetListenerOrientation(GetCameraRotation());
}

TD3DBaseAudio* TD3DScene::AddSound(const TD3DSoundInfo& info) {
  std::string name;
  auto sound = makeSound(info, name);
  TD3DBaseAudio* added = AudioObjects.add(std::move(name), std::move(sound));
  Modified = true;
  RecomputeIdentifierCounter();
  return added;
}

TD3DBaseAudio* TD3DScene::AddTone(const TD3DToneInfo& info) {
  auto tone = std::make_unique<TD3DTone>(*toneHost_, info, audioStart());
  giveViewer(*tone);
  TD3DBaseAudio* added = AudioObjects.add("Tone", std::move(tone));
  Modified = true;
  RecomputeIdentifierCounter();
  return added;
}

TD3DBaseAudio* TD3DScene::ReplaceSound(std::size_t index, const TD3DSoundInfo& info) {
  if (index >= AudioObjects.size()) return nullptr;
  std::string name;
  auto sound = makeSound(info, name);  // built before the old one goes
  auto& entry = AudioObjects[index];
  entry.name = std::move(name);
  entry.object = std::move(sound);
  Modified = true;
  RecomputeIdentifierCounter();
  return entry.object.get();
}

TD3DBaseAudio* TD3DScene::ReplaceTone(std::size_t index, const TD3DToneInfo& info) {
  if (index >= AudioObjects.size()) return nullptr;
  auto tone = std::make_unique<TD3DTone>(*toneHost_, info, audioStart());
  giveViewer(*tone);
  auto& entry = AudioObjects[index];
  entry.name = "Tone";
  entry.object = std::move(tone);
  Modified = true;
  RecomputeIdentifierCounter();
  return entry.object.get();
}

void TD3DScene::DeleteAudio(std::size_t index) {
  if (index >= AudioObjects.size()) return;
  AudioObjects.removeAt(index);
  Modified = true;
}

// --- data ------------------------------------------------------------------------------

TCustomData* TD3DScene::AddData(const TCustomDataInfo& info) {
  TCustomDataInfo record = info;
  Stream* stream = GetDataStream(record.Name);
  TCustomData* added = DataItems.add(record.Name, std::make_unique<TCustomData>(record, stream));
  Modified = true;
  RecomputeIdentifierCounter();
  return added;
}

void TD3DScene::DeleteData(std::size_t index) {
  if (index >= DataItems.size()) return;
  DataItems.removeAt(index);
  Modified = true;
}

TCustomData* TD3DScene::ReplaceData(std::size_t index, const TCustomDataInfo& info) {
  if (index >= DataItems.size()) return nullptr;
  TCustomDataInfo record = info;
  Stream* stream = GetDataStream(record.Name);  // found before the old item goes
  auto& entry = DataItems[index];
  const bool same = entry.object->info() == record;
  entry.name = record.Name;
  entry.object = std::make_unique<TCustomData>(record, stream);
  if (!same) Modified = true;
  RecomputeIdentifierCounter();
  return entry.object.get();
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
  objectsReordered();
}

void TD3DScene::appendObject(std::string name, std::unique_ptr<TD3DObject> object, const ScenePlacement& p) {
  object->RotateXYZ(p.rotation.x, p.rotation.y, p.rotation.z);
  object->MoveByXYZ(p.translation.x, p.translation.y, p.translation.z);
  Objects.add(std::move(name), std::move(object));
}

}  // namespace velorina
