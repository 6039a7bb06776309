#pragma once
// Holds back the release of a very short mouse press. The programs poll the buttons every 10 ms
// and look at them once a frame, so a press that goes down and up within a few milliseconds (a
// touchpad's tap, a synthetic click) would never be seen as down. Such a release takes effect
// only when the press has lasted kMinimumPressMs.

#include <cstdint>

namespace platform {

class PressStretcher {
 public:
  static constexpr uint32_t kMinimumPressMs = 40;
  static constexpr int kButtons = 2;

  struct Release {
    int button;
    int x;
    int y;
  };

  // A press; a release still held back for the same button is due at once and is returned
  // through release (true) so it is applied before the new press.
  bool Press(int button, uint32_t now, Release* release) {
    if (button < 0 || button >= kButtons) return false;
    const bool flush = pending[button];
    if (flush && release) *release = {button, pendingX[button], pendingY[button]};
    pending[button] = false;
    pressedAt[button] = now;
    return flush;
  }

  // True when the release may take effect now; otherwise it is kept until it is due.
  bool ReleaseNow(int button, uint32_t now, int x, int y) {
    if (button < 0 || button >= kButtons) return true;
    if (now - pressedAt[button] >= kMinimumPressMs) return true;
    pending[button] = true;
    pendingX[button] = x;
    pendingY[button] = y;
    return false;
  }

  // A held-back release that has come due, if any (one per call).
  bool TakeDue(uint32_t now, Release* release) {
    for (int b = 0; b < kButtons; ++b) {
      if (pending[b] && now - pressedAt[b] >= kMinimumPressMs) {
        pending[b] = false;
        if (release) *release = {b, pendingX[b], pendingY[b]};
        return true;
      }
    }
    return false;
  }

 private:
  uint32_t pressedAt[kButtons] = {};
  bool pending[kButtons] = {};
  int pendingX[kButtons] = {};
  int pendingY[kButtons] = {};
};

}  // namespace platform
