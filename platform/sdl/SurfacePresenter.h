#pragma once
// The picture through the window's own surface, which SDL keeps in shared memory on X11: the
// parts are scaled into it by the processor and sent with SDL_UpdateWindowSurfaceRects.

#include <SDL.h>

#include "platform/sdl/WindowPresenter.h"

namespace platform {

class SurfacePresenter : public WindowPresenter {
 public:
  explicit SurfacePresenter(SDL_Window* window) : window(window) {}
  ~SurfacePresenter() override;
  SurfacePresenter(const SurfacePresenter&) = delete;
  SurfacePresenter& operator=(const SurfacePresenter&) = delete;

  bool Prepare(int* width, int* height, bool* replaced) override;
  bool Draw(const Surface& picture, const std::vector<PixelRect>& parts,
            const PictureScaler& scaler) override;
  void Show(const std::vector<PixelRect>& parts) override;
  bool Reshow(bool wholeDrawDue) override;

 private:
  SDL_Window* window;
  // The window surface of the present under way, and the one the last present drew into: SDL
  // replaces it when the size changes.
  SDL_Surface* target = nullptr;
  SDL_Surface* drawnSurface = nullptr;
  // A 0x00RRGGBB copy of the client area for window surfaces of another format.
  SDL_Surface* staging = nullptr;
};

}  // namespace platform
