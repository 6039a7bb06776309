#pragma once
// Reaching the display at start-up. A display server under load (a busy virtual display, a
// sanitizer build starting slowly) can refuse a connection for a moment; a program that gave up at
// the first refusal would tell the player there is no display while one is there. So, where the
// environment names a display, the connection is tried again for about a second before the
// program concludes there is none. Where no display is named at all there is nothing to wait
// for, and the answer comes at once.

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// One try at bringing the display up: true when it is up; on false, why not.
using DisplayAttempt = std::function<bool(int attemptIndex, std::string* reason)>;

// The clock the retries run against, replaceable so that tests spend no real time.
struct RetryClock {
  std::function<uint64_t()> nowMicros;
  std::function<void(uint64_t micros)> sleepMicros;
};

// The steady clock and a real sleep.
RetryClock SteadyRetryClock();

constexpr uint64_t kDisplayRetryMicros = 1000000;
constexpr uint64_t kDisplayRetryPauseMicros = 100000;

// Makes the first attempt and, when retry is set, more attempts with a pause between them until
// one succeeds or the budget since the first attempt is spent (the last attempt may begin at the
// end of the budget, never after it). On failure, reason holds the last attempt's reason.
// attempts, when given, receives the number of attempts made.
bool StartWithRetry(const DisplayAttempt& attempt, bool retry, const RetryClock& clock,
                    std::string* reason, int* attempts = nullptr,
                    uint64_t budgetMicros = kDisplayRetryMicros,
                    uint64_t pauseMicros = kDisplayRetryPauseMicros);

// What the environment says about the display: DISPLAY, WAYLAND_DISPLAY and SDL_VIDEODRIVER, each
// null or empty when not set.
struct DisplayEnvironment {
  const char* x11Display = nullptr;
  const char* waylandDisplay = nullptr;
  const char* requestedDrivers = nullptr;  // comma-separated, as SDL_VIDEODRIVER takes them
};

DisplayEnvironment CurrentDisplayEnvironment();

// Whether a failed start is worth trying again: a display is named, and no driver is requested
// other than one that shows windows on it (a requested headless or unknown driver either works at
// once or never will).
bool WorthRetrying(const DisplayEnvironment& environment);

// The drivers every attempt asks for where the player chose none: those of the displays the
// environment names, "wayland,x11" for both, "x11" or "wayland" for one; null where the player
// chose (SDL_VIDEODRIVER) or none is named. Asking for the named display only keeps SDL from
// reaching for another: SDL 3 (under SDL 2's compatibility layer) tries Wayland first even where
// only X is named, and libwayland then prints its own complaint about the session to standard
// error; and where the display does not answer, SDL gives its reason about that display rather than
// falling back to a driver that shows nothing.
//
// Wayland comes first, against SDL 2's own order, which takes X and so XWayland inside a Wayland
// session. Measured under weston (pixman renderer, one machine, one run; scripts/measure), the
// game shows its first picture 107 ms after its start natively and 287 ms through XWayland, whose
// X server the compositor first has to start and which then holds some 75 MB of its own; the game
// idles at the same share of a core either way (1.8% and 2.0%), with 12 MB more of its own on
// Wayland (33 MB: the decorations' library and our two picture buffers). On a scaled output only
// the native window is sharp: XWayland's is drawn at one scale and stretched by the compositor.
// The native window gives up nothing the programs use; X is still taken where Wayland cannot be
// reached.
const char* PreferredDrivers(const DisplayEnvironment& environment);

// The display the environment names, for messages: "DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0",
// both, or empty.
std::string NamedDisplay(const DisplayEnvironment& environment);

// Drivers that show nothing: what SDL falls back to where it reaches no display.
bool IsHeadlessDriver(const char* driver);

// Brings up SDL's video, trying again as above. Where no display is named and the player chose no
// driver, SDL is not asked at all: the programs show their windows on X or Wayland only, and
// reason says that neither is named. On failure SDL's video is down again and reason says what
// happened, in SDL's words where SDL gave any.
bool StartVideo(std::string* reason);

}  // namespace platform
