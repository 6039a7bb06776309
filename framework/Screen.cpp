#include "framework/Screen.h"

#include <cstdio>

#include "framework/DirtyRects.h"
#include "framework/MousePointer.h"

int Screen::Open(QZDirectDraw* dd, QZSurface* backBuffer) {
  directDraw = dd;
  back = backBuffer;
  CreateLists();
  return 1;
}

int Screen::OnMessage(uint32_t, uintptr_t, intptr_t) {
  return 1;
}

int Screen::Update(int) {
  return 1;
}

void Screen::SetName(const char* text) {
  std::snprintf(name, sizeof(name), "%s", text ? text : "");
}

int Screen::Flip() {
  if (child) return child->Flip();
  MousePointer& pointer = TheMousePointer();
  pointer.Draw(back);
  const int result = QZFlip();
  pointer.Restore(back);
  DirtyRects& dirty = TheDirtyRects();
  dirty.Swap();
  dirty.RestorePass(back);
  return result;
}
