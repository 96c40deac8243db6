#include "archive/WadWriter.h"

#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "archive/Wad.h"
#include "support/TempDir.h"

namespace velorina {
namespace {

std::string text(const ByteBuffer& b) { return std::string(b.begin(), b.end()); }

MemoryStream streamOf(const std::string& s) {
  return MemoryStream(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()));
}

TEST(WadWriter, CreatesAnArchiveInListOrderWithPrefixesStripped) {
  test::TempDir dir;
  const auto a = dir.write("zeta.txt", "last by name");
  const auto b = dir.write("alpha.txt", std::string(100000, 'a'));
  const auto archive = dir.file("out.wad");
  std::vector<int> percents;
  createArchiveFile(archive, {a, b}, dir.path().string().size() + 1, TCompressionLevel::clMax,
                    [&](ProgressStage st, int pct) {
                      if (st == ProgressStage::Working) percents.push_back(pct);
                    });
  EXPECT_EQ(percents, (std::vector<int>{50, 100}));
  TWad wad(archive);
  // The directory keeps list order; lookups see the sorted order.
  ASSERT_EQ(wad.Directory().size(), 2u);
  EXPECT_EQ(wad.Directory()[0].Name, "zeta.txt");
  EXPECT_EQ(wad.Names(), (std::vector<std::string>{"alpha.txt", "zeta.txt"}));
  EXPECT_EQ(text(wad.ReadEntry("ZETA.TXT")), "last by name");
  EXPECT_EQ(wad.ReadEntry("alpha.txt").size(), 100000u);
  EXPECT_EQ(wad.Directory()[0].Offset, 12u);
  // Nothing of the temporary file is left behind.
  EXPECT_EQ(dir.names().size(), 3u);
}

TEST(WadWriter, RefusesEmptyAndClashingNamesAndKeepsTheOldArchive) {
  test::TempDir dir;
  const auto a = dir.write("a.txt", "a");
  const auto upper = dir.write("A.TXT", "A");
  const auto archive = dir.file("keep.wad");
  createArchiveFile(archive, {a}, 0, TCompressionLevel::clFastest);
  const std::string before = test::TempDir::read(archive);
  const std::size_t prefix = dir.path().string().size() + 1;
  const auto refuses = [&](const std::vector<std::string>& files, std::size_t cut, const std::string& says) {
    try {
      createArchiveFile(archive, files, cut, TCompressionLevel::clFastest);
      ADD_FAILURE() << "accepted " << says;
    } catch (const EWadError& e) {
      EXPECT_NE(e.describe().find(archive), std::string::npos) << e.describe();
      EXPECT_NE(e.describe().find(says), std::string::npos) << e.describe();
    }
  };
  refuses({a}, a.size() + 5, "leaves an empty entry name");
  refuses({a, upper}, prefix, "would both be stored as");
  MemoryStream source = streamOf("x");
  EXPECT_THROW(writeLumpToArchiveFile(archive, source, "short", 5, TCompressionLevel::clFastest), EWadError);
  EXPECT_EQ(test::TempDir::read(archive), before);
  EXPECT_EQ(dir.names().size(), 3u);
}

TEST(WadWriter, NamesAreCutTo255Characters) {
  EXPECT_EQ(storedLumpName("C:\\dir\\file", 3), "dir\\file");
  EXPECT_EQ(storedLumpName("abc", 10), "");
  EXPECT_EQ(storedLumpName(std::string(300, 'x'), 0).size(), 255u);
}

TEST(WadWriter, AddingALumpAgainReplacesItWhateverTheCase) {
  test::TempDir dir;
  const auto archive = dir.file("w.wad");
  MemoryStream v1 = streamOf("first");
  writeLumpToArchiveFile(archive, v1, "X:\\Data\\Map.d3d", 3, TCompressionLevel::clDefault);  // creates it
  MemoryStream other = streamOf("other");
  writeLumpToArchiveFile(archive, other, "other.txt", 0, TCompressionLevel::clDefault);
  MemoryStream v2 = streamOf("second");
  v2.setPosition(3);  // the whole stream is taken, from its start
  writeLumpToArchiveFile(archive, v2, "Y:\\DATA\\MAP.D3D", 3, TCompressionLevel::clMax);
  TWad wad(archive);
  EXPECT_EQ(wad.Count(), 2u);
  EXPECT_EQ(wad.Directory()[0].Name, "DATA\\MAP.D3D");  // the entry keeps its place
  EXPECT_EQ(text(wad.ReadEntry("data\\map.d3d")), "second");
  EXPECT_EQ(text(wad.ReadEntry("other.txt")), "other");
}

// A stream that fails half-way, as a process that dies while writing would.
class FailingStream final : public Stream {
 public:
  std::size_t read(void*, std::size_t) override { throw EStreamError("Stream read error"); }
  std::size_t write(const void*, std::size_t) override { return 0; }
  std::int64_t seek(std::int64_t o, SeekOrigin) override { return o; }
  std::int64_t size() override { return 1000; }
  void setSize(std::int64_t) override {}
  std::span<const std::uint8_t> view(std::int64_t, std::size_t) override { return {}; }
  std::string name() const override { return "failing"; }
};

TEST(WadWriter, AFailedWriteLeavesTheOldArchiveIntact) {
  test::TempDir dir;
  const auto archive = dir.file("w.wad");
  MemoryStream v1 = streamOf("kept");
  writeLumpToArchiveFile(archive, v1, "keep", 0, TCompressionLevel::clMax);
  const std::string before = test::TempDir::read(archive);
  FailingStream failing;
  EXPECT_THROW(writeLumpToArchiveFile(archive, failing, "new", 0, TCompressionLevel::clMax), EStreamError);
  EXPECT_EQ(test::TempDir::read(archive), before);
  EXPECT_EQ(dir.names().size(), 1u);

  // A file that is not an archive is refused, not overwritten.
  const auto notWad = dir.write("notes.txt", "just text");
  MemoryStream v2 = streamOf("x");
  EXPECT_THROW(writeLumpToArchiveFile(notWad, v2, "x", 0, TCompressionLevel::clMax), EWadError);
  EXPECT_EQ(test::TempDir::read(notWad), "just text");
}

}  // namespace
}  // namespace velorina
