// Once a world is loaded, a frame (camera step, scene frame with lights, actions,
// a nested scene and distance sorts, the device's drawing and the flip) allocates
// no memory. The global allocation functions are replaced to count calls, so the
// test has a program of its own.
#include <gtest/gtest.h>

#include "scene/Scene.h"
#include "shell/CameraStep.h"
#include "shell/SurfaceSetup.h"
#include "support/AllocationCounter.h"
#include "support/TempDir.h"
#include "SceneTestWorlds.h"

namespace velorina {
namespace {

using test::allocationCount;
using test::allocationCounting;

TEST(FrameAllocation, FramesOfALoadedWorldAllocateNothing) {
  test::TempDir dir;
  dir.write("red.bmp", test::bmpFile(255, 0, 0));
  dir.write("green.bmp", test::bmpFile(0, 255, 0));
  dir.write("inner.d3d", test::sceneStream("green.bmp", {{test::wall(20, 6), 0}}));
  std::vector<std::pair<TD3DQuadrangleInfo, int>> quads;
  for (int i = 0; i < 40; ++i) quads.push_back({test::wall(i + 1, 2.0f + static_cast<float>(i % 8)), i % 3 - 1});
  dir.write("world.d3d", test::sceneStream("red.bmp\r\ngreen.bmp", quads, {dir.file("inner.d3d")}, true));

  test::Rig rig;
  TD3DScene scene(&rig.display, nullptr, rig.clock);
  scene.LoadFromFile(dir.file("world.d3d"));
  scene.MotionStep = 0;  // re-sorts the objects by distance whenever the camera moves
  TD3DActionInfo spin;
  spin.Kind = static_cast<std::uint8_t>(ActionKind::RotateAboutCentres);
  spin.TargetKind = -1;
  spin.TargetID = 3;
  spin.Vector2 = {0, 1, 0};
  spin.Duration = 2;
  scene.AddAction(spin);
  const TWorldHeader header = TWorldHeader::shipped();
  setUpSurface(*rig.display.D3DDevice7(), 64, 48, header, &scene);

  CameraStep camera;
  camera.start(rig.clock.GetTickCount());
  TDXInputStates keys;
  keys.set(TDXInputState::Up);
  keys.set(TDXInputState::Left);
  auto frame = [&] {
    rig.clock.advanceMilliseconds(16);
    camera.step(scene, keys, header, rig.clock.GetTickCount(), true);
    scene.Frame(header.BackgroundColor);
    rig.display.Flip();
  };
  for (int i = 0; i < 30; ++i) frame();  // warm up: sort buffers and tile lists reach their size
  allocationCount = 0;
  allocationCounting = true;
  void* volatile probe = ::operator new(16);  // the counter does see allocations
  ::operator delete(probe);
  ASSERT_EQ(allocationCount.exchange(0), 1);
  for (int i = 0; i < 200; ++i) frame();
  allocationCounting = false;
  EXPECT_EQ(allocationCount.load(), 0);
  EXPECT_NE(scene.GetCameraPosition().z, 0.0f);  // the frames did move the camera
}

}  // namespace
}  // namespace velorina
