#include "platform/Timer.h"

#include "platform/Thread.h"

#include <algorithm>
#include <chrono>

namespace platform {

using Clock = std::chrono::steady_clock;

bool PeriodicTimer::Start(int periodMs, Callback cb, void* userData) {
  if (running.load() || cb == nullptr || periodMs <= 0) return false;
  stopRequested.store(false);
  period = periodMs;
  callback = cb;
  user = userData;
  running.store(true);
  thread = std::thread(&PeriodicTimer::Run, this);
  return true;
}

void PeriodicTimer::Stop() {
  if (!thread.joinable()) return;
  stopRequested.store(true);
  thread.join();
  running.store(false);
}

void PeriodicTimer::Run() {
  // A plain absolute sleep of the steady clock: the thread wakes 100 times a second for the whole
  // run, and a wait on a condition variable (a mutex and its wake-up besides the sleep) cost it
  // about twice the processor time. A stop is seen within one sleep of at most kLongestSleepMs.
  constexpr int kLongestSleepMs = 10;
  const auto step = std::chrono::milliseconds(period);
  auto due = Clock::now() + step;
  while (!stopRequested.load()) {
    const auto wakeAt = std::min(due, Clock::now() + std::chrono::milliseconds(kLongestSleepMs));
    SleepUntilSteady(wakeAt);
    // Run every tick that has come due; after a long stall (a suspended machine) give up the
    // backlog beyond one second rather than firing hundreds of ticks at once.
    const auto now = Clock::now();
    if (now - due > std::chrono::seconds(1)) due = now;
    while (due <= now && !stopRequested.load()) {
      callback(user);
      due += step;
    }
  }
}

void TickSignal::Signal() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    count.fetch_add(1);
  }
  changed.notify_all();
}

void TickSignal::WaitPast(uint32_t seen, int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                   [this, seen] { return count.load() != seen; });
}

uint64_t SteadyMilliseconds() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
          .count());
}

void SleepMilliseconds(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform
