#include "platform/Events.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

namespace {

// Never destroyed: a thread may still be blocked in a wait when the process exits, and a
// condition variable must not be destroyed under a waiter.
std::mutex& EventsMutex() {
  static auto* mutex = new std::mutex();
  return *mutex;
}

std::condition_variable& EventsChanged() {
  static auto* changed = new std::condition_variable();
  return *changed;
}

using Clock = std::chrono::steady_clock;

// Waits on the shared condition until pred holds or the deadline passes; false on time-out.
template <typename Pred>
bool WaitFor(std::unique_lock<std::mutex>& lock, int timeoutMs, Pred pred) {
  if (timeoutMs < 0) {
    EventsChanged().wait(lock, pred);
    return true;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  return EventsChanged().wait_until(lock, deadline, pred);
}

}  // namespace

void Event::Signal() {
  {
    std::lock_guard<std::mutex> lock(EventsMutex());
    signalled = true;
  }
  EventsChanged().notify_all();
}

void Event::Reset() {
  {
    std::lock_guard<std::mutex> lock(EventsMutex());
    signalled = false;
  }
  EventsChanged().notify_all();
}

bool Event::IsSignalled() const {
  std::lock_guard<std::mutex> lock(EventsMutex());
  return signalled;
}

int WaitForAnyEvent(Event* const* events, int count, int timeoutMs) {
  if (events == nullptr || count < 1 || count > kMaxWaitEvents) return kWaitFailed;
  for (int i = 0; i < count; ++i) {
    if (events[i] == nullptr) return kWaitFailed;
  }

  std::unique_lock<std::mutex> lock(EventsMutex());
  int found = -1;
  auto anySignalled = [&] {
    for (int i = 0; i < count; ++i) {
      if (events[i]->signalled) {
        found = i;
        return true;
      }
    }
    return false;
  };
  if (!anySignalled()) {
    for (int i = 0; i < count; ++i)
      ++events[i]->waiters;
    // Let a test that waits for this thread to go idle see it.
    EventsChanged().notify_all();
    const bool woke = WaitFor(lock, timeoutMs, anySignalled);
    for (int i = 0; i < count; ++i)
      --events[i]->waiters;
    if (!woke) return kWaitTimeout;
  }
  events[found]->signalled = false;
  lock.unlock();
  EventsChanged().notify_all();
  return found;
}

int WaitForEvent(Event* event, int timeoutMs) {
  Event* list[1] = {event};
  return WaitForAnyEvent(list, 1, timeoutMs);
}

bool WaitUntilEventsServed(Event* const* events, int count, int timeoutMs) {
  if (events == nullptr || count < 0) return false;
  std::unique_lock<std::mutex> lock(EventsMutex());
  return WaitFor(lock, timeoutMs, [&] {
    for (int i = 0; i < count; ++i) {
      const Event* e = events[i];
      if (e != nullptr && (e->signalled || e->waiters == 0)) return false;
    }
    return true;
  });
}

}  // namespace platform
