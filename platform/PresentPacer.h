#pragma once
// Paces presents to a display's refresh where the renderer cannot wait for it: each present is
// held back to the next refresh slot, as a vertical-refresh wait would hold it. The clock is the
// caller's (microseconds on any steady scale), so the arithmetic is plain and testable.

#include <cstdint>

namespace platform {

class PresentPacer {
 public:
  // The refresh rate in hertz; 0 or less (unknown) counts as 60.
  void SetRefreshRate(int hertz) {
    period = 1000000 / static_cast<uint64_t>(hertz > 0 ? hertz : 60);
  }
  uint64_t PeriodMicros() const { return period; }

  // How long to wait, at time now, before presenting; the slot after this present is then one
  // period later. The first present and a late one pass at once, and a late one starts the slots
  // anew from now, so missed refreshes are not made up in a burst.
  uint64_t WaitBeforePresent(uint64_t now) {
    if (!started) {
      started = true;
      next = now + period;
      return 0;
    }
    const uint64_t wait = next > now ? next - now : 0;
    next = (next > now ? next : now) + period;
    return wait;
  }

  // Forgets the slots: the next present passes at once.
  void Restart() { started = false; }

 private:
  uint64_t period = 1000000 / 60;
  uint64_t next = 0;
  bool started = false;
};

}  // namespace platform
