#pragma once
// The window on Wayland, where SDL gives it no window surface without a GL renderer (and a GL
// driver) behind it. The picture goes to the compositor in shared-memory buffers of our own,
// attached to the wl_surface SDL made for the window; SDL keeps the decorations, the input and
// the window's states. Beside the picture, what else the programs need of Wayland that SDL does
// not give: an activation token for a program started from the window, and the end of the
// program when the compositor goes away.

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/EventSource.h"
#include "platform/sdl/WindowPresenter.h"

namespace platform {

// SDL before 2.29.1 (Debian 12's 2.26) makes every Wayland window an EGL window, which would load
// the system's GL libraries and driver. Called after SDL's video started on Wayland and before
// the window is made: where the running SDL does so, has SDL take our window-only EGL
// (libqzwindowegl.so, beside libqz.so) instead. True when SDL took it: the window is then made
// with SDL_WINDOW_OPENGL, and ReleaseWindowOnlyEgl is called once it exists (the window holds the
// library from then on). False when the running SDL makes windows without GL (2.29.1 on, SDL 2
// over SDL 3), and when SDL would not take it, which leaves SDL to load the system's EGL itself.
bool LoadWindowOnlyEgl();
void ReleaseWindowOnlyEgl();
// The window-only EGL's path. SDL also opens a GL library before its EGL one, named by the
// variable SDL_VIDEO_GL_DRIVER, which the video sets to this before it starts (Environment.h):
// ours serves for both, so that no system GL library is loaded either.
std::string WindowOnlyEglLibrary();

class WaylandPresenter : public WindowPresenter, public EventSource {
 public:
  // Null when the window is not on Wayland, or when the compositor offers no shared memory
  // (reason then says so).
  static std::unique_ptr<WaylandPresenter> Create(SDL_Window* window, std::string* reason);
  ~WaylandPresenter() override;
  WaylandPresenter(const WaylandPresenter&) = delete;
  WaylandPresenter& operator=(const WaylandPresenter&) = delete;

  // The client area in buffer pixels: the window's size times the scale of its output, so that
  // a scale-2 output gets a picture drawn at twice the size rather than stretched by the
  // compositor. Each buffer keeps what it was given, so none is ever new to the picture.
  bool Prepare(int* width, int* height, bool* replaced) override;

  // Scales the parts of the picture (client rectangles of the scaler's view) into a free buffer
  // of the client's size, together with whatever that buffer missed of the presents before.
  // False when no buffer came free in time or none could be made; the caller then draws all of
  // the picture at the next present.
  bool Draw(const Surface& picture, const std::vector<PixelRect>& parts,
            const PictureScaler& scaler) override;
  // Hands the buffer last drawn to the compositor, with the parts marked as changed.
  void Show(const std::vector<PixelRect>& parts) override;
  // Commits the window again without a new picture, as the decorations ask after they changed
  // the window's state; the compositor keeps showing the last buffer.
  bool Reshow(bool wholeDrawDue) override;

  // A token for a program started now, tied to the player's last click or key press in this
  // window; empty when the compositor hands out none (xdg_activation_v1). The started program's
  // SDL presents it from XDG_ACTIVATION_TOKEN when it shows its window. Weston 10 has no such
  // protocol: its desktop shell gives every newly shown window the focus by itself. SDL 2.26
  // makes no token for another program, and asks for its own raises without a press's serial,
  // which compositors that want proof (GNOME's) turn down.
  std::string ActivationToken() override;

  // Waits on the compositor's connection, for SDL's events and ours alike.
  bool WaitForEvents(int timeoutMilliseconds, const std::vector<int>& alsoWatch) override;

 private:
  struct State;
  explicit WaylandPresenter(std::unique_ptr<State> state);
  std::unique_ptr<State> state;
};

}  // namespace platform
