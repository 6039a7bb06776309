#include "framework/MousePointer.h"

#include "framework/DirtyRects.h"
#include "framework/SurfaceRoutines.h"

MousePointer::MousePointer() : pictures(new PtrArray<Image>()) {}

MousePointer::~MousePointer() {
  Free();
}

int MousePointer::Init(const char* path) {
  if (path) {
    if (!pictures) pictures = new PtrArray<Image>();
    Image* image = new Image(path);
    pictures->Push(image);
    if (image->Surface()) {
      GetSurfaceSize(image->Surface(), &width, &height);
      image->SetColorKey(0, 0, 0);
      saveSurface[0] = CreateSurface(width, height);
      saveSurface[1] = CreateSurface(width, height);
    }
  }
  saveIndex = 0;
  savedX[0] = savedX[1] = -1;
  visible = 0;
  fullScreen = 0;
  return 1;
}

void MousePointer::SelectPicture(int index) {
  picture = (pictures && index >= 0 && index < pictures->Count()) ? pictures->At(index) : nullptr;
}

void MousePointer::GetState(int* outX, int* outY, uint32_t* outButtons) const {
  if (outX) *outX = x;
  if (outY) *outY = y;
  if (outButtons) *outButtons = buttons.load(std::memory_order_relaxed);
}

void MousePointer::Poll() {
  if (pollEnabled.load() != 1) return;
  int a = 0;
  int b = 0;
  uint32_t bits = 0;
  QZGetMouseData(&a, &b, &bits);
  buttons.store(bits, std::memory_order_relaxed);
}

void MousePointer::Draw(QZSurface* target) {
  // Without a picture or save surfaces there is nothing to draw, visible or not.
  if (visible == 1 && picture && picture->Surface() && saveSurface[saveIndex] && target) {
    BlitRect(target, x, y, width, height, saveSurface[saveIndex], 0, 0, platform::kBlitWait);
    TheDirtyRects().MarkRect(x, y, x + width, y + height, 1, 0x1000);
    savedX[saveIndex] = x;
    savedY[saveIndex] = y;
    BlitClipped(picture->Surface(), target, x, y, -1);
  }
  saveIndex = fullScreen ? 1 - saveIndex : 0;
}

void MousePointer::Restore(QZSurface* target) {
  if (savedX[saveIndex] == -1) return;
  if (target && saveSurface[saveIndex]) {
    BlitClipped(saveSurface[saveIndex], target, savedX[saveIndex], savedY[saveIndex],
                platform::kBlitWait);
  }
  savedX[saveIndex] = -1;
}

void MousePointer::Free() {
  if (pictures) {
    pictures->DeleteAll();
    delete pictures;
    pictures = nullptr;
  }
  picture = nullptr;
  for (QZSurface*& s : saveSurface) {
    QZSurface::Release(s);
    s = nullptr;
  }
}

MousePointer& TheMousePointer() {
  static MousePointer pointer;
  return pointer;
}
