#include "shell/Dance.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace velorina {
namespace {

class FakeText final : public DanceText {
 public:
  explicit FakeText(std::string text = {}) : text_(std::move(text)) {}
  std::string GetText() const override { return text_; }
  void SetText(const std::string& text) override {
    text_ = text;
    ++rebuilds;
  }
  int rebuilds = 0;

 private:
  std::string text_;
};

// An object list that can be rebuilt between steps: the dance must ask it again.
class FakeScene final : public DanceTextSource {
 public:
  DanceText* findDanceText(std::int32_t id) override {
    auto it = texts.find(id);
    return it == texts.end() ? nullptr : it->second.get();
  }
  std::map<std::int32_t, std::unique_ptr<FakeText>> texts;
};

TEST(Dance, TheTableIsSixteenFramesOfThreeCharactersInThreeRows) {
  for (const auto& row : Dance::kTable) {
    for (auto cell : row) EXPECT_EQ(cell.size(), 3u) << "\"" << cell << "\"";
  }
  EXPECT_EQ(Dance::kTable[0][7], "<o>");
  EXPECT_EQ(Dance::kTable[1][0], "^|\\");
  EXPECT_EQ(Dance::kTable[1][8], " \\ ");
  EXPECT_EQ(Dance::kTable[2][14], " >>");
  EXPECT_EQ(Dance::kTable[2][15], " L ");
  EXPECT_EQ(Dance::kIntervalMs, 300u);
}

TEST(Dance, EachStepShowsTheNextFrameAndRebuildsOnlyChangedCells) {
  FakeScene scene;
  for (int id = 1; id <= 3; ++id) scene.texts[id] = std::make_unique<FakeText>();
  Dance dance;
  EXPECT_EQ(dance.DanceFrame(), 1);
  for (int frame = 1; frame <= 16; ++frame) {
    dance.Timer1Timer(scene);
    for (int row = 0; row < 3; ++row) {
      EXPECT_EQ(scene.texts[row + 1]->GetText(), Dance::kTable[row][frame - 1]) << "row " << row + 1 << " frame " << frame;
    }
  }
  // Row 1 changes only on its way to "<o ", "<o>", " o>" and back: 5 rebuilds, not 16.
  EXPECT_EQ(scene.texts[1]->rebuilds, 5);
  EXPECT_EQ(scene.texts[3]->rebuilds, 16);
  // The seventeenth step shows frame 1 again.
  EXPECT_EQ(dance.DanceFrame(), 1);
  dance.Timer1Timer(scene);
  EXPECT_EQ(scene.texts[2]->GetText(), Dance::kTable[1][0]);
  EXPECT_EQ(dance.DanceFrame(), 2);
}

TEST(Dance, MissingRowsAreSkippedAndARebuiltListIsFoundAgain) {
  FakeScene scene;
  scene.texts[2] = std::make_unique<FakeText>("old");
  Dance dance;
  dance.Timer1Timer(scene);
  EXPECT_EQ(scene.texts[2]->GetText(), Dance::kTable[1][0]);
  EXPECT_EQ(dance.DanceFrame(), 2);
  // The object list is rebuilt: the old text object is gone, a new one stands there.
  scene.texts[2] = std::make_unique<FakeText>("new");
  scene.texts[1] = std::make_unique<FakeText>();
  dance.Timer1Timer(scene);
  EXPECT_EQ(scene.texts[2]->GetText(), Dance::kTable[1][1]);
  EXPECT_EQ(scene.texts[1]->GetText(), Dance::kTable[0][1]);
  // With no texts at all the counter still advances once per step.
  scene.texts.clear();
  dance.Timer1Timer(scene);
  EXPECT_EQ(dance.DanceFrame(), 4);
}

}  // namespace
}  // namespace velorina
