#include <gtest/gtest.h>

#include "../support/TempDir.h"
#include "RecordingSink.h"
#include "TestWad.h"
#include "doommap/DoomTextures.h"

namespace velorina {
namespace {

using namespace testwad;

// A palette whose entry i is (i, i, i) except that 0 and 7 are black and 9 is
// the darkest non-black colour (1, 0, 0).
Bytes testPalette() {
  Bytes p;
  for (int i = 0; i < 256; ++i) p.insert(p.end(), 3, static_cast<std::uint8_t>(i));
  std::fill_n(p.begin() + 21, 3, 0);
  p[27] = 1, p[28] = 0, p[29] = 0;
  for (int i = 1; i < 9; ++i) p[3 * i] = p[3 * i + 1] = p[3 * i + 2] = static_cast<std::uint8_t>(i == 7 ? 0 : 10 + i);
  return p;
}

std::vector<Lump> textureWad() {
  Bytes flat(4096, 5);
  Bytes shortFlat(100, 6);
  return {
      {"PLAYPAL", testPalette()},
      {"PNAMES", pnames({"PA", "PB", "NOSUCH"})},
      // TWO: PA at (0,0) then PB at (2,1) covering part of it; a gap stays black.
      {"TEXTURE1", textureLump({{"TWO", 8, 4, {{0, 0, 0}, {2, 1, 1}, {0, 0, 2}, {0, 0, 99}}},
                                {"TWO", 16, 16, {}},
                                {"EMPTY", 4, 2, {}}})},
      {"P_START", {}},
      {"PA", patchLump(4, 2, 0, {3, 0})},
      {"PB", patchLump(3, 3, 0, {8, 8, 8})},
      {"P_END", {}},
      {"F_START", {}},
      {"F1_START", {}},
      {"FLAT", flat},
      {"SHORT", shortFlat},
      {"PA", flat},
      {"F1_END", {}},
      {"F_END", {}},
  };
}

DoomTextureBuilder builderOf(const std::vector<Lump>& lumps, TWadKind kind = TWadKind::wkDoom) {
  return DoomTextureBuilder(WadDirectory::fromBytes(buildWad(lumps), "tex.wad"), kind);
}

TEST(DoomPalette, BlackEntriesBecomeTheDarkestColourExceptEntryZero) {
  const Bytes rgb = testPalette();
  const DoomPalette p = makeDoomPalette(std::span<const std::uint8_t, 768>(rgb.data(), 768));
  EXPECT_EQ(p.logical[0], (PaletteEntry{0, 0, 0, 0}));
  EXPECT_EQ(p.logical[7], (PaletteEntry{1, 0, 0, 0}));
  EXPECT_EQ(p.logical[9], (PaletteEntry{1, 0, 0, 0}));
  EXPECT_EQ(p.logical[200], (PaletteEntry{200, 200, 200, 0}));
  EXPECT_EQ(p.patchIndex[0], 7);  // the first logical entry of the darkest colour

  // A black entry 1 must not become "the darkest non-black" colour.
  Bytes blackOne = rgb;
  std::fill_n(blackOne.begin() + 3, 3, 0);
  const auto darkest = darkestNonBlack(std::span<const std::uint8_t, 768>(blackOne.data(), 768));
  ASSERT_TRUE(darkest.has_value());
  EXPECT_EQ(*darkest, 9);
  const Bytes allBlack(768, 0);
  EXPECT_FALSE(darkestNonBlack(std::span<const std::uint8_t, 768>(allBlack.data(), 768)).has_value());
}

TEST(DoomPalette, MissingOrShortPalettesFallBackToTheKindsDefault) {
  const auto doom = defaultPaletteFor(TWadKind::wkDoom);
  const auto heretic = defaultPaletteFor(TWadKind::wkHeretic);
  EXPECT_NE(doom, heretic);
  EXPECT_EQ(defaultPaletteFor(TWadKind::wkPlainWad), doom);
  EXPECT_NE(defaultPaletteFor(TWadKind::wkHexen), doom);

  auto none = WadDirectory::fromBytes(buildWad({{"MAPE1", {1}}}), "h.wad");
  EXPECT_EQ(readWadPalette(none, TWadKind::wkHeretic).rgb, heretic);
  auto shortOne = WadDirectory::fromBytes(buildWad({{"PLAYPAL", Bytes(700, 9)}}), "s.wad");
  EXPECT_EQ(readWadPalette(shortOne, TWadKind::wkPlainWad).rgb, doom);
  auto own = WadDirectory::fromBytes(buildWad({{"PAL", testPalette()}}), "p.wad");
  EXPECT_EQ(readWadPalette(own, TWadKind::wkDoom).logical[7], (PaletteEntry{1, 0, 0, 0}));
}

TEST(DoomTextures, PatchesComposeInOrderLeavingGapsBlack) {
  DoomTextureBuilder b = builderOf(textureWad());
  const auto t = b.wallTexture("TWO");
  ASSERT_TRUE(t.has_value());
  ASSERT_EQ(t->width(), 8);  // the first definition of a name wins
  ASSERT_EQ(t->height(), 4);
  const auto at = [&](int x, int y) { return static_cast<int>(t->rawPixel(x, y)); };
  EXPECT_EQ(at(0, 0), 3);
  EXPECT_EQ(at(0, 1), 7);  // patch index 0 is opaque: the darkest colour, not black
  EXPECT_EQ(at(2, 1), 8);  // PB covers PA
  EXPECT_EQ(at(4, 3), 8);
  EXPECT_EQ(at(5, 0), 0);  // gaps stay black
  EXPECT_EQ(at(7, 3), 0);
  EXPECT_EQ(t->palette()[7], (PaletteEntry{1, 0, 0, 0}));

  const auto empty = b.wallTexture("EMPTY");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->width(), 4);
  EXPECT_EQ(empty->rawPixel(1, 1), 0u);
}

TEST(DoomTextures, FlatsArePaddedAndMakeBitmapPrefersWallsOverPatchesOverFlats) {
  DoomTextureBuilder b = builderOf(textureWad());
  const auto shortFlat = b.flat("SHORT");
  ASSERT_TRUE(shortFlat.has_value());
  EXPECT_EQ(shortFlat->rawPixel(35, 1), 6u);
  EXPECT_EQ(shortFlat->rawPixel(36, 1), 0u);  // past the 100 bytes: black
  EXPECT_EQ(shortFlat->rawPixel(63, 63), 0u);
  EXPECT_FALSE(b.flat("F1_START").has_value());  // zero-size markers are not flats

  EXPECT_EQ(b.makeBitmap("FLAT").rawPixel(10, 10), 5u);
  const Bitmap pa = b.makeBitmap("PA");  // a patch and a flat: the patch wins
  EXPECT_EQ(pa.width(), 4);
  EXPECT_EQ(pa.height(), 2);
  EXPECT_EQ(b.makeBitmap("TWO").width(), 8);
  const Bitmap none = b.makeBitmap("NOTHING");
  EXPECT_EQ(none.width(), 64);
  EXPECT_EQ(none.rawPixel(0, 0), 0u);
}

TEST(DoomTextures, PostsAreClippedToThePatchTheTextureAndTheLump) {
  Bytes tall = patchLump(2, 2, 1, {4, 4, 4, 4, 4});  // runs past the patch's height
  Bytes cut = patchLump(3, 8, 0, {6, 6, 6, 6, 6, 6});
  cut.resize(cut.size() - 16);  // the last column's post runs past the lump
  auto lumps = textureWad();
  lumps[2] = {"TEXTURE1", textureLump({{"EDGE", 4, 4, {{-1, 2, 0}, {3, -3, 1}}}})};
  lumps[1] = {"PNAMES", pnames({"TALL", "CUT"})};
  lumps.insert(lumps.begin() + 4, {"TALL", tall});
  lumps.insert(lumps.begin() + 4, {"CUT", cut});
  DoomTextureBuilder b = builderOf(lumps);
  const auto t = b.wallTexture("EDGE");
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->rawPixel(0, 3), 4u);  // TALL's column 1 at x 0, row 1 of the patch at y 3
  EXPECT_EQ(t->rawPixel(0, 2), 0u);
  EXPECT_EQ(t->rawPixel(3, 0), 6u);  // CUT's rows 3.. land at the top
  const auto p = b.patch("CUT");
  ASSERT_TRUE(p.has_value());
  EXPECT_EQ(p->rawPixel(0, 5), 6u);

  // A patch whose header fails the size test draws nothing.
  lumps.insert(lumps.begin() + 4, {"HUGE", patchLump(321, 1, 0, {1})});
  EXPECT_FALSE(builderOf(lumps).patch("HUGE").has_value());
}

TEST(DoomTextures, DamagedDefinitionsNameTheLumpAndOffset) {
  Bytes lump = textureLump({{"A", 8, 8, {{0, 0, 0}}}});
  Bytes claimsMore = lump;
  claimsMore[0] = 200;
  std::vector<DoomTextureDefinition> out;
  EXPECT_THROW(parseTextureLump(claimsMore, "x.wad", out), EDoomWadError);
  Bytes badOffset = lump;
  badOffset[4] = 0xF0;
  EXPECT_THROW(parseTextureLump(badOffset, "x.wad", out), EDoomWadError);
  Bytes badPatches = lump;
  badPatches[8 + 20] = 50;  // 50 placements in a lump that holds one
  try {
    parseTextureLump(badPatches, "x.wad", out);
    FAIL();
  } catch (const EDoomWadError& e) {
    EXPECT_EQ(e.context().file, "x.wad");
    EXPECT_EQ(e.context().record, 0);
    EXPECT_EQ(e.context().offset, 28);
  }
  Bytes names = pnames({"A"});
  names[1] = 1;
  EXPECT_THROW(parsePatchNames(names, "x.wad"), EDoomWadError);
  EXPECT_TRUE(parsePatchNames(Bytes{1, 0}, "x.wad").empty());
  parseTextureLump(Bytes{}, "x.wad", out);  // declares nothing
  EXPECT_TRUE(out.empty());
}

TEST(DoomTextures, DefinitionScanStepsOverMapsAndStopsAtTheDirectorysEnd) {
  const Bytes t1 = textureLump({{"ONE", 8, 8, {}}});
  const Bytes t2 = textureLump({{"TWO", 16, 8, {}}});
  // TEXTURE2 stands within the ten entries after a marker: the scan steps over it.
  auto wad = WadDirectory::fromBytes(
      buildWad({{"TEXTURE1", t1}, {"MAP01", {}}, {"THINGS", {}}, {"TEXTURE2", t2}, {"SECTORS", {}}}), "m.wad");
  const auto defs = ReadTextureDefinitions(wad);
  ASSERT_EQ(defs.size(), 1u);
  EXPECT_EQ(defs[0].name, "ONE");
  auto later = WadDirectory::fromBytes(buildWad({{"TEXTURE2", t2}, {"TEXTURE1", t1}}), "n.wad");
  const auto both = ReadTextureDefinitions(later);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].name, "ONE");  // TEXTURE1 first, whatever the directory order
  EXPECT_EQ(both[1].width, 16);
}

TEST(DoomTextures, LoadRegistersListedTexturesOnceUnderTheirNames) {
  test::TempDir dir;
  auto lumps = textureWad();
  lumps.push_back({"M_DOOM", {1}});
  const std::string path = dir.writeBytes("t.wad", buildWad(lumps));
  test::RecordingSink sink;
  sink.textures["->" + path + "::FLAT"] = Bitmap(2, 2, PixelFormat::Bits24);  // already there
  EXPECT_TRUE(LoadDoomTextures(sink, path, {"TWO", "FLAT", "SHORT", "NOSUCH"}, {}));
  EXPECT_EQ(sink.textures.size(), 3u);
  EXPECT_EQ(sink.textures["->" + path + "::FLAT"].width(), 2);
  EXPECT_EQ(sink.textures["->" + path + "::TWO"].width(), 8);
  EXPECT_TRUE(LoadDoomTextures(sink, path, {"TWO"}, "bmp"));
  EXPECT_TRUE(sink.textures.contains("TWO.bmp"));
  EXPECT_EQ(registeredTextureName(path, "X", ".BMP"), "X.BMP");

  const std::string notWad = dir.write("n.wad", "RIFF0000");
  EXPECT_FALSE(LoadDoomTextures(sink, notWad, {"TWO"}, {}));
  EXPECT_FALSE(MakeDoomTextureBitmap(notWad, "TWO").has_value());
  EXPECT_EQ(MakeDoomTextureBitmap(path, "TWO")->height(), 4);
}

}  // namespace
}  // namespace velorina
