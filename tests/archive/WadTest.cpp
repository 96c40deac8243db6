#include "archive/Wad.h"

#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "support/ArchiveBuilder.h"
#include "support/TempDir.h"

namespace velorina {
namespace {

using test::ArchiveBuilder;
using test::Bytes;

std::string text(const ByteBuffer& b) { return std::string(b.begin(), b.end()); }

// An archive as another program would write it: lumps in any order, names by
// full Windows paths, blocks back to back.
Bytes foreignArchive() {
  return ArchiveBuilder()
      .add("C:\\TEXTURES\\Wall.bmp", std::string(3000, 'w'))
      .add("C:\\MAP01.D3D", "SCENEDEF-body")
      .add("b.txt", "bee")
      .add("A.TXT", "ay")
      .add("Ελληνικά", "greek")
      .build();
}

std::string errorOf(auto&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(Wad, ReadsAnArchiveWrittenByAnotherProgram) {
  Bytes bytes = foreignArchive();
  MemoryStream s{std::span<const std::uint8_t>(bytes)};
  TWad wad(s);
  EXPECT_EQ(wad.Source(), WadSource::CallerStream);
  ASSERT_EQ(wad.Count(), 5u);
  // Sorted by upper-cased name, bytes compared as unsigned.
  EXPECT_EQ(wad.Names(), (std::vector<std::string>{"A.TXT", "b.txt", "C:\\MAP01.D3D", "C:\\TEXTURES\\Wall.bmp",
                                                   "Ελληνικά"}));
  EXPECT_EQ(text(wad.ReadEntry("c:\\map01.d3d")), "SCENEDEF-body");
  EXPECT_EQ(text(wad.ReadEntry("B.TXT")), "bee");
  EXPECT_EQ(wad.ReadEntry("C:\\TEXTURES\\WALL.BMP").size(), 3000u);
  EXPECT_TRUE(wad.Exists("a.txt"));
  // Only ASCII letters fold: the Greek name must match byte for byte.
  EXPECT_TRUE(wad.Exists("Ελληνικά"));
  EXPECT_FALSE(wad.Exists("ΕΛΛΗΝΙΚΆ"));
  EXPECT_EQ(resolveArchiveEntryName(wad, "MAP01.D3D"), "C:\\MAP01.D3D");
  EXPECT_EQ(resolveArchiveEntryName(wad, "D:\\other\\wall.BMP"), "C:\\TEXTURES\\Wall.bmp");
  EXPECT_EQ(resolveArchiveEntryName(wad, "missing"), "missing");
}

TEST(Wad, MissingEntriesRaiseTheSystemMessageAndLeaveTheDestinationEmpty) {
  Bytes bytes = foreignArchive();
  MemoryStream s{std::span<const std::uint8_t>(bytes)};
  TWad wad(s);
  MemoryStream dest;
  dest.writeBytes(Bytes{1, 2, 3});
  EXPECT_EQ(errorOf([&] { wad.ReadEntry("nope", dest); }), "Η καταχώρηση δεν βρέθηκε στο αρχείο WAD:\r\nnope");
  EXPECT_EQ(dest.size(), 0);
  // Misses below the first name and above the last must not wrap around.
  EXPECT_FALSE(wad.Exists(""));
  EXPECT_FALSE(wad.Exists("\x01"));
  EXPECT_FALSE(wad.Exists("\xFF\xFF"));

  Bytes emptyBytes = ArchiveBuilder().build();
  MemoryStream e{std::span<const std::uint8_t>(emptyBytes)};
  TWad empty(e);
  EXPECT_EQ(empty.Count(), 0u);
  EXPECT_FALSE(empty.Exists("A"));
  EXPECT_THROW(empty.ReadEntry("A"), EWadError);
}

TEST(Wad, ReadingTheSameLumpTwiceGivesTheSameBytes) {
  Bytes bytes = foreignArchive();
  MemoryStream s{std::span<const std::uint8_t>(bytes)};
  TWad wad(s);
  MemoryStream dest;
  wad.ReadEntry("A.TXT", dest);
  wad.ReadEntry("A.TXT", dest);
  EXPECT_EQ(dest.size(), 2);
  EXPECT_EQ(dest.position(), 0);
}

TEST(Wad, BarNamesReachIntoNestedArchivesAnyLevelDeep) {
  const Bytes inner = ArchiveBuilder().add("deep.txt", "bottom").build();
  const Bytes middle = ArchiveBuilder().add("INNER.WAD", test::str(inner)).add("mid.txt", "middle").build();
  const Bytes outer = ArchiveBuilder().add("middle.wad", test::str(middle)).build();
  MemoryStream s{std::span<const std::uint8_t>(outer)};
  TWad wad(s);
  EXPECT_EQ(text(wad.ReadEntry("MIDDLE.WAD|mid.txt")), "middle");
  EXPECT_EQ(text(wad.ReadEntry("middle.wad|inner.wad|DEEP.TXT")), "bottom");
  EXPECT_FALSE(wad.Exists("middle.wad|mid.txt"));  // Exists takes names literally
  EXPECT_EQ(errorOf([&] { wad.ReadEntry("nowhere.wad|mid.txt"); }),
            "Η καταχώρηση δεν βρέθηκε στο αρχείο WAD:\r\nnowhere.wad");
  TWad nested(wad, "middle.wad");
  EXPECT_EQ(nested.Source(), WadSource::Lump);
  EXPECT_EQ(nested.Count(), 2u);
}

TEST(Wad, OpensFilesAndOwnsTheirStream) {
  test::TempDir dir;
  const auto path = dir.writeBytes("w.wad", foreignArchive());
  TWad wad(path);
  EXPECT_EQ(wad.Source(), WadSource::FileName);
  EXPECT_EQ(text(wad.ReadEntry("C:\\MAP01.D3D")), "SCENEDEF-body");
  TWad fresh;
  EXPECT_EQ(fresh.Source(), WadSource::New);
  EXPECT_EQ(fresh.GetStream().size(), 12);
}

// Every malformed archive gives the wrong-type error (or the decompressor's), never
// a crash or a read outside the data.
TEST(Wad, MalformedArchivesRaiseClearErrors) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
  const Bytes good = ArchiveBuilder().add("one", "1111").add("two", "2222").build(&entries);
  const std::uint32_t dirOffset = loadLE<std::uint32_t>(good.data() + 4);
  auto open = [](Bytes b) {
    MemoryStream s{std::span<const std::uint8_t>(b)};
    TWad wad(s);
    for (const auto& n : wad.Names()) wad.ReadEntry(n);
  };
  auto bent = [&](std::size_t at, std::uint32_t v) {
    Bytes b = good;
    test::setU32(b, at, v);
    return b;
  };
  const std::string wrongType = "Το αρχείο είναι ακατάλληλου τύπου";

  EXPECT_NO_THROW(open(good));
  EXPECT_EQ(errorOf([&] { open(Bytes{'P', 'W', 'A'}); }), wrongType);
  EXPECT_EQ(errorOf([&] { open(Bytes{'P', 'W', 'A', 'D', 1, 0}); }), wrongType);
  EXPECT_EQ(errorOf([&] { open(Bytes{'I', 'W', 'A', 'D', 0, 0, 0, 0, 0, 0, 0, 0}); }), wrongType);
  EXPECT_EQ(errorOf([&] { open(bent(8, 65537)); }), wrongType);          // count above 65,536
  EXPECT_EQ(errorOf([&] { open(bent(8, 3)); }), wrongType);              // more than the directory holds
  EXPECT_EQ(errorOf([&] { open(bent(8, 1)); }), wrongType);              // fewer
  EXPECT_EQ(errorOf([&] { open(bent(4, 0xFFFFFFF0u)); }), wrongType);    // directory outside
  EXPECT_EQ(errorOf([&] { open(bent(4, 4)); }), wrongType);              // directory in the header
  // Lump offsets and sizes live in the compressed directory: rebuild it bent.
  auto bentEntry = [&](std::uint32_t offset, std::uint32_t size) {
    Bytes b(good.begin(), good.begin() + dirOffset);
    std::string dir(2 * 264, '\0');
    for (int i = 0; i < 2; ++i) {
      std::uint32_t o = i == 0 ? offset : entries[1].first;
      std::uint32_t s = i == 0 ? size : entries[1].second;
      std::memcpy(dir.data() + 264 * i, &o, 4);
      std::memcpy(dir.data() + 264 * i + 4, &s, 4);
      dir[264 * i + 8] = 3;
      std::memcpy(dir.data() + 264 * i + 9, i == 0 ? "one" : "two", 3);
    }
    const Bytes d = test::zblock(dir);
    b.insert(b.end(), d.begin(), d.end());
    return b;
  };
  EXPECT_NO_THROW(open(bentEntry(entries[0].first, entries[0].second)));
  EXPECT_EQ(errorOf([&] { open(bentEntry(4, entries[0].second)); }), wrongType);               // inside the header
  EXPECT_EQ(errorOf([&] { open(bentEntry(entries[0].first, 0xFFFFFFFFu)); }), wrongType);      // 64-bit sum
  EXPECT_EQ(errorOf([&] { open(bentEntry(0xFFFFFFF0u, 0x20)); }), wrongType);                  // past the end
  EXPECT_EQ(errorOf([&] { open(bentEntry(entries[0].first, 2)); }), wrongType);                // shorter than a block
  // A lump whose window is too short for its stream: the window's end holds.
  EXPECT_THROW(open(bentEntry(entries[0].first, entries[0].second - 3)), EDecompressionError);
  // A damaged directory stream.
  Bytes damaged = good;
  damaged[dirOffset + 8] ^= 0xFF;
  damaged[dirOffset + 9] ^= 0xFF;
  EXPECT_THROW(open(damaged), Error);
}

}  // namespace
}  // namespace velorina
