#pragma once
// A stream over a file descriptor. Opening for reading accepts only regular files,
// so a name that points at a FIFO or a device cannot make a reader hang.

#include "archive/Stream.h"

namespace velorina {

enum class FileMode {
  Read,       // existing file, read only
  ReadWrite,  // existing file, read and write
  Create,     // new or truncated file, read and write
};

class FileStream final : public Stream {
 public:
  // Throws EFOpenError ("Cannot open file ..." / "Cannot create file ...").
  FileStream(const std::string& path, FileMode mode);
  // Takes over an open descriptor (closed with the stream).
  FileStream(int fd, std::string path);
  ~FileStream() override;

  std::size_t read(void* buffer, std::size_t count) override;
  std::size_t write(const void* buffer, std::size_t count) override;
  std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t size() override;
  void setSize(std::int64_t newSize) override;
  std::span<const std::uint8_t> view(std::int64_t, std::size_t) override { return {}; }
  std::string name() const override { return path_; }

  int fd() const noexcept { return fd_; }
  // Names the file differently in messages (for example the program's real path
  // instead of /proc/self/exe).
  void setDisplayName(std::string name) { path_ = std::move(name); }
  // Flushes the file's data to the disk; throws EStreamError on failure.
  void sync();

 private:
  int fd_ = -1;
  std::int64_t pos_ = 0;
  std::string path_;
};

// True when path names an existing regular file (following links).
bool isRegularFile(const std::string& path);

}  // namespace velorina
