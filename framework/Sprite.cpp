#include "framework/Sprite.h"

#include <cstring>

#include "framework/DirtyRects.h"
#include "framework/SurfaceRoutines.h"
#include "framework/Timer.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"

Sprite::~Sprite() {
  // Frames added with AddSharedFrame belong to someone else; only the slot buffer is ours then.
  if (!sharesFrames) frames.DeleteAll();
}

int Sprite::DrawX() const {
  // The half size is an integer division; the subtraction is done in floating point.
  const float left = centred ? x - static_cast<float>(width / 2) : x;
  return static_cast<int>(left);
}

int Sprite::DrawY() const {
  const float top = centred ? y - static_cast<float>(height / 2) : y;
  return static_cast<int>(top);
}

void Sprite::SetPosition(int newX, int newY) {
  x = static_cast<float>(newX);
  y = static_cast<float>(newY);
}

void Sprite::Draw() {
  DrawTo(TheDirtyRects().Scene());
}

void Sprite::DrawRect(int sx, int sy, int w, int h, QZSurface* target, int tx, int ty) {
  if (eraseFirst) TheDirtyRects().EraseArea(tx, ty, w, h);
  if (current < 0 || current >= frames.Count()) return;
  QZSurface* frame = frames.At(current);
  if (frame == nullptr) return;
  if (visible) BlitRect(frame, sx, sy, w, h, target, tx, ty, kBlitKeyedWait);
  if (markDirty) TheDirtyRects().MarkRect(tx, ty, tx + w, ty + h, 1, kDirtyFromScene);
}

void Sprite::DrawTo(QZSurface* target) {
  // The erase uses the plain position, not the centred corner.
  if (eraseFirst) {
    TheDirtyRects().EraseArea(static_cast<int>(x), static_cast<int>(y), width, height);
  }
  if (current < 0 || current >= frames.Count()) return;
  QZSurface* frame = frames.At(current);
  if (frame == nullptr) return;
  const int left = DrawX();
  const int top = DrawY();
  if (visible) BlitClipped(frame, target, left, top, kBlitKeyedWait);
  if (markDirty) {
    TheDirtyRects().MarkRect(left, top, left + width, top + height, 1, kDirtyFromScene);
  }
}

void Sprite::Move() {
  x += dx;
  y += dy;
}

void Sprite::SetSourceRect(int left, int top, int right, int bottom) {
  source = {left, top, right, bottom};
}

void Sprite::SetFrame(int n) {
  if (n >= 0 && n < frames.Count()) current = n;
}

void Sprite::SetColorKeyAll(int red, int green, int blue) {
  for (int i = 0; i < frames.Count(); ++i)
    ::SetColorKey(frames.At(i), red, green, blue);
}

int Sprite::StepFrame() {
  const uint32_t now = GetTime();
  if (frameTime >= now) return 0;
  const int n = current + step;
  if (n < frames.Count() && n >= 0) {
    current = n;
  } else if (wrap) {
    current = step == 1 ? 0 : frames.Count() - 1;
  }
  frameTime = now + static_cast<uint32_t>(delay);
  return 1;
}

int Sprite::LoadStrip(const char* path, int count, int vertical) {
  int stripWidth = 0;
  int stripHeight = 0;
  if (!::LoadStrip(path, frames, count, vertical, &stripWidth, &stripHeight)) return 0;
  width = stripWidth;
  height = stripHeight;
  first = 0;
  last = frames.Count();
  return frames.Count();
}

int Sprite::LoadTiles(const char* path, int w, int h) {
  ::LoadTiles(path, frames, w, h, nullptr);
  width = w;
  height = h;
  first = 0;
  last = frames.Count();
  return frames.Count();
}

void Sprite::SetRange(int firstFrame, int lastFrame) {
  first = firstFrame;
  last = lastFrame;
}

void Sprite::SetName(const char* text) {
  std::strncpy(name, text ? text : "", kNameSize - 1);
  name[kNameSize - 1] = '\0';
}

void Sprite::Animate() {
  if (!animationEnabled || first == -1) return;
  if (TimeSince(frameTime) <= delay) return;
  frameTime = GetTime();
  if (animating == 1) {
    current += step;
    SetFrame(current);
  }
  if (current >= last) EndOfRange(first, last - 1);
  if (current < 0) EndOfRange(last - 1, first);
}

void Sprite::EndOfRange(int wrapTo, int restAt) {
  switch (mode) {
    case kModeLoop:
      current = wrapTo;
      break;
    case kModeStop:
      animating = 0;
      current = restAt;
      break;
    case kModeStopAndHide:
      animating = 0;
      current = -1;
      break;
    case kModeStopAtFirst:
      animating = 0;
      current = first;
      break;
    default:
      break;
  }
}

void Sprite::DivideWidthByFrames() {
  if (frames.Count() > 0) width /= frames.Count();
}

int Sprite::AddFrame(QZSurface* surface) {
  if (surface == nullptr) return 1;
  ::SetColorKey(surface, 0, 0, 255);
  int w = 0;
  int h = 0;
  GetSurfaceSize(surface, &w, &h);
  SetSourceRect(0, 0, w, h);
  frames.Push(surface);
  first = 0;
  last = frames.Count();
  if (w != width || h != height) sizesDiffer = 1;
  width = w;
  height = h;
  return 1;
}

int Sprite::LoadFrame(const char* path) {
  QZSurface* surface = QZLoadBitmap(path, 16);
  if (surface == nullptr) {
    platform::ShowMessageBox(path ? path : "", platform::Tr("ERROR: can't find file!"),
                             platform::MB_OK);
    return 1;
  }
  return AddFrame(surface);
}

int Sprite::AddSharedFrame(QZSurface* surface) {
  sharesFrames = 1;
  return AddFrame(surface);
}
