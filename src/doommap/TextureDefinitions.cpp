#include "doommap/TextureDefinitions.h"

#include "archive/LittleEndian.h"
#include "doommap/LumpName.h"

namespace velorina {

namespace {

constexpr std::size_t kEntryHeader = 22;
constexpr std::size_t kPlacementSize = 10;
constexpr std::size_t kEntriesAfterMarker = 10;

[[noreturn]] void damaged(const std::string& file, std::optional<std::int64_t> record, std::size_t offset,
                          const std::string& detail) {
  throw EDoomWadError("Damaged texture definitions",
                      ErrorContext{file, record, static_cast<std::int64_t>(offset), detail});
}

DoomTextureDefinition readDefinition(std::span<const std::uint8_t> lump, std::size_t at, std::size_t index,
                                     const std::string& file) {
  if (at > lump.size() || lump.size() - at < kEntryHeader) {
    damaged(file, static_cast<std::int64_t>(index), at, "texture entry outside its lump");
  }
  ByteReader in(lump.subspan(at), file);
  DoomTextureDefinition d;
  d.name = LumpNameToString(in.bytes(8));
  in.skip(4);
  d.width = in.i16();
  d.height = in.i16();
  in.skip(4);
  const std::int16_t count = in.i16();
  if (count < 0 || static_cast<std::size_t>(count) * kPlacementSize > in.remaining()) {
    damaged(file, static_cast<std::int64_t>(index), at + 20,
            "texture " + d.name + " claims " + std::to_string(count) + " patches beyond its lump");
  }
  d.patches.resize(static_cast<std::size_t>(count));
  for (DoomPatchPlacement& p : d.patches) {
    p.x = in.i16(), p.y = in.i16(), p.patch = in.i16();
    in.skip(4);
  }
  return d;
}

}  // namespace

std::vector<std::string> parsePatchNames(std::span<const std::uint8_t> lump, const std::string& fileName) {
  ByteReader in(lump, fileName);
  if (lump.size() < 4) return {};
  const std::int64_t count = in.i32();
  if (count < 0 || static_cast<std::uint64_t>(count) * 8 > in.remaining()) {
    damaged(fileName, std::nullopt, 0, "PNAMES claims " + std::to_string(count) + " names beyond its lump");
  }
  std::vector<std::string> names(static_cast<std::size_t>(count));
  for (std::string& name : names) name = LumpNameToString(in.bytes(8));
  return names;
}

void parseTextureLump(std::span<const std::uint8_t> lump, const std::string& fileName,
                      std::vector<DoomTextureDefinition>& out) {
  if (lump.size() < 4) return;  // declares no textures
  ByteReader in(lump, fileName);
  const std::int64_t count = in.i32();
  if (count < 0 || static_cast<std::uint64_t>(count) * 4 > in.remaining()) {
    damaged(fileName, std::nullopt, 0, "texture lump claims " + std::to_string(count) + " textures beyond its end");
  }
  for (std::int64_t i = 0; i < count && out.size() < kMaxTextureDefinitions; ++i) {
    const std::int64_t offset = in.i32();
    if (offset < 0) damaged(fileName, i, in.offset() - 4, "negative texture offset");
    out.push_back(readDefinition(lump, static_cast<std::size_t>(offset), static_cast<std::size_t>(i), fileName));
  }
}

std::vector<DoomTextureDefinition> ReadTextureDefinitions(WadDirectory& wad) {
  std::vector<DoomTextureDefinition> out;
  for (const char* wanted : {"TEXTURE1", "TEXTURE2", "TEXTURE3"}) {
    for (std::size_t i = 0; i < wad.size(); ++i) {
      if (IsMapMarkerName(wad[i].rawName)) {
        i += kEntriesAfterMarker;  // the loop's own bound ends the scan at the directory's end
        continue;
      }
      if (wad[i].name == wanted) {
        parseTextureLump(wad.readLump(i), wad.fileName(), out);
        break;
      }
    }
  }
  return out;
}

std::vector<DoomTextureDefinition> ReadTextureDefinitions(const std::string& wadFile) {
  WadDirectory wad = WadDirectory::open(wadFile);
  return ReadTextureDefinitions(wad);
}

}  // namespace velorina
