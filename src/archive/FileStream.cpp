#include "archive/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "archive/Messages.h"

namespace velorina {

namespace {

[[noreturn]] void throwOpen(const char* pattern, const std::string& path, const std::string& why) {
  // The message names the file already.
  throw EFOpenError(formatMessage(pattern, {path, why}));
}

}  // namespace

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

FileStream::FileStream(const std::string& path, FileMode mode) : path_(path) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case FileMode::Read: flags |= O_RDONLY | O_NONBLOCK; break;
    case FileMode::ReadWrite: flags |= O_RDWR | O_NONBLOCK; break;
    case FileMode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  fd_ = ::open(path.c_str(), flags, 0666);
  const char* pattern = mode == FileMode::Create ? messages::kFileCreateError : messages::kFileOpenError;
  if (fd_ < 0) throwOpen(pattern, path, std::strerror(errno));
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throwOpen(pattern, path, "Not a regular file");
  }
  if (mode != FileMode::Create) ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

FileStream::FileStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

FileStream::~FileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t FileStream::read(void* buffer, std::size_t count) {
  if (pos_ < 0) return 0;
  std::size_t done = 0;
  auto* out = static_cast<std::uint8_t*>(buffer);
  while (done < count) {
    const ssize_t n = ::pread(fd_, out + done, count - done, pos_ + static_cast<std::int64_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  pos_ += static_cast<std::int64_t>(done);
  return done;
}

std::size_t FileStream::write(const void* buffer, std::size_t count) {
  if (pos_ < 0) return 0;
  std::size_t done = 0;
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  while (done < count) {
    const ssize_t n = ::pwrite(fd_, in + done, count - done, pos_ + static_cast<std::int64_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  pos_ += static_cast<std::int64_t>(done);
  return done;
}

std::int64_t FileStream::seek(std::int64_t offset, SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::Begin: pos_ = offset; break;
    case SeekOrigin::Current: pos_ += offset; break;
    case SeekOrigin::End: pos_ = size() + offset; break;
  }
  return pos_;
}

std::int64_t FileStream::size() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return 0;
  return static_cast<std::int64_t>(st.st_size);
}

void FileStream::setSize(std::int64_t newSize) {
  if (newSize < 0 || ::ftruncate(fd_, newSize) != 0) {
    throw EStreamError(messages::kStreamWriteError,
                       ErrorContext{path_, std::nullopt, newSize, "cannot set the file size"});
  }
}

void FileStream::sync() {
  if (::fsync(fd_) != 0) {
    throw EStreamError(messages::kStreamWriteError, ErrorContext{path_, std::nullopt, std::nullopt, std::strerror(errno)});
  }
}

}  // namespace velorina
