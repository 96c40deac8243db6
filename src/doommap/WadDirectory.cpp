#include "doommap/WadDirectory.h"

#include "archive/FileStream.h"
#include "archive/LittleEndian.h"
#include "archive/MemoryStream.h"
#include "doommap/LumpName.h"

namespace velorina {

namespace {

constexpr std::int64_t kHeaderSize = 12;
constexpr std::int64_t kEntrySize = 16;

[[noreturn]] void fail(const std::string& file, std::optional<std::int64_t> record, std::int64_t offset,
                       const std::string& detail) {
  throw EDoomWadError("Damaged WAD file", ErrorContext{file, record, offset, detail});
}

void readExactly(Stream& stream, std::int64_t offset, std::span<std::uint8_t> out, const std::string& file) {
  if (out.empty()) return;  // an empty directory or lump: nothing to read (and no buffer)
  stream.seek(offset, SeekOrigin::Begin);
  if (stream.read(out.data(), out.size()) != out.size()) fail(file, std::nullopt, offset, "the file ends early");
}

}  // namespace

WadDirectory::WadDirectory(std::unique_ptr<Stream> stream, std::string fileName)
    : stream_(std::move(stream)), fileName_(std::move(fileName)) {}
WadDirectory::WadDirectory(WadDirectory&&) noexcept = default;
WadDirectory& WadDirectory::operator=(WadDirectory&&) noexcept = default;
WadDirectory::~WadDirectory() = default;

WadDirectory WadDirectory::open(const std::string& fileName) {
  WadDirectory wad(std::make_unique<FileStream>(fileName, FileMode::Read), fileName);
  wad.readDirectory();
  return wad;
}

WadDirectory WadDirectory::fromBytes(std::span<const std::uint8_t> bytes, std::string fileName) {
  WadDirectory wad(std::make_unique<MemoryStream>(bytes), std::move(fileName));
  wad.readDirectory();
  return wad;
}

void WadDirectory::readDirectory() {
  const std::int64_t fileSize = stream_->size();
  if (fileSize < kHeaderSize) fail(fileName_, std::nullopt, 0, "shorter than a WAD header");
  std::array<std::uint8_t, kHeaderSize> header{};
  readExactly(*stream_, 0, header, fileName_);
  const std::int64_t count = loadLE<std::int32_t>(header.data() + 4);
  const std::int64_t directory = loadLE<std::int32_t>(header.data() + 8);
  if (count < 0) fail(fileName_, std::nullopt, 4, "negative lump count " + std::to_string(count));
  if (directory < 0) fail(fileName_, std::nullopt, 8, "negative directory offset " + std::to_string(directory));
  if (directory + count * kEntrySize > fileSize) {
    fail(fileName_, std::nullopt, 4,
         "a directory of " + std::to_string(count) + " entries at byte " + std::to_string(directory) +
             " does not fit in " + std::to_string(fileSize) + " bytes");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count * kEntrySize));
  readExactly(*stream_, directory, bytes, fileName_);
  entries_.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const std::uint8_t* p = bytes.data() + i * kEntrySize;
    WadDirectoryEntry& e = entries_[i];
    e.position = loadLE<std::int32_t>(p);
    e.size = loadLE<std::int32_t>(p + 4);
    std::copy(p + 8, p + 16, e.rawName.begin());
    e.name = LumpNameToString(e.rawName);
    const std::int64_t at = directory + static_cast<std::int64_t>(i) * kEntrySize;
    if (e.position < 0 || e.size < 0 || e.position + e.size > fileSize) {
      fail(fileName_, static_cast<std::int64_t>(i), at,
           "lump \"" + e.name + "\" of " + std::to_string(e.size) + " bytes at byte " + std::to_string(e.position) +
               " lies outside the file of " + std::to_string(fileSize) + " bytes");
    }
  }
}

std::optional<std::size_t> WadDirectory::findEntry(std::string_view name, std::size_t from) const {
  for (std::size_t i = from; i < entries_.size(); ++i) {
    if (entries_[i].name == name) return i;
  }
  return std::nullopt;
}

ByteBuffer WadDirectory::readLump(std::size_t index) {
  const WadDirectoryEntry& e = entries_.at(index);
  ByteBuffer out(static_cast<std::size_t>(e.size));
  if (!out.empty()) readExactly(*stream_, e.position, out, fileName_);
  return out;
}

std::optional<ByteBuffer> WadDirectory::readLumpNamed(std::string_view name) {
  const auto index = findEntry(name);
  if (!index) return std::nullopt;
  return readLump(*index);
}

}  // namespace velorina
