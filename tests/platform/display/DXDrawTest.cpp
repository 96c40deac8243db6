#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/display/DXDraw.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "support/ExpectOk.h"

namespace velorina {
namespace {

using testing::expectOk;

struct Fixture {
  Fixture() {
    auto p = std::make_unique<OffscreenPresenter>();
    presenter = p.get();
    draw = std::make_unique<DXDraw>(std::move(p));
    draw->SetDisplaySize(32, 24);
  }
  OffscreenPresenter* presenter;
  std::unique_ptr<DXDraw> draw;
};

TEST(DXDraw, FinaliseIsHarmlessAndNothingDrawsBeforeInitialise) {
  Fixture f;
  f.draw->Finalize();
  f.draw->Finalize();
  EXPECT_FALSE(f.draw->CanDraw());
  EXPECT_EQ(f.draw->D3DDevice7(), nullptr);
  EXPECT_EQ(f.draw->SurfaceWidth(), 0u);
  f.draw->Flip();  // nothing to present
  EXPECT_EQ(f.presenter->presentedFrames(), 0u);
}

TEST(DXDraw, InitialiseRaisesBothEventsInOrderWhileItCannotDrawYet) {
  Fixture f;
  std::vector<std::string> calls;
  f.draw->OnInitialize = [&](DXDraw& d) {
    calls.push_back("initialize");
    EXPECT_FALSE(d.CanDraw());
    ASSERT_NE(d.D3DDevice7(), nullptr);
  };
  f.draw->OnInitializeSurface = [&](DXDraw& d) {
    calls.push_back("surface " + std::to_string(d.SurfaceWidth()) + "x" + std::to_string(d.SurfaceHeight()));
  };
  f.draw->Initialize();
  EXPECT_EQ(calls, (std::vector<std::string>{"initialize", "surface 32x24"}));
  EXPECT_TRUE(f.draw->CanDraw());
  EXPECT_TRUE(f.draw->HasDepthBuffer());

  // Re-initialising at another size re-makes the surface.
  f.draw->SetDisplaySize(16, 8);
  f.draw->Initialize();
  EXPECT_EQ(calls, (std::vector<std::string>{"initialize", "surface 32x24", "initialize", "surface 16x8"}));
  f.draw->Finalize();
  EXPECT_FALSE(f.draw->CanDraw());
  EXPECT_FALSE(f.presenter->isOpen());
}

TEST(DXDraw, FlipPresentsTheDevicePicture) {
  Fixture f;
  f.draw->Initialize();
  expectOk(f.draw->D3DDevice7()->Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 1.0f, 0));
  f.draw->Flip();
  ASSERT_EQ(f.presenter->presentedFrames(), 1u);
  EXPECT_EQ(f.presenter->frame().front(), 0xFF336699u);
  EXPECT_EQ(f.presenter->frame().back(), 0xFF336699u);

  const auto path = std::filesystem::temp_directory_path() / "velorina-dxdraw-frame.png";
  f.presenter->saveFrame(path.string());
  EXPECT_GT(std::filesystem::file_size(path), 0u);
  std::filesystem::remove(path);
}

TEST(DXDraw, AFailedInitialisationLeavesNothingHalfMade) {
  Fixture f;
  f.draw->OnInitializeSurface = [](DXDraw&) { throw std::runtime_error("surface handler failed"); };
  EXPECT_THROW(f.draw->Initialize(), std::runtime_error);
  EXPECT_FALSE(f.draw->CanDraw());
  EXPECT_EQ(f.draw->D3DDevice7(), nullptr);
  EXPECT_FALSE(f.presenter->isOpen());
}

TEST(DXDraw, WindowControlsReachThePresenter) {
  Fixture f;
  f.draw->SetZBuffer(false);
  f.draw->SetVisible(true);
  f.draw->SetCursor(kCursorNone);
  f.draw->Initialize();
  EXPECT_FALSE(f.draw->HasDepthBuffer());
  EXPECT_TRUE(f.presenter->visible());
  EXPECT_FALSE(f.presenter->cursorVisible());
  f.draw->SetCursor(kCursorDefault);
  EXPECT_TRUE(f.presenter->cursorVisible());
  f.draw->SetFocus();
  EXPECT_EQ(f.presenter->focusRequests(), 1);
  f.presenter->pushEvent({DisplayEventKind::KeyDown, 27});
  DisplayEvent e;
  ASSERT_TRUE(f.draw->pollEvent(e));
  EXPECT_EQ(e.virtualKey, 27u);
  EXPECT_FALSE(f.draw->pollEvent(e));
}

}  // namespace
}  // namespace velorina
