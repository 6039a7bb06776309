#pragma once
// Shared set-up for the tests of sprites, buttons, screens, dialogs and text fields: a back buffer
// of our own, the clock at 0, the redraw list, the pointer and the queues emptied, and helpers
// that make solid pictures and step the timer.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "framework/DirtyRects.h"
#include "framework/FrameLoop.h"
#include "framework/Keyboard.h"
#include "framework/MousePointer.h"
#include "framework/SurfaceRoutines.h"
#include "framework/Timer.h"
#include "platform/Input.h"
#include "platform/Messages.h"

constexpr uint16_t kRed = 0xF800;
constexpr uint16_t kGreen = 0x07E0;
constexpr uint16_t kBlue = 0x001F;  // the transparent colour
constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kGrey = 0x8410;
constexpr uint16_t kPaper = 0x1111;  // what a target holds before anything is drawn

using SurfacePtr = std::unique_ptr<QZSurface, void (*)(QZSurface*)>;

inline SurfacePtr MakeSurface(int width, int height, uint16_t fill) {
  SurfacePtr surface(CreateSurface(width, height), &QZSurface::Release);
  FillColor(surface.get(), fill);
  return surface;
}

// A solid surface handed over to an owner (a sprite or a button).
inline QZSurface* NewSolid(int width, int height, uint16_t fill) {
  QZSurface* surface = CreateSurface(width, height);
  FillColor(surface, fill);
  return surface;
}

class WidgetFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTimerState();
    ResetFrameLoop();
    ResetKeys();
    TheDirtyRects().Reset();
    TheDirtyRects().SetBackBuffer(back.get());
    platform::Messages().Clear();
    platform::Input().SetMouseButtons(0);
    platform::Input().ReleaseAllKeys();
    TheMousePointer().SetPosition(0, 0);
    TheMousePointer().Poll();
  }
  void TearDown() override {
    TheDirtyRects().Reset();
    platform::Messages().Clear();
    platform::Input().SetMouseButtons(0);
    platform::Input().ReleaseAllKeys();
    TheMousePointer().Poll();
    ResetTimerState();
    ResetFrameLoop();
    ResetKeys();
  }

  // Advances the millisecond clock by ms (in whole timer periods of 10 ms).
  static void Advance(int ms) {
    for (int i = 0; i < ms / 10; ++i)
      TimerTick();
  }
  // Puts the pointer at (x, y) with the buttons given and lets the timer poll them.
  static void Mouse(int x, int y, uint32_t buttons) {
    TheMousePointer().SetPosition(x, y);
    platform::Input().SetMouseButtons(buttons);
    TimerTick();
  }
  int RecordCount() const { return TheDirtyRects().List(TheDirtyRects().Current()).Count(); }
  const DirtyRect* LastRecord() const {
    const PtrArray<DirtyRect>& list = TheDirtyRects().List(TheDirtyRects().Current());
    return list.Count() > 0 ? list.At(list.Count() - 1) : nullptr;
  }

  SurfacePtr back = MakeSurface(800, 600, kPaper);
};
