#include "platform/PadDirections.h"

#include <cstdlib>

namespace platform {

uint32_t PadDirections::VirtualKey(Direction direction) {
  switch (direction) {
    case kLeft:
      return VK_LEFT;
    case kUp:
      return VK_UP;
    case kRight:
      return VK_RIGHT;
    case kDown:
      return VK_DOWN;
    default:
      return 0;
  }
}

void PadDirections::SetDpad(Direction direction, bool down, uint32_t now, MessageQueue& queue) {
  if (direction < 0 || direction >= kDirections) return;
  dpad[direction] = down;
  if (down) lastDpad = direction;
  Update(now, queue);
}

void PadDirections::SetStick(int axis, int value, uint32_t now, MessageQueue& queue) {
  if (axis < 0 || axis > 1) return;
  stick[axis] = value;
  Update(now, queue);
}

PadDirections::Direction PadDirections::StickDirection() const {
  // The direction held stays until its axis comes back inside the release line.
  if (stickHeld != kNone) {
    const int axis = stickHeld == kLeft || stickHeld == kRight ? 0 : 1;
    const bool positive = stickHeld == kRight || stickHeld == kDown;
    const int along = positive ? stick[axis] : -stick[axis];
    if (along > kStickRelease) return stickHeld;
  }
  const int axis = std::abs(stick[0]) >= std::abs(stick[1]) ? 0 : 1;
  const int value = stick[axis];
  if (std::abs(value) <= kStickPress) return kNone;
  if (axis == 0) return value > 0 ? kRight : kLeft;
  return value > 0 ? kDown : kUp;
}

void PadDirections::Update(uint32_t now, MessageQueue& queue) {
  stickHeld = StickDirection();
  Direction wanted = kNone;
  if (lastDpad != kNone && dpad[lastDpad]) {
    wanted = lastDpad;
  } else {
    for (int d = 0; d < kDirections && wanted == kNone; ++d) {
      if (dpad[d]) wanted = static_cast<Direction>(d);
    }
  }
  if (wanted == kNone) wanted = stickHeld;
  if (wanted == held) return;
  if (held != kNone) queue.Post(WM_KEYUP, VirtualKey(held), 0);
  held = wanted;
  if (held != kNone) {
    queue.Post(WM_KEYDOWN, VirtualKey(held), 0);
    nextRepeat = now + kRepeatDelayMs;
  }
}

void PadDirections::Repeat(uint32_t now, MessageQueue& queue) {
  if (held == kNone) return;
  // Wrapping arithmetic, so the millisecond counter may roll over.
  if (static_cast<int32_t>(now - nextRepeat) < 0) return;
  queue.Post(WM_KEYDOWN, VirtualKey(held), kKeyRepeated);
  // One repeat per call: a program that stalled gets one step, not a burst.
  nextRepeat = now + kRepeatIntervalMs;
}

void PadDirections::ReleaseAll(MessageQueue& queue) {
  if (held != kNone) queue.Post(WM_KEYUP, VirtualKey(held), 0);
  *this = PadDirections();
}

}  // namespace platform
