#pragma once
// A periodic timer thread and a tick signal to block on. The timer ticks against a steady clock
// and catches up without drift: tick n is due at start + n * period, so a late wake-up runs the
// missed ticks at once rather than shifting every later one.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace platform {

class PeriodicTimer {
 public:
  using Callback = void (*)(void* user);

  PeriodicTimer() = default;
  ~PeriodicTimer() { Stop(); }
  PeriodicTimer(const PeriodicTimer&) = delete;
  PeriodicTimer& operator=(const PeriodicTimer&) = delete;

  // Starts calling callback(user) every periodMs on a thread of its own. False when already
  // running or the thread cannot be made.
  bool Start(int periodMs, Callback callback, void* user);
  // Stops and joins the thread within about 10 ms; nothing happens when none runs. Never call
  // from the callback.
  void Stop();
  bool Running() const { return running.load(); }

 private:
  void Run();

  std::thread thread;
  std::atomic<bool> running{false};
  std::atomic<bool> stopRequested{false};
  int period = 10;
  Callback callback = nullptr;
  void* user = nullptr;
};

// Counts ticks and lets a thread sleep until the next one, so that frame pacing waits for the
// timer instead of spinning.
class TickSignal {
 public:
  void Signal();
  uint32_t Count() const { return count.load(); }
  // Blocks until the count differs from seen or timeoutMs of real time pass.
  void WaitPast(uint32_t seen, int timeoutMs);

 private:
  std::atomic<uint32_t> count{0};
  std::mutex mutex;
  std::condition_variable changed;
};

// Milliseconds of a steady clock; for the timer thread and frame-rate measurement only.
uint64_t SteadyMilliseconds();
void SleepMilliseconds(int ms);

}  // namespace platform
