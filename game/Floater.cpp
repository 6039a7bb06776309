#include "game/Floater.h"

#include "framework/FrameLoop.h"

Floater::Floater(QZSurface* surface, float x, float y, float dy, uint32_t expires)
    : expiresAt(expires) {
  AddSharedFrame(surface);
  SetPositionF(x, y);
  SetVelocity(0.0f, dy);
}

void Floater::Move() {
  float fps = GetFrameRate();
  if (fps < kSlowestRate) {
    SetFrameRate(kFallbackRate);
    fps = kFallbackRate;
  }
  float newX = X() + Dx() / fps;
  float newY = Y() + Dy() / fps;
  if (newY < kTopEdge) {
    newY = kTopEdge;
    SetVelocity(Dx(), 0.0f);
  }
  SetPositionF(newX, newY);
}
