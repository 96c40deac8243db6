#include "tools/SceneMedia.h"

#include <algorithm>

#include "archive/FileStream.h"
#include "archive/Wad.h"
#include "doommap/LumpReference.h"
#include "imaging/PictureRegistry.h"
#include "scene/NameResolver.h"
#include "scene/Scene.h"
#include "scene/records/SceneStreamReader.h"

namespace velorina::tools {

namespace {

struct Wanted {
  MediaKind kind;
  std::string name;
  std::string usedBy;
};

// The names a document gives, in the order they appear.
std::vector<Wanted> namesOf(const SceneDocument& doc, const std::string& prefix) {
  std::vector<Wanted> out;
  auto picture = [&](const std::string& name, const std::string& where) {
    const std::string ext = upperAscii(PictureRegistry::extensionOf(name));
    // The scene reads no picture from a reference, a world or an archive name.
    if (name.empty() || ParseLumpReference(name) || ext == "D3D" || ext == "WAD") return;
    out.push_back({MediaKind::Picture, name, where});
  };
  for (std::size_t i = 0; i < doc.Textures.size(); ++i) picture(doc.Textures[i], prefix + "textures[" + std::to_string(i) + "]");
  for (std::size_t i = 0; i < doc.Objects.size(); ++i) {
    const std::string where = prefix + "objects[" + std::to_string(i) + "]";
    const auto& entry = doc.Objects[i];
    if (const auto* scene = std::get_if<TD3DSceneInfo>(&entry.Record)) {
      if (!scene->Name.empty()) out.push_back({MediaKind::World, scene->Name, where});
      continue;
    }
    if (const auto* quad = std::get_if<TD3DQuadrangleInfo>(&entry.Record)) picture(quad->TextureName, where);
    for (const auto& [index, name] : entry.TextureNames.entries()) picture(name, where);
  }
  for (std::size_t i = 0; i < doc.Sounds.size(); ++i) {
    if (const auto* s = std::get_if<TD3DSoundInfo>(&doc.Sounds[i].Record); s != nullptr && !s->WaveName.empty()) {
      out.push_back({MediaKind::Wave, s->WaveName, prefix + "sounds[" + std::to_string(i) + "]"});
    }
  }
  for (std::size_t i = 0; i < doc.Data.size(); ++i) {
    if (!doc.Data[i].Name.empty()) out.push_back({MediaKind::Data, doc.Data[i].Name, prefix + "data[" + std::to_string(i) + "]"});
  }
  return out;
}

class MediaSearch {
 public:
  MediaSearch(const std::vector<std::string>& directories) : directories_(directories) {}

  void add(const SceneDocument& doc, const std::string& prefix, int depth) {
    for (auto& wanted : namesOf(doc, prefix)) {
      if (seen(wanted.name)) continue;
      const std::string path = findMediaFile(wanted.name, directories_);
      if (path.empty()) {
        missing_.push_back("\"" + wanted.name + "\" (" + wanted.usedBy + ")");
        continue;
      }
      found_.push_back({wanted.kind, wanted.name, path, wanted.usedBy});
      if (wanted.kind == MediaKind::World && depth < TD3DScene::kMaxNesting) addNested(path, wanted.name, depth);
    }
  }

  std::vector<MediaFile>& found() { return found_; }
  const std::vector<std::string>& missing() const { return missing_; }

 private:
  bool seen(const std::string& name) {
    const std::string key = upperAscii(name);
    if (std::find(keys_.begin(), keys_.end(), key) != keys_.end()) return true;
    keys_.push_back(key);
    return false;
  }

  // A nested world's own media, named in messages after the world.
  void addNested(const std::string& path, const std::string& name, int depth) {
    FileStream file(path, FileMode::Read);
    ByteBuffer bytes(static_cast<std::size_t>(file.size()));
    file.readExact(bytes.data(), bytes.size());
    SceneDocument nested;
    SceneStreamReader(bytes, path).read(nested);
    add(nested, name + ": ", depth + 1);
  }

  const std::vector<std::string>& directories_;
  std::vector<std::string> keys_;
  std::vector<MediaFile> found_;
  std::vector<std::string> missing_;
};

}  // namespace

std::string findMediaFile(const std::string& name, const std::vector<std::string>& directories) {
  if (name.empty()) return {};
  if (name.front() == '/') return isRegularFile(name) ? name : std::string();
  // A name made on Windows ("C:\TEX\WALL.BMP") is looked for by its file name only.
  const bool plainPath = name.find_first_of("\\:") == std::string::npos;
  for (const auto& dir : directories) {
    if (plainPath && name.find('/') != std::string::npos) {
      if (auto found = findFileIgnoringCase(directoryOf(dir.empty() ? name : dir + "/" + name), fileNamePart(name)); !found.empty()) {
        return found;
      }
    }
    if (auto found = findFileIgnoringCase(dir, fileNamePart(name)); !found.empty()) return found;
  }
  return {};
}

std::vector<MediaFile> findSceneMedia(const SceneDocument& doc, const std::string& source,
                                      const std::vector<std::string>& directories) {
  MediaSearch search(directories);
  search.add(doc, "", 0);
  if (!search.missing().empty()) {
    std::string places;
    for (const auto& d : directories) places += (places.empty() ? "" : " or ") + (d.empty() ? std::string(".") : d);
    std::string names;
    for (const auto& m : search.missing()) names += (names.empty() ? "" : ", ") + m;
    throw Error("media not found in " + places + ": " + names, ErrorContext{source, std::nullopt, std::nullopt, {}});
  }
  return std::move(search.found());
}

}  // namespace velorina::tools
