#include "archive/Wad.h"

#include <algorithm>
#include <cstring>

#include "archive/FileStream.h"
#include "archive/MemoryStream.h"
#include "archive/Messages.h"
#include "archive/SubStream.h"

namespace velorina {

namespace {

constexpr char kMagic[4] = {'P', 'W', 'A', 'D'};

[[noreturn]] void entryNotFound(const std::string& name, const std::string& archive) {
  throw EWadError(std::string(messages::kEntryNotFound) + ":\r\n" + name,
                  ErrorContext{archive, std::nullopt, std::nullopt, {}});
}

}  // namespace

std::string upperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string fileNamePart(const std::string& path) {
  const auto p = path.find_last_of("\\/:");
  return p == std::string::npos ? path : path.substr(p + 1);
}

void encodeWadEntry(const TWadEntry& entry, std::uint8_t* out) {
  std::memset(out, 0, kWadEntrySize);
  storeLE(out, entry.Offset);
  storeLE(out + 4, entry.Size);
  const std::size_t n = std::min(entry.Name.size(), kWadMaxNameLength);
  out[8] = static_cast<std::uint8_t>(n);
  std::memcpy(out + 9, entry.Name.data(), n);
}

TWadEntry decodeWadEntry(std::span<const std::uint8_t> in) {
  ByteReader r(in);
  TWadEntry e;
  e.Offset = r.u32();
  e.Size = r.u32();
  const std::uint8_t length = r.u8();
  e.Name = r.string(length);
  return e;
}

TWad::TWad() : owned_(std::make_unique<MemoryStream>()), source_(WadSource::New) {
  stream_ = owned_.get();
  stream_->writeBytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(kMagic), 4));
  stream_->writeU32(0);
  stream_->writeU32(0);
}

TWad::TWad(const std::string& fileName)
    : owned_(std::make_unique<FileStream>(fileName, FileMode::Read)), source_(WadSource::FileName),
      displayName_(fileName) {
  stream_ = owned_.get();
  LoadDirectory();
}

TWad::TWad(Stream& stream) : stream_(&stream), source_(WadSource::CallerStream), displayName_(stream.name()) {
  LoadDirectory();
}

TWad::TWad(TWad& parent, const std::string& lumpName) : source_(WadSource::Lump) {
  auto memory = std::make_unique<MemoryStream>();
  parent.ReadEntry(lumpName, *memory);
  displayName_ = parent.DisplayName().empty() ? lumpName : parent.DisplayName() + "|" + lumpName;
  memory->setName(displayName_);
  owned_ = std::move(memory);
  stream_ = owned_.get();
  LoadDirectory();
}

TWad::~TWad() = default;

void TWad::wrongType(std::string detail, std::optional<std::int64_t> offset, std::optional<std::int64_t> record) const {
  throw EWadError(messages::kWrongFileType, ErrorContext{displayName_, record, offset, std::move(detail)});
}

void TWad::LoadDirectory() {
  directory_.clear();
  const std::int64_t archiveSize = stream_->size();
  std::uint8_t header[kWadHeaderSize];
  stream_->setPosition(0);
  if (stream_->read(header, 4) != 4 || std::memcmp(header, kMagic, 4) != 0) wrongType("no \"PWAD\" magic", 0);
  if (stream_->read(header + 4, 8) != 8) wrongType("truncated header", 4);
  directoryOffset_ = loadLE<std::uint32_t>(header + 4);
  const std::uint32_t count = loadLE<std::uint32_t>(header + 8);
  if (count > kWadMaxEntries) wrongType("entry count " + std::to_string(count) + " above 65536", 8);
  if (directoryOffset_ < kWadHeaderSize || directoryOffset_ + std::int64_t{4} > archiveSize) {
    wrongType("directory offset " + std::to_string(directoryOffset_) + " outside the archive of " +
                  std::to_string(archiveSize) + " bytes",
              4);
  }
  ByteBuffer dir;
  readDirectoryBlock(archiveSize, std::size_t{count} * kWadEntrySize, dir);
  directory_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    directory_.push_back(decodeWadEntry(std::span<const std::uint8_t>(dir).subspan(i * kWadEntrySize, kWadEntrySize)));
    validateEntry(directory_.back(), i, archiveSize);
  }
  sorted_.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) sorted_[i] = i;
  std::vector<std::string> upper(count);
  for (std::uint32_t i = 0; i < count; ++i) upper[i] = upperAscii(directory_[i].Name);
  std::stable_sort(sorted_.begin(), sorted_.end(), [&](std::uint32_t a, std::uint32_t b) { return upper[a] < upper[b]; });
  keys_.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) keys_[i] = std::move(upper[sorted_[i]]);
}

void TWad::readDirectoryBlock(std::int64_t archiveSize, std::size_t expected, ByteBuffer& out) {
  // The declared length must be exactly count x 264: checked before inflating.
  stream_->setPosition(directoryOffset_);
  const std::uint32_t declared = stream_->readU32();
  if (declared != expected) {
    wrongType("directory declares " + std::to_string(declared) + " bytes, the entry count needs " +
                  std::to_string(expected),
              directoryOffset_);
  }
  const auto length = static_cast<std::size_t>(archiveSize - directoryOffset_);
  std::span<const std::uint8_t> block = stream_->view(directoryOffset_, length);
  if (block.empty()) {
    scratch_.resize(length);
    stream_->setPosition(directoryOffset_);
    stream_->readExact(scratch_.data(), length);
    block = scratch_;
  }
  try {
    decodeCompressedBlock(block, inflater_, out, displayName_);
  } catch (Error& e) {
    e.setFileIfUnset(displayName_);
    throw;
  }
}

void TWad::validateEntry(const TWadEntry& entry, std::size_t index, std::int64_t archiveSize) const {
  const std::int64_t at = directoryOffset_;
  if (entry.Offset < kWadHeaderSize) {
    wrongType("lump \"" + entry.Name + "\" at offset " + std::to_string(entry.Offset) + ", inside the header", at,
              static_cast<std::int64_t>(index));
  }
  if (entry.Size < 4 || std::int64_t{entry.Offset} + entry.Size > archiveSize) {
    wrongType("lump \"" + entry.Name + "\" of " + std::to_string(entry.Size) + " bytes at offset " +
                  std::to_string(entry.Offset) + " does not fit the archive of " + std::to_string(archiveSize) + " bytes",
              at, static_cast<std::int64_t>(index));
  }
}

const TWadEntry* TWad::FindEntry(const std::string& name) const {
  const std::string key = upperAscii(name);
  std::int64_t low = 0;
  std::int64_t high = static_cast<std::int64_t>(keys_.size()) - 1;
  while (low <= high) {
    const std::int64_t middle = (low + high) / 2;
    const int c = keys_[static_cast<std::size_t>(middle)].compare(key);
    if (c == 0) return &directory_[sorted_[static_cast<std::size_t>(middle)]];
    if (c < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return nullptr;
}

const TWadEntry& TWad::Entry(const std::string& name) const {
  if (const TWadEntry* e = FindEntry(name)) return *e;
  entryNotFound(name, displayName_);
}

bool TWad::Exists(const std::string& name) const { return FindEntry(name) != nullptr; }

void TWad::ListNames(std::vector<std::string>& list) const {
  list.clear();
  list.reserve(sorted_.size());
  for (std::uint32_t i : sorted_) list.push_back(directory_[i].Name);
}

std::vector<std::string> TWad::Names() const {
  std::vector<std::string> list;
  ListNames(list);
  return list;
}

std::span<const std::uint8_t> TWad::blockBytes(const TWadEntry& entry) {
  auto view = stream_->view(entry.Offset, entry.Size);
  if (!view.empty()) return view;
  TSubStream window(stream_, entry.Size, entry.Offset);
  scratch_.resize(entry.Size);
  window.readExact(scratch_.data(), entry.Size);
  return scratch_;
}

ByteBuffer TWad::ReadEntry(const std::string& name) {
  MemoryStream out;
  ReadEntry(name, out);
  return out.release();
}

bool TWad::ReadEntry(const std::string& name, Stream& destination) {
  destination.setPosition(0);
  destination.setSize(0);
  const auto bar = name.find('|');
  if (bar != std::string::npos) {
    TWad nested(*this, name.substr(0, bar));
    return nested.ReadEntry(name.substr(bar + 1), destination);
  }
  const TWadEntry& entry = Entry(name);
  auto* memory = dynamic_cast<MemoryStream*>(&destination);
  ByteBuffer decoded;
  ByteBuffer& out = memory ? memory->buffer() : decoded;
  try {
    decodeCompressedBlock(blockBytes(entry), inflater_, out, displayName_);
  } catch (Error& e) {
    if (memory) memory->clear();
    e.setFileIfUnset(displayName_ + "|" + entry.Name);
    throw;
  }
  if (!memory) destination.writeBytes(decoded);
  destination.setPosition(0);
  return true;
}

std::string resolveArchiveEntryName(const TWad& wad, const std::string& name) {
  if (wad.Exists(name)) return name;
  const std::string wanted = upperAscii(fileNamePart(name));
  for (const auto& candidate : wad.Names()) {
    if (upperAscii(fileNamePart(candidate)) == wanted) return candidate;
  }
  return name;
}

}  // namespace velorina
