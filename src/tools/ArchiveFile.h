#pragma once
// An archive named on the command line: a world archive, or the archive that a
// packed player carries behind its executable image.

#include <memory>
#include <optional>
#include <string>

#include "archive/FileStream.h"
#include "archive/SubStream.h"
#include "archive/Wad.h"
#include "shell/WorldPackage.h"

namespace velorina::tools {

class ArchiveFile {
 public:
  // Throws the archive's errors (wrong type, damaged directory), naming `path`.
  explicit ArchiveFile(const std::string& path);

  TWad& wad() noexcept { return *wad_; }
  // The package when the file is a packed player.
  const std::optional<WorldPackageInfo>& package() const noexcept { return package_; }
  // The archive's bytes as stored (the whole file for a plain archive).
  ByteBuffer bytes();

 private:
  std::unique_ptr<FileStream> file_;
  std::optional<WorldPackageInfo> package_;
  std::unique_ptr<TSubStream> window_;
  std::unique_ptr<TWad> wad_;
};

}  // namespace velorina::tools
