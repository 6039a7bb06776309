#include "platform/sdl/WindowPlacement.h"

#include <algorithm>

#include "platform/ScaledView.h"

namespace platform {

void WindowPlacement::FirstPlace(int pictureWidth, int pictureHeight, int* x, int* y, int* width,
                                 int* height) {
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return;
  const int scale = FirstWindowScale(usable.w, usable.h, pictureWidth, pictureHeight);
  *width = pictureWidth * scale;
  *height = pictureHeight * scale;
  if (scale > 1 || *x < usable.x || *y < usable.y) {
    *x = usable.x + (usable.w - *width) / 2;
    *y = usable.y + (usable.h - *height) / 2;
  }
}

void WindowPlacement::CoverDisplay(SDL_Window* window, bool wasFullScreen) {
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &bounds) != 0) return;
  if (!wasFullScreen) {
    SDL_GetWindowPosition(window, &windowed.x, &windowed.y);
    SDL_GetWindowSize(window, &windowed.w, &windowed.h);
  }
  SDL_SetWindowPosition(window, bounds.x, bounds.y);
  SDL_SetWindowSize(window, bounds.w, bounds.h);
}

void WindowPlacement::GoBack(SDL_Window* window) const {
  SDL_SetWindowSize(window, windowed.w, windowed.h);
  SDL_SetWindowPosition(window, windowed.x, windowed.y);
}

}  // namespace platform
