#include <gtest/gtest.h>

#include <vector>

#include "platform/display/DisplayError.h"
#include "platform/display/VirtualKeys.h"
#include "platform/display/sdl/SdlKeyMap.h"
#include "platform/display/sdl/SdlPresenter.h"

namespace velorina {
namespace {

SDL_Keysym keysym(SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
  SDL_Keysym k{};
  k.scancode = scancode;
  k.sym = sym;
  k.mod = mod;
  return k;
}

TEST(SdlKeyMap, KeysBecomeWindowsVirtualKeys) {
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE)), vk::kEscape);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_LEFT, SDLK_LEFT)), vk::kLeft);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_DOWN, SDLK_DOWN)), vk::kDown);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_Q, SDLK_q)), vk::kLetterA + ('Q' - 'A'));
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_7, SDLK_7)), vk::kDigit0 + 7);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_F5, SDLK_F5)), vk::kF1 + 4);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_SPACE, SDLK_SPACE)), vk::kSpace);
}

TEST(SdlKeyMap, KeypadFollowsNumLock) {
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_KP_8, SDLK_KP_8, KMOD_NUM)), 104u);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_KP_8, SDLK_UP)), vk::kUp);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_KP_9, SDLK_KP_9, KMOD_NUM)), 105u);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_KP_9, SDLK_PAGEUP)), vk::kPrior);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM)), 96u);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM)), vk::kDecimal);
  // Operators are the same either way.
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS)), vk::kAdd);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, KMOD_NUM)), vk::kSubtract);
  EXPECT_EQ(virtualKeyFromSdl(keysym(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER)), vk::kReturn);
}

// Runs with whatever video driver the environment names (the test suite sets
// SDL_VIDEODRIVER=dummy); skipped where no video driver can start at all.
TEST(SdlPresenter, OpensPresentsAndClosesHeadless) {
  SdlPresenter presenter;
  try {
    presenter.open({64, 48, PresenterMode::Windowed, "velorina test"});
  } catch (const EDisplayError& e) {
    GTEST_SKIP() << "no video driver: " << e.context().detail;
  }
  EXPECT_TRUE(presenter.isOpen());
  presenter.setVisible(true);
  presenter.setCursorVisible(false);
  const std::vector<std::uint32_t> frame(64 * 48, 0xFF804020u);
  presenter.present(frame);
  presenter.present(std::vector<std::uint32_t>(3));  // too small: ignored
  DisplayEvent e;
  while (presenter.pollEvent(e)) {
  }
  presenter.close();
  presenter.close();
  EXPECT_FALSE(presenter.isOpen());
}

}  // namespace
}  // namespace velorina
