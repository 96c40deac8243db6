#pragma once
// TWad: the world archive. A "PWAD" magic, the directory offset and the entry
// count, then lumps stored as compressed blocks and a directory that is itself one
// compressed block of 264-byte entries with names of up to 255 characters.
//
// Lookups compare whole names without regard to ASCII case; "|" in a name passed to
// ReadEntry addresses a lump of an archive that is itself a lump.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/ByteBuffer.h"
#include "archive/CompressedBlock.h"
#include "archive/Stream.h"

namespace velorina {

inline constexpr std::uint32_t kWadMaxEntries = 65536;
inline constexpr std::size_t kWadEntrySize = 264;
inline constexpr std::size_t kWadHeaderSize = 12;
inline constexpr std::size_t kWadMaxNameLength = 255;

// How an archive was opened; decides whether it owns its stream.
enum class WadSource : std::uint8_t { New = 0, FileName = 1, CallerStream = 2, Lump = 3 };

// One directory entry as held in memory.
struct TWadEntry {
  std::uint32_t Offset = 0;  // archive offset of the lump's compressed block
  std::uint32_t Size = 0;    // stored length of the block (4 + compressed length)
  std::string Name;          // bytes as stored
};

// The 264-byte stored entry: u32 Offset, u32 Size, a length byte and the name,
// zero-filled to 256 bytes.
void encodeWadEntry(const TWadEntry& entry, std::uint8_t* out264);
TWadEntry decodeWadEntry(std::span<const std::uint8_t> in264);

class TWad {
 public:
  // An empty archive in memory ("PWAD", directory offset 0, count 0).
  TWad();
  // Opens and reads the directory of an archive file.
  explicit TWad(const std::string& fileName);
  // Reads the directory of an archive held by the caller's stream (not owned). The
  // archive starts at the stream's offset 0.
  explicit TWad(Stream& stream);
  // Reads lump `lumpName` of `parent` into memory and opens it as an archive.
  TWad(TWad& parent, const std::string& lumpName);
  ~TWad();
  TWad(const TWad&) = delete;
  TWad& operator=(const TWad&) = delete;

  // Empties `destination` and fills it with the lump's uncompressed bytes, its
  // position left at 0. Throws EWadError (entry not found) for a missing lump,
  // leaving the destination empty. Returns true.
  bool ReadEntry(const std::string& name, Stream& destination);
  // The lump's uncompressed bytes.
  ByteBuffer ReadEntry(const std::string& name);
  // True when an entry has exactly this name (ASCII case ignored); "|" is not special.
  bool Exists(const std::string& name) const;
  // Clears `list` and adds every entry name in sorted order.
  void ListNames(std::vector<std::string>& list) const;
  std::vector<std::string> Names() const;

  // Soft lookup: the entry, or null.
  const TWadEntry* FindEntry(const std::string& name) const;
  // Hard lookup: throws EWadError ("Η καταχώρηση δεν βρέθηκε στο αρχείο WAD:\r\nNAME").
  const TWadEntry& Entry(const std::string& name) const;

  std::uint32_t Count() const noexcept { return static_cast<std::uint32_t>(directory_.size()); }
  WadSource Source() const noexcept { return source_; }
  Stream& GetStream() noexcept { return *stream_; }
  // Entries in stored directory order.
  const std::vector<TWadEntry>& Directory() const noexcept { return directory_; }
  std::uint32_t DirectoryOffset() const noexcept { return directoryOffset_; }
  // A name for messages: the file, or the parent and lump.
  const std::string& DisplayName() const noexcept { return displayName_; }

 private:
  void LoadDirectory();
  void readDirectoryBlock(std::int64_t archiveSize, std::size_t expected, ByteBuffer& out);
  void validateEntry(const TWadEntry& entry, std::size_t index, std::int64_t archiveSize) const;
  std::span<const std::uint8_t> blockBytes(const TWadEntry& entry);
  [[noreturn]] void wrongType(std::string detail, std::optional<std::int64_t> offset = std::nullopt,
                              std::optional<std::int64_t> record = std::nullopt) const;

  std::unique_ptr<Stream> owned_;
  Stream* stream_ = nullptr;
  WadSource source_ = WadSource::New;
  std::string displayName_;
  std::uint32_t directoryOffset_ = 0;
  std::vector<TWadEntry> directory_;   // stored order
  std::vector<std::uint32_t> sorted_;  // indices into directory_, by upper-cased name
  std::vector<std::string> keys_;      // upper-cased names, in sorted order
  Inflater inflater_;
  ByteBuffer scratch_;                 // compressed bytes of streams not held in memory
};

// ASCII-only upper case (a-z to A-Z); other bytes stay as they are.
std::string upperAscii(std::string text);

// The entry name a stored name refers to: the name itself when the archive has it
// (ASCII case ignored), else the first name in sorted order whose file-name part
// (after the last "\", "/" or ":") equals the name's own, else the name unchanged.
std::string resolveArchiveEntryName(const TWad& wad, const std::string& name);

// The text after the last "\", "/" or ":".
std::string fileNamePart(const std::string& path);

}  // namespace velorina
