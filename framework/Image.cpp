#include "framework/Image.h"

#include <cstring>

#include "framework/SurfaceRoutines.h"

Image::Image() = default;

Image::Image(const char* path) {
  Load(path);
}

Image::~Image() {
  ReleaseSurface();
}

void Image::ReleaseSurface() {
  QZSurface::Release(surface);
  surface = nullptr;
  width = 0;
  height = 0;
}

QZSurface* Image::Load(const char* path) {
  // A picture loaded earlier is given back first, so reloading never leaks it.
  ReleaseSurface();
  if (path == nullptr) {
    name[0] = '\0';
    return nullptr;
  }
  surface = QZLoadBitmap(path, 16);
  if (surface == nullptr) return nullptr;
  ::SetColorKey(surface, 0, 0, 255);
  SetName(path);
  width = surface->Width();
  height = surface->Height();
  return surface;
}

void Image::SetName(const char* text) {
  if (text == nullptr) {
    name[0] = '\0';
    return;
  }
  std::strncpy(name, text, kNameSize - 1);
  name[kNameSize - 1] = '\0';
}

void Image::SetColorKey(int red, int green, int blue) {
  if (surface != nullptr) ::SetColorKey(surface, red, green, blue);
}

void Image::Draw(QZSurface* target, int drawX, int drawY) const {
  if (surface == nullptr || target == nullptr) return;
  BlitClipped(surface, target, drawX, drawY, kBlitKeyedWait);
}
