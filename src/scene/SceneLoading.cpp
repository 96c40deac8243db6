// Reading worlds into the scene: documents, scene streams, resources, packages, files and archives.
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
#include "doommap/MapImport.h"
#include "doommap/MapLumps.h"
#include "scene/SceneMapSink.h"
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
  if (isDoomFamilyWad(kind)) return importDoomMapFile(path, lumpName, how);
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

bool TD3DScene::importDoomMapFile(const std::string& path, const std::string& lumpName, ArchiveLoad how) {
  // Without a name the first map of the WAD; a map that is not there fails before
  // the scene is cleared.
  std::string mapName = lumpName;
  if (mapName.empty()) {
    const auto maps = listMapNames(WadDirectory::open(path));
    if (!maps.empty()) mapName = maps.front();
  }
  ReadMapLumps(path, mapName, ProbeWadKind(path));
  if (how == ArchiveLoad::Replace) {
    closeArchive();
    ClearAll();
    FileName = path;
  }
  ImportDoomMap(path, path, mapName, kDefaultMapScale, kDefaultMapBrightness, true);
  if (how == ArchiveLoad::Replace) {
    resetClock();
    Modified = false;
  }
  RecomputeIdentifierCounter();
  return true;
}

DoomImportReport TD3DScene::ImportDoomMap(const std::string& wadFile, const std::string& mapFile,
                                          const std::string& mapName, int scale, float brightness,
                                          bool groupByTexture, const ImportProgress& progress) {
  SceneMapSink sink(*this);
  DoomImportReport report =
      velorina::ImportDoomMap(sink, wadFile, mapFile, mapName, scale, brightness, groupByTexture, progress);
  Modified = true;
  return report;
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

}  // namespace velorina
