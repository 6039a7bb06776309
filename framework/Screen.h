#pragma once
// The base of every screen of both programs: a name, the display it draws on, and the end of each
// frame (Flip: the mouse pointer, the present, the redraw list's restore pass). Derived screens
// override the virtual operations, which keep a fixed order.

#include <cstdint>

#include "qz/qz.h"

class Screen {
 public:
  static constexpr int kNameSize = 256;

  Screen() = default;
  virtual ~Screen() = default;
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  virtual void CreateLists() {}
  // Keeps the display object and the back buffer, then makes the lists.
  virtual int Open(QZDirectDraw* directDraw, QZSurface* back);
  virtual void Close() {}
  virtual int OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  virtual int Update(int active);
  virtual void SetName(const char* text);
  virtual const char* Name() const { return name; }
  // Draws the pointer, presents the back buffer and restores the last frame's rectangles; a child
  // screen, when set, flips instead.
  virtual int Flip();
  virtual void SetChild(Screen* screen) { child = screen; }

  QZDirectDraw* DirectDraw() const { return directDraw; }
  QZSurface* Back() const { return back; }
  Screen* Child() const { return child; }

 private:
  char name[kNameSize] = {};
  QZDirectDraw* directDraw = nullptr;
  QZSurface* back = nullptr;
  Screen* child = nullptr;
};
