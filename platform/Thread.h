#pragma once
// Threads for the sound code: start a body with one parameter, optionally at a lower scheduling
// priority, and later join it or let it go.

#include <chrono>
#include <cstdint>
#include <memory>

namespace platform {

enum class ThreadPriority {
  kNormal,
  kLowest,  // below the program's other threads; for background refills
};

class Thread {
 public:
  using Body = int (*)(void* parameter);

  Thread() = default;
  // A thread still running when its handle goes is let go (it keeps running to its end).
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts body(parameter) on a new thread. False when one was already started and not joined or
  // let go, or when the system refuses a thread.
  bool Start(Body body, void* parameter, ThreadPriority priority = ThreadPriority::kNormal);
  // Waits for the body to return; its result goes to exitCode. False when there is no thread, or
  // when called from the thread itself (which would wait for ever).
  bool Join(int* exitCode = nullptr);
  // Lets the thread run on without a handle.
  void Detach();
  bool Started() const { return state != nullptr; }
  // True when the calling thread is this one.
  bool IsCurrent() const;
  // The system's id of the thread; 0 before it has started.
  uint32_t Id() const;

 private:
  struct State;
  std::shared_ptr<State> state;
};

// The calling thread's id, as Thread::Id gives it.
uint32_t CurrentThreadId();

// Sleeps until the steady clock reaches the moment: one absolute sleep, so a wake-up that comes
// late does not push the next one later. Returns early only when a signal interrupts it.
void SleepUntilSteady(std::chrono::steady_clock::time_point moment);

}  // namespace platform
