#include <gtest/gtest.h>

#include "platform/display/DXInput.h"
#include "platform/display/VirtualKeys.h"

namespace velorina {
namespace {

DisplayEvent key(std::uint32_t vk, bool down) {
  return {down ? DisplayEventKind::KeyDown : DisplayEventKind::KeyUp, vk};
}

// The assignments the player makes: arrows and keypad for walking and turning.
DXInput playerInput() {
  DXInput input;
  input.Keyboard.Enabled = true;
  input.Keyboard.BindInputStates = true;
  input.Keyboard.KeyAssigns[std::size_t(TDXInputState::Up)] = {vk::kUp, vk::kNumpad0 + 8, 0};
  input.Keyboard.KeyAssigns[std::size_t(TDXInputState::Left)] = {vk::kLeft, vk::kNumpad0 + 4, 0};
  input.Keyboard.KeyAssigns[std::size_t(TDXInputState::Button3)] = {vk::kAdd, 0, 0};
  return input;
}

TEST(DXInput, AssignedKeysSetTheirMembers) {
  DXInput input = playerInput();
  input.handleEvent(key(vk::kNumpad0 + 8, true));
  input.handleEvent(key(vk::kAdd, true));
  input.Update();
  EXPECT_TRUE(input.States().contains(TDXInputState::Up));
  EXPECT_TRUE(input.States().contains(TDXInputState::Button3));
  EXPECT_FALSE(input.States().contains(TDXInputState::Left));
  input.handleEvent(key(vk::kNumpad0 + 8, false));
  input.handleEvent(key(vk::kUp, true));  // the second key of the same member
  input.Update();
  EXPECT_TRUE(input.States().contains(TDXInputState::Up));
  input.handleEvent(key(vk::kUp, false));
  input.handleEvent(key(vk::kAdd, false));
  input.Update();
  EXPECT_TRUE(input.States().empty());
}

TEST(DXInput, DisabledOrUnboundDevicesContributeNothing) {
  DXInput input = playerInput();
  input.Keyboard.BindInputStates = false;
  input.handleEvent(key(vk::kLeft, true));
  input.Update();
  EXPECT_TRUE(input.States().empty());
  input.Keyboard.BindInputStates = true;
  input.Update();
  EXPECT_TRUE(input.States().contains(TDXInputState::Left));

  input.Keyboard.Enabled = false;
  input.Update();
  EXPECT_TRUE(input.States().empty());
  input.handleEvent(key(vk::kUp, true));  // ignored while disabled
  input.Keyboard.Enabled = true;
  input.Update();
  EXPECT_FALSE(input.States().contains(TDXInputState::Up));
}

TEST(DXInput, LosingFocusReleasesHeldKeysAndButtons) {
  DXInput input = playerInput();
  input.Mouse.Enabled = true;
  input.Mouse.BindInputStates = true;
  input.handleEvent(key(vk::kLeft, true));
  input.handleEvent({DisplayEventKind::MouseButtonDown, 0, 0, 0, 1});
  input.Update();
  EXPECT_TRUE(input.States().contains(TDXInputState::Left));
  EXPECT_TRUE(input.States().contains(TDXInputState::Button2));
  input.handleEvent({DisplayEventKind::FocusLost});
  input.Update();
  EXPECT_TRUE(input.States().empty());
}

TEST(DXInput, MouseMovementCountsOncePerUpdate) {
  DXInput input;
  input.Mouse.Enabled = true;
  input.Mouse.BindInputStates = true;
  input.handleEvent({DisplayEventKind::MouseMotion, 0, -5, 3});
  input.Update();
  EXPECT_TRUE(input.States().contains(TDXInputState::Left));
  EXPECT_TRUE(input.States().contains(TDXInputState::Down));
  input.Update();
  EXPECT_TRUE(input.States().empty());
}

}  // namespace
}  // namespace velorina
