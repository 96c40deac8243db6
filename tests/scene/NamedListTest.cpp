#include "scene/NamedList.h"

#include <gtest/gtest.h>

#include <random>

namespace velorina {
namespace {

TEST(NamedList, StableSortKeepsTheOrderOfEqualEntriesAtEverySize) {
  std::mt19937 random(7);
  for (int n : {0, 1, 2, 3, 7, 64, 100, 1000}) {
    NamedList<int> list;
    for (int i = 0; i < n; ++i) list.add(std::to_string(i), std::make_unique<int>(static_cast<int>(random() % 10)));
    list.stableSort([](const auto& a, const auto& b) { return *a.object < *b.object; });
    ASSERT_EQ(list.size(), static_cast<std::size_t>(n));
    for (int i = 1; i < n; ++i) {
      const auto& before = list[static_cast<std::size_t>(i - 1)];
      const auto& here = list[static_cast<std::size_t>(i)];
      ASSERT_LE(*before.object, *here.object);
      // Equal keys keep the order they were added in (the names count up).
      if (*before.object == *here.object) {
        ASSERT_LT(std::stoi(before.name), std::stoi(here.name));
      }
    }
    // A second sort of a sorted list and a sort after shrinking both work.
    list.stableSort([](const auto& a, const auto& b) { return *a.object > *b.object; });
    if (n > 1) {
      EXPECT_GE(*list[0].object, *list[static_cast<std::size_t>(n - 1)].object);
    }
    if (n > 0) list.removeAt(0);
    list.stableSort([](const auto& a, const auto& b) { return *a.object < *b.object; });
    EXPECT_EQ(list.size(), static_cast<std::size_t>(std::max(n - 1, 0)));
  }
}

}  // namespace
}  // namespace velorina
