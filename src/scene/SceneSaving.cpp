// Saving the scene: the scene as records, the scene stream, scene files with their
// ".~D3D" copy, and world archives with their media and their ".~WAD" copy.
#include <unordered_set>

#include "archive/AtomicFile.h"
#include "archive/FileStream.h"
#include "archive/MemoryStream.h"
#include "archive/WadWriter.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/Scene.h"
#include "scene/objects/Polygon.h"
#include "scene/objects/QuadrAngle.h"
#include "scene/objects/Sound.h"
#include "scene/objects/Tone.h"
#include "scene/records/SceneStreamWriter.h"
#include "scene/records/StreamVersion.h"

namespace velorina {

namespace {

// The record of a kind whose object keeps no record of its own to hand out: its
// stored form, read back.
template <typename Info>
Info recordFromStore(const TD3DObject& object) {
  MemoryStream stored;
  object.SaveToStream(stored);
  ByteReader in(stored.bytes(), "object");
  Info info = Info::read(in, stream_version::kCurrent);
  info.TextureNames = object.TextureNameTable();
  return info;
}

// The entry of one object; none for a kind that has no stored form.
std::optional<SceneObjectEntry> entryOf(const std::string& name, const TD3DObject& object) {
  SceneObjectEntry entry;
  entry.Kind = object.KindCode();
  entry.Name = name;
  switch (static_cast<ObjectKind>(entry.Kind)) {
    case ObjectKind::Quadrangle: {
      const auto& q = dynamic_cast<const TD3DQuadrAngle&>(object);
      entry.Record = q.GetInfo();
      entry.TextureNames.set(0, q.GetInfo().TextureName);
      break;
    }
    case ObjectKind::Polygon: {
      TD3DPolygonInfo info = dynamic_cast<const TD3DPolygon&>(object).GetInfo();
      entry.TextureNames = info.TextureNames;
      entry.Record = std::move(info);
      break;
    }
    case ObjectKind::Scene: {
      TD3DSceneInfo info = dynamic_cast<const TD3DScene&>(object).SceneInfo;
      entry.Name = info.Name;
      entry.Record = std::move(info);
      break;
    }
    case ObjectKind::Sphere:
      entry.Record = recordFromStore<TD3DSphereInfo>(object);
      entry.TextureNames = std::get<TD3DSphereInfo>(entry.Record).TextureNames;
      break;
    case ObjectKind::Text:
      entry.Record = recordFromStore<TD3DTextInfo>(object);
      entry.TextureNames = std::get<TD3DTextInfo>(entry.Record).TextureNames;
      break;
    default:
      return std::nullopt;
  }
  return entry;
}

// Texture names, each once (ASCII case ignored), in the order first met.
class NameList {
 public:
  void add(const std::string& name) {
    if (!name.empty() && seen_.insert(upperAscii(name)).second) names_.push_back(name);
  }
  std::vector<std::string> release() { return std::move(names_); }

 private:
  std::vector<std::string> names_;
  std::unordered_set<std::string> seen_;
};

std::string extensionOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  const auto dot = path.find_last_of('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(dot) : std::string();
}

// `path` with its extension replaced by `extension` (which starts with a dot).
std::string withExtension(const std::string& path, const std::string& extension) {
  return path.substr(0, path.size() - extensionOf(path).size()) + extension;
}

ByteBuffer readFile(const std::string& path) {
  FileStream in(path, FileMode::Read);
  ByteBuffer bytes(static_cast<std::size_t>(in.size()));
  in.readExact(bytes.data(), bytes.size());
  return bytes;
}

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  AtomicFileWriter out(path);
  out.stream().writeBytes(bytes);
  out.commit();
}

// Copies an existing file to the same name with `extension`, unless it has that
// extension already.
void keepBackup(const std::string& path, const std::string& extension) {
  if (!isRegularFile(path) || upperAscii(extensionOf(path)) == extension) return;
  writeFileAtomically(withExtension(path, extension), readFile(path));
}

ByteBuffer wholeStream(Stream& stream) {
  const std::int64_t at = stream.position();
  stream.setPosition(0);
  ByteBuffer bytes(static_cast<std::size_t>(stream.size()));
  stream.readExact(bytes.data(), bytes.size());
  stream.setPosition(at);
  return bytes;
}

}  // namespace

SceneDocument TD3DScene::ToDocument() const {
  SceneDocument doc;
  doc.Form = SceneStreamForm::Headed;
  doc.Version = stream_version::kCurrent;
  NameList textures;
  std::vector<std::string> used;
  for (const auto& e : Objects) {
    if (!e.object || !e.object->Persistent) continue;
    auto entry = entryOf(e.name, *e.object);
    if (!entry) continue;
    used.clear();
    e.object->AddTextureNames(used);
    for (const auto& name : used) textures.add(name);
    // Names of pairs past the frames in use too, so that saving loses none.
    for (const auto& [index, name] : entry->TextureNames.entries()) textures.add(name);
    doc.Objects.push_back(std::move(*entry));
  }
  doc.Textures = textures.release();
  for (const auto& a : AudioObjects) {
    if (const auto* sound = dynamic_cast<const TD3DSound*>(a.object.get())) {
      TD3DSoundInfo info = sound->info();
      info.WaveName = a.name;
      doc.Sounds.push_back({d3dValue(ObjectKind::Sound), a.name, info});
    } else if (const auto* tone = dynamic_cast<const TD3DTone*>(a.object.get())) {
      doc.Sounds.push_back({d3dValue(ObjectKind::Tone), {}, tone->info()});
    }
  }
  for (const auto& d : DataItems) {
    TCustomDataInfo info = d.object->info();
    info.Name = d.name;
    doc.Data.push_back(std::move(info));
  }
  for (const auto& a : Actions) {
    if (!a.object->Temporary()) doc.Actions.push_back(a.object->info());
  }
  for (const auto& l : Lights) doc.Lights.push_back(l.object->info());
  return doc;
}

ByteBuffer TD3DScene::SaveToBytes(const std::string& target) const {
  return SceneStreamWriter(target).write(ToDocument());
}

void TD3DScene::SaveToFile(const std::string& fileName) {
  const ByteBuffer bytes = SaveToBytes(fileName);  // refused documents touch no file
  keepBackup(fileName, ".~D3D");
  writeFileAtomically(fileName, bytes);
  FileName = fileName;
  Modified = false;
}

std::string TD3DScene::SceneLumpName(const std::string& name) {
  std::string lump = name.size() >= 3 && name.compare(1, 2, ":\\") == 0 ? name : "C:\\" + name;
  const std::string tail = lump.size() >= 4 ? upperAscii(lump.substr(lump.size() - 4)) : std::string();
  if (tail != ".D3D") lump += ".D3D";
  return lump;
}

std::optional<ByteBuffer> TD3DScene::mediaBytes(const std::string& name, TWad* extra) const {
  if (isRegularFile(name)) return readFile(name);
  for (TWad* archive : {sourceArchive(), extra}) {
    if (archive == nullptr) continue;
    const std::string entry = resolveArchiveEntryName(*archive, name);
    if (archive->Exists(entry)) return archive->ReadEntry(entry);
  }
  if (const auto i = WaveStreams->indexOf(name); i >= 0) {
    const WaveSource& wave = *(*WaveStreams)[static_cast<std::size_t>(i)].object;
    if (wave.bytes) return ByteBuffer(wave.bytes->begin(), wave.bytes->end());
  }
  if (const auto i = DataStreams->indexOf(name); i >= 0) {
    if (Stream* stream = (*DataStreams)[static_cast<std::size_t>(i)].object.get()) return wholeStream(*stream);
  }
  return std::nullopt;
}

TD3DScene::ArchiveSaveReport TD3DScene::SaveToArchiveFile(const std::string& archiveFile, const std::string& lumpName,
                                                           const ArchiveSaveOptions& options) {
  ArchiveSaveReport report;
  report.sceneLump = SceneLumpName(lumpName);
  std::vector<ArchiveLump> lumps;
  if (options.form == ArchiveSave::WithMedia) {
    std::vector<std::string> media;
    if (options.media) {
      media = *options.media;
    } else {
      CollectMediaFiles(media);
    }
    for (const auto& name : media) {
      if (upperAscii(name) == upperAscii(report.sceneLump)) continue;
      if (auto bytes = mediaBytes(name, options.mediaArchive)) {
        lumps.push_back({name, std::move(*bytes)});
        report.mediaWritten.push_back(name);
      } else {
        report.mediaMissing.push_back(name);
      }
    }
  }
  lumps.push_back({report.sceneLump, SaveToBytes(archiveFile + "|" + report.sceneLump)});
  // Everything is read before the old archive is touched: it may be the very
  // archive the media come from.
  keepBackup(archiveFile, ".~WAD");
  if (options.form == ArchiveSave::SceneOnly) {
    writeArchiveFile(archiveFile, lumps, options.level);
  } else {
    writeLumpsToArchiveFile(archiveFile, lumps, options.level);
  }
  Modified = false;
  return report;
}

void TD3DScene::CollectMediaFiles(std::vector<std::string>& list) const {
  std::unordered_set<std::string> have;
  for (const auto& name : list) have.insert(upperAscii(name));
  TWad* archive = sourceArchive();
  const auto add = [&](const std::string& name, bool mustExist) {
    if (name.empty()) return;
    std::string chosen;
    if (archive != nullptr && archive->Exists(resolveArchiveEntryName(*archive, name))) {
      chosen = name;
    } else {
      chosen = ResolveFileName(name);
      if (mustExist && !isRegularFile(chosen)) return;
    }
    if (have.contains(upperAscii(name)) || have.contains(upperAscii(chosen))) return;
    have.insert(upperAscii(chosen));
    list.push_back(std::move(chosen));
  };
  for (const auto& t : *Textures) add(t.name, true);
  for (const auto& w : *WaveStreams) add(w.name, false);
  for (const auto& d : DataItems) add(d.name, false);
  for (const TD3DScene* s : SubScenes) {
    add(s->SceneInfo.Name, false);
    s->CollectMediaFiles(list);
    for (std::size_t i = 0; i < list.size(); ++i) have.insert(upperAscii(list[i]));
  }
}

}  // namespace velorina
