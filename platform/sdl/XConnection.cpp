#include "platform/sdl/XConnection.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdio>

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

bool XConnection::WaitForEvents(int timeoutMilliseconds, const std::vector<int>& alsoWatch) {
  if (display == nullptr) return false;
  // No flush: SDL sends its requests out itself, and Xlib's flush reads the connection twice.
  if (QLength(static_cast<Display*>(display)) > 0) return true;
  if (alsoWatch.empty()) return WaitReadable(descriptor, timeoutMilliseconds);
  std::vector<int> descriptors{descriptor};
  descriptors.insert(descriptors.end(), alsoWatch.begin(), alsoWatch.end());
  return WaitAnyReadable(descriptors, timeoutMilliseconds) >= 0;
}

bool XConnection::WindowManagerLooksAfter() const {
  if (display == nullptr) return true;
  // SDL loads Xlib at run time; the copy it holds is the one to ask.
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (xlib == nullptr) return true;
  using InternAtom = Atom (*)(Display*, const char*, Bool);
  using GetSelectionOwner = ::Window (*)(Display*, Atom);
  auto internAtom = reinterpret_cast<InternAtom>(dlsym(xlib, "XInternAtom"));
  auto getSelectionOwner = reinterpret_cast<GetSelectionOwner>(dlsym(xlib, "XGetSelectionOwner"));
  bool looksAfter = true;
  if (internAtom != nullptr && getSelectionOwner != nullptr) {
    Display* x = static_cast<Display*>(display);
    char selection[32];
    std::snprintf(selection, sizeof(selection), "WM_S%d", DefaultScreen(x));
    looksAfter = getSelectionOwner(x, internAtom(x, selection, False)) != None;
  }
  dlclose(xlib);
  return looksAfter;
}

}  // namespace platform
