#pragma once
// The world package appended behind the player executable: the header, the u32
// archive size S, S bytes of archive, and a u32 trailer holding the file offset
// where the package starts. The trailer is always the file's last four bytes.

#include <cstdint>
#include <optional>
#include <span>

#include "archive/Stream.h"
#include "shell/WorldHeader.h"

namespace velorina {

struct WorldPackageInfo {
  TWorldHeader Header;
  std::uint32_t ArchiveSize = 0;
  std::int64_t PackageOffset = 0;  // P, from the trailer
  std::int64_t ArchiveOffset = 0;  // file offset of the archive's first byte
};

// Reads the package of a file (an executable carrying a world). Every length is
// checked against the file: a file shorter than 4 bytes, or a trailer, string length
// or archive size that points past the end, raises EWadError with the wrong-type
// message. The archive itself is not checked here.
WorldPackageInfo readWorldPackage(Stream& file);

// The package of a file when it carries a well-formed one whose archive starts with
// "PWAD" and whose trailer is the last four bytes; nothing otherwise.
std::optional<WorldPackageInfo> findWorldPackage(Stream& file);

// Appends header, archive size, archive and trailer at the stream's end; the
// package starts at the current end of the stream.
void appendWorldPackage(Stream& out, const TWorldHeader& header, std::span<const std::uint8_t> archive);

}  // namespace velorina
