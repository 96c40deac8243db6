// The scene's lifetime, clock, its own object operations, emptying, placing and names.
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
#include "archive/Resources.h"
#include "platform/sound/SoundDevice.h"
#include "platform/sound/null/NullAudioOutput.h"
#include "scene/objects/Sound.h"
#include "scene/objects/Tone.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/records/SceneStreamReader.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/Polygon.h"
#include "scene/objects/QuadrAngle.h"

namespace velorina {

TD3DScene::TD3DScene(DXDraw* device, SoundDevice* sound, const IClock& clock)
    : TD3DScene(device, sound, clock, runningProgramDirectory()) {}

TD3DScene::TD3DScene(DXDraw* device, SoundDevice* sound, const IClock& clock, std::string programDirectory) {
  this->programDirectory = std::move(programDirectory);
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
    if (TWad* archive = parent.LoadingFromArchive ? parent.sourceArchive() : nullptr) {
      // The nested world reads its media from the parent's archive too.
      const ByteBuffer lump = archive->ReadEntry(parent.ResolveArchiveName(info.Name));
      child->LoadingFromArchive = true;
      struct Done {
        TD3DScene& s;
        ~Done() { s.LoadingFromArchive = false; }
      } done{*child};
      child->ReadSceneStream(lump, info.Name);
    } else if (parent.ResourceMode) {
      child->LoadFromResource(info.Name);
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


// --- emptying and placing ---------------------------------------------------------

void TD3DScene::ClearObjects() {
  Objects.clear();
  objectsReordered();
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

TWad* TD3DScene::sourceArchive() const {
  if (Archive) return Archive.get();
  return ParentScene != nullptr ? ParentScene->sourceArchive() : nullptr;
}

std::string TD3DScene::ResolveArchiveName(const std::string& name) const {
  const TWad* archive = LoadingFromArchive ? sourceArchive() : nullptr;
  return archive != nullptr ? resolveArchiveEntryName(*archive, name) : name;
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
  objectsReordered();
  SubScenes.clear();
  for (auto& e : Objects) {
    if (e.object && e.object->KindCode() == 7) SubScenes.push_back(static_cast<TD3DScene*>(e.object.get()));
  }
}

}  // namespace velorina
