// Auto-reset events and the wait for any of them.

#include "platform/Events.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/Thread.h"

namespace {

using platform::Event;
using platform::WaitForAnyEvent;

constexpr int kGenerous = 10000;

TEST(EventsTest, LowestSignalledIndexWinsAndOnlyItIsTaken) {
  Event a, b, c;
  Event* list[3] = {&a, &b, &c};
  c.Signal();
  b.Signal();
  EXPECT_EQ(WaitForAnyEvent(list, 3, 0), 1);
  EXPECT_FALSE(b.IsSignalled());
  EXPECT_TRUE(c.IsSignalled());
  EXPECT_EQ(WaitForAnyEvent(list, 3, 0), 2);
  EXPECT_EQ(WaitForAnyEvent(list, 3, 0), platform::kWaitTimeout);
}

TEST(EventsTest, ASignalBeforeTheWaitIsNotLostAndRepeatsAreAbsorbed) {
  Event e;
  e.Signal();
  e.Signal();
  EXPECT_EQ(platform::WaitForEvent(&e, 0), 0);
  EXPECT_EQ(platform::WaitForEvent(&e, 0), platform::kWaitTimeout);
  e.Signal();
  e.Reset();
  EXPECT_EQ(platform::WaitForEvent(&e, 0), platform::kWaitTimeout);
}

TEST(EventsTest, BadListsFail) {
  Event a;
  Event* withNull[2] = {&a, nullptr};
  EXPECT_EQ(WaitForAnyEvent(withNull, 2, 0), platform::kWaitFailed);
  EXPECT_EQ(WaitForAnyEvent(withNull, 0, 0), platform::kWaitFailed);
  std::vector<Event> many(65);
  std::vector<Event*> pointers;
  for (Event& e : many)
    pointers.push_back(&e);
  EXPECT_EQ(WaitForAnyEvent(pointers.data(), 65, 0), platform::kWaitFailed);
  many[63].Signal();
  EXPECT_EQ(WaitForAnyEvent(pointers.data(), 64, 0), 63);
}

struct Listener {
  Event* events[2];
  std::atomic<int> served{0};
  std::atomic<int> sum{0};
};

int Listen(void* parameter) {
  auto* l = static_cast<Listener*>(parameter);
  for (;;) {
    const int index = WaitForAnyEvent(l->events, 2, platform::kWaitForever);
    if (index != 1) return index;
    l->sum += 5;
    ++l->served;
  }
}

TEST(EventsTest, AThreadServesEverySignalAndGoesIdleAgain) {
  Event quit, work;
  Listener listener;
  listener.events[0] = &quit;
  listener.events[1] = &work;
  platform::Thread thread;
  ASSERT_TRUE(thread.Start(Listen, &listener));
  EXPECT_NE(thread.Id(), 0u);
  for (int i = 0; i < 20; ++i) {
    work.Signal();
    ASSERT_TRUE(platform::WaitUntilEventsServed(listener.events, 2, kGenerous));
  }
  EXPECT_EQ(listener.served.load(), 20);
  EXPECT_EQ(listener.sum.load(), 100);

  // Quit placed first wins over pending work.
  work.Signal();
  quit.Signal();
  int code = -5;
  ASSERT_TRUE(thread.Join(&code));
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(thread.Started());
}

TEST(EventsTest, NoListenerMeansNotServed) {
  Event e;
  Event* list[1] = {&e};
  EXPECT_FALSE(platform::WaitUntilEventsServed(list, 1, 0));
}

}  // namespace
