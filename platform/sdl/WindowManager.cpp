#include "platform/sdl/WindowManager.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdio>

namespace platform {

bool WindowManagerLooksAfter(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
    // Wayland compositors and the headless drivers place every window themselves.
    return true;
  }
  // SDL loads Xlib at run time; the copy it holds is the one to ask.
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (xlib == nullptr) return true;
  using InternAtom = Atom (*)(Display*, const char*, Bool);
  using GetSelectionOwner = ::Window (*)(Display*, Atom);
  auto internAtom = reinterpret_cast<InternAtom>(dlsym(xlib, "XInternAtom"));
  auto getSelectionOwner = reinterpret_cast<GetSelectionOwner>(dlsym(xlib, "XGetSelectionOwner"));
  bool looksAfter = true;
  if (internAtom != nullptr && getSelectionOwner != nullptr) {
    Display* display = info.info.x11.display;
    char selection[32];
    std::snprintf(selection, sizeof(selection), "WM_S%d", DefaultScreen(display));
    looksAfter = getSelectionOwner(display, internAtom(display, selection, False)) != None;
  }
  dlclose(xlib);
  return looksAfter;
}

}  // namespace platform
