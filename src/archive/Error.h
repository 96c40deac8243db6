#pragma once
// The system's error classes. what() is the message exactly as the system shows it;
// the context (file, record, byte offset, detail) says where and why, for
// command-line output and logs (describe()).

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace velorina {

struct ErrorContext {
  std::string file;                  // the file or stream the error was found in
  std::optional<std::int64_t> record;  // index of the record (entry, object) concerned
  std::optional<std::int64_t> offset;  // byte offset in the file or stream
  std::string detail;                // what exactly is wrong, in plain words
};

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, ErrorContext context = {})
      : std::runtime_error(message), context_(std::move(context)) {}

  const ErrorContext& context() const noexcept { return context_; }

  // Adds the file name unless an inner layer already gave one.
  void setFileIfUnset(const std::string& file) {
    if (context_.file.empty()) context_.file = file;
  }

  // One line: "FILE: message (gloss; detail, record R, at byte B)", the English
  // gloss only after a Greek message. Line breaks inside the
  // system's message become spaces.
  std::string describe() const;

 private:
  ErrorContext context_;
};

// Reading or writing a stream failed (short read, failed write, bad seek).
class EStreamError : public Error {
 public:
  using Error::Error;
};

// A file could not be opened or created.
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A zlib stream could not be inflated to the length its block declares.
class EDecompressionError : public Error {
 public:
  using Error::Error;
};

// A zlib stream could not be written.
class ECompressionError : public Error {
 public:
  using Error::Error;
};

// Wrong archive or package format, or a missing archive entry.
class EWadError : public Error {
 public:
  using Error::Error;
};

class ESubStreamError : public Error {
 public:
  using Error::Error;
};

// A program resource that does not exist.
class EResNotFound : public Error {
 public:
  using Error::Error;
};

}  // namespace velorina
