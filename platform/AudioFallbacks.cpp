// Minimal stand-ins for services whose real implementations live in Files.cpp, Messages.cpp and
// Timer.cpp, so the audio code links and runs on its own. They are weak: when the real
// definitions are linked in, those win and these are dropped. Remove this file once all three
// are in the tree.

#include <chrono>
#include <string>
#include <thread>

#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Timer.h"

namespace platform {

// Only the separator conversion; the real one also matches names without regard to case.
__attribute__((weak)) std::string NativePath(const char* windowsPath) {
  std::string path = windowsPath != nullptr ? windowsPath : "";
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

__attribute__((weak)) void MessageQueue::Post(uint32_t id, uintptr_t wParam, intptr_t lParam) {
  std::lock_guard<std::mutex> lock(mutex);
  messages.push_back(Message{id, wParam, lParam});
}

__attribute__((weak)) bool MessageQueue::Take(Message& out) {
  std::lock_guard<std::mutex> lock(mutex);
  if (messages.empty()) return false;
  out = messages.front();
  messages.pop_front();
  return true;
}

__attribute__((weak)) bool MessageQueue::Empty() const {
  std::lock_guard<std::mutex> lock(mutex);
  return messages.empty();
}

__attribute__((weak)) void MessageQueue::Clear() {
  std::lock_guard<std::mutex> lock(mutex);
  messages.clear();
}

__attribute__((weak)) MessageQueue& Messages() {
  static MessageQueue queue;
  return queue;
}

__attribute__((weak)) uint64_t SteadyMilliseconds() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

__attribute__((weak)) void SleepMilliseconds(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform
