#pragma once
// Finds the scene stream of a world given on the command line: a scene file, a
// world archive or a player carrying a world package. The scene lump is the one
// named by --lump, else the package header's map, else the one chooseSceneLump
// picks.

#include <optional>
#include <string>

#include "archive/ByteBuffer.h"
#include "shell/WorldPackage.h"

namespace velorina::tools {

enum class WorldFileKind { SceneFile, Archive, PackedPlayer };

struct WorldSource {
  WorldFileKind kind = WorldFileKind::SceneFile;
  std::string name;        // for messages: FILE or FILE|LUMP
  std::string lump;        // the archive entry read, when there is one
  ByteBuffer sceneStream;  // the scene stream's bytes
  std::optional<WorldPackageInfo> package;
};

// What kind of world a file holds, by its content.
WorldFileKind worldFileKind(const std::string& path);

// The lump to load: `lump` when given, else the package header's map name.
std::optional<std::string> wantedSceneLump(const std::string& lump, const std::optional<WorldPackageInfo>& package);

// Throws the archive's errors, or EWadError when no scene lump can be chosen.
WorldSource openWorldSource(const std::string& path, const std::string& lump);

}  // namespace velorina::tools
