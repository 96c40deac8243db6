// velorina-tool scene build: makes a world archive from a JSON scene description.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "archive/FileStream.h"
#include "archive/MemoryStream.h"
#include "archive/Wad.h"
#include "archive/WadWriter.h"
#include "imaging/PictureRegistry.h"
#include "platform/display/ManualClock.h"
#include "scene/NameResolver.h"
#include "scene/Scene.h"
#include "tools/ArgParser.h"
#include "tools/SceneCommands.h"
#include "tools/SceneJsonReader.h"
#include "tools/SceneMedia.h"

namespace velorina::tools {

namespace {

constexpr const char* kUsage =
    "usage: velorina-tool scene build DESCRIPTION.json -o WORLD.wad [--lump NAME]\n"
    "           [--media-dir DIR] [--level none|fastest|default|max]\n"
    "\n"
    "Builds the scene that DESCRIPTION.json describes (the JSON that `scene dump`\n"
    "prints, or a shorter one: fields left out take their defaults) and writes it as\n"
    "a world archive: every picture, wave, data file and nested world the scene names,\n"
    "stored under the name the scene gives it, then the scene lump NAME (default\n"
    "MAP01, stored as C:\\MAP01.D3D). Media are looked for in DIR, then beside the\n"
    "description. The description's fields, their defaults and units are listed in\n"
    "README.md, section \"Scene descriptions (JSON)\".\n"
    "  -o, --out WORLD.wad  the archive to write (replaced only once it is complete)\n";

// The longest name an archive entry keeps.
constexpr std::size_t kMaxLumpName = 255;

// A directory of its own beside the output, removed with everything in it, so the
// finished archive can be renamed over the output on the same file system.
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::string& besidePath) {
    std::string dir = directoryOf(besidePath);
    std::string pattern = (dir.empty() ? std::string(".") : dir) + "/.velorina-build-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw EFOpenError("Cannot create file", ErrorContext{besidePath, std::nullopt, std::nullopt,
                                                           "no scratch directory could be made beside it"});
    }
    path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string readTextFile(const std::string& path) {
  FileStream file(path, FileMode::Read);
  std::string text(static_cast<std::size_t>(file.size()), '\0');
  file.readExact(text.data(), text.size());
  return text;
}

// Every picture is decoded once before anything is written, so that a file the
// program cannot read is reported by name instead of leaving an untextured object.
void checkMedia(const std::vector<MediaFile>& media, const std::string& source) {
  for (const auto& m : media) {
    if (m.name.size() > kMaxLumpName) {
      throw Error("a media name is longer than the " + std::to_string(kMaxLumpName) +
                      " characters an archive entry keeps: \"" + m.name.substr(0, 40) + "...\" (" + m.usedBy + ")",
                  ErrorContext{source, std::nullopt, std::nullopt, {}});
    }
    if (m.kind != MediaKind::Picture) continue;
    try {
      FileStream file(m.path, FileMode::Read);
      (void)loadPicture(m.name, file);
    } catch (Error& e) {
      e.setFileIfUnset(m.path);
      throw Error(e.describe() + " (the picture \"" + m.name + "\" of " + m.usedBy + ")",
                  ErrorContext{source, std::nullopt, std::nullopt, {}});
    }
  }
}

// The scene, made through the scene's own editing operations in the order of the
// description, as a scene stream.
ByteBuffer buildSceneStream(const SceneDocument& doc, const std::string& mediaArchive, const std::string& target,
                            const std::string& source) {
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  if (!mediaArchive.empty()) {
    // Names are looked up in the archive of media, so they stay as the description
    // gives them instead of becoming paths of this machine.
    scene.Archive = std::make_unique<TWad>(mediaArchive);
    scene.LoadingFromArchive = true;
  }
  // Whatever the scene cannot build is refused here rather than left out of the world.
  const auto refuse = [&](const std::string& where) {
    throw Error(where + ": the scene could not build this", ErrorContext{source, std::nullopt, std::nullopt, {}});
  };
  for (std::size_t i = 0; i < doc.Objects.size(); ++i) {
    const auto& entry = doc.Objects[i];
    if (scene.AddObject(static_cast<ObjectKind>(entry.Kind), entry.Record) == nullptr) {
      refuse("objects[" + std::to_string(i) + "] (kind " + std::to_string(entry.Kind) + ")");
    }
  }
  for (std::size_t i = 0; i < doc.Sounds.size(); ++i) {
    const auto& sound = doc.Sounds[i];
    const auto* s = std::get_if<TD3DSoundInfo>(&sound.Record);
    const auto* t = std::get_if<TD3DToneInfo>(&sound.Record);
    if ((s != nullptr ? scene.AddSound(*s) : scene.AddTone(*t)) == nullptr) refuse("sounds[" + std::to_string(i) + "]");
  }
  for (std::size_t i = 0; i < doc.Data.size(); ++i) {
    if (scene.AddData(doc.Data[i]) == nullptr) refuse("data[" + std::to_string(i) + "]");
  }
  for (const auto& a : doc.Actions) scene.AddAction(a);
  for (const auto& l : doc.Lights) scene.AddLight(l);
  return scene.SaveToBytes(target);
}

void writeLump(const std::string& archive, const ByteBuffer& bytes, const std::string& name, TCompressionLevel level) {
  MemoryStream stream{std::span<const std::uint8_t>(bytes)};
  writeLumpToArchiveFile(archive, stream, name, 0, level);
}

std::string plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

int build(const ParsedArgs& p) {
  if (p.positional.size() != 1) throw UsageError("usage: velorina-tool scene build DESCRIPTION.json -o WORLD.wad");
  const auto out = outputPath(p);
  if (!out) throw UsageError("scene build needs -o WORLD.wad");
  const std::string& description = p.positional[0];
  const TCompressionLevel level = parseCompressionLevel(p, TCompressionLevel::clDefault);
  const std::string lump = TD3DScene::SceneLumpName(p.value("--lump").value_or("MAP01"));

  const SceneDocument doc = readSceneDescription(readTextFile(description), description);
  std::vector<std::string> places;
  if (auto dir = p.value("--media-dir")) places.push_back(*dir);
  places.push_back(directoryOf(description));
  const std::vector<MediaFile> media = findSceneMedia(doc, description, places);
  checkMedia(media, description);

  ScratchDirectory scratch(*out);
  const std::string archive = scratch.path() + "/world.wad";
  for (const auto& m : media) {
    FileStream file(m.path, FileMode::Read);
    writeLumpToArchiveFile(archive, file, m.name, 0, level);
  }
  const ByteBuffer scene = buildSceneStream(doc, media.empty() ? std::string() : archive, *out, description);
  writeLump(archive, scene, lump, level);
  // The output is replaced only now, by a complete archive.
  std::filesystem::rename(archive, *out);
  std::printf("%s: scene lump \"%s\" with %s, %s, %s, %s, %s and %s\n", out->c_str(), lump.c_str(),
              plural(doc.Objects.size(), "object", "objects").c_str(), plural(doc.Sounds.size(), "sound", "sounds").c_str(),
              plural(doc.Data.size(), "data item", "data items").c_str(),
              plural(doc.Actions.size(), "action", "actions").c_str(), plural(doc.Lights.size(), "light", "lights").c_str(),
              plural(media.size(), "media file", "media files").c_str());
  return 0;
}

}  // namespace

int runSceneBuildCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(args, {"-o", "--out", "--lump", "--media-dir", "--level"});
    if (p.help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    return build(p);
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool scene build: ") + e.what());
  }
}

}  // namespace velorina::tools
