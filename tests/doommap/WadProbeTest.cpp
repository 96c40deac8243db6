#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../support/TempDir.h"
#include "archive/MemoryStream.h"
#include "archive/WadWriter.h"
#include "doommap/LumpReference.h"
#include "doommap/WadProbe.h"

namespace velorina {
namespace {

using Bytes = std::vector<std::uint8_t>;

void putI32(Bytes& b, std::int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
}

// An id-layout WAD: header, one byte of data per lump, then the directory.
Bytes idWad(const std::vector<std::string>& names, const char* magic = "IWAD") {
  Bytes b(magic, magic + 4);
  putI32(b, static_cast<std::int32_t>(names.size()));
  putI32(b, static_cast<std::int32_t>(12 + names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) b.push_back(0xAA);
  for (std::size_t i = 0; i < names.size(); ++i) {
    putI32(b, static_cast<std::int32_t>(12 + i));
    putI32(b, 1);
    char name[8] = {};
    std::memcpy(name, names[i].data(), std::min<std::size_t>(8, names[i].size()));
    b.insert(b.end(), name, name + 8);
  }
  return b;
}

TEST(WadProbe, MarkerLumpsDecideTheGameByPriority) {
  EXPECT_EQ(probeWadBytes(idWad({"PLAYPAL", "M_DOOM", "MAP01"})), TWadKind::wkDoom);
  EXPECT_EQ(probeWadBytes(idWad({"E1M1", "MAPE1"})), TWadKind::wkHeretic);
  EXPECT_EQ(probeWadBytes(idWad({"M_DOOM", "BEHAVIOR"})), TWadKind::wkHexen);
  EXPECT_EQ(probeWadBytes(idWad({"SCRIPTS", "BEHAVIOR", "MAPE1"}, "PWAD")), TWadKind::wkScripts);
  EXPECT_EQ(probeWadBytes(idWad({"THINGS", "F_START", "A-B[\\]_/9"})), TWadKind::wkPlainWad);
}

TEST(WadProbe, BrokenOrForeignFilesAreClassifiedNotRead) {
  EXPECT_EQ(probeWadBytes(Bytes{}), TWadKind::wkNotWad);
  EXPECT_EQ(probeWadBytes(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 0, 0, 0, 0}), TWadKind::wkNotWad);
  EXPECT_EQ(probeWadBytes(idWad({"MAP01", "things"})), TWadKind::wkNotWad);  // lower case
  Bytes pastEnd = idWad({"MAP01"});
  pastEnd[12 + 1 + 4] = 0x40;  // the lump's size runs past the file
  EXPECT_EQ(probeWadBytes(pastEnd), TWadKind::wkNotWad);

  Bytes noLumps = idWad({});
  EXPECT_EQ(probeWadBytes(noLumps), TWadKind::wkOtherWad);
  Bytes tooMany = idWad({"MAP01"});
  tooMany[4] = 200;  // more lumps than the file can hold
  EXPECT_EQ(probeWadBytes(tooMany), TWadKind::wkOtherWad);
  Bytes before = idWad({"MAP01"});
  before[8] = 0xF0, before[9] = before[10] = before[11] = 0xFF;  // directory at a negative offset
  EXPECT_EQ(probeWadBytes(before), TWadKind::wkOtherWad);
  Bytes cut = {'P', 'W', 'A', 'D', 1, 0};
  EXPECT_EQ(probeWadBytes(cut), TWadKind::wkOtherWad);
  // Huge claims are computed without overflow.
  Bytes huge = idWad({"MAP01"});
  huge[4] = huge[5] = huge[6] = 0xFF, huge[7] = 0x7F;
  huge[8] = huge[9] = huge[10] = 0xFF, huge[11] = 0x7F;
  EXPECT_EQ(probeWadBytes(huge), TWadKind::wkOtherWad);
}

TEST(WadProbe, WorldArchivesProbeAsOtherWads) {
  test::TempDir dir;
  const std::string path = dir.file("world.wad");
  for (int i = 0; i < 5; ++i) {
    const Bytes data(100, static_cast<std::uint8_t>(i));
    MemoryStream lump{std::span<const std::uint8_t>(data)};
    writeLumpToArchiveFile(path, lump, "C:\\MAP0" + std::to_string(i) + ".D3D", 0, TCompressionLevel::clMax);
  }
  EXPECT_EQ(ProbeWadKind(path), TWadKind::wkOtherWad);
  EXPECT_THROW(ProbeWadKind(dir.file("missing.wad")), Error);
}

TEST(LumpReference, PartsAreSplitAtTheLastSeparator) {
  const auto r = ParseLumpReference("->C:\\doom::x.wad::FLOOR4_8");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->file, "C:\\doom::x.wad");
  EXPECT_EQ(r->lump, "FLOOR4_8");
  EXPECT_FALSE(ParseLumpReference("->a::"));      // too short
  EXPECT_FALSE(ParseLumpReference("wall.bmp"));
  EXPECT_FALSE(ParseLumpReference("->::FLOOR"));  // no container
  EXPECT_FALSE(ParseLumpReference("->doom.wad:FLOOR"));
  EXPECT_EQ(MakeLumpReference("doom.wad", "FLOOR"), "->doom.wad::FLOOR");
  EXPECT_EQ(MakeLumpReference("doom2.wad", "->doom.wad::FLOOR"), "->doom2.wad::FLOOR");
}

}  // namespace
}  // namespace velorina
