#pragma once
// The launcher's buttons are all made the same way: a strip of pictures side by side at a
// position, and a name.

#include "framework/Button.h"

inline Button* MakeStripButton(const char* name, const char* picture, int x, int y, int states) {
  Button* button = new Button(x, y);
  button->LoadStateStrip(picture, states, 0);
  button->SetName(name);
  return button;
}
