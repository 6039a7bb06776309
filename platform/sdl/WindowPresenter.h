#pragma once
// How the picture reaches the window: its changed parts are scaled into a target the window
// shows, then shown. Two kinds: the window's own surface (SurfacePresenter; X11 and the rest) and,
// on Wayland, where SDL's window surface would need GL, shared-memory buffers of our own
// (WaylandPresenter).

#include <string>
#include <vector>

#include "platform/PictureScaler.h"
#include "platform/ScaledView.h"
#include "platform/Surface.h"

namespace platform {

class WindowPresenter {
 public:
  virtual ~WindowPresenter() = default;

  // Readies the target of the next present and gives its size in pixels. False when there is
  // none to draw in. *replaced is set when the target holds nothing of the picture shown before
  // (SDL made a new window surface), so that all of it is drawn.
  virtual bool Prepare(int* width, int* height, bool* replaced) = 0;
  // Scales the parts of the picture (client rectangles of the scaler's view) into the target.
  // False when the target could not take them; the whole picture is drawn at the next present.
  virtual bool Draw(const Surface& picture, const std::vector<PixelRect>& parts,
                    const PictureScaler& scaler) = 0;
  // Shows what Draw put into the target, the parts marked as changed.
  virtual void Show(const std::vector<PixelRect>& parts) = 0;
  // The window was uncovered: shows again what the target holds, without a new picture (no frame
  // runs while the program is inactive). False when the picture must be drawn anew first: the
  // target holds none of it, or a whole draw is due (wholeDrawDue).
  virtual bool Reshow(bool wholeDrawDue) = 0;
  // A token for a program started now from this window; empty where the desktop hands out none.
  virtual std::string ActivationToken() { return std::string(); }
};

}  // namespace platform
