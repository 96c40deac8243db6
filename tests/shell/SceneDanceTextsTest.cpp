#include "shell/SceneDanceTexts.h"

#include <gtest/gtest.h>

#include "platform/display/ManualClock.h"
#include "scene/Scene.h"
#include "scene/objects/Text.h"
#include "scene/records/SphereInfo.h"
#include "scene/records/TextInfo.h"

namespace velorina {
namespace {

TD3DTextInfo textRecord(std::int32_t id, const std::string& text, float y = 0) {
  TD3DTextInfo t;
  t.ID = id;
  t.Text = text;
  t.Position = {0, y, 4};
  t.Scale = {1, 1, 0.1f};
  return t;
}

struct TextRig {
  ManualClock clock;
  TD3DScene scene{nullptr, nullptr, clock};
  TD3DText* add(std::int32_t id, const std::string& text, float y = 0) {
    return dynamic_cast<TD3DText*>(scene.AddObject(ObjectKind::Text, textRecord(id, text, y)));
  }
};

TEST(SceneDanceTexts, TheLastTextOfEachIdentifierDrivesItsRowAndOtherKindsDoNot) {
  TextRig rig;
  TD3DSphereInfo sphere;
  sphere.ID = 1;
  sphere.Scale = {1, 1, 1};
  sphere.Stacks = sphere.Slices = 4;
  rig.scene.AddObject(ObjectKind::Sphere, sphere);  // identifier 1, but no text
  TD3DText* first2 = rig.add(2, "aaa");
  rig.add(4, "ddd");
  TD3DText* second2 = rig.add(2, "bbb");
  ASSERT_NE(first2, nullptr);
  SceneDanceTexts texts(rig.scene);
  EXPECT_EQ(texts.findDanceText(1), nullptr);
  EXPECT_EQ(texts.findDanceText(3), nullptr);
  EXPECT_EQ(texts.findDanceText(4), nullptr);  // only rows 1 to 3 dance
  DanceText* row2 = texts.findDanceText(2);
  ASSERT_NE(row2, nullptr);
  EXPECT_EQ(texts.heldText(2), second2);
  row2->SetText("xyz");
  EXPECT_EQ(second2->GetText(), "xyz");
  EXPECT_EQ(first2->GetText(), "aaa");
  EXPECT_EQ(row2->GetText(), "xyz");
}

TEST(SceneDanceTexts, TheHeldTextStaysWhileListedInAnyOrderAndIsFoundAgainAfterARebuild) {
  TextRig rig;
  rig.add(1, "far", 0);
  TD3DText* near1 = rig.add(1, "one", 0);
  SceneDanceTexts texts(rig.scene);
  ASSERT_EQ(texts.heldText(1), near1);
  // Reordering the list (the frame sorts it by distance) keeps the text found first.
  std::swap(rig.scene.Objects[0], rig.scene.Objects[1]);
  ASSERT_NE(texts.findDanceText(1), nullptr);
  EXPECT_EQ(texts.heldText(1), near1);

  // The list is emptied: the row has no text, and nothing freed is touched.
  rig.scene.ClearObjects();
  EXPECT_EQ(texts.findDanceText(1), nullptr);
  EXPECT_EQ(texts.heldText(1), nullptr);

  // New objects (a reload, an edit): the rows find theirs again.
  TD3DText* again = rig.add(1, "new");
  TD3DText* row3 = rig.add(3, "leg");
  ASSERT_NE(texts.findDanceText(1), nullptr);
  EXPECT_EQ(texts.heldText(1), again);
  ASSERT_NE(texts.findDanceText(3), nullptr);
  EXPECT_EQ(texts.heldText(3), row3);

  // The held object removed alone, another text of the row left: that one is taken.
  TD3DText* other = rig.add(3, "alt");
  rig.scene.Objects.removeAt(1);  // row3
  DanceText* row = texts.findDanceText(3);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(texts.heldText(3), other);
  EXPECT_EQ(row->GetText(), "alt");
}

}  // namespace
}  // namespace velorina
