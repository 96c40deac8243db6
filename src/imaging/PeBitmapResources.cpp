#include "imaging/PeBitmapResources.h"

#include <cctype>
#include <optional>

#include "archive/FileStream.h"
#include "archive/LittleEndian.h"
#include "archive/Messages.h"
#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "imaging/StreamBytes.h"

namespace velorina {

namespace {

constexpr std::uint32_t kRtBitmap = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kResourceDirectoryIndex = 2;

struct Section {
  std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// What a resource name asks for: an identifier or a name (upper-cased).
struct ResourceKey {
  std::optional<std::uint32_t> id;
  std::string name;
};

ResourceKey keyFor(const std::string& text) {
  std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
  bool number = !digits.empty() && digits.size() <= 5;
  for (char c : digits) number = number && std::isdigit(static_cast<unsigned char>(c));
  if (number && std::stoul(digits) <= 0xFFFF) return {static_cast<std::uint32_t>(std::stoul(digits)), {}};
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return {std::nullopt, upper};
}

class ModuleReader {
 public:
  ModuleReader(std::span<const std::uint8_t> module, const std::string& source) : module_(module), source_(source) {}

  Bitmap bitmap(const ResourceKey& key) {
    readHeaders();
    ByteReader dir(resources_, source_);
    const std::string wanted = key.id ? std::to_string(*key.id) : key.name;
    std::uint32_t types = findEntry(dir, 0, ResourceKey{kRtBitmap, {}}, wanted);
    std::uint32_t names = findEntry(dir, types, key, wanted);
    std::uint32_t language = firstEntry(dir, names);
    dir.seek(language);
    std::uint32_t rva = dir.u32(), size = dir.u32();
    return readDib(bytesAt(rva, size), source_);
  }

 private:
  [[noreturn]] void bad(const std::string& detail) const { throwInvalidPicture(source_, "module: " + detail); }

  void readHeaders() {
    ByteReader in(module_, source_);
    if (in.u16() != 0x5A4D) bad("no \"MZ\" signature");
    in.seek(0x3C);
    in.seek(in.u32());
    if (in.u32() != 0x00004550) bad("no \"PE\" signature");
    in.skip(2);
    int sectionCount = in.u16();
    in.skip(12);
    std::size_t optionalSize = in.u16();
    in.skip(2);
    std::size_t optionalStart = in.offset();
    std::uint16_t magic = in.u16();
    if (magic != 0x10B && magic != 0x20B) bad("unknown optional header");
    in.seek(optionalStart + (magic == 0x10B ? 92 : 108));
    std::uint32_t directories = in.u32();
    if (directories <= kResourceDirectoryIndex) bad("no resource directory");
    in.skip(8 * kResourceDirectoryIndex);
    std::uint32_t resourceRva = in.u32(), resourceSize = in.u32();
    in.seek(optionalStart + optionalSize);
    if (static_cast<std::size_t>(sectionCount) > in.remaining() / 40) bad("section table larger than the file");
    for (int i = 0; i < sectionCount; ++i) {
      in.skip(8);
      Section s{};
      s.virtualSize = in.u32();
      s.virtualAddress = in.u32();
      s.rawSize = in.u32();
      s.rawOffset = in.u32();
      in.skip(16);
      sections_.push_back(s);
    }
    if (resourceRva == 0 || resourceSize == 0) bad("module has no resources");
    resources_ = bytesAt(resourceRva, resourceSize, true);
  }

  // File bytes of an address range; with `clip`, as much of it as the section holds.
  std::span<const std::uint8_t> bytesAt(std::uint32_t rva, std::uint32_t size, bool clip = false) const {
    for (const Section& s : sections_) {
      std::uint64_t span = std::max(s.virtualSize, s.rawSize);
      if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
      std::uint64_t inside = rva - s.virtualAddress;
      std::uint64_t available = s.rawSize > inside ? s.rawSize - inside : 0;
      std::uint64_t start = std::uint64_t{s.rawOffset} + inside;
      if (start > module_.size()) break;
      available = std::min<std::uint64_t>(available, module_.size() - start);
      if (size > available && !clip) bad("resource data lies beyond the file");
      return module_.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(std::min<std::uint64_t>(size, available)));
    }
    bad("address " + std::to_string(rva) + " lies in no section");
  }

  std::string entryName(ByteReader& dir, std::uint32_t offset) {
    std::size_t back = dir.offset();
    dir.seek(offset);
    std::size_t length = dir.u16();
    std::string name;
    for (std::size_t i = 0; i < length; ++i) {
      std::uint16_t c = dir.u16();
      name += c < 128 ? static_cast<char>(std::toupper(c)) : '?';
    }
    dir.seek(back);
    return name;
  }

  // The subdirectory a matching entry of the directory at `at` points to; throws
  // EResNotFound naming `wanted` when there is none.
  std::uint32_t findEntry(ByteReader& dir, std::uint32_t at, const ResourceKey& key, const std::string& wanted) {
    dir.seek(at + 12);
    std::size_t count = std::size_t{dir.u16()} + dir.u16();
    if (count > dir.remaining() / 8) bad("resource directory larger than its section");
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t nameField = dir.u32(), target = dir.u32();
      bool named = nameField & kHighBit;
      bool match = key.id ? (!named && nameField == *key.id) : (named && entryName(dir, nameField & ~kHighBit) == key.name);
      if (!match) continue;
      if (!(target & kHighBit)) bad("resource directory has the wrong shape");
      return target & ~kHighBit;
    }
    throw EResNotFound(formatMessage(messages::kResourceNotFound, {wanted}), ErrorContext{source_, {}, {}, {}});
  }

  // The first language entry of a name's directory (a data entry).
  std::uint32_t firstEntry(ByteReader& dir, std::uint32_t at) {
    dir.seek(at + 12);
    std::size_t count = std::size_t{dir.u16()} + dir.u16();
    if (count == 0 || count > dir.remaining() / 8) bad("empty or oversized language directory");
    dir.u32();
    std::uint32_t target = dir.u32();
    if (target & kHighBit) bad("resource directory nested too deep");
    return target;
  }

  std::span<const std::uint8_t> module_;
  const std::string& source_;
  std::vector<Section> sections_;
  std::span<const std::uint8_t> resources_;
};

}  // namespace

Bitmap readModuleBitmap(std::span<const std::uint8_t> module, const std::string& resourceName,
                        const std::string& source) {
  try {
    return ModuleReader(module, source).bitmap(keyFor(resourceName));
  } catch (const EStreamError& e) {
    ErrorContext context = e.context();
    context.detail = "module tables cut short: " + context.detail;
    throw EInvalidGraphic(messages::kInvalidPicture, std::move(context));
  }
}

Bitmap LoadLibraryBitmap(const std::string& libraryName, const std::string& resourceName) {
  std::string path = libraryName;
  auto slash = path.find_last_of("/\\");
  bool hasExtension = path.find('.', slash == std::string::npos ? 0 : slash + 1) != std::string::npos;
  if (!isRegularFile(path) && !hasExtension) path += ".dll";
  FileStream file(path, FileMode::Read);
  ByteBuffer storage;
  auto bytes = remainingBytes(file, storage);
  return readModuleBitmap(bytes, resourceName, path);
}

}  // namespace velorina
