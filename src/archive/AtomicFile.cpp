#include "archive/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/Messages.h"

namespace velorina {

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {
  // A directory (or a device, a FIFO) standing at the target is never replaced: the
  // user named it, and renaming over it would fail only after all the work anyway.
  struct stat existing {};
  if (::stat(target_.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    const char* why = S_ISDIR(existing.st_mode) ? "It is a directory." : "It is not a regular file.";
    throw EFOpenError(formatMessage(messages::kFileCreateError, {target_, why}),
                      ErrorContext{target_, std::nullopt, std::nullopt, {}});
  }
  std::string pattern = target_ + ".tmpXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    throw EFOpenError(formatMessage(messages::kFileCreateError, {target_, std::strerror(errno)}), ErrorContext{target_, std::nullopt, std::nullopt, {}});
  }
  temp_ = name.data();
  stream_ = std::make_unique<FileStream>(fd, target_);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!committed_) {
    stream_.reset();
    ::unlink(temp_.c_str());
  }
}

void AtomicFileWriter::commit() {
  stream_->sync();
  struct stat st {};
  mode_t mode = 0644;
  if (::stat(target_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(stream_->fd(), mode);
  stream_.reset();
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    ::unlink(temp_.c_str());
    committed_ = true;
    throw EStreamError(messages::kStreamWriteError, ErrorContext{target_, std::nullopt, std::nullopt, "rename failed: " + why});
  }
  committed_ = true;
}

}  // namespace velorina
