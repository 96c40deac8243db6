#include "shell/SceneLumpChoice.h"

#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "support/ArchiveBuilder.h"

namespace velorina {
namespace {

struct Archive {
  explicit Archive(const test::Bytes& bytes) : stream(std::span<const std::uint8_t>(bytes)), wad(stream) {}
  MemoryStream stream;
  TWad wad;
};

std::string failure(const TWad& wad, const std::optional<std::string>& wanted) {
  try {
    chooseSceneLump(wad, wanted, "w.wad");
  } catch (const EWadError& e) {
    return e.describe();
  }
  return "no failure";
}

TEST(SceneLumpChoice, ANamedLumpThenMap01ThenTheOnlySceneLump) {
  Archive a(test::ArchiveBuilder().add("C:\\MAPS\\HALL.D3D", "s").add("C:\\MAP01.D3D", "s").add("t.bmp", "b").build());
  EXPECT_EQ(chooseSceneLump(a.wad, std::string("hall.d3d"), "w.wad"), "C:\\MAPS\\HALL.D3D");
  EXPECT_EQ(chooseSceneLump(a.wad, std::nullopt, "w.wad"), "C:\\MAP01.D3D");
  Archive one(test::ArchiveBuilder().add("C:\\MAPS\\HALL.D3D", "s").add("t.bmp", "b").build());
  EXPECT_EQ(chooseSceneLump(one.wad, std::nullopt, "w.wad"), "C:\\MAPS\\HALL.D3D");
}

TEST(SceneLumpChoice, FailuresNameTheArchiveAndTheCandidates) {
  Archive two(test::ArchiveBuilder().add("A.D3D", "s").add("B.D3D", "s").build());
  EXPECT_NE(failure(two.wad, std::nullopt).find("w.wad: Η καταχώρηση δεν βρέθηκε στο αρχείο WAD: MAP01.D3D"),
            std::string::npos);
  EXPECT_NE(failure(two.wad, std::nullopt).find("\"A.D3D\", \"B.D3D\""), std::string::npos);
  Archive none(test::ArchiveBuilder().add("t.bmp", "b").build());
  EXPECT_NE(failure(none.wad, std::nullopt).find("no .D3D entry"), std::string::npos);
  // A header's empty map name is a name too: it is not found.
  EXPECT_NE(failure(two.wad, std::string()).find("Η καταχώρηση δεν βρέθηκε"), std::string::npos);
  EXPECT_NE(failure(two.wad, std::string("C.D3D")).find("C.D3D"), std::string::npos);
}

}  // namespace
}  // namespace velorina
