#pragma once
// What the SDL library running now is, as opposed to the one the programs were built against:
// Debian 12 runs SDL 2.26, Debian 13 SDL 2.32, and unstable SDL 2 as sdl2-compat over SDL 3, each
// under the same programs. Where the programs lean on one SDL's own behaviour, they ask here.

#include <SDL.h>

namespace platform {

// Whether the running SDL is at least the version given.
inline bool RunningSdlAtLeast(int major, int minor, int patch) {
  SDL_version running;
  SDL_GetVersion(&running);
  if (running.major != major) return running.major > major;
  if (running.minor != minor) return running.minor > minor;
  return running.patch >= patch;
}

// Whether SDL 2 runs as sdl2-compat over SDL 3: its versions are 2.30.50 and later in the patch
// number, above every release of SDL 2's own.
inline bool RunningOverSdl3() {
  SDL_version running;
  SDL_GetVersion(&running);
  return running.major > 2 || (running.major == 2 && running.minor >= 30 && running.patch >= 50);
}

}  // namespace platform
