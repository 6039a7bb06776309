// The pacing of presents for renderers that cannot wait for the refresh: slots one refresh
// period apart, a late present passing at once without a burst of catch-up presents.

#include "platform/PresentPacer.h"

#include <gtest/gtest.h>

namespace {

using platform::PresentPacer;

TEST(PresentPacerTest, UnknownRateCountsAsSixtyHertz) {
  PresentPacer pacer;
  pacer.SetRefreshRate(0);
  EXPECT_EQ(pacer.PeriodMicros(), 16666u);
  pacer.SetRefreshRate(-5);
  EXPECT_EQ(pacer.PeriodMicros(), 16666u);
  pacer.SetRefreshRate(144);
  EXPECT_EQ(pacer.PeriodMicros(), 6944u);
}

TEST(PresentPacerTest, PresentsFasterThanTheRefreshWaitForTheirSlot) {
  PresentPacer pacer;
  pacer.SetRefreshRate(100);                     // 10 000 us
  EXPECT_EQ(pacer.WaitBeforePresent(5000), 0u);  // the first passes
  // A frame ready 1 ms later waits for the slot at 15 000.
  EXPECT_EQ(pacer.WaitBeforePresent(6000), 9000u);
  // After that wait the next slot is 25 000, whatever the frame cost.
  EXPECT_EQ(pacer.WaitBeforePresent(15000 + 2000), 8000u);
  // That present went out at 25 000; the next slot is 35 000.
  EXPECT_EQ(pacer.WaitBeforePresent(26000), 9000u);
  EXPECT_EQ(pacer.WaitBeforePresent(45000), 0u);  // exactly on its slot
  EXPECT_EQ(pacer.WaitBeforePresent(45100), 9900u);
}

TEST(PresentPacerTest, LatePresentPassesAndStartsTheSlotsAnew) {
  PresentPacer pacer;
  pacer.SetRefreshRate(100);
  pacer.WaitBeforePresent(0);
  // Three periods late: no wait, and the following presents are not let through early to make
  // up for the lost ones.
  EXPECT_EQ(pacer.WaitBeforePresent(40000), 0u);
  EXPECT_EQ(pacer.WaitBeforePresent(40500), 9500u);
}

TEST(PresentPacerTest, RestartLetsTheNextPresentThrough) {
  PresentPacer pacer;
  pacer.SetRefreshRate(50);
  pacer.WaitBeforePresent(1000);
  EXPECT_GT(pacer.WaitBeforePresent(1001), 0u);
  pacer.Restart();
  EXPECT_EQ(pacer.WaitBeforePresent(1002), 0u);
  EXPECT_EQ(pacer.WaitBeforePresent(1003), 19999u);
}

}  // namespace
