#include "platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

bool IsHeadlessDriver(const char* driver) {
  return driver == nullptr || strcmp(driver, "dummy") == 0 || strcmp(driver, "offscreen") == 0;
}

}  // namespace

void ShowMessageBox(const char* text, const char* caption, uint32_t flags) {
  if (text == nullptr) text = "";
  if (caption == nullptr) caption = "Error";

  // A dialog needs a real display. Video may already run (the box then belongs to that
  // display); otherwise bring it up just for the box and put it down again afterwards.
  bool ownVideo = false;
  bool display = false;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    display = !IsHeadlessDriver(SDL_GetCurrentVideoDriver());
  } else if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
    ownVideo = true;
    display = !IsHeadlessDriver(SDL_GetCurrentVideoDriver());
  }

  bool shown = false;
  if (display) {
    const Uint32 icon = (flags & MB_ICONERROR) != 0 ? SDL_MESSAGEBOX_ERROR : 0;
    shown = SDL_ShowSimpleMessageBox(icon, caption, text, nullptr) == 0;
  }
  if (ownVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);

  if (!shown) {
    // A box without a caption prints its text alone.
    if (caption[0] == '\0') {
      fprintf(stderr, "%s\n", text);
    } else {
      fprintf(stderr, "%s: %s\n", caption, text);
    }
    fflush(stderr);
  }
}

}  // namespace platform
