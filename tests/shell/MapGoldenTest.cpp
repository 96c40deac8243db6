// Freedoom 2's MAP01 as the player opens it: the header made from the map, the
// camera at player 1's start, the first frame drawn by the software device
// headless. Compared with tests/shell/golden (VELORINA_REGENERATE_GOLDEN=1 rewrites
// it); skipped where the freedoom package is not installed.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/display/DXDraw.h"
#include "platform/display/ManualClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "scene/Scene.h"
#include "shell/MapStart.h"
#include "shell/SurfaceSetup.h"
#include "support/ExpectOk.h"
#include "support/GoldenImage.h"

namespace velorina {
namespace {

constexpr const char* kWad = "/usr/share/games/doom/freedoom2.wad";

TEST(MapGolden, Freedoom2Map01FromPlayerOnesStart) {
  if (!std::filesystem::exists(kWad)) GTEST_SKIP() << "the freedoom package is not installed (" << kWad << ")";
  constexpr std::uint32_t kWidth = 320, kHeight = 240;
  const MapStart start = readMapStart(kWad, "MAP01");
  ManualClock clock;
  DXDraw display(std::make_unique<OffscreenPresenter>());
  TD3DScene scene(&display, nullptr, clock);
  ASSERT_TRUE(scene.OpenFromArchiveFile(kWad, start.mapName));
  scene.SetCameraPosition(start.position);
  scene.SetCameraRotation(start.rotation);
  display.SetDisplaySize(kWidth, kHeight);
  display.OnInitialize = [](DXDraw& d) { setInitialViewTransform(*d.D3DDevice7()); };
  display.OnInitializeSurface = [&](DXDraw& d) {
    setUpSurface(*d.D3DDevice7(), d.SurfaceWidth(), d.SurfaceHeight(), start.header, &scene);
  };
  display.Initialize();
  clock.advanceMilliseconds(20);
  scene.Frame(start.header.BackgroundColor);
  std::vector<std::uint32_t> pixels(kWidth * kHeight);
  testing::expectOk(display.D3DDevice7()->ReadRenderTarget(pixels));
  EXPECT_TRUE(testing::matchesGoldenIn("shell/golden", "freedoom2_map01_start", kWidth, kHeight, pixels));
}

}  // namespace
}  // namespace velorina
