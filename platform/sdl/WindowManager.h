#pragma once
// Whether a window manager looks after the program's X window. Without one (a bare X server, a
// kiosk session) nobody acts on a request for full screen: SDL asks, waits, and then believes the
// window took the desktop's size while it kept its own, so the picture would be drawn for a size
// the window does not have. The video then places the window itself instead.

#include <SDL.h>

namespace platform {

// True when the window is not on X, or when some client holds the screen's window manager
// selection (every current X window manager takes it when it starts; it goes when it ends).
bool WindowManagerLooksAfter(SDL_Window* window);

}  // namespace platform
