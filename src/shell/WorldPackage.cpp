#include "shell/WorldPackage.h"

#include <cstring>

#include "archive/Messages.h"

namespace velorina {

namespace {

[[noreturn]] void wrongType(Stream& file, std::int64_t offset, std::string detail) {
  throw EWadError(messages::kWrongFileType, ErrorContext{file.name(), std::nullopt, offset, std::move(detail)});
}

// Reads an i16-length string; a length of zero or less is the empty string.
std::string readString(Stream& file, std::int64_t end, const char* what) {
  const std::int64_t at = file.position();
  if (at + 2 > end) wrongType(file, at, std::string("the package ends inside the ") + what + " length");
  const std::int16_t n = file.readI16();
  if (n <= 0) return {};
  if (file.position() + n > end) {
    wrongType(file, at, std::string("the ") + what + " length " + std::to_string(n) + " passes the end of the file");
  }
  std::string text(static_cast<std::size_t>(n), '\0');
  file.readExact(text.data(), text.size());
  return text;
}

}  // namespace

WorldPackageInfo readWorldPackage(Stream& file) {
  const std::int64_t size = file.size();
  if (size < 4) wrongType(file, 0, "the file is shorter than the 4-byte trailer");
  const std::int64_t end = size - 4;  // the trailer's first byte
  file.setPosition(end);
  WorldPackageInfo info;
  info.PackageOffset = file.readU32();
  constexpr std::int64_t kFixedFields = 54;  // the fixed-size fields before the title length
  if (info.PackageOffset + kFixedFields > end) {
    wrongType(file, end, "the trailer points at offset " + std::to_string(info.PackageOffset) +
                             ", past the room for a package header");
  }
  file.setPosition(info.PackageOffset);
  TWorldHeader& h = info.Header;
  for (float* f : {&h.MinX, &h.MaxX, &h.MinY, &h.MaxY, &h.MinZ, &h.MaxZ, &h.MoveSpeed, &h.TurnFactor}) *f = file.readF32();
  h.MinFilter = file.readU32();
  h.MagFilter = file.readU32();
  h.Antialias = file.readU8();
  h.Reserved = file.readU8();
  h.DisplayWidth = file.readU32();
  h.DisplayHeight = file.readU32();
  h.BackgroundColor = file.readU32();
  h.Title = readString(file, end, "title");
  h.MapName = readString(file, end, "map name");
  const std::int64_t at = file.position();
  if (at + 4 > end) wrongType(file, at, "the package ends before the archive size");
  info.ArchiveSize = file.readU32();
  info.ArchiveOffset = file.position();
  if (info.ArchiveOffset > 0xFFFFFFFFll) wrongType(file, at, "the archive starts beyond 4 GiB");
  if (info.ArchiveOffset + info.ArchiveSize > end) {
    wrongType(file, at, "the archive size " + std::to_string(info.ArchiveSize) + " passes the end of the file");
  }
  return info;
}

std::optional<WorldPackageInfo> findWorldPackage(Stream& file) {
  try {
    WorldPackageInfo info = readWorldPackage(file);
    if (info.ArchiveOffset + info.ArchiveSize + 4 != file.size()) return std::nullopt;
    char magic[4] = {};
    file.setPosition(info.ArchiveOffset);
    if (info.ArchiveSize < 4 || file.read(magic, 4) != 4 || std::memcmp(magic, "PWAD", 4) != 0) return std::nullopt;
    return info;
  } catch (const Error&) {
    return std::nullopt;
  }
}

void appendWorldPackage(Stream& out, const TWorldHeader& header, std::span<const std::uint8_t> archive) {
  const std::int64_t start = out.seek(0, SeekOrigin::End);
  if (start > 0xFFFFFFFFll || archive.size() > 0xFFFFFFFFull) {
    throw EWadError("Stream write error", ErrorContext{out.name(), std::nullopt, start, "package beyond 4 GiB"});
  }
  header.write(out);
  out.writeU32(static_cast<std::uint32_t>(archive.size()));
  out.writeBytes(archive);
  out.writeU32(static_cast<std::uint32_t>(start));
}

}  // namespace velorina
