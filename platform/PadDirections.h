#pragma once
// The directions of one game controller as the arrow keys: the d-pad and the left stick press an
// arrow, hold it with the keyboard's repeat, and let it go. The stick counts only past a dead
// zone, and lets go a little nearer the middle than where it pressed, so a thumb resting on the
// edge does not chatter. A held d-pad button wins over the stick. Time is given by the caller.

#include <cstdint>

#include "platform/Messages.h"

namespace platform {

class PadDirections {
 public:
  enum Direction { kNone = -1, kLeft = 0, kUp, kRight, kDown, kDirections };

  // Stick values run from -32768 to 32767; these are of their magnitude.
  static constexpr int kStickPress = 16000;
  static constexpr int kStickRelease = 10000;
  // Like a keyboard: the first repeat after a pause, then steady ones.
  static constexpr uint32_t kRepeatDelayMs = 400;
  static constexpr uint32_t kRepeatIntervalMs = 90;

  // The arrow's virtual-key code.
  static uint32_t VirtualKey(Direction direction);

  void SetDpad(Direction direction, bool down, uint32_t now, MessageQueue& queue);
  // axis 0 is left-right, 1 up-down (positive is right and down).
  void SetStick(int axis, int value, uint32_t now, MessageQueue& queue);
  // Posts the repeats that have come due while an arrow is held.
  void Repeat(uint32_t now, MessageQueue& queue);
  // Lets go of the arrow held, as when the controller goes away.
  void ReleaseAll(MessageQueue& queue);

  Direction Held() const { return held; }

 private:
  Direction StickDirection() const;
  // Presses the direction the d-pad and the stick now give, letting go of the one before.
  void Update(uint32_t now, MessageQueue& queue);

  bool dpad[kDirections] = {};
  Direction lastDpad = kNone;
  int stick[2] = {};
  Direction stickHeld = kNone;
  Direction held = kNone;
  uint32_t nextRepeat = 0;
};

}  // namespace platform
