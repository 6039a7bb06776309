// The real window: SDL2 video, one window whose own surface receives the picture, scaled to the
// client area by the processor; only the parts that changed are sent to the display. On Wayland
// the picture goes through shared-memory buffers of our own instead (WaylandPresenter).

#include <SDL.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/Input.h"
#include "platform/PictureScaler.h"
#include "platform/PresentPacer.h"
#include "platform/PressStretcher.h"
#include "platform/Video.h"
#include "platform/sdl/Controllers.h"
#include "platform/sdl/DisplayConnect.h"
#include "platform/sdl/DisplayLoss.h"
#include "platform/sdl/RunningSdl.h"
#include "platform/sdl/ScopedVariable.h"
#include "platform/sdl/WaylandPresenter.h"
#include "platform/sdl/XConnection.h"

namespace platform {

namespace {

// SDL scancode (USB usage) -> DirectInput key code.
int ScancodeToDik(SDL_Scancode code) {
  if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) {
    static const uint8_t kLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                         0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                         0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    return kLetters[code - SDL_SCANCODE_A];
  }
  if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_0) return 0x02 + (code - SDL_SCANCODE_1);
  if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F10) return 0x3B + (code - SDL_SCANCODE_F1);
  switch (code) {
    case SDL_SCANCODE_RETURN:
      return 0x1C;
    case SDL_SCANCODE_ESCAPE:
      return 0x01;
    case SDL_SCANCODE_BACKSPACE:
      return 0x0E;
    case SDL_SCANCODE_TAB:
      return 0x0F;
    case SDL_SCANCODE_SPACE:
      return 0x39;
    case SDL_SCANCODE_MINUS:
      return 0x0C;
    case SDL_SCANCODE_EQUALS:
      return 0x0D;
    case SDL_SCANCODE_LEFTBRACKET:
      return 0x1A;
    case SDL_SCANCODE_RIGHTBRACKET:
      return 0x1B;
    case SDL_SCANCODE_BACKSLASH:
      return 0x2B;
    case SDL_SCANCODE_SEMICOLON:
      return 0x27;
    case SDL_SCANCODE_APOSTROPHE:
      return 0x28;
    case SDL_SCANCODE_GRAVE:
      return 0x29;
    case SDL_SCANCODE_COMMA:
      return 0x33;
    case SDL_SCANCODE_PERIOD:
      return 0x34;
    case SDL_SCANCODE_SLASH:
      return 0x35;
    case SDL_SCANCODE_CAPSLOCK:
      return 0x3A;
    case SDL_SCANCODE_F11:
      return 0x57;
    case SDL_SCANCODE_F12:
      return 0x58;
    case SDL_SCANCODE_INSERT:
      return 0xD2;
    case SDL_SCANCODE_HOME:
      return 0xC7;
    case SDL_SCANCODE_PAGEUP:
      return 0xC9;
    case SDL_SCANCODE_DELETE:
      return 0xD3;
    case SDL_SCANCODE_END:
      return 0xCF;
    case SDL_SCANCODE_PAGEDOWN:
      return 0xD1;
    case SDL_SCANCODE_RIGHT:
      return 0xCD;
    case SDL_SCANCODE_LEFT:
      return 0xCB;
    case SDL_SCANCODE_DOWN:
      return 0xD0;
    case SDL_SCANCODE_UP:
      return 0xC8;
    case SDL_SCANCODE_KP_ENTER:
      return 0x9C;
    case SDL_SCANCODE_LCTRL:
      return 0x1D;
    case SDL_SCANCODE_LSHIFT:
      return 0x2A;
    case SDL_SCANCODE_LALT:
      return 0x38;
    case SDL_SCANCODE_RCTRL:
      return 0x9D;
    case SDL_SCANCODE_RSHIFT:
      return 0x36;
    case SDL_SCANCODE_RALT:
      return 0xB8;
    default:
      return 0;
  }
}

constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 600;
// A window may be made smaller than the picture; the picture then shrinks with it, down to this.
constexpr int kMinimumWidth = 200;
constexpr int kMinimumHeight = 150;
// lParam bit 29 of a key message: the key went down with Alt held.
constexpr intptr_t kAltHeld = intptr_t{1} << 29;

class SdlVideo : public Video {
 public:
  ~SdlVideo() override { Stop(); }

  void SetAppId(const std::string& id) override { appId = id; }

  bool Start(std::string* reason) override {
    if (started) return true;
    // The picture is drawn by the processor straight into the window's own framebuffer (shared
    // memory on X11); with acceleration SDL would put a renderer, and a GL driver, behind it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    {
      // SDL takes the X11 window class and the Wayland app id from these while it starts; a
      // value the player set stays theirs.
      std::optional<ScopedVariable> x11Class;
      std::optional<ScopedVariable> waylandId;
      if (!appId.empty()) {
        x11Class.emplace("SDL_VIDEO_X11_WMCLASS", appId, true);
        waylandId.emplace("SDL_VIDEO_WAYLAND_WMCLASS", appId, true);
      }
      if (!StartVideo(reason)) return false;
    }
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
        FirstWindowPlace(&x, &y, &width, &height);
        break;
      case WindowMode::kBorderless:
        flags |= SDL_WINDOW_BORDERLESS;
        break;
      case WindowMode::kCaptioned:
        flags |= SDL_WINDOW_RESIZABLE;
        if (desc.width == kPictureWidth && desc.height == kPictureHeight) {
          FirstWindowPlace(&x, &y, &width, &height);
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
      presenter = WaylandPresenter::Create(window, &reason);
      if (!presenter) {
        std::fprintf(stderr, "%s: the window cannot be shown on Wayland: %s\n", desc.title.c_str(),
                     reason.empty() ? SDL_GetError() : reason.c_str());
        DestroyWindow();
        return false;
      }
    }
    if (!wayland) xConnection = XConnection::Of(window);
    if (desc.icon) SetIcon(*desc.icon);
    fullScreen = desc.mode == WindowMode::kFullScreen;
    windowedPlace = {x, y, width, height};
    if (fullScreen && !xConnection.WindowManagerLooksAfter()) {
      // SDL made the window full screen by asking a window manager that is not there.
      SDL_SetWindowFullscreen(window, 0);
      PlaceWithoutManager(true);
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
    if (staging) SDL_FreeSurface(staging);
    staging = nullptr;
    // Its buffers live on the window's surface.
    presenter.reset();
    xConnection = XConnection();
    if (window) SDL_DestroyWindow(window);
    window = nullptr;
    drawnSurface = nullptr;
    repaint = true;
  }

  bool HasWindow() const override { return window != nullptr; }

  void SetTitle(const std::string& title) override {
    if (window) SDL_SetWindowTitle(window, title.c_str());
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
    if (!window) return false;
    SDL_Surface* surface = nullptr;
    int width = 0;
    int height = 0;
    if (presenter) {
      presenter->ClientSize(&width, &height);
    } else {
      surface = SDL_GetWindowSurface(window);
      if (!surface) return false;
      width = surface->w;
      height = surface->h;
    }
    if (surface != drawnSurface || width != scaler.View().ClientWidth() ||
        height != scaler.View().ClientHeight() || picture.Width() != scaler.View().PictureWidth() ||
        picture.Height() != scaler.View().PictureHeight()) {
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
    if (presenter ? !presenter->Draw(picture, parts, scaler) : !Draw(surface, picture, parts)) {
      repaint = true;
      return false;
    }
    drawnSurface = surface;
    repaint = false;
    if (presenter) {
      PaceToRefresh();
      presenter->Show(parts);
      return true;
    }
    std::vector<SDL_Rect> rects;
    rects.reserve(parts.size());
    for (const PixelRect& part : parts)
      rects.push_back({part.x, part.y, part.width, part.height});
    PaceToRefresh();
    SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size()));
    return true;
  }

  void WaitForRefresh() override {
    refreshWaited = false;
    if (!ownPacing) return;
    const uint64_t now = NowMicros();
    WaitUnlessPressed(now + pacer.WaitBeforePresent(now));
    refreshWaited = true;
  }

  void SetPresentWait(bool wait) override {
    if (wait == presentWait) return;
    presentWait = wait;
    ApplyPresentWait();
  }

  bool SetFullScreen(bool on) override {
    if (!window) return false;
    if (on == fullScreen) return true;
    if (!xConnection.WindowManagerLooksAfter()) {
      PlaceWithoutManager(on);
    } else if (SDL_SetWindowFullscreen(window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
      return false;
    }
    fullScreen = on;
    repaint = true;
    return true;
  }

  bool IsFullScreen() const override { return fullScreen; }

  void PumpEvents(MessageQueue& queue) override {
    if (!started) return;
    PressStretcher::Release release;
    while (presses.TakeDue(SDL_GetTicks(), &release))
      ApplyRelease(release, queue);
    controllers.Poll(SDL_GetTicks(), queue);
    SDL_Event event;
    while (SDL_PollEvent(&event))
      Translate(event, queue);
  }

  std::string ActivationToken() override {
    return presenter ? presenter->ActivationToken() : std::string();
  }

 private:
  // The first window: the largest whole multiple of the picture that fits the desktop's usable
  // area comfortably, centred on it; at one times the picture the place asked for stands.
  void FirstWindowPlace(int* x, int* y, int* width, int* height) const {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return;
    const int scale = FirstWindowScale(usable.w, usable.h, kPictureWidth, kPictureHeight);
    *width = kPictureWidth * scale;
    *height = kPictureHeight * scale;
    if (scale > 1 || *x < usable.x || *y < usable.y) {
      *x = usable.x + (usable.w - *width) / 2;
      *y = usable.y + (usable.h - *height) / 2;
    }
  }

  // Full screen where no window manager would act on SDL's request: the window itself covers
  // its display (a bare X server draws no borders), and goes back to where it was, or, when it
  // started full screen, to where it would have opened.
  void PlaceWithoutManager(bool on) {
    if (!on) {
      SDL_SetWindowSize(window, windowedPlace.w, windowedPlace.h);
      SDL_SetWindowPosition(window, windowedPlace.x, windowedPlace.y);
      return;
    }
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &bounds) != 0) return;
    if (!fullScreen) {
      SDL_GetWindowPosition(window, &windowedPlace.x, &windowedPlace.y);
      SDL_GetWindowSize(window, &windowedPlace.w, &windowedPlace.h);
    }
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, bounds.w, bounds.h);
  }

  // The view over the client area in pixels, which on a scaled output are more than the window's
  // units.
  void UpdateView() {
    int width = 0;
    int height = 0;
    SDL_GetWindowSizeInPixels(window, &width, &height);
    scaler.SetView(ScaledView::Fit(width, height, kPictureWidth, kPictureHeight));
  }

  // The picture pixel under a position SDL reports in window units.
  void ToPicture(int x, int y, int* pictureX, int* pictureY) const {
    int width = 0;
    int height = 0;
    int pixelWidth = 0;
    int pixelHeight = 0;
    if (window) {
      SDL_GetWindowSize(window, &width, &height);
      SDL_GetWindowSizeInPixels(window, &pixelWidth, &pixelHeight);
    }
    if (width > 0 && height > 0) {
      x = static_cast<int>(static_cast<int64_t>(x) * pixelWidth / width);
      y = static_cast<int>(static_cast<int64_t>(y) * pixelHeight / height);
    }
    scaler.View().ToPicture(x, y, pictureX, pictureY);
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

  intptr_t PicturePosition(int x, int y) const {
    int px = 0;
    int py = 0;
    ToPicture(x, y, &px, &py);
    return MakeLParam(px, py);
  }

  // Scales the parts into the window's surface: directly when it holds 0x00RRGGBB pixels, else
  // through a buffer of that format that SDL converts from.
  bool Draw(SDL_Surface* surface, const Surface& picture, const std::vector<PixelRect>& parts) {
    SDL_Surface* target = surface;
    if (surface->format->format != SDL_PIXELFORMAT_RGB888) {
      if (!staging || staging->w != surface->w || staging->h != surface->h) {
        if (staging) SDL_FreeSurface(staging);
        staging =
            SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_RGB888);
        if (!staging) return false;
      }
      target = staging;
    }
    if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return false;
    for (const PixelRect& part : parts) {
      scaler.Render(picture.Pixels(), picture.Pitch(), part, static_cast<uint32_t*>(target->pixels),
                    target->pitch);
    }
    if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    if (target != surface) {
      for (const PixelRect& part : parts) {
        SDL_Rect rect = {part.x, part.y, part.width, part.height};
        SDL_Rect to = rect;
        SDL_BlitSurface(target, &rect, surface, &to);
      }
    }
    return true;
  }

  // An uncovered window shows again what its surface holds, without waiting for a frame: none
  // runs while the program is inactive. A surface that never held the picture (a new size) is
  // left to the program, which presents its picture again on WM_PAINT.
  void Reshow(MessageQueue& queue) {
    if (!window) return;
    // On Wayland the compositor keeps what was shown; the decorations ask for the commit that
    // applies their change of the window's state.
    if (presenter) {
      presenter->Reshow();
      if (repaint) queue.Post(WM_PAINT);
      return;
    }
    SDL_Surface* surface = repaint ? nullptr : SDL_GetWindowSurface(window);
    if (surface && surface == drawnSurface) {
      SDL_UpdateWindowSurface(window);
      return;
    }
    repaint = true;
    queue.Post(WM_PAINT);
  }

  // Sleeps until the moment, but a key or mouse button that goes down or up meanwhile ends the
  // wait at once, so the frame answers it now rather than a refresh later; other events wait for
  // the frame's own pump. On X the wait is on the connection itself; elsewhere it is SDL's, which
  // takes the events in as they come. With a controller attached SDL would poll for it every
  // millisecond, so then this is a plain sleep. The waits are in whole milliseconds: the wait ends
  // within one of the moment, which the refresh grid absorbs, rather than waking twice a frame to
  // sleep off the fraction.
  void WaitUnlessPressed(uint64_t until) {
    for (uint64_t now = NowMicros(); now < until; now = NowMicros()) {
      const uint64_t left = until - now;
      const int milliseconds = static_cast<int>((left + 999) / 1000);
      if (SDL_NumJoysticks() > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(left));
        return;
      }
      if (xConnection.Valid()) {
        if (!xConnection.WaitForEvents(milliseconds)) return;
        SDL_PumpEvents();
        if (SDL_HasEvents(SDL_KEYDOWN, SDL_KEYUP) ||
            SDL_HasEvents(SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP)) {
          return;
        }
        continue;
      }
      SDL_Event event;
      if (SDL_WaitEventTimeout(&event, milliseconds) == 0) return;
      Translate(event, Messages());
      switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
          return;
        default:
          break;
      }
    }
  }

  void PaceToRefresh() {
    if (!ownPacing) return;
    // The frame already waited for this slot before it read its input.
    if (refreshWaited) {
      refreshWaited = false;
      return;
    }
    const uint64_t wait = pacer.WaitBeforePresent(NowMicros());
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
  }

  // The window's surface cannot wait for the vertical refresh, so presents are held back to the
  // display's refresh here instead when asked.
  void ApplyPresentWait() {
    ownPacing = presentWait;
    if (!presentWait) return;
    pacer.SetRefreshRate(RefreshRate());
    pacer.Restart();
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

  static uint64_t NowMicros() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }

  void Translate(const SDL_Event& event, MessageQueue& queue) {
    InputState& input = Input();
    switch (event.type) {
      case SDL_QUIT:
        queue.Post(WM_CLOSE);
        break;
      case SDL_WINDOWEVENT:
        switch (event.window.event) {
          case SDL_WINDOWEVENT_EXPOSED:
            Reshow(queue);
            break;
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_MAXIMIZED:
            repaint = true;
            break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            queue.Post(WM_ACTIVATEAPP, 1, 0);
            queue.Post(WM_ACTIVATE, WA_ACTIVE, 0);
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            input.ReleaseAllKeys();
            input.SetMouseButtons(0);
            controllers.ReleaseAll(queue);
            swallowedEnter = {false, false};
            queue.Post(WM_ACTIVATE, WA_INACTIVE, 0);
            queue.Post(WM_ACTIVATEAPP, 0, 0);
            break;
          case SDL_WINDOWEVENT_MOVED:
            queue.Post(WM_MOVE, 0, MakeLParam(event.window.data1, event.window.data2));
            break;
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            repaint = true;
            UpdateView();
            PostSize(queue);
            queue.Post(WM_PAINT);
            break;
          case SDL_WINDOWEVENT_CLOSE:
            queue.Post(WM_CLOSE);
            break;
          default:
            break;
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const bool down = event.type == SDL_KEYDOWN;
        const SDL_Scancode code = event.key.keysym.scancode;
        const int enter = code == SDL_SCANCODE_RETURN ? 0 : code == SDL_SCANCODE_KP_ENTER ? 1 : -1;
        if (enter >= 0) {
          // Alt+Enter belongs to the window, as on Windows: it arrives as a system key, and
          // neither its press nor its release reaches the key table or the key messages.
          if (down && (event.key.keysym.mod & KMOD_ALT) != 0) {
            swallowedEnter[static_cast<size_t>(enter)] = true;
            if (!event.key.repeat) queue.Post(WM_SYSKEYDOWN, VK_RETURN, kAltHeld);
            break;
          }
          if (swallowedEnter[static_cast<size_t>(enter)]) {
            swallowedEnter[static_cast<size_t>(enter)] = down && event.key.repeat;
            if (!down || event.key.repeat) break;
          }
        }
        const int dik = ScancodeToDik(code);
        input.SetKey(dik, down);
        const int vk = DikToVirtualKey(dik);
        intptr_t flags = 0;
        if (down && event.key.repeat != 0) flags |= kKeyRepeated;
        if ((event.key.keysym.mod & KMOD_ALT) != 0) flags |= kKeyAltHeld;
        if ((event.key.keysym.mod & KMOD_CTRL) != 0) flags |= kKeyControlHeld;
        if ((event.key.keysym.mod & KMOD_SHIFT) != 0) flags |= kKeyShiftHeld;
        if (vk != 0) queue.Post(down ? WM_KEYDOWN : WM_KEYUP, static_cast<uintptr_t>(vk), flags);
        break;
      }
      case SDL_MOUSEMOTION:
        queue.Post(WM_MOUSEMOVE, input.MouseButtons(),
                   PicturePosition(event.motion.x, event.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        int index = -1;
        if (event.button.button == SDL_BUTTON_LEFT) index = 0;
        if (event.button.button == SDL_BUTTON_RIGHT) index = 1;
        if (index < 0) break;
        int px = 0;
        int py = 0;
        ToPicture(event.button.x, event.button.y, &px, &py);
        if (!down) {
          if (presses.ReleaseNow(index, event.button.timestamp, px, py)) {
            ApplyRelease({index, px, py}, queue);
          }
          break;
        }
        PressStretcher::Release release;
        if (presses.Press(index, event.button.timestamp, &release)) ApplyRelease(release, queue);
        input.SetMouseButton(index, true);
        queue.Post(index == 0 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, input.MouseButtons(),
                   MakeLParam(px, py));
        break;
      }
      default:
        controllers.Translate(event, queue);
        break;
    }
  }

  static void ApplyRelease(const PressStretcher::Release& release, MessageQueue& queue) {
    InputState& input = Input();
    input.SetMouseButton(release.button, false);
    queue.Post(release.button == 0 ? WM_LBUTTONUP : WM_RBUTTONUP, input.MouseButtons(),
               MakeLParam(release.x, release.y));
  }

  // Set when the whole client area must be drawn again (new size, mode, first frame).
  bool repaint = true;
  bool started = false;
  bool fullScreen = false;
  // Where the window was before it covered the display without a window manager's help.
  SDL_Rect windowedPlace = {0, 0, 0, 0};
  PressStretcher presses;
  Controllers controllers;
  bool presentWait = false;
  bool ownPacing = false;
  bool refreshWaited = false;
  PresentPacer pacer;
  PictureScaler scaler;
  // An Enter pressed with Alt whose repeats and release are kept from the program.
  std::array<bool, 2> swallowedEnter = {false, false};
  SDL_Window* window = nullptr;
  // The window surface the last present drew into; SDL replaces it when the size changes.
  SDL_Surface* drawnSurface = nullptr;
  // A 0x00RRGGBB copy of the client area for window surfaces of another format.
  SDL_Surface* staging = nullptr;
  // The window's pictures on Wayland, where SDL's window surface would need GL.
  std::unique_ptr<WaylandPresenter> presenter;
  // The window's X connection, when it is on X.
  XConnection xConnection;
  std::string appId;
};

}  // namespace

std::unique_ptr<Video> CreateSdlVideo() {
  return std::make_unique<SdlVideo>();
}

}  // namespace platform
