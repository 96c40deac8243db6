#include "tools/ArchiveFile.h"

namespace velorina::tools {

ArchiveFile::ArchiveFile(const std::string& path) : file_(std::make_unique<FileStream>(path, FileMode::Read)) {
  file_->setDisplayName(path);
  try {
    package_ = findWorldPackage(*file_);
    if (package_) {
      window_ = std::make_unique<TSubStream>(file_.get(), package_->ArchiveSize,
                                             static_cast<std::uint32_t>(package_->ArchiveOffset));
      wad_ = std::make_unique<TWad>(*window_);
    } else {
      file_->setPosition(0);
      wad_ = std::make_unique<TWad>(*file_);
    }
  } catch (Error& e) {
    e.setFileIfUnset(path);
    throw;
  }
}

ByteBuffer ArchiveFile::bytes() {
  Stream& stream = window_ ? static_cast<Stream&>(*window_) : static_cast<Stream&>(*file_);
  ByteBuffer out(static_cast<std::size_t>(stream.size()));
  stream.setPosition(0);
  stream.readExact(out.data(), out.size());
  return out;
}

}  // namespace velorina::tools
