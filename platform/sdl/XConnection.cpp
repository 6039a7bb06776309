#include "platform/sdl/XConnection.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

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
  // SDL loads Xlib at run time and keeps it loaded while its video runs; the copy it holds is the
  // one to call.
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (xlib == nullptr) return connection;
  connection.flush = reinterpret_cast<Flush>(dlsym(xlib, "XFlush"));
  dlclose(xlib);
  if (connection.flush == nullptr) return connection;
  connection.display = info.info.x11.display;
  connection.descriptor = ConnectionNumber(info.info.x11.display);
  return connection;
}

bool XConnection::WaitForEvents(int timeoutMilliseconds) const {
  if (display == nullptr) return false;
  Display* x = static_cast<Display*>(display);
  flush(x);
  if (QLength(x) > 0) return true;
  return WaitReadable(descriptor, timeoutMilliseconds);
}

}  // namespace platform
