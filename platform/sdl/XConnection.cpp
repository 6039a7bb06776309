#include "platform/sdl/XConnection.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "platform/Descriptors.h"

namespace platform {

XConnection XConnection::Of(SDL_Window* window) {
  XConnection connection;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
      info.subsystem != SDL_SYSWM_X11 || info.info.x11.display == nullptr) {
    return connection;
  }
  connection.display = info.info.x11.display;
  connection.descriptor = ConnectionNumber(info.info.x11.display);
  return connection;
}

bool XConnection::WaitForEvents(int timeoutMilliseconds) const {
  if (display == nullptr) return false;
  // No flush: SDL sends its requests out itself, and Xlib's flush reads the connection twice.
  if (QLength(static_cast<Display*>(display)) > 0) return true;
  return WaitReadable(descriptor, timeoutMilliseconds);
}

}  // namespace platform
