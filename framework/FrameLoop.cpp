#include "framework/FrameLoop.h"

#include <cstdio>

#include "framework/DirtyRects.h"
#include "framework/Keyboard.h"
#include "framework/SurfaceRoutines.h"
#include "framework/Timer.h"
#include "platform/FileUpdates.h"
#include "qz/qz.h"

namespace {

WindowProcedure windowProcedure = nullptr;
uint32_t nextFrameTime = 0;
float frameRate = 0.0f;
int showFrameRate = 0;

// Where the rate is printed: from its left edge to the right of the display, one text line high.
constexpr int kRateX = 580;
constexpr int kRateY = 0;
constexpr int kRateWidth = 800 - kRateX;
constexpr int kRateHeight = 9;  // 8-pixel cells and the shadow below them

// Nothing else repaints the corner the rate was printed in until the whole picture is drawn
// again, so hiding the rate brings that corner back from the scene, as a restore pass would.
void RestoreRateCorner() {
  QZSurface* back = nullptr;
  QZGetDDInfo(nullptr, &back);
  const QZSurface* scene = TheDirtyRects().Scene();
  if (back == nullptr || scene == nullptr) return;
  BlitRect(scene, kRateX, kRateY, kRateWidth, kRateHeight, back, kRateX, kRateY, kBlitKeyedWait);
}

}  // namespace

void SetWindowProcedure(WindowProcedure procedure) {
  windowProcedure = procedure;
}

int PumpMessages() {
  // Every loop pumps, modal dialogs included, so a result or setting that waits for another
  // copy's lock, or for its file to be readable again, is entered soon after it can be.
  platform::TheFileUpdates().Retry();
  platform::Message message;
  while (platform::PeekMessage(message)) {
    ScanKeys(QZGetKeys());
    // A character typed by the key just scanned joins the queue after it.
    if (message.id == platform::WM_UNICHAR) PushCharacter(static_cast<uint32_t>(message.wParam));
    if (message.id == platform::WM_QUIT) {
      platform::Messages().PostQuit(static_cast<int>(message.wParam));
      return 1;
    }
    if (windowProcedure) windowProcedure(message.id, message.wParam, message.lParam);
  }
  return 0;
}

void PaceFrame(int rate) {
  const uint32_t period = rate > 0 ? static_cast<uint32_t>(1000 / rate) : 0;
  WaitForTime(nextFrameTime);
  nextFrameTime = GetTime() + period;
}

void WaitFrame(int rate) {
  PaceFrame(rate);
  ShowFrameRate(static_cast<float>(rate));
}

void ShowFrameRate(float rate) {
  frameRate = rate;
  if (showFrameRate) DrawFrameRate(frameRate);
}

float GetFrameRate() {
  return frameRate;
}

void SetFrameRate(float rate) {
  frameRate = rate;
}

int GetShowFrameRate() {
  return showFrameRate;
}

void SetShowFrameRate(int show) {
  if (showFrameRate != 0 && show == 0) RestoreRateCorner();
  showFrameRate = show;
}

void DrawFrameRate(float rate) {
  char text[32];
  std::snprintf(text, sizeof(text), "%5.2f", static_cast<double>(rate));
  QZPrintString(text, kRateX, kRateY);
}

void ResetFrameLoop() {
  nextFrameTime = 0;
  frameRate = 0.0f;
  showFrameRate = 0;
}
