// The shipped world as the player runs it (the start-up action turning the spheres,
// the dance timer, the camera step turning on the spot, the frame and the flip)
// allocates no memory in frames without a dance step, once every view has been
// drawn once (the software device's tile lists grow to the most triangles a tile
// has held, so a camera walking into a view never seen can still grow one). The global allocation functions are replaced to
// count calls, so the test has a program of its own.
#include <gtest/gtest.h>

#include "archive/FileStream.h"
#include "platform/display/DXDraw.h"
#include "platform/display/DXTimer.h"
#include "platform/display/ManualClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "scene/Scene.h"
#include "shell/CameraStep.h"
#include "shell/Dance.h"
#include "shell/SceneDanceTexts.h"
#include "shell/StartupAction.h"
#include "shell/SurfaceSetup.h"
#include "shell/WorldPackage.h"
#include "support/AllocationCounter.h"

namespace velorina {
namespace {

using test::allocationCount;
using test::allocationCounting;

TEST(ShippedFrameAllocation, FramesWithoutADanceStepAllocateNothing) {
  ManualClock clock;
  clock.setMicroseconds(1'000'000);
  DXDraw display{std::make_unique<OffscreenPresenter>()};
  TD3DScene scene(&display, nullptr, clock);
  FileStream file(std::string(VELORINA_BINARY_DIR) + "/velorina", FileMode::Read);
  const WorldPackageInfo package = readWorldPackage(file);
  const TWorldHeader& header = package.Header;
  scene.LoadFromPackage(file, package.ArchiveOffset, package.ArchiveSize, header.MapName);
  scene.AddAction(startupAction());
  display.SetDisplaySize(256, 192);
  display.OnInitialize = [](DXDraw& d) { setInitialViewTransform(*d.D3DDevice7()); };
  display.OnInitializeSurface = [&](DXDraw& d) {
    setUpSurface(*d.D3DDevice7(), d.SurfaceWidth(), d.SurfaceHeight(), header, &scene);
  };
  display.Initialize();

  SceneDanceTexts texts(scene);
  Dance dance;
  DXTimer danceTimer(clock);
  danceTimer.SetInterval(Dance::kIntervalMs);
  danceTimer.OnTimer = [&](DXTimer&, std::uint32_t) { dance.Timer1Timer(texts); };
  danceTimer.SetEnabled(true);
  CameraStep camera;
  camera.start(clock.GetTickCount());
  TDXInputStates keys;
  keys.set(TDXInputState::Right);  // turning on the spot, a full turn in 2.4 s

  int steps = 0;
  long counted = 0;
  auto frame = [&](bool count) {
    clock.advanceMilliseconds(10);
    const bool danced = danceTimer.DoIdle();
    steps += danced;
    allocationCounting = count && !danced;
    camera.step(scene, keys, header, clock.GetTickCount(), true);
    scene.Frame(header.BackgroundColor);
    display.Flip();
    allocationCounting = false;
    counted += count && !danced;
  };
  // Warm up over one whole dance (4.8 s): every text has been at its largest.
  for (int i = 0; i < 500; ++i) frame(false);
  allocationCount = 0;
  allocationCounting = true;
  void* volatile probe = ::operator new(16);  // the counter does see allocations
  ::operator delete(probe);
  allocationCounting = false;
  ASSERT_EQ(allocationCount.exchange(0), 1);
  const int stepsBefore = steps;
  for (int i = 0; i < 600; ++i) frame(true);
  EXPECT_EQ(allocationCount.load(), 0);
  EXPECT_EQ(steps - stepsBefore, 20);  // the dance went on between the counted frames
  EXPECT_GT(counted, 500);
}

}  // namespace
}  // namespace velorina
