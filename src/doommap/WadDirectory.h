#pragma once
// The directory of an id-layout WAD file (12-byte header, 16-byte entries), read
// once with every entry checked against the file, and the lumps behind it read on
// demand. Nothing that a stranger's file claims is allocated before it is known to
// fit in the file.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ByteBuffer.h"
#include "archive/Error.h"
#include "archive/Stream.h"

namespace velorina {

// A WAD file whose header, directory or lumps do not fit the file, or a map or lump
// that is not there.
class EDoomWadError : public Error {
 public:
  using Error::Error;
};

struct WadDirectoryEntry {
  std::int64_t position = 0;
  std::int64_t size = 0;
  std::array<std::uint8_t, 8> rawName{};
  std::string name;  // LumpNameToString of rawName
};

class WadDirectory {
 public:
  // Reads the directory of a file; throws EFOpenError or EDoomWadError.
  static WadDirectory open(const std::string& fileName);
  // The same over bytes in memory (copied), named `fileName` in messages.
  static WadDirectory fromBytes(std::span<const std::uint8_t> bytes, std::string fileName);

  WadDirectory(WadDirectory&&) noexcept;
  WadDirectory& operator=(WadDirectory&&) noexcept;
  ~WadDirectory();

  const std::string& fileName() const noexcept { return fileName_; }
  std::span<const WadDirectoryEntry> entries() const noexcept { return entries_; }
  std::size_t size() const noexcept { return entries_.size(); }
  const WadDirectoryEntry& operator[](std::size_t i) const { return entries_.at(i); }

  // The first entry named `name` at or after `from`; nothing when there is none.
  std::optional<std::size_t> findEntry(std::string_view name, std::size_t from = 0) const;
  // The whole content of entry `index`.
  ByteBuffer readLump(std::size_t index);
  // The first entry named `name`'s content, or nothing.
  std::optional<ByteBuffer> readLumpNamed(std::string_view name);

 private:
  WadDirectory(std::unique_ptr<Stream> stream, std::string fileName);
  void readDirectory();

  std::unique_ptr<Stream> stream_;
  std::string fileName_;
  std::vector<WadDirectoryEntry> entries_;
};

}  // namespace velorina
