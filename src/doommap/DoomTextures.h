#pragma once
// Builds the textures of a Doom-family WAD as 8-bit bitmaps with the logical
// palette: flats (64 x 64 between F_START and F_END), patches (between P_START or
// PP_START and P_END or PP_END) and wall textures composed of patches. The scene
// registers what this builds; nothing here knows the scene.

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "doommap/DoomMapSink.h"
#include "doommap/DoomPalette.h"
#include "doommap/TextureDefinitions.h"
#include "doommap/WadDirectory.h"
#include "doommap/WadProbe.h"
#include "imaging/Bitmap.h"

namespace velorina {

inline constexpr int kFlatSide = 64;

// The name a texture built for lump `lumpName` is registered under: the reference
// "->WAD::LUMP" when `extension` is empty, else the lump name with the extension
// (a "." is put between them unless the extension starts with one).
std::string registeredTextureName(const std::string& wadFile, const std::string& lumpName,
                                  const std::string& extension);

class DoomTextureBuilder {
 public:
  // Nothing for files that are not game WADs (probe kinds 5 and 6).
  static std::optional<DoomTextureBuilder> open(const std::string& wadFile);
  // Over a directory already read, of the given kind.
  DoomTextureBuilder(WadDirectory wad, TWadKind kind);

  TWadKind kind() const noexcept { return kind_; }
  const DoomPalette& palette() const noexcept { return palette_; }
  WadDirectory& wad() noexcept { return wad_; }
  const std::vector<DoomTextureDefinition>& definitions() const noexcept { return definitions_; }

  // An empty 64 x 64 8-bit bitmap with the logical palette.
  Bitmap blankFlat() const;
  // The first flat of that name; nothing when there is none.
  std::optional<Bitmap> flat(const std::string& name);
  // The first patch of that name decoded; nothing when there is none or its header
  // fails the size test.
  std::optional<Bitmap> patch(const std::string& name);
  // The first definition of that name, composed; nothing when there is none.
  std::optional<Bitmap> wallTexture(const std::string& name);
  // One flat or wall texture (a wall texture winning over a patch, a patch over a
  // flat of the same name); the empty 64 x 64 bitmap when none has that name.
  Bitmap makeBitmap(const std::string& lumpName);

  // Every flat and then every wall texture whose name `wanted` accepts, each once
  // (the first of a name), handed to `deliver` with its unadjusted bitmap.
  void buildAll(const std::function<bool(const std::string&)>& wanted,
                const std::function<void(const std::string&, Bitmap)>& deliver);

  Bitmap compose(const DoomTextureDefinition& definition);

 private:
  using NameIndex = std::unordered_map<std::string, std::size_t>;
  void indexLumps();
  static void indexRange(const WadDirectory& wad, std::size_t first, std::size_t end, NameIndex& out);
  // Draws the patch in `lump` onto `target` with its corner at (x0, y0); false when
  // its header fails the size test.
  bool drawPatch(std::span<const std::uint8_t> lump, Bitmap& target, int x0, int y0) const;
  const ByteBuffer* patchLump(std::size_t entry);

  WadDirectory wad_;
  TWadKind kind_;
  DoomPalette palette_;
  NameIndex flats_, patches_;
  std::vector<std::string> patchNames_;
  std::vector<DoomTextureDefinition> definitions_;
  std::unordered_map<std::size_t, ByteBuffer> patchCache_;  // directory entry -> content
};

// LoadDoomTextures: registers, under registeredTextureName, every flat and wall
// texture of the WAD whose lump name is listed and whose registered name the sink
// does not have yet. False, doing nothing, for kinds 5 and 6.
bool LoadDoomTextures(DoomTextureSink& sink, const std::string& wadFile, std::vector<std::string> names,
                      const std::string& extension);
void LoadDoomTextures(DoomTextureBuilder& builder, DoomTextureSink& sink, const std::string& wadFile,
                      std::vector<std::string> names, const std::string& extension);

// MakeDoomTextureBitmap: the bitmap of one lump; nothing for kinds 5 and 6.
std::optional<Bitmap> MakeDoomTextureBitmap(const std::string& wadFile, const std::string& lumpName);

}  // namespace velorina
