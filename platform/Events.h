#pragma once
// Auto-reset events and a wait for any of several, as the sound code's threads use them: a thread
// blocks until one of its events is signalled, takes that one signal and acts on it. A signal is
// never lost: it stays set until a wait takes it, and a second signal while set is absorbed, as
// with a kernel event. When several are set, the wait reports the lowest index, so a quit request
// placed first wins over pending work.
//
// All events share one mutex and one condition variable. Signals are rare (a few per second of
// audio), so the shared lock costs nothing measurable and makes wait-for-any trivially correct.

#include <cstdint>

namespace platform {

class Event {
 public:
  Event() = default;
  // The event must not be in use by a waiting thread when it is destroyed.
  ~Event() = default;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Signal();
  void Reset();
  bool IsSignalled() const;

 private:
  friend int WaitForAnyEvent(Event* const* events, int count, int timeoutMs);
  friend bool WaitUntilEventsServed(Event* const* events, int count, int timeoutMs);

  // Both guarded by the one events mutex.
  bool signalled = false;
  int waiters = 0;  // threads blocked in a wait that includes this event
};

constexpr int kMaxWaitEvents = 64;
constexpr int kWaitForever = -1;
constexpr int kWaitFailed = -1;
constexpr int kWaitTimeout = -2;

// Blocks until one of events[0..count) is signalled, resets that one and returns its index (the
// lowest signalled index). kWaitFailed when count is outside 1..kMaxWaitEvents or an entry is
// null; kWaitTimeout when timeoutMs (kWaitForever: no limit) passes first.
int WaitForAnyEvent(Event* const* events, int count, int timeoutMs);

// One event: 0 when it was signalled, kWaitTimeout or kWaitFailed otherwise.
int WaitForEvent(Event* event, int timeoutMs);

// For tests that must let a listening thread catch up: blocks until no event of the list is
// signalled and each is watched by a thread blocked in a wait, that is until every signal has been
// taken and its work done. Null entries are skipped. False when timeoutMs passes first.
bool WaitUntilEventsServed(Event* const* events, int count, int timeoutMs);

}  // namespace platform
