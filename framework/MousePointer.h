#pragma once
// The one process-wide mouse pointer: where the mouse is (moved by the window procedure), which
// buttons are down (polled by the 10 ms timer), and an optional software pointer picture drawn
// into the back buffer before each flip and taken away after it. Both programs keep it hidden and
// without a picture, so the visible pointer is the system's.

#include <atomic>
#include <cstdint>

#include "framework/Image.h"
#include "framework/PtrArray.h"
#include "qz/qz.h"

class MousePointer {
 public:
  MousePointer();
  ~MousePointer();
  MousePointer(const MousePointer&) = delete;
  MousePointer& operator=(const MousePointer&) = delete;

  // With a path, loads the pointer picture (keyed on black) and makes the save surfaces.
  int Init(const char* path);
  void SelectPicture(int index);
  void Show() { visible = 1; }
  void Hide() { visible = 0; }
  void SetFullScreen(int flag) { fullScreen = flag & 0xFF; }
  void SetPosition(int newX, int newY) {
    x = newX;
    y = newY;
  }
  int GetX() const { return x; }
  int GetY() const { return y; }
  // Each output that is given receives its value.
  void GetState(int* outX, int* outY, uint32_t* outButtons) const;
  // Reads the button bits from the mouse device; runs on the timer thread.
  void Poll();
  void Draw(QZSurface* target);
  void Restore(QZSurface* target);
  void Free();

  // For tests: stop or restart the polling.
  void SetPollEnabled(int enabled) { pollEnabled.store(enabled); }

 private:
  Image* picture = nullptr;
  PtrArray<Image>* pictures = nullptr;
  QZSurface* saveSurface[2] = {nullptr, nullptr};
  int saveIndex = 0;
  int savedX[2] = {-1, -1};
  int savedY[2] = {-1, -1};
  int width = 0;
  int height = 0;
  int visible = 0;
  int fullScreen = 0;
  int x = 0;
  int y = 0;
  std::atomic<uint32_t> buttons{0};
  std::atomic<int> pollEnabled{1};
};

MousePointer& TheMousePointer();
