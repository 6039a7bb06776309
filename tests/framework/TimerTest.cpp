#include <gtest/gtest.h>

#include <thread>

#include "framework/FrameLoop.h"
#include "framework/MousePointer.h"
#include "framework/Timer.h"
#include "platform/Input.h"

namespace {

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetTimerState(); }
  void TearDown() override { ResetTimerState(); }
  static void Advance(int ms) {
    for (int i = 0; i < ms / 10; ++i)
      TimerTick();
  }
};

TEST_F(TimerTest, CountsMillisecondsInTensAndMeasuresSpans) {
  Advance(250);
  EXPECT_EQ(GetTime(), 250u);
  EXPECT_EQ(TimeSince(100), 150);
  EXPECT_EQ(TimeSince(300), -50);  // a deadline still ahead reads negative
}

TEST_F(TimerTest, ClockCountsDownOncePerSecondAndStopsAtZero) {
  SetClockSeconds(3);
  StartClock();
  Advance(990);
  EXPECT_EQ(GetClockSeconds(), 3);
  Advance(10);  // the 100th tick completes the second
  EXPECT_EQ(GetClockSeconds(), 2);
  Advance(2000);
  EXPECT_EQ(GetClockSeconds(), 0);
  Advance(5000);
  EXPECT_EQ(GetClockSeconds(), 0);
}

TEST_F(TimerTest, StoppedClockHoldsButTheSecondKeepsAccumulating) {
  SetClockSeconds(10);
  StopClock();
  Advance(1500);
  EXPECT_EQ(GetClockSeconds(), 10);
  EXPECT_EQ(IsClockRunning(), 0);
  StartClock();
  // 500 ms were already counted towards the running second when the clock restarted.
  Advance(500);
  EXPECT_EQ(GetClockSeconds(), 9);
}

TEST_F(TimerTest, AddedSecondsCountDownLikeTheRest) {
  SetClockSeconds(1);
  AddClockSeconds(30);
  EXPECT_EQ(GetClockSeconds(), 31);
}

TEST_F(TimerTest, TickPollsTheMouseButtons) {
  platform::Input().SetMouseButtons(1);
  TimerTick();
  uint32_t buttons = 0;
  TheMousePointer().GetState(nullptr, nullptr, &buttons);
  EXPECT_EQ(buttons, 1u);
  platform::Input().SetMouseButtons(0);
  TimerTick();
  TheMousePointer().GetState(nullptr, nullptr, &buttons);
  EXPECT_EQ(buttons, 0u);
}

TEST_F(TimerTest, StopWithoutATimerDoesNothing) {
  EXPECT_EQ(StopTimer(), 0);
  EXPECT_FALSE(IsTimerRunning());
}

TEST_F(TimerTest, WaitFramePassesTheFirstFrameAndThenWaitsForTheTick) {
  ResetFrameLoop();
  WaitFrame(100);  // next frame time starts at 0: no wait
  EXPECT_EQ(GetFrameRate(), 100.0f);
  // The next frame is due at 10 ms: WaitFrame must block until a tick brings the counter there.
  std::thread ticker([] { TimerTick(); });
  WaitFrame(100);
  ticker.join();
  EXPECT_EQ(GetTime(), 10u);
}

TEST_F(TimerTest, WaitForTimeGivesUpWhenNoTickComes) {
  // No timer runs: a wait for a later time reports failure instead of hanging.
  EXPECT_FALSE(WaitForTime(GetTime() + 10));
  EXPECT_TRUE(WaitForTime(GetTime()));
}

}  // namespace
