#pragma once
// A wait on the display server's connection itself: SDL's own timed wait reads its connection
// over and over, and polls every millisecond while a joystick is open, which an idle program
// waiting for the display's refresh cannot afford. X11 (XConnection) and Wayland
// (WaylandPresenter) each wait on their connection.

#include <vector>

namespace platform {

class EventSource {
 public:
  virtual ~EventSource() = default;
  // Waits up to the time for the server to send something or one of the descriptors (the input
  // devices of the controllers) to have something to read; returns at once when events already
  // wait to be taken. False when the time ran out with nothing there.
  virtual bool WaitForEvents(int timeoutMilliseconds, const std::vector<int>& alsoWatch) = 0;
};

}  // namespace platform
