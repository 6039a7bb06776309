#include "platform/sdl/SurfacePresenter.h"

namespace platform {

SurfacePresenter::~SurfacePresenter() {
  if (staging) SDL_FreeSurface(staging);
}

bool SurfacePresenter::Prepare(int* width, int* height, bool* replaced) {
  target = SDL_GetWindowSurface(window);
  if (!target) return false;
  *width = target->w;
  *height = target->h;
  *replaced = target != drawnSurface;
  return true;
}

// Scales the parts into the window's surface: directly when it holds 0x00RRGGBB pixels, else
// through a buffer of that format that SDL converts from.
bool SurfacePresenter::Draw(const Surface& picture, const std::vector<PixelRect>& parts,
                            const PictureScaler& scaler) {
  if (!target) return false;
  SDL_Surface* into = target;
  if (target->format->format != SDL_PIXELFORMAT_RGB888) {
    if (!staging || staging->w != target->w || staging->h != target->h) {
      if (staging) SDL_FreeSurface(staging);
      staging = SDL_CreateRGBSurfaceWithFormat(0, target->w, target->h, 32, SDL_PIXELFORMAT_RGB888);
      if (!staging) return false;
    }
    into = staging;
  }
  if (SDL_MUSTLOCK(into) && SDL_LockSurface(into) != 0) return false;
  for (const PixelRect& part : parts) {
    scaler.Render(picture.Pixels(), picture.Pitch(), part, static_cast<uint32_t*>(into->pixels),
                  into->pitch);
  }
  if (SDL_MUSTLOCK(into)) SDL_UnlockSurface(into);
  if (into != target) {
    for (const PixelRect& part : parts) {
      SDL_Rect rect = {part.x, part.y, part.width, part.height};
      SDL_Rect to = rect;
      SDL_BlitSurface(into, &rect, target, &to);
    }
  }
  drawnSurface = target;
  return true;
}

void SurfacePresenter::Show(const std::vector<PixelRect>& parts) {
  std::vector<SDL_Rect> rects;
  rects.reserve(parts.size());
  for (const PixelRect& part : parts)
    rects.push_back({part.x, part.y, part.width, part.height});
  SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size()));
}

bool SurfacePresenter::Reshow(bool wholeDrawDue) {
  // A surface that never held the picture (a new size) is left to the program, which presents
  // its picture again on WM_PAINT.
  if (wholeDrawDue || SDL_GetWindowSurface(window) != drawnSurface || !drawnSurface) return false;
  SDL_UpdateWindowSurface(window);
  return true;
}

}  // namespace platform
