#include <gtest/gtest.h>

#include <thread>

#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/PressStretcher.h"
#include "platform/Timer.h"
#include "platform/Video.h"

namespace {

TEST(MessageQueue, KeepsOrderAndPacksPositionsTheWindowsWay) {
  platform::MessageQueue queue;
  queue.Post(platform::WM_MOUSEMOVE, 0, platform::MakeLParam(799, 599));
  queue.PostQuit(3);
  platform::Message m;
  ASSERT_TRUE(queue.Take(m));
  EXPECT_EQ(m.id, platform::WM_MOUSEMOVE);
  EXPECT_EQ(platform::LowWord(static_cast<uintptr_t>(m.lParam)), 799);
  EXPECT_EQ(platform::HighWord(static_cast<uintptr_t>(m.lParam)), 599);
  ASSERT_TRUE(queue.Take(m));
  EXPECT_EQ(m.id, platform::WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(queue.Take(m));  // never waits
}

TEST(MessageQueue, NegativePositionsSurviveThePacking) {
  const intptr_t l = platform::MakeLParam(-5, -300);
  EXPECT_EQ(platform::LowWord(static_cast<uintptr_t>(l)), -5);
  EXPECT_EQ(platform::HighWord(static_cast<uintptr_t>(l)), -300);
}

TEST(MessageQueue, PostsFromAnotherThreadArrive) {
  platform::MessageQueue queue;
  std::thread poster([&queue] {
    for (int i = 0; i < 1000; ++i)
      queue.Post(platform::MM_MCINOTIFY, static_cast<uintptr_t>(i));
  });
  int seen = 0;
  platform::Message m;
  while (seen < 1000) {
    if (queue.Take(m)) {
      EXPECT_EQ(m.wParam, static_cast<uintptr_t>(seen));
      ++seen;
    }
  }
  poster.join();
}

TEST(MemoryVideo, CreationActivatesTheWindowAndPresentKeepsThePicture) {
  platform::Messages().Clear();
  platform::MemoryVideo video;
  platform::WindowDesc desc;
  desc.x = 112;
  desc.y = 84;
  ASSERT_TRUE(video.CreateWindow(desc));
  platform::Message m;
  ASSERT_TRUE(platform::Messages().Take(m));
  EXPECT_EQ(m.id, platform::WM_ACTIVATEAPP);
  ASSERT_TRUE(platform::Messages().Take(m));
  EXPECT_EQ(m.id, platform::WM_ACTIVATE);
  EXPECT_EQ(m.wParam, platform::WA_ACTIVE);
  platform::Messages().Clear();

  platform::Surface* picture = platform::Surface::Create(800, 600);
  picture->Pixels()[601 * 800 / 2] = 0xBEEF;
  video.Present(*picture, 112, 84);
  ASSERT_TRUE(video.lastPicture);
  EXPECT_EQ(video.lastPicture->Pixels()[601 * 800 / 2], 0xBEEF);
  EXPECT_EQ(video.presents, 1);
  platform::Surface::Release(picture);
}

TEST(InputState, KeysAreHeldByDirectInputCodeAndReadByVirtualKey) {
  platform::InputState input;
  input.SetKey(platform::DIK_RSHIFT, true);
  input.SetKey(0x1E, true);  // A
  EXPECT_EQ(input.KeyTable()[platform::DIK_RSHIFT], 0x80);
  EXPECT_NE(input.AsyncKeyState(0x10) & 0x8000, 0);  // either shift is "shift"
  EXPECT_NE(input.AsyncKeyState('A') & 0x8000, 0);
  EXPECT_EQ(input.AsyncKeyState('B'), 0);
  input.SetKey(0x1E, false);
  EXPECT_EQ(input.AsyncKeyState('A'), 0);
  input.SetKey(999, true);  // out of range: ignored, no write past the table
  input.SetKey(-1, true);
}

TEST(InputState, MouseButtonBitsChangeOneAtATime) {
  platform::InputState input;
  input.SetMouseButton(1, true);
  input.SetMouseButton(0, true);
  EXPECT_EQ(input.MouseButtons(), 3u);
  input.SetMouseButton(1, false);
  EXPECT_EQ(input.MouseButtons(), 1u);
}

TEST(PressStretcher, AShortTapIsReleasedOnlyAfterTheMinimumPress) {
  platform::PressStretcher presses;
  platform::PressStretcher::Release release{};
  EXPECT_FALSE(presses.Press(0, 1000, &release));
  EXPECT_FALSE(presses.ReleaseNow(0, 1003, 7, 9));  // a 3 ms tap: held back
  EXPECT_FALSE(presses.TakeDue(1039, &release));
  ASSERT_TRUE(presses.TakeDue(1040, &release));
  EXPECT_EQ(release.button, 0);
  EXPECT_EQ(release.x, 7);
  EXPECT_EQ(release.y, 9);
  EXPECT_FALSE(presses.TakeDue(2000, &release));  // once only
}

TEST(PressStretcher, LongPressesAndOtherButtonsPassStraightThrough) {
  platform::PressStretcher presses;
  platform::PressStretcher::Release release{};
  presses.Press(1, 0, &release);
  EXPECT_TRUE(presses.ReleaseNow(1, 40, 0, 0));
  EXPECT_TRUE(presses.ReleaseNow(5, 0, 0, 0));  // not a tracked button: nothing held back
}

TEST(PressStretcher, ASecondTapFlushesTheFirstRelease) {
  platform::PressStretcher presses;
  platform::PressStretcher::Release release{};
  presses.Press(0, 100, &release);
  presses.ReleaseNow(0, 105, 1, 2);
  ASSERT_TRUE(presses.Press(0, 110, &release));  // the first release comes before the new press
  EXPECT_EQ(release.x, 1);
  EXPECT_FALSE(presses.TakeDue(1000, &release));
}

TEST(KeyCodes, RoundTripForLettersDigitsAndTheNamedKeys) {
  for (int vk : {int{'A'}, int{'Z'}, int{'0'}, int{'9'}, 13, 27, 32, 112}) {
    const int dik = platform::VirtualKeyToDik(vk);
    ASSERT_NE(dik, 0) << vk;
    EXPECT_EQ(platform::DikToVirtualKey(dik), vk);
  }
  EXPECT_EQ(platform::VirtualKeyToDik(27), platform::DIK_ESCAPE);
  EXPECT_EQ(platform::VirtualKeyToDik(112), platform::DIK_F1);
}

// The timer thread is the one place where real time is the point: it must tick and stop.
void CountTick(void* user) {
  static_cast<platform::TickSignal*>(user)->Signal();
}

TEST(PeriodicTimer, TicksOnItsOwnThreadAndStopsJoined) {
  platform::TickSignal ticks;
  platform::PeriodicTimer timer;
  ASSERT_TRUE(timer.Start(10, &CountTick, &ticks));
  EXPECT_FALSE(timer.Start(10, &CountTick, &ticks));  // already running
  while (ticks.Count() < 3)
    ticks.WaitPast(ticks.Count(), 1000);
  timer.Stop();
  const uint32_t afterStop = ticks.Count();
  EXPECT_FALSE(timer.Running());
  ticks.WaitPast(afterStop, 50);
  EXPECT_EQ(ticks.Count(), afterStop);
  timer.Stop();  // stopping twice does nothing
}

}  // namespace
