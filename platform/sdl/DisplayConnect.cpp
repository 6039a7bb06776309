#include "platform/sdl/DisplayConnect.h"

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace platform {

namespace {

constexpr const char* kNoDisplayNamed =
    "no display found (neither DISPLAY nor WAYLAND_DISPLAY leads to one)";

bool IsSet(const char* value) {
  return value != nullptr && value[0] != '\0';
}

// Whether a comma-separated driver list names the driver (without regard to case, as SDL
// compares them).
bool ListNames(const char* list, const char* driver) {
  if (list == nullptr || driver == nullptr) return false;
  const size_t length = std::strlen(driver);
  for (const char* p = list; *p != '\0';) {
    const char* end = std::strchr(p, ',');
    const size_t size = end != nullptr ? static_cast<size_t>(end - p) : std::strlen(p);
    if (size == length && SDL_strncasecmp(p, driver, length) == 0) return true;
    if (end == nullptr) break;
    p = end + 1;
  }
  return false;
}

// One start of SDL's video. driver, when given, is the only driver SDL is allowed to take.
bool AttemptVideo(const char* driver, const DisplayEnvironment& environment, std::string* reason) {
  if (driver != nullptr) SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
  const bool up = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  // Taken at once: any later SDL call may replace it.
  const std::string sdlReason = up ? std::string() : std::string(SDL_GetError());
  if (driver != nullptr) SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  const std::string named = NamedDisplay(environment);

  if (!up) {
    if (driver != nullptr) {
      *reason = "no display found at " + named + " (SDL: " + sdlReason + ")";
    } else if (named.empty()) {
      *reason = sdlReason;
    } else {
      *reason = sdlReason + " (" + named + ")";
    }
    return false;
  }
  // With no display at all SDL falls back to a driver that shows nothing, and the program
  // would run where no one can see or stop it. Such a driver is taken only when asked for by
  // name (headless test runs set SDL_VIDEODRIVER=dummy).
  const char* current = SDL_GetCurrentVideoDriver();
  if (IsHeadlessDriver(current) && !ListNames(SDL_GetHint(SDL_HINT_VIDEODRIVER), current)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    *reason = named.empty() ? std::string(kNoDisplayNamed) : "no display found at " + named;
    return false;
  }
  return true;
}

}  // namespace

RetryClock SteadyRetryClock() {
  RetryClock clock;
  clock.nowMicros = [] {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  };
  clock.sleepMicros = [](uint64_t micros) {
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
  };
  return clock;
}

bool StartWithRetry(const DisplayAttempt& attempt, bool retry, const RetryClock& clock,
                    std::string* reason, int* attempts, uint64_t budgetMicros,
                    uint64_t pauseMicros) {
  const uint64_t start = clock.nowMicros();
  int made = 0;
  bool up = false;
  std::string why;
  for (;;) {
    why.clear();
    up = attempt(made, &why);
    ++made;
    if (up || !retry) break;
    const uint64_t now = clock.nowMicros();
    // A clock that went backwards counts as a spent budget rather than an endless one.
    if (now < start || now - start >= budgetMicros) break;
    const uint64_t left = budgetMicros - (now - start);
    clock.sleepMicros(pauseMicros < left ? pauseMicros : left);
  }
  if (attempts != nullptr) *attempts = made;
  if (!up && reason != nullptr) *reason = why;
  return up;
}

DisplayEnvironment CurrentDisplayEnvironment() {
  DisplayEnvironment environment;
  environment.x11Display = std::getenv("DISPLAY");
  environment.waylandDisplay = std::getenv("WAYLAND_DISPLAY");
  environment.requestedDrivers = std::getenv("SDL_VIDEODRIVER");
  return environment;
}

bool WorthRetrying(const DisplayEnvironment& environment) {
  if (!IsSet(environment.x11Display) && !IsSet(environment.waylandDisplay)) return false;
  if (!IsSet(environment.requestedDrivers)) return true;
  return ListNames(environment.requestedDrivers, "x11") ||
         ListNames(environment.requestedDrivers, "wayland");
}

const char* PreferredDrivers(const DisplayEnvironment& environment) {
  if (IsSet(environment.requestedDrivers)) return nullptr;
  const bool x11 = IsSet(environment.x11Display);
  const bool wayland = IsSet(environment.waylandDisplay);
  if (x11 && wayland) return "wayland,x11";
  if (x11) return "x11";
  if (wayland) return "wayland";
  return nullptr;
}

std::string NamedDisplay(const DisplayEnvironment& environment) {
  std::string named;
  if (IsSet(environment.x11Display)) named = std::string("DISPLAY=") + environment.x11Display;
  if (IsSet(environment.waylandDisplay)) {
    if (!named.empty()) named += " and ";
    named += std::string("WAYLAND_DISPLAY=") + environment.waylandDisplay;
  }
  return named;
}

bool IsHeadlessDriver(const char* driver) {
  return driver == nullptr || std::strcmp(driver, "dummy") == 0 ||
         std::strcmp(driver, "offscreen") == 0;
}

bool StartVideo(std::string* reason) {
  const DisplayEnvironment environment = CurrentDisplayEnvironment();
  if (!IsSet(environment.requestedDrivers) && NamedDisplay(environment).empty()) {
    *reason = kNoDisplayNamed;
    return false;
  }
  const char* preferred = PreferredDrivers(environment);
  const DisplayAttempt attempt = [&](int, std::string* why) {
    return AttemptVideo(preferred, environment, why);
  };
  return StartWithRetry(attempt, WorthRetrying(environment), SteadyRetryClock(), reason);
}

}  // namespace platform
