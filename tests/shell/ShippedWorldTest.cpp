// The world the build packs into `velorina`: its header, its content, and what the
// player makes of it at start-up (the turning spheres and the dance).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "archive/FileStream.h"
#include "platform/display/DXDraw.h"
#include "platform/display/DXTimer.h"
#include "platform/display/ManualClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "scene/Scene.h"
#include "scene/objects/QuadrAngle.h"
#include "scene/objects/Sound.h"
#include "scene/objects/Sphere.h"
#include "scene/objects/Text.h"
#include "shell/Dance.h"
#include "shell/EmbeddedWorld.h"
#include "shell/SceneDanceTexts.h"
#include "shell/StartupAction.h"

namespace velorina {
namespace {

const std::string kShipped = std::string(VELORINA_BINARY_DIR) + "/velorina";

template <typename T>
std::vector<T*> objectsOf(TD3DScene& scene) {
  std::vector<T*> found;
  for (auto& entry : scene.Objects) {
    if (auto* o = dynamic_cast<T*>(entry.object.get())) found.push_back(o);
  }
  return found;
}

// The shipped world loaded as the player loads it, drawn offscreen.
struct ShippedRig {
  ManualClock clock;
  DXDraw display{std::make_unique<OffscreenPresenter>()};
  std::unique_ptr<TD3DScene> scene;
  ShippedRig() {
    clock.setMicroseconds(1'000'000);
    display.SetDisplaySize(64, 48);
    display.Initialize();
    scene = std::make_unique<TD3DScene>(&display, nullptr, clock);
    FileStream file(kShipped, FileMode::Read);
    const WorldPackageInfo package = readWorldPackage(file);
    scene->LoadFromPackage(file, package.ArchiveOffset, package.ArchiveSize, package.Header.MapName);
  }
  void frames(int count, int stepMs) {
    for (int i = 0; i < count; ++i) {
      clock.advanceMilliseconds(static_cast<std::uint32_t>(stepMs));
      scene->Frame(0);
    }
  }
};

TEST(ShippedWorld, ThePackageHeaderHoldsTheShippedValues) {
  EmbeddedWorld world(kShipped);
  const TWorldHeader& h = world.header();
  EXPECT_EQ(h, TWorldHeader::shipped());
  EXPECT_EQ(h.MinX, -100.0f);
  EXPECT_EQ(h.MaxZ, 100.0f);
  EXPECT_EQ(h.MinY, 0.0f);
  EXPECT_EQ(h.MaxY, 0.0f);
  EXPECT_EQ(h.MoveSpeed, 6.0f);
  EXPECT_EQ(h.TurnFactor, 25.0f);
  EXPECT_EQ(h.MinFilter, 2u);
  EXPECT_EQ(h.MagFilter, 2u);
  EXPECT_EQ(h.Antialias, 1);
  EXPECT_EQ(h.Reserved, 32);
  EXPECT_EQ(h.DisplayWidth, 1024u);
  EXPECT_EQ(h.DisplayHeight, 768u);
  EXPECT_EQ(h.BackgroundColor, 0u);
  EXPECT_EQ(h.Title.size(), 18u);
  EXPECT_EQ(h.MapName, "MAP01.D3D");
  EXPECT_EQ(world.mapLumpName(), "C:\\MAP01.D3D");
  const ByteBuffer& lump = world.mapLump();
  ASSERT_GE(lump.size(), 12u);
  EXPECT_EQ(std::string(lump.begin(), lump.begin() + 8), "SCENEDEF");
  EXPECT_EQ(lump[8] | lump[9] << 8 | lump[10] << 16 | lump[11] << 24, 117);
}

TEST(ShippedWorld, HoldsFiveTexturedSpheresAFloorTheTuneAndTheThreeDanceTexts) {
  ShippedRig rig;
  TD3DScene& scene = *rig.scene;
  const auto spheres = objectsOf<TD3DSphere>(scene);
  ASSERT_EQ(spheres.size(), 5u);
  int turning = 0;
  int compressed = 0;
  for (TD3DSphere* s : spheres) {
    std::string name = s->GetTextureName();
    ASSERT_FALSE(name.empty());
    EXPECT_NE(scene.AcquireTexture(name), nullptr) << name;  // found in the world's own archive
    turning += s->ObjectID() == 5;
    compressed += upperAscii(name).ends_with(".BMZ");
  }
  EXPECT_EQ(turning, 4);
  EXPECT_EQ(compressed, 1);

  const auto quads = objectsOf<TD3DQuadrAngle>(scene);
  ASSERT_EQ(quads.size(), 1u);
  std::string floorName = quads[0]->GetTextureName();
  EXPECT_NE(scene.AcquireTexture(floorName), nullptr) << floorName;

  ASSERT_EQ(scene.AudioObjects.size(), 1u);
  const auto* sound = dynamic_cast<const TD3DSound*>(scene.AudioObjects[0].object.get());
  ASSERT_NE(sound, nullptr);
  EXPECT_TRUE(sound->info().Looped);
  EXPECT_TRUE(sound->info().Enabled);
  EXPECT_EQ(sound->info().Range, 0.0f);  // heard everywhere

  // The stick figure: rows 1 (head), 2 (body), 3 (legs) stacked tightly, one above
  // the other, in front of the camera at the origin looking along +z.
  SceneDanceTexts texts(scene);
  const TD3DText* row[3] = {texts.heldText(1), texts.heldText(2), texts.heldText(3)};
  for (const TD3DText* t : row) ASSERT_NE(t, nullptr);
  for (int r = 0; r < 3; ++r) {
    const TD3DTextInfo& info = row[r]->GetInfo();
    EXPECT_EQ(info.Text, std::string(Dance::kTable[static_cast<std::size_t>(r)][0])) << "row " << r + 1;
    EXPECT_EQ(info.Position.x, 0.0f);
    EXPECT_GT(info.Position.z, 1.0f);
    EXPECT_LT(info.Position.z, 10.0f);
    if (r > 0) {
      const TD3DTextInfo& above = row[r - 1]->GetInfo();
      const float gap = above.Position.y - info.Position.y;
      EXPECT_GT(gap, 0.0f) << "row " << r << " is not above row " << r + 1;
      EXPECT_LE(gap, info.Scale.y * 1.1f) << "rows " << r << " and " << r + 1 << " are not tight";
      EXPECT_EQ(above.Position.z, info.Position.z);
    }
  }
}

TEST(ShippedWorld, TheStartUpActionTurnsTheSpheresWithIdentifierFiveAQuarterTurnPerSecond) {
  ShippedRig rig;
  rig.scene->AddAction(startupAction());
  rig.frames(100, 10);  // one second of scene time
  for (TD3DSphere* s : objectsOf<TD3DSphere>(*rig.scene)) {
    const D3DVECTOR a = s->GetInfo().Angles;
    const float expected = s->ObjectID() == 5 ? std::numbers::pi_v<float> / 2 : 0.0f;
    EXPECT_NEAR(a.y, expected, 2e-3f) << "sphere " << s->ObjectID();
    EXPECT_EQ(a.x, 0.0f);
    EXPECT_EQ(a.z, 0.0f);
  }
  // The action is the player's own: it is not stored with the world.
  ASSERT_EQ(rig.scene->Actions.size(), 1u);
  EXPECT_TRUE(rig.scene->Actions[0].object->Temporary());
}

TEST(ShippedWorld, TheDanceShowsFramesOneTwoThreeAtStepsOf300Milliseconds) {
  ShippedRig rig;
  SceneDanceTexts texts(*rig.scene);
  Dance dance;
  DXTimer timer(rig.clock);
  timer.SetInterval(Dance::kIntervalMs);
  timer.OnTimer = [&](DXTimer&, std::uint32_t) { dance.Timer1Timer(texts); };
  timer.SetEnabled(true);
  auto shown = [&] {
    std::string s;
    for (std::int32_t id = 1; id <= 3; ++id) s += texts.heldText(id)->GetText() + "/";
    return s;
  };
  auto cells = [](int frame) {
    std::string s;
    for (const auto& row : Dance::kTable) s += std::string(row[static_cast<std::size_t>(frame - 1)]) + "/";
    return s;
  };
  for (int step = 1; step <= 17; ++step) {
    rig.clock.advanceMilliseconds(290);
    timer.DoIdle();
    rig.scene->Frame(0);
    // Not yet due: the frame of the step before is still shown.
    EXPECT_EQ(shown(), cells(step == 1 ? 1 : (step - 2) % 16 + 1)) << "before step " << step;
    rig.clock.advanceMilliseconds(10);
    timer.DoIdle();
    rig.scene->Frame(0);
    EXPECT_EQ(shown(), cells((step - 1) % 16 + 1)) << "step " << step;
  }
}

}  // namespace
}  // namespace velorina
