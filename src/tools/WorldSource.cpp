#include "tools/WorldSource.h"

#include <cstring>

#include "archive/FileStream.h"
#include "shell/SceneLumpChoice.h"
#include "tools/ArchiveFile.h"

namespace velorina::tools {

WorldFileKind worldFileKind(const std::string& path) {
  FileStream file(path, FileMode::Read);
  if (findWorldPackage(file)) return WorldFileKind::PackedPlayer;
  char magic[4] = {};
  file.setPosition(0);
  if (file.read(magic, 4) == 4 && std::memcmp(magic, "PWAD", 4) == 0) return WorldFileKind::Archive;
  return WorldFileKind::SceneFile;
}

std::optional<std::string> wantedSceneLump(const std::string& lump, const std::optional<WorldPackageInfo>& package) {
  if (!lump.empty()) return lump;
  if (package) return package->Header.MapName;
  return std::nullopt;
}

WorldSource openWorldSource(const std::string& path, const std::string& lump) {
  WorldSource out;
  out.name = path;
  out.kind = worldFileKind(path);
  if (out.kind == WorldFileKind::SceneFile) {
    FileStream file(path, FileMode::Read);
    out.sceneStream.resize(static_cast<std::size_t>(file.size()));
    file.readExact(out.sceneStream.data(), out.sceneStream.size());
    return out;
  }
  ArchiveFile archive(path);
  out.package = archive.package();
  out.lump = chooseSceneLump(archive.wad(), wantedSceneLump(lump, out.package), path);
  out.name += "|" + out.lump;
  out.sceneStream = archive.wad().ReadEntry(out.lump);
  return out;
}

}  // namespace velorina::tools
