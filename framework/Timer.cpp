#include "framework/Timer.h"

#include <atomic>

#include "framework/MousePointer.h"
#include "platform/Timer.h"

namespace {

constexpr uint32_t kPeriodMs = 10;

std::atomic<uint32_t> timeMs{0};
std::atomic<uint32_t> lastTickTime{0};
std::atomic<int32_t> secondAccumulator{0};
std::atomic<int32_t> clockSeconds{0};
std::atomic<int32_t> clockRunning{1};

platform::PeriodicTimer& TimerThread() {
  static platform::PeriodicTimer timer;
  return timer;
}

platform::TickSignal& Ticks() {
  static platform::TickSignal signal;
  return signal;
}

void OnTimer(void*) {
  TimerTick();
}

}  // namespace

int StartTimer() {
  if (TimerThread().Running()) return 0;
  return TimerThread().Start(static_cast<int>(kPeriodMs), &OnTimer, nullptr) ? 0 : 1;
}

int StopTimer() {
  TimerThread().Stop();
  return 0;
}

bool IsTimerRunning() {
  return TimerThread().Running();
}

uint32_t GetTime() {
  return timeMs.load(std::memory_order_relaxed);
}

int32_t TimeSince(uint32_t t) {
  return static_cast<int32_t>(GetTime() - t);
}

void SetClockSeconds(int32_t seconds) {
  clockSeconds.store(seconds);
}

int32_t GetClockSeconds() {
  return clockSeconds.load();
}

void AddClockSeconds(int32_t seconds) {
  clockSeconds.fetch_add(seconds);
}

void StartClock() {
  clockRunning.store(1);
}

void StopClock() {
  clockRunning.store(0);
}

int IsClockRunning() {
  return clockRunning.load();
}

void TimerTick() {
  const uint32_t now = timeMs.load(std::memory_order_relaxed) + kPeriodMs;
  timeMs.store(now, std::memory_order_relaxed);
  TheMousePointer().Poll();
  const uint32_t elapsed = now - lastTickTime.load(std::memory_order_relaxed);
  lastTickTime.store(now, std::memory_order_relaxed);
  const int32_t accumulated = secondAccumulator.load() + static_cast<int32_t>(elapsed);
  // The excess over a second is dropped, not carried: the clock loses one second per 1000 ms.
  if (accumulated >= 999) {
    secondAccumulator.store(0);
    if (clockRunning.load() == 1 && clockSeconds.load() >= 1) clockSeconds.fetch_sub(1);
  } else {
    secondAccumulator.store(accumulated);
  }
  Ticks().Signal();
}

bool WaitForTime(uint32_t deadline) {
  for (;;) {
    const uint32_t seen = Ticks().Count();
    if (static_cast<int32_t>(GetTime() - deadline) >= 0) return true;
    Ticks().WaitPast(seen, 1000);
    if (Ticks().Count() == seen) return false;  // a whole second without a tick
  }
}

void ResetTimerState() {
  timeMs.store(0);
  lastTickTime.store(0);
  secondAccumulator.store(0);
  clockSeconds.store(0);
  clockRunning.store(1);
}
