// Display bring-up, the back buffer and its present, input state and the frame-rate counter.
// The picture is always kept in one software back buffer and copied to the screen at each flip,
// in every mode: the framework's redraw list works with either a flipping pair or a single back
// buffer, and a copy keeps the back buffer's content the same from frame to frame.

#include "qz/qz.h"

#include <string>

#include "platform/Input.h"
#include "platform/MessageBox.h"
#include "platform/Timer.h"
#include "qz/DebugFont.h"

namespace {

struct QZState {
  QZWindow* window = nullptr;
  QZSurface* front = nullptr;
  QZSurface* back = nullptr;
  QZDirectDraw directDraw;
  bool fullScreen = false;
  int windowX = 0;
  int windowY = 0;
  int mouseAcquired = 0;
  std::string lastError;
  // Frame-rate measurement over whole seconds of real time.
  uint64_t fpsWindowStart = 0;
  int fpsFrames = 0;
  float fps = 0.0f;
};

QZState& State() {
  static QZState state;
  return state;
}

int InitDisplay(QZWindow* window, int width, int height, bool fullScreen) {
  QZState& s = State();
  if (window == nullptr || !window->HasWindow()) {
    s.lastError = "QZInitDirectX: no window to draw in";
    return 0;
  }
  QZFreeDirectX();
  s.back = QZSurface::Create(width, height);
  s.front = QZSurface::Create(width, height);
  if (!s.back || !s.front) {
    s.lastError = "QZInitDirectX: cannot create a " + std::to_string(width) + " x " +
                  std::to_string(height) + " display buffer";
    QZFreeDirectX();
    return 0;
  }
  s.window = window;
  s.fullScreen = fullScreen;
  s.fpsWindowStart = platform::SteadyMilliseconds();
  s.fpsFrames = 0;
  s.fps = 0.0f;
  return 1;
}

}  // namespace

QZSurface* QZDirectDraw::CreateSurface(int width, int height) {
  return QZSurface::Create(width, height);
}

void QZSetInstance(void*) {}

void QZDebugEnable(int) {}

int QZInitDirectX(QZWindow* window, int width, int height, int bitsPerPixel) {
  if (bitsPerPixel != 16) {
    State().lastError = "QZInitDirectX: only 16 bits per pixel are offered";
    return 0;
  }
  return InitDisplay(window, width, height, true);
}

int QZInitDirectX(QZWindow* window, int width, int height) {
  return InitDisplay(window, width, height, false);
}

void QZPrintError() {
  const std::string& error = State().lastError;
  platform::ShowMessageBox(error.empty() ? "Unknown error" : error.c_str(), "QZ",
                           platform::MB_ICONERROR);
}

const char* QZLastError() {
  return State().lastError.c_str();
}

int QZSetViewport(int, int, int width, int height) {
  QZState& s = State();
  return (s.back && width == s.back->Width() && height == s.back->Height()) ? 1 : 0;
}

QZDirectDraw* QZGetLPDD() {
  return State().back ? &State().directDraw : nullptr;
}

void QZGetDDInfo(QZSurface** front, QZSurface** back) {
  if (front) *front = State().front;
  if (back) *back = State().back;
}

int QZInitMouse() {
  return 1;
}

int QZInitKeyboard() {
  return 1;
}

void QZInitFont(QZWindow*) {}

int QZAcquireMouse(int acquire) {
  State().mouseAcquired = acquire ? 1 : 0;
  return 1;
}

void QZFreeFont() {}

void QZFreeDirectInput() {
  platform::Input().ReleaseAllKeys();
  platform::Input().SetMouseButtons(0);
}

void QZFreeDirectX() {
  QZState& s = State();
  QZSurface::Release(s.back);
  QZSurface::Release(s.front);
  s.back = nullptr;
  s.front = nullptr;
  s.window = nullptr;
}

int QZFlip() {
  QZState& s = State();
  if (!s.back || !s.window) return 0;
  s.front->Blit(nullptr, s.back, nullptr, 0);
  s.window->Present(*s.back, s.windowX, s.windowY);

  const uint64_t now = platform::SteadyMilliseconds();
  ++s.fpsFrames;
  const uint64_t elapsed = now - s.fpsWindowStart;
  if (elapsed >= 1000) {
    s.fps = static_cast<float>(s.fpsFrames) * 1000.0f / static_cast<float>(elapsed);
    s.fpsFrames = 0;
    s.fpsWindowStart = now;
  }
  return 1;
}

void QZSetWindowXY(int x, int y) {
  State().windowX = x;
  State().windowY = y;
}

float QZGetFPS() {
  return State().fps;
}

int QZPrintString(const char* text, int x, int y) {
  QZSurface* back = State().back;
  if (!back || !text) return 0;
  return DrawDebugText(back, text, x, y);
}

const uint8_t* QZGetKeys() {
  return platform::Input().KeyTable();
}

void QZGetMouseData(int* x, int* y, uint32_t* buttons) {
  if (x) *x = 0;
  if (y) *y = 0;
  if (buttons) *buttons = platform::Input().MouseButtons();
}
