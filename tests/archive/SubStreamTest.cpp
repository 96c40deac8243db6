#include "archive/SubStream.h"

#include <gtest/gtest.h>

#include "archive/MemoryStream.h"

namespace velorina {
namespace {

MemoryStream digits() {
  const std::string s = "0123456789";
  return MemoryStream(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()));
}

TEST(SubStream, NilParentIsRefusedWithItsOwnMessage) {
  try {
    TSubStream s(nullptr, 1, 0);
    FAIL();
  } catch (const ESubStreamError& e) {
    EXPECT_STREQ(e.what(), "Cannot create TSubStream class with nil parent");
  }
}

TEST(SubStream, ReadsStayInsideTheWindowAndLeaveTheParentWhereItWas) {
  MemoryStream parent = digits();
  parent.setPosition(7);
  TSubStream w(&parent, 4, 3);  // "3456"
  char buf[8] = {};
  EXPECT_EQ(w.read(buf, 3), 3u);
  EXPECT_EQ(std::string(buf, 3), "345");
  EXPECT_EQ(w.read(buf, 8), 1u);  // only one byte is left in the window
  EXPECT_EQ(buf[0], '6');
  EXPECT_EQ(w.Position(), 4);     // advanced by the bytes moved
  EXPECT_EQ(w.read(buf, 1), 0u);
  EXPECT_EQ(parent.position(), 7);

  EXPECT_EQ(w.seek(-1, SeekOrigin::End), 3);
  EXPECT_EQ(w.seek(-2, SeekOrigin::Current), 1);
  EXPECT_EQ(w.seek(2, SeekOrigin::Begin), 2);
  EXPECT_EQ(w.size(), 4);
}

TEST(SubStream, WritesAreClampedToo) {
  MemoryStream parent = digits();
  TSubStream w(&parent, 2, 8);
  EXPECT_EQ(w.write("abc", 3), 2u);
  EXPECT_EQ(parent.size(), 10);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(parent.bytes().data()), 10), "01234567ab");
}

TEST(SubStream, AbsolutePositionAddsTheOffsetsOfEveryEnclosingWindow) {
  MemoryStream root = digits();
  TSubStream outer(&root, 8, 2);
  outer.seek(5, SeekOrigin::Begin);  // the outer cursor does not move the inner window
  TSubStream inner(&outer, 4, 3);
  inner.seek(1, SeekOrigin::Begin);
  EXPECT_EQ(inner.AbsolutePosition(), 2 + 3 + 1);
  char c = 0;
  inner.read(&c, 1);
  EXPECT_EQ(c, '6');
}

}  // namespace
}  // namespace velorina
