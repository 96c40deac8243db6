#include "doommap/WadProbe.h"

#include <array>
#include <cstring>
#include <vector>

#include "archive/FileStream.h"
#include "archive/LittleEndian.h"

namespace velorina {

namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kEntriesPerChunk = 4096;

// Where the bytes of the file come from: a file stream or memory.
class ProbeSource {
 public:
  virtual ~ProbeSource() = default;
  virtual std::int64_t size() = 0;
  // Reads exactly `out.size()` bytes at `offset`; false when they are not there.
  virtual bool readAt(std::int64_t offset, std::span<std::uint8_t> out) = 0;
};

class FileSource final : public ProbeSource {
 public:
  explicit FileSource(FileStream& file) : file_(file) {}
  std::int64_t size() override { return file_.size(); }
  bool readAt(std::int64_t offset, std::span<std::uint8_t> out) override {
    file_.seek(offset, SeekOrigin::Begin);
    return file_.read(out.data(), out.size()) == out.size();
  }

 private:
  FileStream& file_;
};

class MemorySource final : public ProbeSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::int64_t size() override { return static_cast<std::int64_t>(bytes_.size()); }
  bool readAt(std::int64_t offset, std::span<std::uint8_t> out) override {
    if (offset < 0 || static_cast<std::uint64_t>(offset) + out.size() > bytes_.size()) return false;
    std::memcpy(out.data(), bytes_.data() + offset, out.size());
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

bool isNameByte(std::uint8_t c) {
  return c == 0 || c == '-' || c == '/' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '[' ||
         c == '\\' || c == ']' || c == '_';
}

// The marker a lump name stands for, by priority (0 = none, 4 = "SCRIPTS").
int markerOf(const std::uint8_t* name) {
  char text[9] = {};
  std::memcpy(text, name, 8);
  if (std::strcmp(text, "SCRIPTS") == 0) return 4;
  if (std::strcmp(text, "BEHAVIOR") == 0) return 3;
  if (std::strcmp(text, "MAPE1") == 0) return 2;
  if (std::strcmp(text, "M_DOOM") == 0) return 1;
  return 0;
}

TWadKind kindForMarker(int marker) {
  switch (marker) {
    case 4: return TWadKind::wkScripts;
    case 3: return TWadKind::wkHexen;
    case 2: return TWadKind::wkHeretic;
    case 1: return TWadKind::wkDoom;
    default: return TWadKind::wkPlainWad;
  }
}

TWadKind probe(ProbeSource& source) {
  std::array<std::uint8_t, kHeaderSize> header{};
  const std::int64_t fileSize = source.size();
  if (fileSize < 4 || !source.readAt(0, std::span(header).first(4))) return TWadKind::wkNotWad;
  if (std::memcmp(header.data(), "PWAD", 4) != 0 && std::memcmp(header.data(), "IWAD", 4) != 0) {
    return TWadKind::wkNotWad;
  }
  if (!source.readAt(4, std::span(header).subspan(4))) return TWadKind::wkOtherWad;
  const std::int64_t count = loadLE<std::int32_t>(header.data() + 4);
  const std::int64_t directory = loadLE<std::int32_t>(header.data() + 8);
  // Computed in 64 bits, and a directory before the start of the file does not fit either.
  if (count < 1 || directory < 0 || fileSize < count * static_cast<std::int64_t>(kEntrySize) + directory) {
    return TWadKind::wkOtherWad;
  }
  int marker = 0;
  std::vector<std::uint8_t> chunk;
  for (std::int64_t first = 0; first < count; first += kEntriesPerChunk) {
    const std::int64_t n = std::min<std::int64_t>(kEntriesPerChunk, count - first);
    chunk.resize(static_cast<std::size_t>(n) * kEntrySize);
    if (!source.readAt(directory + first * static_cast<std::int64_t>(kEntrySize), chunk)) return TWadKind::wkOtherWad;
    for (std::int64_t i = 0; i < n; ++i) {
      const std::uint8_t* entry = chunk.data() + i * kEntrySize;
      const std::uint64_t end = static_cast<std::uint64_t>(loadLE<std::uint32_t>(entry)) + loadLE<std::uint32_t>(entry + 4);
      bool named = true;
      for (int k = 0; k < 8; ++k) named = named && isNameByte(entry[8 + k]);
      if (!named || end > static_cast<std::uint64_t>(fileSize)) return TWadKind::wkNotWad;
      marker = std::max(marker, markerOf(entry + 8));
    }
  }
  return kindForMarker(marker);
}

}  // namespace

TWadKind ProbeWadKind(const std::string& fileName) {
  FileStream file(fileName, FileMode::Read);
  FileSource source(file);
  return probe(source);
}

TWadKind probeWadBytes(std::span<const std::uint8_t> file) {
  MemorySource source(file);
  return probe(source);
}

}  // namespace velorina
