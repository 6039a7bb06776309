#pragma once
// The screen a program shows until its own screens exist: it clears the back buffer and presents
// it each frame.

#include "framework/Screen.h"
#include "framework/SurfaceRoutines.h"

class BlankScreen : public Screen {
 public:
  explicit BlankScreen(const char* name) { SetName(name); }

  int Update(int) override {
    FillColor(Back(), 0);
    Flip();
    return 1;
  }
};
