#pragma once
// The graphics and input library both programs draw and read input through: display bring-up,
// the back buffer and its present, keyboard and mouse state, bitmap loading and a small debug
// font. Plain functions over the platform layer.

#include <cstdint>

#include "platform/Surface.h"
#include "platform/Video.h"

using QZSurface = platform::Surface;
using QZWindow = platform::Video;

// The display object handed to screens: it makes off-screen surfaces in the display's format.
class QZDirectDraw {
 public:
  QZSurface* CreateSurface(int width, int height);
  const platform::PixelFormat& Format() const { return platform::kFormat565; }
};

void QZSetInstance(void* instance);
void QZDebugEnable(int flag);
// Full screen (four arguments) or windowed (three). Non-zero on success.
int QZInitDirectX(QZWindow* window, int width, int height, int bitsPerPixel);
int QZInitDirectX(QZWindow* window, int width, int height);
// Shows the library's last error in a message box.
void QZPrintError();
const char* QZLastError();
int QZSetViewport(int x, int y, int width, int height);
QZDirectDraw* QZGetLPDD();
void QZGetDDInfo(QZSurface** front, QZSurface** back);
int QZInitMouse();
int QZInitKeyboard();
void QZInitFont(QZWindow* window);
int QZAcquireMouse(int acquire);
void QZFreeFont();
void QZFreeDirectInput();
void QZFreeDirectX();

// Presents the parts of the back buffer that changed since the last flip, at the origin last
// given to QZSetWindowXY. 0 when the window did not take them: they go again at the next flip.
int QZFlip();
// Presents the picture last presented again, whole, for a window that lost what it showed while
// no frame runs.
int QZRepaint();
void QZSetWindowXY(int x, int y);
// Presented frames per second, measured over the last second of real time.
float QZGetFPS();
// Draws text with the built-in font on the back buffer; returns the width drawn in pixels.
int QZPrintString(const char* text, int x, int y);
const uint8_t* QZGetKeys();
// Typing into a text field: while on, the characters the desktop's keyboard layout and input
// method make arrive as WM_UNICHAR messages (the key table keeps the keys by their place). The
// rectangle is the field, in picture pixels, for the input method's own windows.
void QZSetTextInput(int on, int x, int y, int width, int height);
// What an input method is composing and has not typed yet, UTF-8; "" when nothing.
const char* QZGetComposition();
// The third value receives the button bits (bit 0 left, bit 1 right); safe on the timer thread.
void QZGetMouseData(int* x, int* y, uint32_t* buttons);
// A new surface holding the Windows bitmap, or null when the file cannot be loaded. The caller
// owns it (QZSurface::Release).
QZSurface* QZLoadBitmap(const char* path, int bitsPerPixel);
// Bits per channel of the format.
void QZGetRGBABits(const platform::PixelFormat& format, int* red, int* green, int* blue,
                   int* alpha);
