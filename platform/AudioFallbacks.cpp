// Minimal stand-ins for services whose real implementations live in Files.cpp and Messages.cpp,
// so the audio code links and runs on its own. They are weak: when the real definitions are
// linked in, those win and these are dropped. Remove this file once both are in the tree.

#include <string>

#include "platform/Files.h"
#include "platform/Messages.h"

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

}  // namespace platform
