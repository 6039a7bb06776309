#pragma once
// The program's X connection as SDL holds it, for what SDL does not ask the X server itself:
// - a wait that wakes only when the server sends something (SDL's own timed wait takes the
//   events in twice per call, a dozen failed reads of the connection each time, which at 60 waits
//   a second was most of an idle launcher's work);
// - whether a window manager looks after the window. Without one (a bare X server, a kiosk
//   session) nobody acts on a request for full screen: SDL asks, waits, and then believes the
//   window took the desktop's size while it kept its own, so the picture would be drawn for a size
//   the window does not have. The video then places the window itself instead.

#include <SDL.h>

#include <vector>

#include "platform/sdl/EventSource.h"

namespace platform {

class XConnection : public EventSource {
 public:
  // The connection of the window's display; not valid when the window is not on X.
  static XConnection Of(SDL_Window* window);

  bool Valid() const { return display != nullptr; }
  // Waits up to the time for the server to send something or a descriptor to have something to
  // read, or returns at once when Xlib already holds events it read while it waited for a reply.
  // False when the time ran out with nothing there.
  bool WaitForEvents(int timeoutMilliseconds, const std::vector<int>& alsoWatch) override;
  // True when some client holds the screen's window manager selection (every current X window
  // manager takes it when it starts; it goes when it ends), and for a window not on X: Wayland
  // compositors and the headless drivers place every window themselves.
  bool WindowManagerLooksAfter() const;

 private:
  void* display = nullptr;
  int descriptor = -1;
};

}  // namespace platform
