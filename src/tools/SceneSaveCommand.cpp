// velorina-tool scene save: loads any world and saves it again, as a scene file or
// as a world archive with its media.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "archive/FileStream.h"
#include "archive/SubStream.h"
#include "archive/Wad.h"
#include "imaging/PictureRegistry.h"
#include "platform/display/ManualClock.h"
#include "scene/Scene.h"
#include "shell/SceneLumpChoice.h"
#include "shell/WorldPackage.h"
#include "tools/ArgParser.h"
#include "tools/SceneCommands.h"
#include "tools/WorldSource.h"

namespace velorina::tools {

namespace {

constexpr const char* kUsage =
    "usage: velorina-tool scene save WORLD -o OUT [--lump NAME] [--out-lump NAME]\n"
    "           [--level none|fastest|default|max]\n"
    "\n"
    "Loads WORLD (a scene file in either form, a world archive, whose scene is the\n"
    "lump NAME or else its only .D3D lump, or a packed player) and saves the scene.\n"
    "An OUT ending in .wad becomes a world archive: the media the scene uses (its\n"
    "pictures, waves, data files and nested worlds, found as the player finds them,\n"
    "in the archive or package the world came from included), then the scene lump\n"
    "--out-lump (default: the lump read, or MAP01). An archive that exists keeps its\n"
    "other lumps. Any other OUT becomes a scene file. An existing OUT is first copied\n"
    "to the same name with the extension .~WAD or .~D3D.\n"
    "  -o, --out OUT  the world to write\n";

bool isArchiveName(const std::string& name) { return upperAscii(PictureRegistry::extensionOf(name)) == "WAD"; }

// A loaded world and what stays open for saving its media: a packed player's
// archive, which the scene closes once the world is read.
struct LoadedWorld {
  std::string lump;  // the scene lump read, when there is one
  std::unique_ptr<FileStream> file;
  std::unique_ptr<TSubStream> window;
  std::unique_ptr<TWad> packageArchive;
};

LoadedWorld load(TD3DScene& scene, const std::string& path, const std::string& lump) {
  LoadedWorld world;
  world.file = std::make_unique<FileStream>(path, FileMode::Read);
  if (auto package = findWorldPackage(*world.file)) {
    world.lump = lump.empty() ? package->Header.MapName : lump;
    scene.LoadFromPackage(*world.file, package->ArchiveOffset, package->ArchiveSize, world.lump);
    world.window = std::make_unique<TSubStream>(world.file.get(), package->ArchiveSize,
                                                static_cast<std::uint32_t>(package->ArchiveOffset));
    world.packageArchive = std::make_unique<TWad>(*world.window);
    return world;
  }
  char magic[4] = {};
  world.file->setPosition(0);
  if (world.file->read(magic, 4) == 4 && std::memcmp(magic, "PWAD", 4) == 0) {
    world.lump = chooseSceneLump(TWad(path), lump.empty() ? std::nullopt : std::optional<std::string>(lump), path);
    scene.OpenFromArchiveFile(path, world.lump);
    return world;
  }
  scene.LoadFromFile(path);
  return world;
}

// The media to save. The scene finds its textures as files or in the archive it
// is reading from; a packed player's archive is closed once the world is read, so
// the pictures that only it holds are added from it here.
std::vector<std::string> mediaToSave(const TD3DScene& scene, TWad* packageArchive) {
  std::vector<std::string> media;
  scene.CollectMediaFiles(media);
  if (packageArchive == nullptr) return media;
  for (const auto& texture : *scene.Textures) {
    const std::string entry = resolveArchiveEntryName(*packageArchive, texture.name);
    const bool listed = std::any_of(media.begin(), media.end(),
                                    [&](const std::string& m) { return upperAscii(m) == upperAscii(texture.name); });
    if (!listed && packageArchive->Exists(entry)) media.push_back(texture.name);
  }
  return media;
}

int save(const ParsedArgs& p) {
  if (p.positional.size() != 1) throw UsageError("usage: velorina-tool scene save WORLD -o OUT");
  const auto out = outputPath(p);
  if (!out) throw UsageError("scene save needs -o OUT");
  const TCompressionLevel level = parseCompressionLevel(p, TCompressionLevel::clDefault);

  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  LoadedWorld world = load(scene, p.positional[0], p.value("--lump").value_or(""));
  if (!isArchiveName(*out)) {
    scene.SaveToFile(*out);
    std::printf("%s: scene file\n", out->c_str());
    return 0;
  }
  TD3DScene::ArchiveSaveOptions options;
  options.form = TD3DScene::ArchiveSave::WithMedia;
  options.mediaArchive = world.packageArchive.get();
  options.media = mediaToSave(scene, world.packageArchive.get());
  options.level = level;
  const std::string lump = p.value("--out-lump").value_or(world.lump.empty() ? "MAP01" : world.lump);
  const auto report = scene.SaveToArchiveFile(*out, lump, options);
  if (!report.mediaMissing.empty()) {
    // The world names them but had them nowhere; the copy is as complete as it was.
    std::string names;
    for (const auto& m : report.mediaMissing) names += (names.empty() ? "" : ", ") + m;
    std::fprintf(stderr, "velorina-tool scene save: %s: saved without media it names but that were found nowhere: %s\n",
                 out->c_str(), names.c_str());
  }
  std::printf("%s: scene lump \"%s\" and %zu media files\n", out->c_str(), report.sceneLump.c_str(),
              report.mediaWritten.size());
  return 0;
}

}  // namespace

int runSceneSaveCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(args, {"-o", "--out", "--lump", "--out-lump", "--level"});
    if (p.help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    return save(p);
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool scene save: ") + e.what());
  }
}

}  // namespace velorina::tools
