#include "platform/Timer.h"

#include <chrono>

namespace platform {

using Clock = std::chrono::steady_clock;

bool PeriodicTimer::Start(int periodMs, Callback cb, void* userData) {
  if (running.load() || cb == nullptr || periodMs <= 0) return false;
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopRequested = false;
  }
  period = periodMs;
  callback = cb;
  user = userData;
  running.store(true);
  thread = std::thread(&PeriodicTimer::Run, this);
  return true;
}

void PeriodicTimer::Stop() {
  if (!thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopRequested = true;
  }
  wake.notify_all();
  thread.join();
  running.store(false);
}

void PeriodicTimer::Run() {
  const auto step = std::chrono::milliseconds(period);
  auto due = Clock::now() + step;
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    if (wake.wait_until(lock, due, [this] { return stopRequested; })) return;
    // Run every tick that has come due; after a long stall (a suspended machine) give up the
    // backlog beyond one second rather than firing hundreds of ticks at once.
    const auto now = Clock::now();
    if (now - due > std::chrono::seconds(1)) due = now;
    while (due <= now) {
      lock.unlock();
      callback(user);
      lock.lock();
      if (stopRequested) return;
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
