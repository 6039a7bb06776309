#include "platform/Thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {

struct Thread::State {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable started;
  bool idKnown = false;
  std::atomic<uint32_t> id{0};
  int exitCode = 0;
};

namespace {

// Linux schedules threads one by one, so a nice value set for the thread's own id lowers that
// thread alone. Raising the nice value needs no privilege.
constexpr int kLowestNice = 10;

}  // namespace

uint32_t CurrentThreadId() {
  return static_cast<uint32_t>(syscall(SYS_gettid));
}

void SleepUntilSteady(std::chrono::steady_clock::time_point moment) {
  const auto sinceEpoch =
      std::chrono::duration_cast<std::chrono::nanoseconds>(moment.time_since_epoch()).count();
  timespec until{};
  until.tv_sec = static_cast<time_t>(sinceEpoch / 1000000000);
  until.tv_nsec = static_cast<long>(sinceEpoch % 1000000000);
  // The steady clock is CLOCK_MONOTONIC.
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

Thread::~Thread() {
  Detach();
}

bool Thread::Start(Body body, void* parameter, ThreadPriority priority) {
  if (state != nullptr || body == nullptr) return false;
  auto s = std::make_shared<State>();
  try {
    // The thread holds its own reference to the state, so a thread that is let go can still
    // record its result when it ends.
    s->thread = std::thread([s, body, parameter, priority] {
      if (priority == ThreadPriority::kLowest) {
        setpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()), kLowestNice);
      }
      {
        std::lock_guard<std::mutex> lock(s->mutex);
        s->id = CurrentThreadId();
        s->idKnown = true;
      }
      s->started.notify_all();
      s->exitCode = body(parameter);
    });
  } catch (const std::system_error&) {
    return false;
  }
  // The id is wanted at once by callers that record it.
  {
    std::unique_lock<std::mutex> lock(s->mutex);
    s->started.wait(lock, [&] { return s->idKnown; });
  }
  state = std::move(s);
  return true;
}

bool Thread::Join(int* exitCode) {
  if (state == nullptr || IsCurrent()) return false;
  if (state->thread.joinable()) state->thread.join();
  if (exitCode != nullptr) *exitCode = state->exitCode;
  state.reset();
  return true;
}

void Thread::Detach() {
  if (state == nullptr) return;
  if (state->thread.joinable()) state->thread.detach();
  state.reset();
}

bool Thread::IsCurrent() const {
  return state != nullptr && state->id == CurrentThreadId();
}

uint32_t Thread::Id() const {
  return state != nullptr ? state->id.load() : 0;
}

}  // namespace platform
