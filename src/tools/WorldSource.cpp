#include "tools/WorldSource.h"

#include <cstring>

#include "archive/FileStream.h"
#include "archive/Messages.h"
#include "archive/SubStream.h"
#include "archive/Wad.h"

namespace velorina::tools {

namespace {

bool endsWithD3D(const std::string& name) {
  return name.size() >= 4 && upperAscii(name.substr(name.size() - 4)) == ".D3D";
}

}  // namespace

std::string chooseSceneLump(const TWad& wad, const std::string& wanted, const std::string& archiveName) {
  if (!wanted.empty()) return resolveArchiveEntryName(wad, wanted);
  std::vector<std::string> scenes;
  for (const auto& n : wad.Names()) {
    if (endsWithD3D(n)) scenes.push_back(n);
  }
  if (scenes.size() == 1) return scenes.front();
  // A world with nested worlds holds several; the one a player opens by default wins.
  if (scenes.size() > 1) {
    const std::string shipped = upperAscii(TWorldHeader::shipped().MapName);
    for (const auto& n : scenes) {
      if (upperAscii(fileNamePart(n)) == shipped) return n;
    }
  }
  throw EWadError(std::string(messages::kEntryNotFound) + ":\r\n*.D3D",
                  ErrorContext{archiveName, std::nullopt, std::nullopt,
                               scenes.empty() ? "the archive holds no .D3D lump; name one with --lump"
                                              : "the archive holds several .D3D lumps; name one with --lump"});
}

namespace {

void readArchiveLump(TWad& wad, const std::string& lump, WorldSource& out) {
  out.lump = lump;
  out.name += "|" + lump;
  out.sceneStream = wad.ReadEntry(lump);
}

}  // namespace

WorldSource openWorldSource(const std::string& path, const std::string& lump) {
  WorldSource out;
  out.name = path;
  FileStream file(path, FileMode::Read);
  if (auto package = findWorldPackage(file)) {
    out.kind = WorldFileKind::PackedPlayer;
    out.package = package;
    TSubStream window(&file, package->ArchiveSize, static_cast<std::uint32_t>(package->ArchiveOffset));
    TWad wad(window);
    readArchiveLump(wad, resolveArchiveEntryName(wad, lump.empty() ? package->Header.MapName : lump), out);
    return out;
  }
  char magic[4] = {};
  file.setPosition(0);
  if (file.read(magic, 4) == 4 && std::memcmp(magic, "PWAD", 4) == 0) {
    out.kind = WorldFileKind::Archive;
    TWad wad(path);
    readArchiveLump(wad, chooseSceneLump(wad, lump, path), out);
    return out;
  }
  out.kind = WorldFileKind::SceneFile;
  out.sceneStream.resize(static_cast<std::size_t>(file.size()));
  file.setPosition(0);
  file.readExact(out.sceneStream.data(), out.sceneStream.size());
  return out;
}

}  // namespace velorina::tools
