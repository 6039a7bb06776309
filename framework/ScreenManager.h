#pragma once
// The program's list of screens with one current screen. The shell adds the screens, selects the
// first, forwards messages and frames to the current one and closes them all at the end.

#include <cstdint>

#include "framework/PtrArray.h"
#include "framework/Screen.h"
#include "qz/qz.h"

class ScreenManager {
 public:
  ScreenManager() = default;
  ~ScreenManager() = default;
  ScreenManager(const ScreenManager&) = delete;
  ScreenManager& operator=(const ScreenManager&) = delete;

  void SetSurfaces(QZDirectDraw* dd, QZSurface* backBuffer) {
    directDraw = dd;
    back = backBuffer;
  }
  void AddScreen(Screen* screen) { screens.Push(screen); }
  // Closes the current screen and opens the first one named so (case-sensitive); the current
  // screen stays as it was when none matches. Returns the current screen.
  Screen* Select(const char* name);
  int Update(int active);
  // The current screen's OnMessage, or the modal dialog's while one runs.
  int OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  // The dialog whose own loop runs, which takes the messages meanwhile (keys are its own);
  // returns the one before, to be put back when it ends.
  Screen* SetModal(Screen* screen) {
    Screen* before = modal;
    modal = screen;
    return before;
  }
  void CloseAll();
  Screen* Current() const { return current; }
  // Forgets every screen; for tests.
  void Clear();

 private:
  PtrArray<Screen> screens;  // the screens are not owned
  Screen* current = nullptr;
  Screen* modal = nullptr;
  QZDirectDraw* directDraw = nullptr;
  QZSurface* back = nullptr;
};

ScreenManager& TheScreenManager();
