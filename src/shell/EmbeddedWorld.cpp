#include "shell/EmbeddedWorld.h"

#include <unistd.h>

#include <array>

namespace velorina {

EmbeddedWorld::EmbeddedWorld(const std::string& playerPath, const std::string& displayName)
    : file_(std::make_unique<FileStream>(playerPath, FileMode::Read)) {
  const std::string name = displayName.empty() ? playerPath : displayName;
  file_->setDisplayName(name);
  try {
    package_ = readWorldPackage(*file_);
    window_ = std::make_unique<TSubStream>(file_.get(), package_.ArchiveSize,
                                           static_cast<std::uint32_t>(package_.ArchiveOffset));
    archive_ = std::make_unique<TWad>(*window_);
    mapLumpName_ = resolveArchiveEntryName(*archive_, package_.Header.MapName);
    mapLump_ = archive_->ReadEntry(mapLumpName_);
  } catch (Error& e) {
    e.setFileIfUnset(name);
    throw;
  }
}

std::string programFile(const char* argv0) {
  if (isRegularFile("/proc/self/exe")) return "/proc/self/exe";
  return argv0 != nullptr ? argv0 : "";
}

std::string programPath(const char* argv0) {
  std::array<char, 4096> buffer{};
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n > 0) return std::string(buffer.data(), static_cast<std::size_t>(n));
  return argv0 != nullptr ? argv0 : "";
}

}  // namespace velorina
