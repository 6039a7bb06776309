#include "framework/Button.h"

#include <cstring>

#include "framework/DirtyRects.h"
#include "framework/SurfaceRoutines.h"
#include "platform/Messages.h"

Button::Button(int x, int y, int w, int h)
    : posX(x), posY(y), width(w), height(h), hitX(x), hitY(y), hitWidth(w), hitHeight(h) {}

Button::~Button() {
  for (int i = 0; i < images.Count(); ++i)
    QZSurface::Release(images.At(i)->surface);
  images.DeleteAll();
}

int Button::AddStateImage(int id, QZSurface* surface) {
  ::SetColorKey(surface, 0, 0, 255);
  images.Push(new StateImage{id, surface});
  int w = 0;
  int h = 0;
  GetSurfaceSize(surface, &w, &h);
  width = hitWidth = w;
  height = hitHeight = h;
  return 1;
}

int Button::LoadStateImage(int id, const char* path) {
  QZSurface* surface = QZLoadBitmap(path, 16);
  if (surface == nullptr) return 0;
  AddStateImage(id, surface);
  return 1;
}

int Button::LoadStateStrip(const char* path, int count, int vertical) {
  PtrArray<QZSurface> pictures;
  if (!LoadStrip(path, pictures, count, vertical, nullptr, nullptr)) return 0;
  if (pictures.Count() == count) {
    for (int i = 0; i < count; ++i)
      AddStateImage(i, pictures.At(i));
  } else {
    pictures.DeleteAll();  // a partial cut is not kept
  }
  return 1;
}

int Button::OnPicture(int px, int py) const {
  if (images.Count() == 0) return -1;
  QZSurface* picture = images.At(0)->surface;
  const int left = hitX + originX;
  const int top = hitY + originY;
  const int u = px - left;
  const int v = py - top;
  int w = 0;
  int h = 0;
  GetSurfaceSize(picture, &w, &h);
  // A sensitive rectangle larger than the picture: beyond the picture there is nothing to hit.
  if (u < 0 || v < 0 || u >= w || v >= h) return 0;
  const uint16_t pixel = static_cast<uint16_t>(GetPixel(picture, u, v));
  const uint16_t key = static_cast<uint16_t>(MakeColor(picture, 0, 0, 255));
  return pixel == key ? 0 : 1;
}

int Button::OnMouse(int px, int py, uint32_t buttons) {
  if (!enabled) return state;
  clicked = 0;
  clickButton = 0;
  const int left = hitX + originX;
  const int top = hitY + originY;
  inside = (px >= left && px < left + hitWidth && py >= top && py < top + hitHeight) ? 1 : 0;
  bool onKey = false;  // inside the rectangle but on a transparent pixel
  if (inside && transparentHit) {
    const int on = OnPicture(px, py);
    if (on < 0) return state;  // nothing to test against: leave the button as it is
    onKey = on == 0;
  }
  if (buttons & 1) {
    if (inside) {
      if (state != kStatePressed && !onKey) {
        SetState(kStatePressed);
        Draw(nullptr);
      }
    } else if (state != kStateNormal) {
      SetState(kStateNormal);
      Draw(nullptr);
    }
  } else {
    if (inside && !onKey) {
      if (state == kStatePressed) {
        clicked = 1;
        clickButton = 1;
      }
      if (state != kStateOver) {
        SetState(kStateOver);
        Draw(nullptr);
      }
    } else if (inside) {
      SetState(kStateNormal);
      Draw(nullptr);
    } else if (state != kStateNormal) {
      SetState(kStateNormal);
      Draw(nullptr);
    }
  }
  return state;
}

int Button::OnMessage(uint32_t message, uintptr_t, intptr_t lParam) {
  if (!enabled) return state;
  clicked = 0;
  clickButton = 0;
  const int px = platform::UnsignedLowWord(static_cast<uintptr_t>(lParam));
  const int py = platform::UnsignedHighWord(static_cast<uintptr_t>(lParam));
  const int left = hitX + originX;
  const int top = hitY + originY;
  inside = (px >= left && px <= left + hitWidth && py >= top && py <= top + hitHeight) ? 1 : 0;
  switch (message) {
    case platform::WM_MOUSEMOVE:
      if (inside && state != kStateOver && state != kStatePressed) {
        SetState(kStateOver);
        Draw(nullptr);
      } else if (!inside && state != kStateNormal) {
        SetState(kStateNormal);
        Draw(nullptr);
      }
      break;
    case platform::WM_LBUTTONDOWN:
      if (inside && state != kStatePressed) {
        SetState(kStatePressed);
        Draw(nullptr);
      } else if (!inside && state != kStateNormal) {
        SetState(kStateNormal);
        Draw(nullptr);
      }
      break;
    case platform::WM_LBUTTONUP:
      // Any release over the button is a click, even without a press before it.
      if (inside) {
        clicked = 1;
        clickButton = 1;
        if (state != kStateOver) {
          SetState(kStateOver);
          Draw(nullptr);
        }
      } else if (state != kStateNormal) {
        SetState(kStateNormal);
        Draw(nullptr);
      }
      break;
    case platform::WM_RBUTTONUP:
      if (inside) {
        clicked = 1;
        clickButton = 2;
      }
      break;
    default:
      break;
  }
  return state;
}

void Button::Draw(QZSurface* target) {
  DrawTo(target != nullptr ? target : TheDirtyRects().BackBuffer());
}

void Button::SetPictureShift(int n) {
  pictureShift = n;
  Redraw();
}

void Button::DrawTo(QZSurface* target) {
  const int count = images.Count();
  if (count == 0) return;
  const int left = posX + originX;
  const int top = posY + originY;
  const platform::Rect dst{left, top, left + width, top + height};
  int index = state + pictureShift;
  if (singleImage) index = 0;
  if (forcedImage != -1) index = forcedImage;
  // Past the pictures the last one stands in; so does a forced or shifted index that names no
  // picture at all.
  if (state + pictureShift >= count || index < 0 || index >= count) index = count - 1;
  if (markDirty) TheDirtyRects().MarkRect(dst.left, dst.top, dst.right, dst.bottom, 1, 0x1000);
  if (target == nullptr) return;
  target->Blit(&dst, images.At(index)->surface, nullptr,
               platform::kBlitKeySource | platform::kBlitWait);
}

void Button::Redraw() {
  if (enabled) DrawTo(TheDirtyRects().BackBuffer());
}

void Button::Reset() {
  SetState(kStateNormal);
  Redraw();
}

void Button::SetName(const char* text) {
  std::strncpy(name, text ? text : "", kNameSize - 1);
  name[kNameSize - 1] = '\0';
}

void Button::SetOrigin(int x, int y) {
  originX = x;
  originY = y;
}

void Button::DrawOnBoth(int flag) {
  if (!flag) return;
  DirtyRects& dirty = TheDirtyRects();
  // A missing picture is skipped rather than taken for the back buffer.
  if (dirty.Background() != nullptr) Draw(dirty.Background());
  if (dirty.Scene() != nullptr) Draw(dirty.Scene());
}

void Button::SwapFirstImages() {
  if (images.Count() >= 2) {
    StateImage* first = images.At(0);
    images.Set(0, images.At(1));
    images.Set(1, first);
  }
  Redraw();
}

void Button::SetHitRect(int x, int y, int w, int h) {
  hitX = x;
  hitY = y;
  hitWidth = w;
  hitHeight = h;
}
