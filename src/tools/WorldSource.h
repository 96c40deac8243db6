#pragma once
// Finds the scene stream of a world given on the command line: a scene file, a
// world archive (the lump named by --lump, resolved against the archive's names,
// or else its only lump whose name ends in ".D3D"), or a player carrying a world
// package (the lump named by --lump or by the package header).

#include <optional>
#include <string>

#include "archive/ByteBuffer.h"
#include "archive/Wad.h"
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

// The scene lump of an archive: `wanted` resolved against its names, or else its
// only lump whose name ends in ".D3D", or among several the one whose file name is
// the player's default map (MAP01.D3D); EWadError when none of these is found.
std::string chooseSceneLump(const TWad& wad, const std::string& wanted, const std::string& archiveName);

// Throws the archive's errors, or EWadError when an archive has no single ".D3D" lump.
WorldSource openWorldSource(const std::string& path, const std::string& lump);

}  // namespace velorina::tools
