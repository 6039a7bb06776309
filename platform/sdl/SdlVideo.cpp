// The real window: SDL2 video, one window, the picture scaled into it by the processor and only
// the parts that changed sent to the display. The jobs around it each have a unit of their own:
// the events (SdlEvents, with the key table in SdlKeys), the window's place (WindowPlacement) and
// presenting (SurfacePresenter through the window's own surface, WaylandPresenter through
// shared-memory buffers of our own on Wayland); here they meet, with the pacing of presents to the
// display's refresh.

#include <SDL.h>
#include <langinfo.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Environment.h"
#include "platform/Input.h"
#include "platform/Language.h"
#include "platform/PictureScaler.h"
#include "platform/PresentPacer.h"
#include "platform/Termination.h"
#include "platform/Utf8.h"
#include "platform/Video.h"
#include "platform/sdl/Controllers.h"
#include "platform/sdl/DisplayConnect.h"
#include "platform/sdl/DisplayLoss.h"
#include "platform/sdl/RunningSdl.h"
#include "platform/sdl/SdlEvents.h"
#include "platform/sdl/SurfacePresenter.h"
#include "platform/sdl/WaylandPresenter.h"
#include "platform/sdl/WindowPlacement.h"
#include "platform/sdl/XConnection.h"

namespace platform {

namespace {

// SDL's X11 driver opens the desktop's input method with the locale the environment names; its
// compose and dead-key sequences and its conversion to UTF-8 follow that locale. In the plain C
// locale, or one that is not installed, they cover Latin-1 only: a dead caron or a compose
// sequence for a letter of Latin Extended-A types nothing. So for the video, a character locale
// that is not UTF-8 gives way to C.UTF-8, which every current glibc has. SDL puts the process's
// own locale back itself; the language and the programs started from here go by the player's.
bool CharacterLocaleIsUtf8() {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  const std::string previous = current != nullptr ? current : "C";
  const bool utf8 =
      std::setlocale(LC_CTYPE, "") != nullptr && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  std::setlocale(LC_CTYPE, previous.c_str());
  return utf8;
}

constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 600;
// A window may be made smaller than the picture; the picture then shrinks with it, down to this.
constexpr int kMinimumWidth = 200;
constexpr int kMinimumHeight = 150;

class SdlVideo : public Video, private WindowEvents {
 public:
  ~SdlVideo() override { Stop(); }

  void SetAppId(const std::string& id) override { appId = id; }

  bool Start(std::string* reason) override {
    if (started) return true;
    // The picture is drawn by the processor straight into the window's own framebuffer (shared
    // memory on X11); with acceleration SDL would put a renderer, and a GL driver, behind it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // SDL takes the X11 window class and the Wayland app id from these while it starts; a value
    // the player set stays theirs. Nothing else runs yet: the environment is set now, once.
    if (!appId.empty()) {
      SetForLibraries("SDL_VIDEO_X11_WMCLASS", appId, true);
      SetForLibraries("SDL_VIDEO_WAYLAND_WMCLASS", appId, true);
    }
    if (!CharacterLocaleIsUtf8()) SetForLibraries("LC_ALL", "C.UTF-8", false);
    const std::string windowOnlyEgl = WindowOnlyEglLibrary();
    if (!windowOnlyEgl.empty()) SetForLibraries("SDL_VIDEO_GL_DRIVER", windowOnlyEgl, false);
    // Ours rather than SDL's, which only queues a quit that a thread held inside SDL never sees.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    HandleTerminationRequests();
    if (!StartVideo(reason)) return false;
    // SDL starts with typing on; it is on only while a text field asks for it, so that an input
    // method takes no keys and no on-screen keyboard shows elsewhere.
    SDL_StopTextInput();
    Input().SetComposition("");
    // From here a display server that goes away ends the program rather than leaving it to
    // Xlib, whose exit would run this object's destructor on the dead connection.
    GuardAgainstDisplayLoss();
    // SDL 3 reports a compositor's loss as an error line of its own before the program ends with
    // its one line for it; its video errors are left unsaid, as SDL 2's are.
    if (RunningOverSdl3()) SDL_LogSetPriority(SDL_LOG_CATEGORY_VIDEO, SDL_LOG_PRIORITY_CRITICAL);
    controllers.Start();
    started = true;
    return true;
  }

  void Stop() override {
    DestroyWindow();
    if (started) {
      controllers.Stop();
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      started = false;
    }
  }

  bool HasDisplay() const override {
    return started && !IsHeadlessDriver(SDL_GetCurrentVideoDriver());
  }

  int DesktopDepth() const override { return 16; }

  void ScreenSize(int* width, int* height) const override {
    SDL_DisplayMode mode;
    if (started && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
      if (width) *width = mode.w;
      if (height) *height = mode.h;
    } else {
      if (width) *width = 800;
      if (height) *height = 600;
    }
  }

  void CursorPosition(int* x, int* y) const override {
    int gx = 0;
    int gy = 0;
    if (started) SDL_GetGlobalMouseState(&gx, &gy);
    if (x) *x = gx;
    if (y) *y = gy;
  }

  bool CreateWindow(const WindowDesc& desc) override {
    if (!started || window) return false;
    Uint32 flags = SDL_WINDOW_SHOWN;
    int x = desc.x;
    int y = desc.y;
    int width = desc.width;
    int height = desc.height;
    switch (desc.mode) {
      case WindowMode::kFullScreen:
        // The window size given is the one Alt+Enter returns to, centred on the display.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        x = SDL_WINDOWPOS_CENTERED;
        y = SDL_WINDOWPOS_CENTERED;
        WindowPlacement::FirstPlace(kPictureWidth, kPictureHeight, &x, &y, &width, &height);
        break;
      case WindowMode::kBorderless:
        flags |= SDL_WINDOW_BORDERLESS;
        break;
      case WindowMode::kCaptioned:
        flags |= SDL_WINDOW_RESIZABLE;
        if (desc.width == kPictureWidth && desc.height == kPictureHeight) {
          WindowPlacement::FirstPlace(kPictureWidth, kPictureHeight, &x, &y, &width, &height);
        }
        break;
    }
    if (desc.topMost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    // A scaled output gets a buffer of its own pixels (Wayland; X11 ignores this).
    flags |= SDL_WINDOW_ALLOW_HIGHDPI;
    const bool wayland = std::strcmp(SDL_GetCurrentVideoDriver(), "wayland") == 0;
    const bool windowOnlyEgl = wayland && LoadWindowOnlyEgl();
    if (windowOnlyEgl) flags |= SDL_WINDOW_OPENGL;
    window = SDL_CreateWindow(desc.title.c_str(), x, y, width, height, flags);
    if (windowOnlyEgl) ReleaseWindowOnlyEgl();
    if (!window) return false;
    if (wayland) {
      std::string reason;
      std::unique_ptr<WaylandPresenter> onWayland = WaylandPresenter::Create(window, &reason);
      if (!onWayland) {
        std::fprintf(stderr, Tr("%s: the window cannot be shown on Wayland: %s"),
                     desc.title.c_str(), reason.empty() ? SDL_GetError() : reason.c_str());
        std::fputc('\n', stderr);
        DestroyWindow();
        return false;
      }
      eventSource = onWayland.get();
      presenter = std::move(onWayland);
    } else {
      presenter = std::make_unique<SurfacePresenter>(window);
      xConnection = XConnection::Of(window);
      if (xConnection.Valid()) eventSource = &xConnection;
    }
    if (desc.icon) SetIcon(*desc.icon);
    fullScreen = desc.mode == WindowMode::kFullScreen;
    placement.Remember(x, y, width, height);
    if (fullScreen && !xConnection.WindowManagerLooksAfter()) {
      // SDL made the window full screen by asking a window manager that is not there.
      SDL_SetWindowFullscreen(window, 0);
      placement.CoverDisplay(window, false);
    }
    if (desc.mode == WindowMode::kCaptioned) {
      SDL_SetWindowMinimumSize(window, kMinimumWidth, kMinimumHeight);
    }
    repaint = true;
    UpdateView();
    MessageQueue& queue = Messages();
    int cx = 0;
    int cy = 0;
    ClientOrigin(&cx, &cy);
    queue.Post(WM_ACTIVATEAPP, 1, 0);
    queue.Post(WM_ACTIVATE, WA_ACTIVE, 0);
    PostSize(queue);
    queue.Post(WM_MOVE, 0, MakeLParam(cx, cy));
    return true;
  }

  void DestroyWindow() override {
    // The presenter's buffers live on the window's surface.
    eventSource = nullptr;
    presenter.reset();
    xConnection = XConnection();
    if (window) SDL_DestroyWindow(window);
    window = nullptr;
    repaint = true;
  }

  bool HasWindow() const override { return window != nullptr; }

  void SetTitle(const std::string& title) override {
    // A name read from a file may hold bytes that are not UTF-8, which is all SDL takes.
    if (window) SDL_SetWindowTitle(window, ValidUtf8(title.c_str()).c_str());
  }

  void SetTopMost(bool topMost) override {
    if (window) SDL_SetWindowAlwaysOnTop(window, topMost ? SDL_TRUE : SDL_FALSE);
  }

  void ClientOrigin(int* x, int* y) const override {
    int wx = 0;
    int wy = 0;
    if (window) SDL_GetWindowPosition(window, &wx, &wy);
    if (x) *x = wx;
    if (y) *y = wy;
  }

  void BorderMetrics(int* frameHeight, int* captionHeight) const override {
    int top = 0;
    if (window && SDL_GetWindowBordersSize(window, &top, nullptr, nullptr, nullptr) != 0) top = 0;
    // The window manager reports one height for everything above the client area.
    if (frameHeight) *frameHeight = 0;
    if (captionHeight) *captionHeight = top;
  }

  bool PresentChanged(const Surface& picture, const std::vector<PixelRect>& changed, int,
                      int) override {
    if (!presenter) return false;
    int width = 0;
    int height = 0;
    bool replaced = false;
    if (!presenter->Prepare(&width, &height, &replaced)) return false;
    const ScaledView& view = scaler.View();
    if (replaced || width != view.ClientWidth() || height != view.ClientHeight() ||
        picture.Width() != view.PictureWidth() || picture.Height() != view.PictureHeight()) {
      scaler.SetView(ScaledView::Fit(width, height, picture.Width(), picture.Height()));
      repaint = true;
    }
    // Only what changed is scaled and sent: most frames change a few small parts, many nothing.
    std::vector<PixelRect> parts;
    if (repaint) {
      parts.push_back({0, 0, width, height});
    } else {
      for (const PixelRect& part : changed) {
        const PixelRect client = scaler.View().ClientRectOf(part);
        if (client.width > 0 && client.height > 0) parts.push_back(client);
      }
    }
    if (parts.empty()) {
      PaceToRefresh();
      return true;
    }
    // A window that could not take the changes is drawn whole next.
    if (!presenter->Draw(picture, parts, scaler)) {
      repaint = true;
      return false;
    }
    repaint = false;
    PaceToRefresh();
    presenter->Show(parts);
    return true;
  }

  void WaitForRefresh() override {
    refreshWaited = false;
    if (!ownPacing) return;
    const uint64_t now = EventTranslator::NowMicros();
    events.WaitUnlessPressed(now + pacer.WaitBeforePresent(now), eventSource, Messages());
    refreshWaited = true;
  }

  void SetPresentWait(bool wait) override {
    if (wait == presentWait) return;
    presentWait = wait;
    // The window's surface cannot wait for the vertical refresh, so presents are held back to the
    // display's refresh here instead when asked.
    ownPacing = presentWait;
    if (!presentWait) return;
    pacer.SetRefreshRate(RefreshRate());
    pacer.Restart();
  }

  bool SetFullScreen(bool on) override {
    if (!window) return false;
    if (on == fullScreen) return true;
    if (xConnection.WindowManagerLooksAfter()) {
      if (SDL_SetWindowFullscreen(window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        return false;
    } else if (on) {
      placement.CoverDisplay(window, fullScreen);
    } else {
      placement.GoBack(window);
    }
    fullScreen = on;
    repaint = true;
    return true;
  }

  bool IsFullScreen() const override { return fullScreen; }

  void SetTextInput(bool on, const PixelRect& area) override {
    if (!started) return;
    if (!on) {
      SDL_StopTextInput();
      Input().SetComposition("");
      return;
    }
    SDL_Rect rect = WindowRectOf(area);
    SDL_SetTextInputRect(&rect);
    SDL_StartTextInput();
  }

  void PumpEvents(MessageQueue& queue) override {
    if (started) events.Pump(queue);
  }

  std::string ActivationToken() override {
    return presenter ? presenter->ActivationToken() : std::string();
  }

 private:
  // WindowEvents.
  void ToPicture(int x, int y, int* pictureX, int* pictureY) const override {
    int width = 0;
    int height = 0;
    int pixelWidth = 0;
    int pixelHeight = 0;
    ClientSizes(&width, &height, &pixelWidth, &pixelHeight);
    if (width > 0 && height > 0) {
      x = static_cast<int>(static_cast<int64_t>(x) * pixelWidth / width);
      y = static_cast<int>(static_cast<int64_t>(y) * pixelHeight / height);
    }
    scaler.View().ToPicture(x, y, pictureX, pictureY);
  }

  // An uncovered window shows again what it holds, without waiting for a frame: none runs while
  // the program is inactive. Where it holds nothing of the picture, the program presents its
  // picture again on WM_PAINT.
  void Uncovered(MessageQueue& queue) override {
    if (!presenter) return;
    if (presenter->Reshow(repaint)) return;
    repaint = true;
    queue.Post(WM_PAINT);
  }

  void DrawWholeNext() override { repaint = true; }

  void Resized(MessageQueue& queue) override {
    repaint = true;
    UpdateView();
    PostSize(queue);
    queue.Post(WM_PAINT);
  }

  // The view over the client area in pixels, which on a scaled output are more than the window's
  // units.
  void UpdateView() {
    int width = 0;
    int height = 0;
    SDL_GetWindowSizeInPixels(window, &width, &height);
    scaler.SetView(ScaledView::Fit(width, height, kPictureWidth, kPictureHeight));
  }

  // The client area in window units and in pixels, which differ on a scaled output.
  void ClientSizes(int* width, int* height, int* pixelWidth, int* pixelHeight) const {
    *width = *height = *pixelWidth = *pixelHeight = 0;
    if (!window) return;
    SDL_GetWindowSize(window, width, height);
    SDL_GetWindowSizeInPixels(window, pixelWidth, pixelHeight);
  }

  // A picture rectangle in window units, where SDL places an input method's windows.
  SDL_Rect WindowRectOf(const PixelRect& area) const {
    const ScaledView& view = scaler.View();
    const PixelRect& placed = view.Placement();
    int width = 0;
    int height = 0;
    int pixelWidth = 0;
    int pixelHeight = 0;
    ClientSizes(&width, &height, &pixelWidth, &pixelHeight);
    const auto toWindow = [](int64_t pixels, int units, int pixelUnits) {
      return pixelUnits > 0 ? static_cast<int>(pixels * units / pixelUnits)
                            : static_cast<int>(pixels);
    };
    const auto across = [&](int x) {
      return toWindow(placed.x + static_cast<int64_t>(x) * placed.width / view.PictureWidth(),
                      width, pixelWidth);
    };
    const auto down = [&](int y) {
      return toWindow(placed.y + static_cast<int64_t>(y) * placed.height / view.PictureHeight(),
                      height, pixelHeight);
    };
    const int left = across(area.x);
    const int top = down(area.y);
    return {left, top, across(area.x + area.width) - left, down(area.y + area.height) - top};
  }

  void SetIcon(const WindowIcon& icon) {
    // SDL only reads the pixels, whatever the pointer's constness.
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(icon.pixels), icon.width, icon.height, 32, icon.width * 4,
        SDL_PIXELFORMAT_ARGB8888);
    if (!picture) return;
    SDL_SetWindowIcon(window, picture);
    SDL_FreeSurface(picture);
  }

  // The client size in picture pixels. The window is always reported restored: its picture
  // already fills it centred, and the program's own centring of a maximised window would move
  // the pointer off what it points at.
  void PostSize(MessageQueue& queue) const {
    int w = 0;
    int h = 0;
    scaler.View().ClientInPictureUnits(&w, &h);
    queue.Post(WM_SIZE, SIZE_RESTORED, MakeLParam(w, h));
  }

  void PaceToRefresh() {
    if (!ownPacing) return;
    // The frame already waited for this slot before it read its input.
    if (refreshWaited) {
      refreshWaited = false;
      return;
    }
    const uint64_t wait = pacer.WaitBeforePresent(EventTranslator::NowMicros());
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
  }

  // The refresh rate of the window's display, 0 when no one says (the pacer then takes 60).
  int RefreshRate() const {
    SDL_DisplayMode mode;
    if (window && SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0) {
      return mode.refresh_rate;
    }
    const int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) == 0) return mode.refresh_rate;
    return 0;
  }

  // Set when the whole client area must be drawn again (new size, mode, first frame).
  bool repaint = true;
  bool started = false;
  bool fullScreen = false;
  WindowPlacement placement;
  Controllers controllers;
  EventTranslator events{*this, controllers};
  bool presentWait = false;
  bool ownPacing = false;
  bool refreshWaited = false;
  PresentPacer pacer;
  PictureScaler scaler;
  SDL_Window* window = nullptr;
  std::unique_ptr<WindowPresenter> presenter;
  // The window's X connection, when it is on X.
  XConnection xConnection;
  // What the wait for the display's refresh waits on: the X connection or the Wayland one.
  EventSource* eventSource = nullptr;
  std::string appId;
};

}  // namespace

std::unique_ptr<Video> CreateSdlVideo() {
  return std::make_unique<SdlVideo>();
}

}  // namespace platform
