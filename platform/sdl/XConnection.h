#pragma once
// The program's X connection as SDL holds it, for a wait that wakes only when the X server sends
// something. SDL's own timed wait takes the events in twice per call, a dozen failed reads of the
// connection each time, which at 60 waits a second was most of an idle launcher's work.

#include <SDL.h>

namespace platform {

class XConnection {
 public:
  // The connection of the window's display; not valid when the window is not on X.
  static XConnection Of(SDL_Window* window);

  bool Valid() const { return display != nullptr; }
  // Waits up to the time for the server to send something, or returns at once when Xlib already
  // holds events it read while it waited for a reply. False when the time ran out with nothing
  // there.
  bool WaitForEvents(int timeoutMilliseconds) const;

 private:
  void* display = nullptr;
  int descriptor = -1;
};

}  // namespace platform
