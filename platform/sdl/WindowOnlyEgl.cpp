// libqzwindowegl.so: an EGL that knows windows and nothing else. SDL before 2.29.1 (Debian 12's
// 2.26) makes every Wayland window an EGL window, and the system's EGL would bring in a GL driver
// (some 45 MB of it on Mesa) for a window that only ever shows shared-memory pictures. SDL loads
// this library instead when the window is made (WaylandPresenter.cpp); it answers what SDL asks
// while making, resizing and closing the window, and refuses every request to draw, so nothing
// can expect GL from it. Only SDL reaches it, by name, from a library it opened privately. Newer
// SDL makes the window without GL and never loads it.

#include <cstdint>

namespace {

using EglBoolean = unsigned int;
using EglInt = int32_t;
using EglEnum = unsigned int;
using Handle = void*;

constexpr EglBoolean kFalse = 0;
constexpr EglBoolean kTrue = 1;
constexpr EglInt kSuccess = 0x3000;
constexpr EglInt kBadAccess = 0x3002;
constexpr EglInt kRedSize = 0x3024;
constexpr EglInt kGreenSize = 0x3023;
constexpr EglInt kBlueSize = 0x3022;
constexpr EglInt kBufferSize = 0x3020;
constexpr EglInt kVersion = 0x3054;
constexpr EglInt kVendor = 0x3053;
constexpr EglEnum kOpenGlApi = 0x30A2;

// The one display and the one configuration; their addresses are the handles.
int display;
int config;
// A refused request to draw is remembered for eglGetError, as EGL does.
thread_local EglInt lastError = kSuccess;

EglBoolean Refuse() {
  lastError = kBadAccess;
  return kFalse;
}

}  // namespace

#define WINDOW_EGL_API extern "C" __attribute__((visibility("default")))

WINDOW_EGL_API Handle eglGetDisplay(Handle) {
  return &display;
}

WINDOW_EGL_API EglBoolean eglInitialize(Handle, EglInt* major, EglInt* minor) {
  // 1.4: SDL then looks for no platform-display entry point.
  if (major != nullptr) *major = 1;
  if (minor != nullptr) *minor = 4;
  return kTrue;
}

WINDOW_EGL_API EglBoolean eglTerminate(Handle) {
  return kTrue;
}

WINDOW_EGL_API const char* eglQueryString(Handle, EglInt name) {
  if (name == kVersion) return "1.4";
  if (name == kVendor) return "qz window-only";
  return "";  // no extensions, no client APIs
}

WINDOW_EGL_API void* eglGetProcAddress(const char*) {
  return nullptr;
}

WINDOW_EGL_API EglInt eglGetError() {
  const EglInt error = lastError;
  lastError = kSuccess;
  return error;
}

WINDOW_EGL_API EglBoolean eglChooseConfig(Handle, const EglInt*, Handle* configs, EglInt size,
                                          EglInt* count) {
  if (count == nullptr) return kFalse;
  *count = 1;
  if (configs != nullptr && size > 0) configs[0] = &config;
  return kTrue;
}

WINDOW_EGL_API EglBoolean eglGetConfigAttrib(Handle, Handle, EglInt attribute, EglInt* value) {
  if (value == nullptr) return kFalse;
  switch (attribute) {
    case kRedSize:
    case kGreenSize:
    case kBlueSize:
      *value = 8;
      break;
    case kBufferSize:
      *value = 32;
      break;
    default:
      *value = 0;
      break;
  }
  return kTrue;
}

// The native window stands for its own surface: it is never drawn through.
WINDOW_EGL_API Handle eglCreateWindowSurface(Handle, Handle, Handle window, const EglInt*) {
  return window;
}

WINDOW_EGL_API EglBoolean eglDestroySurface(Handle, Handle) {
  return kTrue;
}

WINDOW_EGL_API EglBoolean eglBindAPI(EglEnum) {
  return kTrue;
}

WINDOW_EGL_API EglEnum eglQueryAPI() {
  return kOpenGlApi;
}

WINDOW_EGL_API Handle eglCreatePbufferSurface(Handle, Handle, const EglInt*) {
  Refuse();
  return nullptr;
}

WINDOW_EGL_API Handle eglCreateContext(Handle, Handle, Handle, const EglInt*) {
  Refuse();
  return nullptr;
}

WINDOW_EGL_API EglBoolean eglDestroyContext(Handle, Handle) {
  return Refuse();
}

WINDOW_EGL_API EglBoolean eglMakeCurrent(Handle, Handle, Handle, Handle context) {
  // Releasing the current context is the one call that succeeds: there never is one.
  return context == nullptr ? kTrue : Refuse();
}

WINDOW_EGL_API EglBoolean eglSwapBuffers(Handle, Handle) {
  return Refuse();
}

WINDOW_EGL_API EglBoolean eglSwapInterval(Handle, EglInt) {
  return Refuse();
}

WINDOW_EGL_API EglBoolean eglWaitNative(EglInt) {
  return kTrue;
}

WINDOW_EGL_API EglBoolean eglWaitGL() {
  return kTrue;
}
