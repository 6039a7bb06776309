#pragma once
// The screen a program shows until its own screens exist: a black picture, presented each frame.

#include "framework/Screen.h"
#include "framework/SurfaceRoutines.h"

class BlankScreen : public Screen {
 public:
  explicit BlankScreen(const char* name) { SetName(name); }

  int Open(QZDirectDraw* directDraw, QZSurface* back) override {
    Screen::Open(directDraw, back);
    FillColor(Back(), 0);
    return 1;
  }

  int Update(int) override {
    Flip();
    return 1;
  }
};
