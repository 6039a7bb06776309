#pragma once
// Where the window goes: the first window's size and place on the desktop, and full screen where
// no window manager acts on SDL's request.

#include <SDL.h>

namespace platform {

class WindowPlacement {
 public:
  // The first window: the largest whole multiple of the picture that fits the desktop's usable
  // area comfortably, centred on it; at one times the picture the place asked for stands.
  static void FirstPlace(int pictureWidth, int pictureHeight, int* x, int* y, int* width,
                         int* height);

  // The place the window has while it is not full screen.
  void Remember(int x, int y, int width, int height) { windowed = {x, y, width, height}; }

  // Full screen where no window manager would act on SDL's request: the window itself covers
  // its display (a bare X server draws no borders), and goes back to where it was, or, when it
  // started full screen, to where it would have opened. wasFullScreen: the window covers the
  // display already, so its place now is not the one to go back to.
  void CoverDisplay(SDL_Window* window, bool wasFullScreen);
  void GoBack(SDL_Window* window) const;

 private:
  SDL_Rect windowed = {0, 0, 0, 0};
};

}  // namespace platform
