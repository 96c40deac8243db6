#pragma once
// Writes a file by way of a temporary file in the same folder that is renamed over
// the target only when complete, so a process that dies half-way leaves the old
// file as it was.

#include <memory>
#include <string>

#include "archive/FileStream.h"

namespace velorina {

class AtomicFileWriter {
 public:
  // Creates the temporary file beside `target`; throws EFOpenError, also when
  // `target` exists and is not a regular file (a directory, say).
  explicit AtomicFileWriter(std::string target);
  // Removes the temporary file unless commit() ran.
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  FileStream& stream() noexcept { return *stream_; }
  // Flushes the data to the disk and renames the temporary file over the target,
  // keeping the target's permissions when it existed.
  void commit();

 private:
  std::string target_;
  std::string temp_;
  std::unique_ptr<FileStream> stream_;
  bool committed_ = false;
};

}  // namespace velorina
