#pragma once
// Opens the world that a player file carries: reads the package, opens the archive
// through a window onto the file and reads the map lump.

#include <memory>
#include <string>

#include "archive/ByteBuffer.h"
#include "archive/FileStream.h"
#include "archive/SubStream.h"
#include "archive/Wad.h"
#include "shell/WorldPackage.h"

namespace velorina {

class EmbeddedWorld {
 public:
  // Opens `playerPath` and reads its package, archive directory and map lump.
  // Throws the archive's errors (wrong type, entry not found, damaged data), naming
  // the file as `displayName` (default: the path).
  explicit EmbeddedWorld(const std::string& playerPath, const std::string& displayName = {});

  const WorldPackageInfo& package() const noexcept { return package_; }
  const TWorldHeader& header() const noexcept { return package_.Header; }
  TWad& archive() noexcept { return *archive_; }
  // The archive entry the map name resolved to, and its uncompressed bytes.
  const std::string& mapLumpName() const noexcept { return mapLumpName_; }
  const ByteBuffer& mapLump() const noexcept { return mapLump_; }

 private:
  std::unique_ptr<FileStream> file_;
  WorldPackageInfo package_;
  std::unique_ptr<TSubStream> window_;
  std::unique_ptr<TWad> archive_;
  std::string mapLumpName_;
  ByteBuffer mapLump_;
};

// The file to open for the running program: /proc/self/exe where the system has
// it (it stays valid even when the program was moved), else `argv0`.
std::string programFile(const char* argv0);
// The running program's path for messages: the target of /proc/self/exe, else `argv0`.
std::string programPath(const char* argv0);

}  // namespace velorina
