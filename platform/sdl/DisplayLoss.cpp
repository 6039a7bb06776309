#include "platform/sdl/DisplayLoss.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/Descriptors.h"

namespace platform {

namespace {

// Xlib calls this with the dead connection; only its name is read, which is kept in memory and
// needs no request to the server.
int OnConnectionLost(Display* display) {
  EndForLostDisplay(display != nullptr ? DisplayString(display) : nullptr);
}

}  // namespace

bool GuardAgainstDisplayLoss() {
  // SDL opens Xlib itself at run time; only a copy that is already loaded matters, as that is the
  // one holding the connection.
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (xlib == nullptr) return false;
  using SetHandler = XIOErrorHandler (*)(XIOErrorHandler);
  auto setHandler = reinterpret_cast<SetHandler>(dlsym(xlib, "XSetIOErrorHandler"));
  if (setHandler == nullptr) {
    dlclose(xlib);
    return false;
  }
  setHandler(&OnConnectionLost);
  // The handle stays open: the handler must stay installed in a loaded library for as long as
  // the process lives, even after SDL lets go of its own handle.
  return true;
}

void EndForLostDisplay(const char* displayName) {
  // Formatted into a local buffer and written with one write(): stdio could be held by another
  // thread, and nothing here may wait.
  char line[512];
  const bool named = displayName != nullptr && displayName[0] != '\0';
  const int length =
      named ? std::snprintf(line, sizeof(line), "%s: the display \"%s\" is gone; ending.\n",
                            program_invocation_short_name, displayName)
            : std::snprintf(line, sizeof(line), "%s: the display is gone; ending.\n",
                            program_invocation_short_name);
  if (length > 0) {
    size_t size = static_cast<size_t>(length);
    if (size >= sizeof(line)) {
      // Cut short, still one whole line.
      size = sizeof(line) - 1;
      line[size - 1] = '\n';
    }
    WriteToStandardError(line, size);
  }
  _exit(kDisplayLostExitCode);
}

}  // namespace platform
