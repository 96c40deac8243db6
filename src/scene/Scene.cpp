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
#include "scene/SceneStreamReader.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/Polygon.h"
#include "scene/objects/QuadrAngle.h"

namespace velorina {

TD3DScene::TD3DScene(DXDraw* device, SoundDevice* sound, const IClock& clock) {
  initialize(device, sound, clock, false);
}

TD3DScene::TD3DScene(ChildKey, TD3DScene& parent) {
  ParentScene = &parent;
  initialize(parent.DXDraw_, parent.sound_, *parent.clock_, true);
}

std::unique_ptr<TD3DScene> TD3DScene::CreateChild(const TD3DSceneInfo& info, TD3DScene& parent) {
  if (parent.nestingDepth() >= kMaxNesting) {
    throw ESceneError("Stream read error", ErrorContext{info.Name, std::nullopt, std::nullopt,
                                                        "nested scenes go deeper than " + std::to_string(kMaxNesting)});
  }
  if (!info.Name.empty() && parent.includes(info.Name)) {
    throw ESceneError("Stream read error",
                      ErrorContext{info.Name, std::nullopt, std::nullopt, "the world includes itself"});
  }
  auto child = std::make_unique<TD3DScene>(ChildKey{}, parent);
  child->SceneInfo = info;
  if (!info.Name.empty()) {
    if (parent.LoadingFromArchive && parent.Archive) {
      const ByteBuffer lump = parent.Archive->ReadEntry(parent.ResolveArchiveName(info.Name));
      child->LoadingFromArchive = true;
      child->ReadSceneStream(lump, info.Name);
      child->LoadingFromArchive = false;
    } else {
      child->LoadFromFile(info.Name);
    }
  }
  child->RotateAll(info.Rotation);
  child->MoveAllBy(info.Position);
  child->SceneInfo = info;
  child->RebuildDeviceState();
  return child;
}

TD3DScene::~TD3DScene() { ClearAll(); }

void TD3DScene::initialize(DXDraw* device, SoundDevice* sound, const IClock& clock, bool isChild) {
  clock_ = &clock;
  sound_ = sound;
  IsChild = isChild;
  if (IsChild && ParentScene != nullptr) {
    ownSound_ = ParentScene->ownSound_;
    reporter_ = ParentScene->reporter_;
    messageCaption_ = ParentScene->messageCaption_;
    toneHost_ = ParentScene->toneHost_;
  } else {
    if (sound_ == nullptr) {
      ownSound_ = std::make_shared<SoundDevice>(std::make_unique<NullAudioOutput>());
      sound_ = ownSound_.get();
    }
    reporter_ = std::make_shared<MessageRelay>(std::make_shared<StderrMessageReporter>());
    toneHost_ = std::make_shared<ToneGenHost>(*sound_, *reporter_);
  }
  sortInterval_ = 0.01;
  resetClock();
  if (IsChild && ParentScene != nullptr) {
    MotionStep = ParentScene->MotionStep;
    TextureDetail = ParentScene->TextureDetail;
    Textures = ParentScene->Textures;
    TexturePictures = ParentScene->TexturePictures;
    SearchPaths = ParentScene->SearchPaths;
    WaveStreams = ParentScene->WaveStreams;
    DataStreams = ParentScene->DataStreams;
    programDirectory = ParentScene->programDirectory;
  } else {
    ParentScene = nullptr;
    Textures = std::make_shared<NamedList<TDirect3DTexture2>>();
    TexturePictures = std::make_shared<std::map<const TDirect3DTexture2*, Bitmap>>();
    SearchPaths = std::make_shared<std::vector<std::string>>();
    WaveStreams = std::make_shared<NamedList<WaveSource>>();
    DataStreams = std::make_shared<NamedList<Stream>>();
  }
  Initialize(device, nullptr);
  Clear();
  LoadingFromArchive = false;
  ResourceMode = false;
}

void TD3DScene::resetClock() {
  StartTime = static_cast<double>(clock_->GetTickCount()) / 1000.0;
  LastSortTime = -2 * sortInterval_;
}

double TD3DScene::SceneTime() const {
  const std::int64_t frequency = clock_->QueryPerformanceFrequency();
  if (frequency != 0) return static_cast<double>(clock_->QueryPerformanceCounter()) / frequency - StartTime;
  return static_cast<double>(clock_->GetTickCount()) / 1000.0 - StartTime;
}

int TD3DScene::nestingDepth() const {
  int depth = 0;
  for (const TD3DScene* s = ParentScene; s != nullptr; s = s->ParentScene) ++depth;
  return depth;
}

bool TD3DScene::includes(const std::string& worldName) const {
  const std::string key = upperAscii(fileNamePart(worldName));
  for (const TD3DScene* s = this; s != nullptr; s = s->ParentScene) {
    if (upperAscii(fileNamePart(s->SceneInfo.Name)) == key || upperAscii(fileNamePart(s->FileName)) == key) return true;
  }
  return false;
}

// --- scene object -------------------------------------------------------------

void TD3DScene::SetHidden(bool hidden) {
  if (hidden == Hidden) return;
  Hidden = hidden;
  for (auto& e : Objects) {
    if (e.object) e.object->SetHidden(hidden);
  }
}

void TD3DScene::Draw() {
  if (IsChild) Frame(0);
}

void TD3DScene::MoveBy(const D3DVECTOR& v) {
  MoveAllBy(v);
  if (IsChild) SceneInfo.Position = VectorAdd(SceneInfo.Position, v);
}

void TD3DScene::Rotate(const D3DVECTOR& angles) {
  RotateAll(angles);
  if (IsChild) SceneInfo.Rotation = VectorAdd(SceneInfo.Rotation, angles);
}

void TD3DScene::AddTextureNames(std::vector<std::string>& list) const {
  for (const auto& e : Objects) {
    if (e.object) e.object->AddTextureNames(list);
  }
}

float TD3DScene::UpdateDistance(const D3DVECTOR&) {
  SortByDistance();
  if (Objects.empty() || ParentScene == nullptr) {
    Distance = 0;
  } else {
    Distance = VectorMagnitude(VectorSub(SceneInfo.Position, CameraPosition));
  }
  return Distance;
}

D3DVECTOR TD3DScene::GetCenter(float dz) const {
  return VectorSub(SceneInfo.Position, {CameraPosition.x, CameraPosition.y, CameraPosition.z - dz});
}

void TD3DScene::ApplyLight(const TD3DSceneLight& light) {
  for (auto& e : Objects) {
    if (e.object) e.object->ApplyLight(light);
  }
}

std::int32_t TD3DScene::VertexCount() const {
  std::int32_t n = 0;
  for (const auto& e : Objects) n += e.object ? e.object->VertexCount() : 0;
  return n;
}

std::int32_t TD3DScene::PrimitiveCount() const {
  std::int32_t n = 0;
  for (const auto& e : Objects) n += e.object ? e.object->PrimitiveCount() : 0;
  return n;
}

// --- actions ----------------------------------------------------------------

template <typename F>
void TD3DScene::forEachTarget(std::int32_t kind, std::int32_t id, F&& f) {
  for (auto& e : Objects) {
    TD3DObject* o = e.object.get();
    if (o == nullptr || o->ObjectID() != id) continue;
    if (kind != -1 && o->KindCode() != static_cast<std::uint8_t>(kind)) continue;
    f(*o);
  }
}

void TD3DScene::MoveTargets(std::int32_t kind, std::int32_t id, const D3DVECTOR& move) {
  if (kind == -1) {
    forEachTarget(-1, id, [&](TD3DObject& o) { o.MoveByXYZ(move.x, move.y, move.z); });
    for (auto& a : AudioObjects) {
      if (a.object && a.object->AudioID() == id) a.object->MoveByXYZ(move.x, move.y, move.z);
    }
  } else if (kind >= 100) {
    for (auto& a : AudioObjects) {
      if (a.object && a.object->AudioKind() == kind && a.object->AudioID() == id) {
        a.object->MoveByXYZ(move.x, move.y, move.z);
      }
    }
  } else {
    forEachTarget(kind, id, [&](TD3DObject& o) {
      o.MoveByXYZ(move.x, move.y, move.z);
      o.ApplyLights(lightPointers_);
    });
  }
  PendingChanges |= pcPosition;
}

void TD3DScene::RotateTargetsAboutCentres(std::int32_t kind, std::int32_t id, const D3DVECTOR& angles) {
  forEachTarget(kind, id, [&](TD3DObject& o) {
    const D3DVECTOR centre = o.GetCenter(0);
    o.MoveBy({-centre.x, -centre.y, -centre.z});
    o.RotateXYZ(angles.x, angles.y, angles.z);
    o.MoveBy(centre);
    if (auto* s = dynamic_cast<TD3DScene*>(&o)) s->ApplyChanges();
    o.ApplyLights(lightPointers_);
  });
}

void TD3DScene::RotateTargetsAboutPoint(std::int32_t kind, std::int32_t id, const D3DVECTOR& pivot,
                                        const D3DVECTOR& angles) {
  forEachTarget(kind, id, [&](TD3DObject& o) {
    o.MoveBy({-pivot.x, -pivot.y, -pivot.z});
    o.RotateXYZ(angles.x, angles.y, angles.z);
    o.MoveBy(pivot);
    if (auto* s = dynamic_cast<TD3DScene*>(&o)) s->ApplyChanges();
    o.ApplyLights(lightPointers_);
  });
}

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

// --- queries and audio control --------------------------------------------------

std::size_t TD3DScene::CountByKind(std::int32_t kind) const {
  const auto byteKind = static_cast<std::uint8_t>(kind);
  auto matches = [&](std::uint8_t k) { return kind == -1 || k == byteKind; };
  std::size_t n = 0;
  for (const auto& e : Objects) n += e.object && matches(e.object->KindCode());
  for (const auto& a : AudioObjects) n += a.object && (kind == -1 || a.object->AudioKind() == kind);
  for (const auto& d : DataItems) n += matches(d.object->KindCode());
  for (const auto& a : Actions) n += matches(a.object->ActionKind());
  for (const auto& l : Lights) n += matches(l.object->KindCode());
  return n;
}

std::size_t TD3DScene::CollectByKindAndId(std::int32_t kind, std::int32_t id, std::vector<SceneItemRef>& out) {
  const auto byteKind = static_cast<std::uint8_t>(kind);
  auto matches = [&](std::uint8_t k) { return kind == -1 || k == byteKind; };
  const std::size_t before = out.size();
  for (auto& e : Objects) {
    if (e.object && matches(e.object->KindCode()) && e.object->ObjectID() == id) out.emplace_back(e.object.get());
  }
  for (auto& a : AudioObjects) {
    if (a.object && (kind == -1 || a.object->AudioKind() == kind) && a.object->AudioID() == id) {
      out.emplace_back(a.object.get());
    }
  }
  for (auto& d : DataItems) {
    if (matches(d.object->KindCode()) && d.object->DataID() == id) out.emplace_back(d.object.get());
  }
  for (auto& a : Actions) {
    if (matches(a.object->ActionKind()) && a.object->ActionID() == id) out.emplace_back(a.object.get());
  }
  for (auto& l : Lights) {
    if (matches(l.object->KindCode()) && l.object->LightID() == id) out.emplace_back(l.object.get());
  }
  return out.size() - before;
}

void TD3DScene::setObjectsHidden(std::int32_t kind, std::int32_t id, bool hidden) {
  forEachTarget(kind, id, [&](TD3DObject& o) { o.SetHidden(hidden); });
}

void TD3DScene::ShowObjects(std::int32_t kind, std::int32_t id) { setObjectsHidden(kind, id, false); }

void TD3DScene::HideObjects(std::int32_t kind, std::int32_t id) { setObjectsHidden(kind, id, true); }

void TD3DScene::controlAudio(std::uint8_t kind, std::int32_t id, AudioControl what) {
  for (auto& a : AudioObjects) {
    if (!a.object || a.object->AudioKind() != kind || a.object->AudioID() != id) continue;
    switch (what) {
      case AudioControl::Play: a.object->Play(); break;
      case AudioControl::Stop: a.object->Stop(); break;
      case AudioControl::Rewind: a.object->Rewind(); break;
    }
  }
}

void TD3DScene::UpdateSoundPositions() {
  if (Paused) return;
  // Sub-scenes place their sounds in the outermost scene's space, so every sound
  // hears the outermost camera.
  const TD3DScene* root = this;
  while (root->ParentScene != nullptr) root = root->ParentScene;
  for (auto& a : AudioObjects) {
    if (!a.object) continue;
    a.object->SetListenerPosition(root->CameraPosition);
    a.object->SetListenerOrientation(root->CameraRotation);
  }
  for (TD3DScene* s : SubScenes) s->UpdateSoundPositions();
}

// --- emptying and placing ---------------------------------------------------------

void TD3DScene::ClearObjects() {
  Objects.clear();
  AudioObjects.clear();
  DataItems.clear();
  Actions.clear();
  Lights.clear();
  lightPointers_.clear();
  SubScenes.clear();
}

void TD3DScene::ClearAll() {
  ClearObjects();
  if (ParentScene == nullptr && Textures) {
    Textures->clear();
    TexturePictures->clear();
    WaveStreams->clear();
    DataStreams->clear();
  }
}

void TD3DScene::closeArchive() {
  LoadingFromArchive = false;
  Archive.reset();
  archiveWindow_.reset();
}

void TD3DScene::Clear() {
  FileName.clear();
  ObjectIdCounter::reset();
  ClearAll();
  Modified = false;
}

void TD3DScene::MoveAllBy(const D3DVECTOR& v) {
  for (auto& e : Objects) {
    if (e.object) e.object->MoveBy(v);
  }
  for (auto& a : AudioObjects) {
    if (a.object) a.object->MoveBy(v);
  }
  PendingChanges |= pcPosition | pcLighting;
}

void TD3DScene::RotateAll(const D3DVECTOR& angles) {
  for (auto& e : Objects) {
    if (e.object) e.object->Rotate(angles);
  }
  for (auto& a : AudioObjects) {
    if (a.object) a.object->Rotate(angles);
  }
  PendingChanges |= pcRotation;
}

float TD3DScene::DistanceToPoint(const D3DVECTOR& p) const {
  return VectorMagnitude(VectorSub(CameraPosition, VectorAdd(p, SceneInfo.Position)));
}

// --- names ------------------------------------------------------------------------

FileSearchPlaces TD3DScene::searchPlaces() const {
  FileSearchPlaces places;
  places.sceneFileName = FileName;
  places.programDirectory = programDirectory;
  places.searchPaths = *SearchPaths;
  for (const TD3DScene* s : SubScenes) places.subSceneNames.push_back(s->SceneInfo.Name);
  return places;
}

std::string TD3DScene::ResolveFileName(const std::string& name) const {
  return velorina::ResolveFileName(name, searchPlaces());
}

std::string TD3DScene::ResolveArchiveName(const std::string& name) const {
  if (!LoadingFromArchive || !Archive) return name;
  return resolveArchiveEntryName(*Archive, name);
}

// --- loading ------------------------------------------------------------------------

std::pair<std::string, std::unique_ptr<TD3DObject>> TD3DScene::buildObject(const SceneObjectRecord& record,
                                                                            const TTextureNames& textureNames) {
  if (const auto* q = std::get_if<TD3DQuadrangleInfo>(&record)) {
    std::string name = q->TextureName;
    TDirect3DTexture2* texture = AcquireTexture(name);
    TD3DQuadrangleInfo info = *q;
    info.TextureName = texture != nullptr ? name : q->TextureName;
    return {info.TextureName, std::make_unique<TD3DQuadrAngle>(DXDraw_, texture, info)};
  }
  if (const auto* p = std::get_if<TD3DPolygonInfo>(&record)) {
    TD3DPolygonInfo info = *p;
    info.TextureNames = textureNames;
    const std::string name = textureNames.get(0);
    TTexturePairs pairs;
    AcquireTextureSet(info.TextureNames, pairs);
    return {name, std::make_unique<TD3DPolygon>(DXDraw_, pairs, info)};
  }
  if (const auto* s = std::get_if<TD3DSceneInfo>(&record)) {
    TD3DSceneInfo info = *s;
    if (!info.Name.empty() && !LoadingFromArchive) info.Name = ResolveFileName(info.Name);
    return {s->Name, CreateChild(info, *this)};
  }
  // Spheres and 3D text are read but not built yet.
  return {};
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

void TD3DScene::ReadDocument(const SceneDocument& doc, const ScenePlacement& placement) {
  std::vector<std::string> textureNames = doc.Textures;
  AcquireTextureList(textureNames);
  const bool wasPaused = Paused;
  SetPaused(true);
  for (const auto& entry : doc.Objects) {
    auto built = buildObject(entry.Record, entry.TextureNames);
    if (built.second) appendObject(entry.Name, std::move(built.second), placement);
  }
  for (const auto& sound : doc.Sounds) {
    if (auto audio = buildSound(sound)) {
      audio->MoveByXYZ(placement.translation.x, placement.translation.y, placement.translation.z);
      AudioObjects.add(sound.Name, std::move(audio));
    }
  }
  for (const auto& d : doc.Data) {
    std::string name = d.Name;
    DataItems.add(d.Name, std::make_unique<TCustomData>(d, GetDataStream(name)));
  }
  for (const auto& a : doc.Actions) Actions.add({}, std::make_unique<TD3DAction>(a, *this));
  for (const auto& l : doc.Lights) lightPointers_.push_back(Lights.add({}, std::make_unique<TD3DSceneLight>(l)));
  RebuildSubScenes();
  SetPaused(wasPaused);
  UpdateSoundPositions();
  RebuildDeviceState();
}

std::unique_ptr<TD3DBaseAudio> TD3DScene::buildSound(const SceneSoundEntry& entry) {
  if (const auto* s = std::get_if<TD3DSoundInfo>(&entry.Record)) {
    std::string wave = s->WaveName;
    return std::make_unique<TD3DSound>(sound_, GetWaveStream(wave), *s, audioStart(), *clock_);
  }
  if (const auto* t = std::get_if<TD3DToneInfo>(&entry.Record)) {
    return std::make_unique<TD3DTone>(*toneHost_, *t, audioStart());
  }
  return nullptr;
}

void TD3DScene::ReadSceneStream(std::span<const std::uint8_t> bytes, const std::string& source,
                                const ScenePlacement& placement) {
  SceneDocument doc;
  try {
    SceneStreamReader(bytes, source).read(doc);
  } catch (const Error&) {
    ReadDocument(doc, placement);  // what was read before the damage stays
    throw;
  }
  ReadDocument(doc, placement);
  if (Textures && doc.Form == SceneStreamForm::Headed) {
    Textures->stableSort([](const auto& a, const auto& b) { return upperAscii(a.name) < upperAscii(b.name); });
  }
}

void TD3DScene::LoadFromResource(const std::string& name) {
  // The flag holds only for this load, however it ends.
  struct Mode {
    TD3DScene& s;
    explicit Mode(TD3DScene& scene) : s(scene) { s.ResourceMode = true; }
    ~Mode() { s.ResourceMode = false; }
  } mode{*this};
  const std::string resource = ResolveResourceName(name);
  const bool number = !resource.empty() && resource.size() < 10 &&
                      std::all_of(resource.begin(), resource.end(), [](char c) { return c >= '0' && c <= '9'; });
  const auto bytes = number ? ResourceRegistry::program().get("D3D", std::stoi(resource))
                            : ResourceRegistry::program().get("D3D", resource);
  LoadFromBytes(bytes, "D3D/" + resource);
}

void TD3DScene::LoadFromBytes(std::span<const std::uint8_t> bytes, const std::string& source) {
  ClearAll();
  ReadSceneStream(bytes, source);
}

void TD3DScene::LoadFromPackage(Stream& stream, std::int64_t position, std::uint32_t size,
                                const std::string& mapName) {
  FileName.clear();
  closeArchive();
  // The package's archive is used only while loading, whatever happens.
  struct Close {
    TD3DScene& s;
    ~Close() { s.closeArchive(); }
  } close{*this};
  archiveWindow_ = std::make_unique<TSubStream>(&stream, size, static_cast<std::uint32_t>(position));
  Archive = std::make_unique<TWad>(*archiveWindow_);
  LoadingFromArchive = true;
  const ByteBuffer lump = Archive->ReadEntry(ResolveArchiveName(mapName));
  LoadFromBytes(lump, stream.name() + "|" + mapName);
  Modified = false;
  resetClock();
  RecomputeIdentifierCounter();
}

ByteBuffer TD3DScene::readWholeFile(const std::string& path) const {
  FileStream file(path, FileMode::Read);
  ByteBuffer bytes(static_cast<std::size_t>(file.size()));
  file.readExact(bytes.data(), bytes.size());
  return bytes;
}

void TD3DScene::LoadFromFile(const std::string& fileName) {
  // A world of its own: names are no longer looked up in an archive opened earlier.
  if (ParentScene == nullptr) closeArchive();
  FileName = ResolveFileName(fileName);
  const ByteBuffer bytes = readWholeFile(FileName);
  const std::string keep = FileName;
  if (ParentScene == nullptr) {
    LoadFromBytes(bytes, keep);
  } else {
    ReadSceneStream(bytes, keep);
  }
  FileName = keep;
  Modified = false;
}

void TD3DScene::LoadFromFile(const std::string& fileName, const ScenePlacement& placement) {
  FileName = ResolveFileName(fileName);
  const ByteBuffer bytes = readWholeFile(FileName);
  Modified = true;
  ReadSceneStream(bytes, FileName, placement);
}

bool TD3DScene::OpenFromArchiveFile(const std::string& archiveFile, const std::string& lumpName) {
  return loadArchiveFile(archiveFile, lumpName, ArchiveLoad::Replace, {});
}

bool TD3DScene::LoadFromArchiveFile(const std::string& archiveFile, const std::string& lumpName,
                                    const ScenePlacement& placement) {
  return loadArchiveFile(archiveFile, lumpName, ArchiveLoad::Add, placement);
}

bool TD3DScene::loadArchiveFile(const std::string& archiveFile, const std::string& lumpName, ArchiveLoad how,
                                const ScenePlacement& placement) {
  const std::string path = ResolveFileName(archiveFile);
  const TWadKind kind = ProbeWadKind(path);
  if (isDoomFamilyWad(kind)) {
    throw ESceneError("Doom-family maps cannot be opened yet", ErrorContext{path, std::nullopt, std::nullopt, {}});
  }
  if (kind != TWadKind::wkOtherWad) {
    reporter_->showError(formatMessage(messages::kWrongFileTypeNamed, {path}), messageCaption_);
    RecomputeIdentifierCounter();
    return false;
  }
  FileName = path;
  closeArchive();
  if (how == ArchiveLoad::Replace) ClearAll();
  try {
    Archive = std::make_unique<TWad>(path);
    LoadingFromArchive = true;
    const std::string lump = ResolveArchiveName(lumpName);
    const ByteBuffer bytes = Archive->ReadEntry(lump);
    ReadSceneStream(bytes, path + "|" + lump, placement);
  } catch (...) {
    // A world that failed to load leaves no archive behind to find names in.
    closeArchive();
    throw;
  }
  Modified = how == ArchiveLoad::Add;
  RecomputeIdentifierCounter();
  return true;
}

bool TD3DScene::OpenByName(const std::string& name) {
  if (const auto reference = ParseLumpReference(name)) {
    const std::string archive = ResolveFileName(reference->file);
    return isRegularFile(archive) && OpenFromArchiveFile(archive, reference->lump);
  }
  if (upperAscii(PictureRegistry::extensionOf(FileName)) == "WAD") {
    return isRegularFile(FileName) && OpenFromArchiveFile(FileName, name);
  }
  const std::string path = ResolveFileName(name);
  if (!isRegularFile(path)) return false;
  LoadFromFile(path);
  return true;
}

void TD3DScene::SetMessageReporter(std::shared_ptr<MessageReporter> reporter, std::string caption) {
  reporter_->setTarget(std::move(reporter));
  messageCaption_ = std::move(caption);
}

void TD3DScene::RecomputeIdentifierCounter() {
  if (FileName.empty() && ParentScene == nullptr) ObjectIdCounter::reset();
  std::int32_t highest = 0;
  for (const auto& e : Objects) highest = std::max(highest, e.object ? e.object->ObjectID() : 0);
  for (const auto& d : DataItems) highest = std::max(highest, d.object->DataID());
  for (const auto& l : Lights) highest = std::max(highest, l.object->LightID());
  for (const auto& a : AudioObjects) highest = std::max(highest, a.object ? a.object->AudioID() : 0);
  ObjectIdCounter::raiseTo(highest);
}

void TD3DScene::RebuildSubScenes() {
  SubScenes.clear();
  for (auto& e : Objects) {
    if (e.object && e.object->KindCode() == 7) SubScenes.push_back(static_cast<TD3DScene*>(e.object.get()));
  }
}

}  // namespace velorina
