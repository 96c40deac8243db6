#include <gtest/gtest.h>

#include <vector>

#include "platform/display/DXTimer.h"
#include "platform/display/ManualClock.h"

namespace velorina {
namespace {

TEST(DXTimer, TicksOnceTheIntervalHasPassed) {
  ManualClock clock;
  clock.setMicroseconds(5'000'000);
  DXTimer timer(clock);
  std::vector<std::uint32_t> lags;
  timer.OnTimer = [&](DXTimer&, std::uint32_t lag) { lags.push_back(lag); };
  timer.SetInterval(10);
  EXPECT_FALSE(timer.DoIdle());  // not enabled
  timer.SetEnabled(true);
  clock.advanceMilliseconds(9);
  EXPECT_FALSE(timer.DoIdle());
  clock.advanceMilliseconds(1);
  EXPECT_TRUE(timer.DoIdle());
  EXPECT_FALSE(timer.DoIdle());  // same moment: no second tick
  clock.advanceMilliseconds(35);
  EXPECT_TRUE(timer.DoIdle());
  EXPECT_EQ(lags, (std::vector<std::uint32_t>{1, 3}));
}

TEST(DXTimer, TicksAcrossTheTickCountWrap) {
  ManualClock clock;
  clock.setMicroseconds((std::int64_t{1} << 32) * 1000 - 2000);  // 2 ms before the wrap
  DXTimer timer(clock);
  int ticks = 0;
  timer.OnTimer = [&](DXTimer&, std::uint32_t) { ++ticks; };
  timer.SetInterval(1);
  timer.SetEnabled(true);
  clock.advanceMilliseconds(5);
  EXPECT_TRUE(timer.DoIdle());
  EXPECT_EQ(ticks, 1);
}

TEST(DXTimer, ActivationEventsOnEveryChangeAndActiveOnlyPausesTicks) {
  ManualClock clock;
  DXTimer timer(clock);
  std::vector<char> events;
  timer.OnActivate = [&](DXTimer&) { events.push_back('A'); };
  timer.OnDeactivate = [&](DXTimer&) { events.push_back('D'); };
  timer.SetInterval(1);
  timer.SetEnabled(true);
  timer.setApplicationActive(false);
  timer.setApplicationActive(false);  // no change, no event
  clock.advanceMilliseconds(2);
  EXPECT_TRUE(timer.DoIdle());  // ActiveOnly is off: still ticks in the background
  timer.ActiveOnly = true;
  clock.advanceMilliseconds(2);
  EXPECT_FALSE(timer.DoIdle());
  timer.setApplicationActive(true);
  EXPECT_TRUE(timer.DoIdle());
  EXPECT_EQ(events, (std::vector<char>{'D', 'A'}));
}

TEST(ManualClock, WithoutACounterReportsFrequencyZero) {
  ManualClock none(PerformanceCounter::Absent);
  none.setMicroseconds(1'500'000);
  EXPECT_EQ(none.QueryPerformanceFrequency(), 0);
  EXPECT_EQ(none.GetTickCount(), 1500u);
  ManualClock clock;
  clock.setMicroseconds(1'500'000);
  EXPECT_EQ(clock.QueryPerformanceCounter() / clock.QueryPerformanceFrequency(), 1);
}

}  // namespace
}  // namespace velorina
