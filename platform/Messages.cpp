#include "platform/Messages.h"

#include "platform/Input.h"
#include "platform/Video.h"

namespace platform {

void MessageQueue::Post(uint32_t id, uintptr_t wParam, intptr_t lParam) {
  std::lock_guard<std::mutex> lock(mutex);
  messages.push_back({id, wParam, lParam});
}

bool MessageQueue::Take(Message& out) {
  std::lock_guard<std::mutex> lock(mutex);
  if (messages.empty()) return false;
  out = messages.front();
  messages.pop_front();
  return true;
}

bool MessageQueue::Empty() const {
  std::lock_guard<std::mutex> lock(mutex);
  return messages.empty();
}

void MessageQueue::Clear() {
  std::lock_guard<std::mutex> lock(mutex);
  messages.clear();
}

MessageQueue& Messages() {
  static MessageQueue queue;
  return queue;
}

bool PeekMessage(Message& out) {
  MessageQueue& queue = Messages();
  GetVideo().PumpEvents(queue);
  if (!queue.Take(out)) return false;
  FollowKeyMessage(out);
  return true;
}

void FollowKeyMessage(const Message& message) {
  switch (message.id) {
    case WM_KEYDOWN:
    case WM_KEYUP:
      // Messages without a place (a controller's buttons) leave the table alone.
      Input().SetKey(KeyPlaceOf(message.lParam), message.id == WM_KEYDOWN);
      break;
    case WM_ACTIVATE:
      if (LowWord(message.wParam) == static_cast<int>(WA_INACTIVE)) Input().ReleaseAllKeys();
      break;
    default:
      break;
  }
}

}  // namespace platform
