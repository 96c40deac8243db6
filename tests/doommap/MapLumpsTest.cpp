#include <gtest/gtest.h>

#include "../support/TempDir.h"
#include "TestWad.h"
#include "doommap/LumpName.h"
#include "doommap/MapLumps.h"

namespace velorina {
namespace {

using namespace testwad;

TEST(LumpName, NamesAreUpperCasedAndCutAtZero) {
  const std::uint8_t raw[8] = {'s', 'w', '1', '[', 'x', ']', 0, 'Q'};
  EXPECT_EQ(LumpNameToString(std::span<const std::uint8_t>(raw, 8)), "SW1-X-");
  const std::uint8_t full[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', '\\'};
  EXPECT_EQ(LumpNameToString(std::span<const std::uint8_t>(full, 8)), "ABCDEFG-");
  EXPECT_EQ(LumpNameToString(std::string("f/sky1")), "F-SKY1");

  const auto marker = [](const char* n) {
    std::array<std::uint8_t, 8> raw{};
    std::memcpy(raw.data(), n, std::strlen(n));
    return IsMapMarkerName(raw);
  };
  EXPECT_TRUE(marker("E1M1"));
  EXPECT_TRUE(marker("E6MX"));
  EXPECT_TRUE(marker("MAP01"));
  EXPECT_TRUE(marker("MAP39"));
  EXPECT_FALSE(marker("E7M1"));
  EXPECT_FALSE(marker("E1M10"));
  EXPECT_FALSE(marker("MAP40"));
  EXPECT_FALSE(marker("MAP011"));
  EXPECT_FALSE(marker("MAPE1"));
}

MapBuilder oneRoom() {
  MapBuilder m;
  m.sectors.push_back({});
  m.room({{0, 0}, {0, 64}, {64, 64}, {64, 0}}, 0);
  m.things.push_back({32, 16});
  return m;
}

WadDirectory directoryOf(const Bytes& wad) { return WadDirectory::fromBytes(wad, "test.wad"); }

TEST(MapLumps, DoomAndHexenFormsReadTheSameRecords) {
  const MapBuilder m = oneRoom();
  for (const bool hexen : {false, true}) {
    auto wad = directoryOf(buildWad(m.lumps("MAP01", hexen)));
    const DoomMapLumps map = ReadMapLumps(wad, "map01", hexen ? MapForm::Hexen : MapForm::Doom);
    ASSERT_EQ(map.things.size(), 1u);
    EXPECT_EQ(map.things[0].x, 32);
    EXPECT_EQ(map.things[0].y, 16);
    EXPECT_EQ(map.things[0].angle, 90);
    EXPECT_EQ(map.things[0].type, 1);
    EXPECT_EQ(map.things[0].flags, 7);
    ASSERT_EQ(map.lineDefs.size(), 4u);
    EXPECT_EQ(map.lineDefs[3].start, 3);
    EXPECT_EQ(map.lineDefs[3].end, 0);
    EXPECT_EQ(map.lineDefs[3].right, 3);
    EXPECT_EQ(map.lineDefs[3].left, -1);
    ASSERT_EQ(map.sideDefs.size(), 4u);
    EXPECT_EQ(map.sideDefs[0].middle, "WALL");
    EXPECT_EQ(map.sideDefs[0].upper, "-");
    ASSERT_EQ(map.vertices.size(), 4u);
    EXPECT_EQ(map.vertices[2].x, 64);
    ASSERT_EQ(map.sectors.size(), 1u);
    EXPECT_EQ(map.sectors[0].ceiling, 128);
    EXPECT_EQ(map.sectors[0].floorFlat, "FLOOR");
  }
  // Not a game WAD: things and lines stay empty.
  auto wad = directoryOf(buildWad(m.lumps("MAP01")));
  const DoomMapLumps plain = ReadMapLumps(wad, "MAP01", MapForm::NoLines);
  EXPECT_TRUE(plain.things.empty());
  EXPECT_TRUE(plain.lineDefs.empty());
  EXPECT_EQ(plain.sideDefs.size(), 4u);
}

TEST(MapLumps, KindDecidesTheFormAndHexenWadsAreProbed) {
  test::TempDir dir;
  auto lumps = oneRoom().lumps("MAP01", true);
  lumps.push_back({"BEHAVIOR", {1}});
  const std::string path = dir.writeBytes("hexen.wad", buildWad(lumps));
  // Kind 4 is probed again from the file, which says Hexen.
  const DoomMapLumps map = ReadMapLumps(path, "MAP01", TWadKind::wkPlainWad);
  ASSERT_EQ(map.things.size(), 1u);
  EXPECT_EQ(map.things[0].type, 1);
  EXPECT_EQ(map.lineDefs.size(), 4u);
}

TEST(MapLumps, LumpsAfterTheMarkerInAnyOrderAndFirstMatchWins) {
  auto lumps = oneRoom().lumps("E1M1");
  std::swap(lumps[1], lumps[7]);  // SECTORS first, THINGS last
  auto second = oneRoom();
  second.sectors[0].ceiling = 300;
  for (auto& l : second.lumps("E1M2")) lumps.push_back(l);
  auto wad = directoryOf(buildWad(lumps));
  EXPECT_EQ(ReadMapLumps(wad, "E1M1", MapForm::Doom).sectors[0].ceiling, 128);
  EXPECT_EQ(ReadMapLumps(wad, "E1M2", MapForm::Doom).sectors[0].ceiling, 300);
}

TEST(MapLumps, MissingMapAndMissingLumpFailWithClearMessages) {
  auto lumps = oneRoom().lumps("MAP01");
  auto wad = directoryOf(buildWad(lumps));
  try {
    ReadMapLumps(wad, "MAP02", MapForm::Doom);
    FAIL();
  } catch (const EDoomWadError& e) {
    EXPECT_STREQ(e.what(), "Ο χάρτης MAP02 δεν βρέθηκε στο αρχείο test.wad.");
  }
  // The last entry is never the marker.
  auto last = directoryOf(buildWad({{"THINGS", {}}, {"MAP01", {}}}));
  EXPECT_THROW(ReadMapLumps(last, "MAP01", MapForm::Doom), EDoomWadError);

  lumps.erase(lumps.begin() + 4);  // VERTEXES
  auto missing = directoryOf(buildWad(lumps));
  try {
    ReadMapLumps(missing, "MAP01", MapForm::Doom);
    FAIL();
  } catch (const EDoomWadError& e) {
    EXPECT_NE(e.describe().find("map MAP01 has no VERTEXES lump"), std::string::npos) << e.describe();
  }
}

TEST(MapLumps, HeaderAndEntriesAreCheckedAgainstTheFile) {
  const Bytes good = buildWad(oneRoom().lumps("MAP01"));
  const auto patched = [&](std::size_t at, std::int32_t value) {
    Bytes b = good;
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
    return b;
  };
  const std::uint32_t directory = good[8] | good[9] << 8 | good[10] << 16 | good[11] << 24;
  EXPECT_THROW(directoryOf(patched(4, -1)), EDoomWadError);            // negative count
  EXPECT_THROW(directoryOf(patched(4, 0x7FFFFFFF)), EDoomWadError);    // huge count, nothing allocated
  EXPECT_THROW(directoryOf(patched(8, -16)), EDoomWadError);           // negative directory
  EXPECT_THROW(directoryOf(patched(directory + 16, -4)), EDoomWadError);  // negative position
  EXPECT_THROW(directoryOf(patched(directory + 20, -4)), EDoomWadError);  // negative size
  // Position and size that only overflow in 32 bits.
  Bytes wrap = patched(directory + 16, 0x7FFFFFF0);
  for (int i = 0; i < 4; ++i) wrap[directory + 20 + i] = i == 3 ? 0x7F : 0xFF;
  EXPECT_THROW(directoryOf(wrap), EDoomWadError);
  try {
    directoryOf(patched(directory + 20, 1 << 30));
    FAIL();
  } catch (const EDoomWadError& e) {
    EXPECT_EQ(e.context().record, 1);
    EXPECT_EQ(e.context().offset, directory + 16);
  }
  EXPECT_THROW(directoryOf(Bytes{'P', 'W', 'A', 'D'}), EDoomWadError);
}

TEST(MapLumps, MapsAreListedInDirectoryOrder) {
  auto lumps = oneRoom().lumps("MAP02");
  for (auto& l : oneRoom().lumps("MAP01")) lumps.push_back(l);
  lumps.push_back({"MAP03", {}});  // a marker without a map
  auto wad = directoryOf(buildWad(lumps));
  EXPECT_EQ(listMapNames(wad), (std::vector<std::string>{"MAP02", "MAP01"}));
}

}  // namespace
}  // namespace velorina
