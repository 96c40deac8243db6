#include "shell/WorldPackage.h"

#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "shell/EmbeddedWorld.h"
#include "scene/objects/SystemColors.h"
#include "support/ArchiveBuilder.h"
#include "support/TempDir.h"

namespace velorina {
namespace {

using test::Bytes;

const std::string kWrongType = "Το αρχείο είναι ακατάλληλου τύπου";

// A fake executable image followed by a package.
MemoryStream packed(const TWorldHeader& h, const Bytes& archive, std::size_t imageSize = 100) {
  MemoryStream s;
  s.writeBytes(Bytes(imageSize, 0x90));
  appendWorldPackage(s, h, archive);
  s.setPosition(0);
  return s;
}

TEST(WorldPackage, WritesTheStoredLayoutAndReadsItBack) {
  const Bytes archive = test::ArchiveBuilder().add("C:\\MAP01.D3D", "scene").build();
  TWorldHeader h = TWorldHeader::shipped();
  MemoryStream s = packed(h, archive);
  const auto b = s.bytes();
  // Fixed offsets from the package start P = 100.
  EXPECT_EQ(loadLE<float>(b.data() + 100 + 24), 6.0f);
  EXPECT_EQ(b[100 + 40], 1);   // Antialias
  EXPECT_EQ(b[100 + 41], 32);  // reserved
  EXPECT_EQ(loadLE<std::uint32_t>(b.data() + 100 + 42), 1024u);
  EXPECT_EQ(loadLE<std::int16_t>(b.data() + 100 + 54), 18);
  EXPECT_EQ(loadLE<std::uint32_t>(b.data() + b.size() - 4), 100u);
  EXPECT_EQ(loadLE<std::uint32_t>(b.data() + 100 + 58 + 18 + 9), archive.size());

  const WorldPackageInfo info = readWorldPackage(s);
  EXPECT_EQ(info.Header, h);
  EXPECT_EQ(info.PackageOffset, 100);
  EXPECT_EQ(info.ArchiveOffset, 100 + 62 + 18 + 9);
  EXPECT_EQ(info.ArchiveSize, archive.size());
  EXPECT_TRUE(findWorldPackage(s));
}

TEST(WorldPackage, FiltersAreSignedLowBytesAndNegativeColoursAreSystemColours) {
  TWorldHeader h;
  h.MinFilter = 0x1234FF02;
  h.MagFilter = 0xFF;
  EXPECT_EQ(h.minFilterValue(), 2);
  EXPECT_EQ(h.magFilterValue(), -1);
  EXPECT_EQ(colorValueToRGB(0x00332211), 0x112233u);
  EXPECT_EQ(colorValueToRGB(-2147483643), 0xFFFFFFu);  // 0x80000005: COLOR_WINDOW, white
}

TEST(WorldPackage, ZeroOrNegativeStringLengthsGiveEmptyStrings) {
  TWorldHeader h = TWorldHeader::shipped();
  h.Title.clear();
  MemoryStream s = packed(h, test::ArchiveBuilder().build());
  ByteBuffer& b = s.buffer();
  storeLE<std::int16_t>(b.data() + 100 + 54, -5);
  s.setPosition(0);
  EXPECT_EQ(readWorldPackage(s).Header.Title, "");
}

TEST(WorldPackage, MalformedPackagesAreTheWrongTypeNotAReadPastTheEnd) {
  const Bytes archive = test::ArchiveBuilder().add("a", "b").build();
  auto error = [](MemoryStream& s) -> std::string {
    try {
      readWorldPackage(s);
    } catch (const EWadError& e) {
      return e.what();
    }
    return "read";
  };
  MemoryStream tiny{std::span<const std::uint8_t>(Bytes{1, 2, 3})};
  EXPECT_EQ(error(tiny), kWrongType);

  MemoryStream good = packed(TWorldHeader::shipped(), archive);
  const auto size = static_cast<std::size_t>(good.size());
  auto bent = [&](std::size_t at, auto value) {
    MemoryStream s{good.bytes()};
    storeLE(s.buffer().data() + at, value);
    return s;
  };
  MemoryStream trailerPast = bent(size - 4, std::uint32_t{0xFFFFFF00u});
  EXPECT_EQ(error(trailerPast), kWrongType);
  MemoryStream trailerLate = bent(size - 4, static_cast<std::uint32_t>(size - 20));
  EXPECT_EQ(error(trailerLate), kWrongType);
  MemoryStream titlePast = bent(100 + 54, std::int16_t{32000});
  EXPECT_EQ(error(titlePast), kWrongType);
  MemoryStream archivePast = bent(100 + 58 + 18 + 9, std::uint32_t{0x7FFFFFFFu});
  EXPECT_EQ(error(archivePast), kWrongType);
  EXPECT_FALSE(findWorldPackage(archivePast));

  // An executable with no package at all.
  MemoryStream plain{std::span<const std::uint8_t>(Bytes(5000, 0x41))};
  EXPECT_FALSE(findWorldPackage(plain));
}

TEST(EmbeddedWorld, OpensTheArchiveBehindTheHeaderAndReadsTheMapLump) {
  test::TempDir dir;
  const Bytes archive = test::ArchiveBuilder().add("C:\\MAP01.D3D", "the scene").add("tex.bmp", "BM").build();
  TWorldHeader h = TWorldHeader::shipped();
  MemoryStream image = packed(h, archive, 4096);
  const auto path = dir.writeBytes("player", image.bytes());
  EmbeddedWorld world(path);
  EXPECT_EQ(world.header().Title, "Velorina 3D Player");
  EXPECT_EQ(world.archive().Count(), 2u);
  EXPECT_EQ(world.mapLumpName(), "C:\\MAP01.D3D");
  EXPECT_EQ(std::string(world.mapLump().begin(), world.mapLump().end()), "the scene");

  // A map the archive lacks ends start-up with the entry-not-found message.
  h.MapName = "";
  MemoryStream noMap = packed(h, archive, 4096);
  const auto bad = dir.writeBytes("bad", noMap.bytes());
  try {
    EmbeddedWorld w(bad);
    FAIL();
  } catch (const EWadError& e) {
    EXPECT_EQ(std::string(e.what()), "Η καταχώρηση δεν βρέθηκε στο αρχείο WAD:\r\n");
  }
}

}  // namespace
}  // namespace velorina
