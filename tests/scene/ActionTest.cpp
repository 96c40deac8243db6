#include "scene/Action.h"

#include <gtest/gtest.h>

#include <vector>

#include "archive/MemoryStream.h"

namespace velorina {
namespace {

// A scene that records the motions asked of it, with a clock the test sets.
class RecordingScene final : public IActionScene {
 public:
  double SceneTime() const override { return now; }
  double SortInterval() const override { return 0.01; }
  void MoveTargets(std::int32_t kind, std::int32_t id, const D3DVECTOR& m) override {
    calls.push_back({211, kind, id, m, {}});
  }
  void RotateTargetsAboutCentres(std::int32_t kind, std::int32_t id, const D3DVECTOR& r) override {
    calls.push_back({210, kind, id, {}, r});
  }
  void RotateTargetsAboutPoint(std::int32_t kind, std::int32_t id, const D3DVECTOR& p, const D3DVECTOR& r) override {
    calls.push_back({212, kind, id, p, r});
  }

  struct Call {
    int body;
    std::int32_t kind, id;
    D3DVECTOR vector, angles;
  };
  double now = 0;
  std::vector<Call> calls;
};

TD3DActionInfo quarterTurn() {
  TD3DActionInfo a;
  a.Kind = 210;
  a.TargetKind = 9;
  a.TargetID = 5;
  a.Vector2 = {0, 1.5707964f, 0};
  a.Duration = 1.0;
  a.Temporary = 1;
  return a;
}

TEST(Action, TurnsAQuarterTurnPerSecondWhateverTheFrameRate) {
  RecordingScene scene;
  TD3DAction action(quarterTurn(), scene);
  float total = 0;
  for (int frame = 1; frame <= 250; ++frame) {  // 4 ms frames for one second
    scene.now = frame * 0.004;
    action.Execute();
  }
  for (const auto& c : scene.calls) total += c.angles.y;
  EXPECT_NEAR(total, 1.5707964f * 1.0f, 0.02f);
  // The first call applies at once; afterwards every third 4 ms frame (12 ms > 10 ms).
  ASSERT_GE(scene.calls.size(), 2u);
  EXPECT_NEAR(scene.calls[1].angles.y, 1.5707964f * 0.012f, 1e-4f);
  EXPECT_EQ(scene.calls[0].kind, 9);
  EXPECT_EQ(scene.calls[0].id, 5);
}

TEST(Action, MovesAndTurnsAboutAPoint) {
  RecordingScene scene;
  TD3DActionInfo move;
  move.Kind = 211;
  move.TargetKind = -1;
  move.Vector1 = {2, 0, 0};
  move.Duration = 2;
  TD3DAction a(move, scene);
  scene.now = 0.5;
  a.Execute();
  ASSERT_EQ(scene.calls.size(), 1u);
  EXPECT_FLOAT_EQ(scene.calls[0].vector.x, 0.5f);

  TD3DActionInfo orbit = move;
  orbit.Kind = 212;
  orbit.Vector1 = {0, 0, 0};
  orbit.Vector2 = {0, 1, 0};
  TD3DAction b(orbit, scene);
  scene.now = 1.5;
  b.Execute();
  EXPECT_EQ(scene.calls.back().body, 212);
  EXPECT_FLOAT_EQ(scene.calls.back().angles.y, 0.5f);
}

TEST(Action, NoDurationOrAnUnknownKindMovesNothing) {
  RecordingScene scene;
  for (double d : {0.0, -1.0}) {
    TD3DActionInfo info = quarterTurn();
    info.Duration = d;
    TD3DAction a(info, scene);
    scene.now += 1;
    a.Execute();
    EXPECT_TRUE(a.Started());
  }
  TD3DActionInfo other = quarterTurn();
  other.Kind = 99;
  TD3DAction c(other, scene);
  scene.now += 1;
  c.Execute();
  EXPECT_TRUE(scene.calls.empty());
}

TEST(Action, AStoredActionIsNeverTemporary) {
  RecordingScene scene;
  MemoryStream out;
  quarterTurn().write(out);
  ByteReader in(out.bytes());
  TD3DAction a = TD3DAction::CreateFromStream(in, scene);
  EXPECT_FALSE(a.Temporary());
  EXPECT_EQ(a.ActionKind(), 210);
}

}  // namespace
}  // namespace velorina
