// Display bring-up, the back buffer and its present, input state and the frame-rate counter.
// The picture is kept in one software back buffer and copied to the screen at each flip, in every
// mode: the framework's redraw list works with either a flipping pair or a single back buffer, and
// a copy keeps the back buffer's content the same from frame to frame.

#include "qz/qz.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Input.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"
#include "platform/PictureScaler.h"
#include "platform/Timer.h"
#include "qz/DebugFont.h"

namespace {

// Each changed part is one request to the window system; beyond this many the rest go as one.
constexpr int kMaxChangedParts = 16;

struct QZState {
  QZWindow* window = nullptr;
  QZSurface* back = nullptr;
  // The picture last presented, which a flip compares the back buffer with.
  std::vector<uint16_t> shown;
  // Parts that differ from it although nothing was drawn there since: a present the window did
  // not take.
  std::vector<platform::PixelRect> unsent;
  QZDirectDraw directDraw;
  bool fullScreen = false;
  int windowX = 0;
  int windowY = 0;
  int mouseAcquired = 0;
  // Set by a new display: its first flip presents everything, whatever was shown before.
  bool presentAll = true;
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
  if (!s.back) {
    s.lastError = "QZInitDirectX: cannot create a " + std::to_string(width) + " x " +
                  std::to_string(height) + " display buffer";
    QZFreeDirectX();
    return 0;
  }
  s.shown.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  s.unsent.clear();
  s.window = window;
  s.fullScreen = fullScreen;
  s.presentAll = true;
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
  platform::ShowMessageBox(error.empty() ? platform::Tr("Unknown error") : error.c_str(), "QZ",
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
  // One buffer, presented by copy: what the programs may take for the primary is the back buffer.
  if (front) *front = State().back;
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
  s.back = nullptr;
  s.shown.clear();
  s.unsent.clear();
  s.window = nullptr;
}

int QZFlip() {
  QZState& s = State();
  if (!s.back || !s.window) return 0;
  const QZSurface& back = *s.back;
  const int width = back.Width();
  const int height = back.Height();
  // Only the parts drawn into since the last flip can differ from the picture shown.
  std::vector<platform::PixelRect> changed;
  if (s.presentAll) {
    changed.push_back({0, 0, width, height});
  } else {
    std::vector<platform::PixelRect> drawn = s.unsent;
    for (const platform::Rect& r : back.Touched())
      drawn.push_back({r.left, r.top, r.right - r.left, r.bottom - r.top});
    changed = platform::ChangedRectsWithin(s.shown.data(), back.Pixels(), width, height, width,
                                           kMaxChangedParts, drawn);
  }
  s.back->ClearTouched();
  if (!s.window->PresentChanged(back, changed, s.windowX, s.windowY)) {
    s.unsent = changed;
    return 0;
  }
  const uint16_t* pixels = back.Pixels();
  for (const platform::PixelRect& part : changed) {
    for (int y = part.y; y < part.y + part.height; ++y) {
      const size_t at = static_cast<size_t>(y) * width + part.x;
      std::memcpy(&s.shown[at], pixels + at, static_cast<size_t>(part.width) * sizeof(uint16_t));
    }
  }
  s.unsent.clear();
  s.presentAll = false;

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

int QZRepaint() {
  QZState& s = State();
  if (!s.back || !s.window) return 0;
  std::unique_ptr<QZSurface, void (*)(QZSurface*)> picture(
      QZSurface::Create(s.back->Width(), s.back->Height()), &QZSurface::Release);
  if (!picture) return 0;
  std::memcpy(picture->Pixels(), s.shown.data(), s.shown.size() * sizeof(uint16_t));
  return s.window->Present(*picture, s.windowX, s.windowY) ? 1 : 0;
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

void QZSetTextInput(int on, int x, int y, int width, int height) {
  platform::GetVideo().SetTextInput(on != 0, {x, y, width, height});
}

const char* QZGetComposition() {
  return platform::Input().Composition().c_str();
}

void QZGetMouseData(int* x, int* y, uint32_t* buttons) {
  if (x) *x = 0;
  if (y) *y = 0;
  if (buttons) *buttons = platform::Input().MouseButtons();
}
