#include "doommap/DoomTextures.h"

#include <algorithm>
#include <cstring>

#include "archive/LittleEndian.h"

namespace velorina {

namespace {

constexpr std::size_t kFlatBytes = kFlatSide * kFlatSide;
constexpr int kMaxPatchWidth = 320, kMaxPatchHeight = 256, kMaxPatchPixels = 64000;
// Definitions larger than this on a side are not built (no game texture comes near).
constexpr int kMaxTextureSide = 4096;

Bitmap blankBitmap(int width, int height, const DoomPalette& palette) {
  Bitmap b(width, height, PixelFormat::Bits8);
  b.palette() = palette.logical;
  b.setPaletteCount(256);
  return b;
}

// The first index after `from` whose entry is named one of `names`.
std::optional<std::size_t> findAny(const WadDirectory& wad, std::initializer_list<const char*> names,
                                   std::size_t from) {
  for (std::size_t i = from; i < wad.size(); ++i) {
    for (const char* n : names) {
      if (wad[i].name == n) return i;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string registeredTextureName(const std::string& wadFile, const std::string& lumpName,
                                  const std::string& extension) {
  if (extension.empty()) return "->" + wadFile + "::" + lumpName;
  if (extension.front() == '.') return lumpName + extension;
  return lumpName + "." + extension;
}

std::optional<DoomTextureBuilder> DoomTextureBuilder::open(const std::string& wadFile) {
  const TWadKind kind = ProbeWadKind(wadFile);
  if (!isDoomFamilyWad(kind)) return std::nullopt;
  return DoomTextureBuilder(WadDirectory::open(wadFile), kind);
}

DoomTextureBuilder::DoomTextureBuilder(WadDirectory wad, TWadKind kind)
    : wad_(std::move(wad)), kind_(kind), palette_(readWadPalette(wad_, kind)) {
  indexLumps();
  if (auto pnames = wad_.readLumpNamed("PNAMES")) patchNames_ = parsePatchNames(*pnames, wad_.fileName());
  for (std::size_t i = 0; i < wad_.size(); ++i) {
    const std::string& n = wad_[i].name;
    if (n == "TEXTURE1" || n == "TEXTURE2" || n == "TEXTURE3") {
      parseTextureLump(wad_.readLump(i), wad_.fileName(), definitions_);
    }
  }
}

void DoomTextureBuilder::indexRange(const WadDirectory& wad, std::size_t first, std::size_t end, NameIndex& out) {
  for (std::size_t i = first; i < end; ++i) {
    // Zero-size entries are the nested start and end markers, not lumps.
    if (wad[i].size > 0) out.try_emplace(wad[i].name, i);
  }
}

void DoomTextureBuilder::indexLumps() {
  if (const auto start = wad_.findEntry("F_START")) {
    const auto end = wad_.findEntry("F_END", *start + 1);
    indexRange(wad_, *start + 1, end.value_or(wad_.size()), flats_);
  }
  if (const auto start = findAny(wad_, {"P_START", "PP_START"}, 0)) {
    const auto end = findAny(wad_, {"P_END", "PP_END"}, *start + 1);
    indexRange(wad_, *start + 1, end.value_or(wad_.size()), patches_);
  }
}

Bitmap DoomTextureBuilder::blankFlat() const { return blankBitmap(kFlatSide, kFlatSide, palette_); }

std::optional<Bitmap> DoomTextureBuilder::flat(const std::string& name) {
  const auto found = flats_.find(name);
  if (found == flats_.end()) return std::nullopt;
  Bitmap b = blankFlat();
  const ByteBuffer lump = wad_.readLump(found->second);
  // A short flat leaves its missing rows black.
  const std::size_t n = std::min(lump.size(), kFlatBytes);
  for (std::size_t i = 0; i < n; ++i) b.row(static_cast<int>(i / kFlatSide))[i % kFlatSide] = lump[i];
  return b;
}

const ByteBuffer* DoomTextureBuilder::patchLump(std::size_t entry) {
  auto it = patchCache_.find(entry);
  if (it == patchCache_.end()) it = patchCache_.emplace(entry, wad_.readLump(entry)).first;
  return &it->second;
}

bool DoomTextureBuilder::drawPatch(std::span<const std::uint8_t> lump, Bitmap& target, int x0, int y0) const {
  if (lump.size() < 8) return false;
  const int width = loadLE<std::int16_t>(lump.data());
  const int height = loadLE<std::int16_t>(lump.data() + 2);
  if (width < 1 || width > kMaxPatchWidth || height < 1 || height > kMaxPatchHeight ||
      width * height > kMaxPatchPixels) {
    return false;
  }
  for (int x = 0; x < width; ++x) {
    const int tx = x0 + x;
    const std::size_t at = 8 + 4 * static_cast<std::size_t>(x);
    if (at + 4 > lump.size()) break;  // the column table runs past the lump
    if (tx < 0 || tx >= target.width()) continue;
    std::size_t p = loadLE<std::uint32_t>(lump.data() + at);
    // Posts until a top row of 255; a post that runs past the lump ends the column.
    while (p < lump.size() && lump[p] != 255) {
      if (p + 3 > lump.size()) break;
      const int top = lump[p];
      const std::size_t count = lump[p + 1];
      const std::size_t pixels = p + 3;
      const std::size_t available = std::min(count, lump.size() - std::min(pixels, lump.size()));
      for (std::size_t k = 0; k < available; ++k) {
        const int y = top + static_cast<int>(k);
        const int ty = y0 + y;
        if (y >= height || ty < 0 || ty >= target.height()) continue;
        target.row(ty)[tx] = palette_.patchIndex[lump[pixels + k]];
      }
      if (available < count) break;
      p = pixels + count + 1;
    }
  }
  return true;
}

std::optional<Bitmap> DoomTextureBuilder::patch(const std::string& name) {
  const auto found = patches_.find(name);
  if (found == patches_.end()) return std::nullopt;
  const ByteBuffer& lump = *patchLump(found->second);
  if (lump.size() < 8) return std::nullopt;
  const int width = loadLE<std::int16_t>(lump.data());
  const int height = loadLE<std::int16_t>(lump.data() + 2);
  if (width < 1 || width > kMaxPatchWidth || height < 1 || height > kMaxPatchHeight) return std::nullopt;
  Bitmap b = blankBitmap(width, height, palette_);
  if (!drawPatch(lump, b, 0, 0)) return std::nullopt;
  return b;
}

Bitmap DoomTextureBuilder::compose(const DoomTextureDefinition& d) {
  const int width = std::clamp<int>(d.width, 1, kMaxTextureSide);
  const int height = std::clamp<int>(d.height, 1, kMaxTextureSide);
  Bitmap work = blankBitmap(width, height, palette_);
  for (const DoomPatchPlacement& placement : d.patches) {
    // A patch index outside PNAMES, or a name without a patch entry, is skipped.
    if (placement.patch < 0 || static_cast<std::size_t>(placement.patch) >= patchNames_.size()) continue;
    const auto found = patches_.find(patchNames_[static_cast<std::size_t>(placement.patch)]);
    if (found == patches_.end()) continue;
    drawPatch(*patchLump(found->second), work, placement.x, placement.y);
  }
  return work;
}

std::optional<Bitmap> DoomTextureBuilder::wallTexture(const std::string& name) {
  const auto d = std::find_if(definitions_.begin(), definitions_.end(), [&](const auto& t) { return t.name == name; });
  if (d == definitions_.end()) return std::nullopt;
  return compose(*d);
}

Bitmap DoomTextureBuilder::makeBitmap(const std::string& lumpName) {
  Bitmap result = blankFlat();
  if (auto f = flat(lumpName)) result = std::move(*f);
  if (auto p = patch(lumpName)) result = std::move(*p);
  if (auto t = wallTexture(lumpName)) result = std::move(*t);
  return result;
}

void DoomTextureBuilder::buildAll(const std::function<bool(const std::string&)>& wanted,
                                  const std::function<void(const std::string&, Bitmap)>& deliver) {
  std::vector<std::pair<std::size_t, std::string>> flats;
  for (const auto& [name, entry] : flats_) {
    if (wanted(name)) flats.emplace_back(entry, name);
  }
  std::sort(flats.begin(), flats.end());  // directory order
  for (const auto& [entry, name] : flats) deliver(name, *flat(name));
  std::unordered_map<std::string, bool> done;
  for (const DoomTextureDefinition& d : definitions_) {
    if (!done.try_emplace(d.name, true).second || !wanted(d.name)) continue;
    deliver(d.name, compose(d));
  }
}

bool LoadDoomTextures(DoomTextureSink& sink, const std::string& wadFile, std::vector<std::string> names,
                      const std::string& extension) {
  auto builder = DoomTextureBuilder::open(wadFile);
  if (!builder) return false;
  LoadDoomTextures(*builder, sink, wadFile, std::move(names), extension);
  return true;
}

void LoadDoomTextures(DoomTextureBuilder& builder, DoomTextureSink& sink, const std::string& wadFile,
                      std::vector<std::string> names, const std::string& extension) {
  std::sort(names.begin(), names.end());
  const auto wanted = [&](const std::string& lump) {
    return std::binary_search(names.begin(), names.end(), lump) &&
           !sink.hasTexture(registeredTextureName(wadFile, lump, extension));
  };
  builder.buildAll(wanted, [&](const std::string& lump, Bitmap picture) {
    sink.registerTexture(registeredTextureName(wadFile, lump, extension), std::move(picture));
  });
}

std::optional<Bitmap> MakeDoomTextureBitmap(const std::string& wadFile, const std::string& lumpName) {
  auto builder = DoomTextureBuilder::open(wadFile);
  if (!builder) return std::nullopt;
  return builder->makeBitmap(lumpName);
}

}  // namespace velorina
