// The real window: SDL2 video, one window whose own surface receives the picture, scaled to the
// client area by the processor; only the parts that changed are sent to the display. On Wayland
// the picture goes through shared-memory buffers of our own instead (WaylandPresenter).

#include <SDL.h>
#include <langinfo.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/Input.h"
#include "platform/Language.h"
#include "platform/PictureScaler.h"
#include "platform/PresentPacer.h"
#include "platform/PressStretcher.h"
#include "platform/Utf8.h"
#include "platform/Video.h"
#include "platform/sdl/Controllers.h"
#include "platform/sdl/DisplayConnect.h"
#include "platform/sdl/DisplayLoss.h"
#include "platform/sdl/ScopedVariable.h"
#include "platform/sdl/WaylandPresenter.h"
#include "platform/sdl/XConnection.h"

namespace platform {

namespace {

// SDL scancodes (USB usages) -> DirectInput key codes: the key table holds keys by their place,
// whatever the layout prints on them.
struct ScancodeKey {
  SDL_Scancode scancode;
  uint8_t dik;
};

constexpr ScancodeKey kScancodeKeys[] = {
    // Letters, by their place on a United States keyboard.
    {SDL_SCANCODE_A, 0x1E},
    {SDL_SCANCODE_B, 0x30},
    {SDL_SCANCODE_C, 0x2E},
    {SDL_SCANCODE_D, 0x20},
    {SDL_SCANCODE_E, 0x12},
    {SDL_SCANCODE_F, 0x21},
    {SDL_SCANCODE_G, 0x22},
    {SDL_SCANCODE_H, 0x23},
    {SDL_SCANCODE_I, 0x17},
    {SDL_SCANCODE_J, 0x24},
    {SDL_SCANCODE_K, 0x25},
    {SDL_SCANCODE_L, 0x26},
    {SDL_SCANCODE_M, 0x32},
    {SDL_SCANCODE_N, 0x31},
    {SDL_SCANCODE_O, 0x18},
    {SDL_SCANCODE_P, 0x19},
    {SDL_SCANCODE_Q, 0x10},
    {SDL_SCANCODE_R, 0x13},
    {SDL_SCANCODE_S, 0x1F},
    {SDL_SCANCODE_T, 0x14},
    {SDL_SCANCODE_U, 0x16},
    {SDL_SCANCODE_V, 0x2F},
    {SDL_SCANCODE_W, 0x11},
    {SDL_SCANCODE_X, 0x2D},
    {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_Z, 0x2C},
    // The digit row, 1 to 0.
    {SDL_SCANCODE_1, 0x02},
    {SDL_SCANCODE_2, 0x03},
    {SDL_SCANCODE_3, 0x04},
    {SDL_SCANCODE_4, 0x05},
    {SDL_SCANCODE_5, 0x06},
    {SDL_SCANCODE_6, 0x07},
    {SDL_SCANCODE_7, 0x08},
    {SDL_SCANCODE_8, 0x09},
    {SDL_SCANCODE_9, 0x0A},
    {SDL_SCANCODE_0, 0x0B},
    {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F2, 0x3C},
    {SDL_SCANCODE_F3, 0x3D},
    {SDL_SCANCODE_F4, 0x3E},
    {SDL_SCANCODE_F5, 0x3F},
    {SDL_SCANCODE_F6, 0x40},
    {SDL_SCANCODE_F7, 0x41},
    {SDL_SCANCODE_F8, 0x42},
    {SDL_SCANCODE_F9, 0x43},
    {SDL_SCANCODE_F10, 0x44},
    {SDL_SCANCODE_F11, 0x57},
    {SDL_SCANCODE_F12, 0x58},
    // Editing and positions.
    {SDL_SCANCODE_RETURN, 0x1C},
    {SDL_SCANCODE_ESCAPE, 0x01},
    {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_TAB, 0x0F},
    {SDL_SCANCODE_SPACE, 0x39},
    {SDL_SCANCODE_CAPSLOCK, 0x3A},
    {SDL_SCANCODE_INSERT, 0xD2},
    {SDL_SCANCODE_HOME, 0xC7},
    {SDL_SCANCODE_PAGEUP, 0xC9},
    {SDL_SCANCODE_DELETE, 0xD3},
    {SDL_SCANCODE_END, 0xCF},
    {SDL_SCANCODE_PAGEDOWN, 0xD1},
    {SDL_SCANCODE_RIGHT, 0xCD},
    {SDL_SCANCODE_LEFT, 0xCB},
    {SDL_SCANCODE_DOWN, 0xD0},
    {SDL_SCANCODE_UP, 0xC8},
    {SDL_SCANCODE_KP_ENTER, 0x9C},
    // Punctuation, by its place on a United States keyboard.
    {SDL_SCANCODE_MINUS, 0x0C},
    {SDL_SCANCODE_EQUALS, 0x0D},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    {SDL_SCANCODE_BACKSLASH, 0x2B},
    {SDL_SCANCODE_SEMICOLON, 0x27},
    {SDL_SCANCODE_APOSTROPHE, 0x28},
    {SDL_SCANCODE_GRAVE, 0x29},
    {SDL_SCANCODE_COMMA, 0x33},
    {SDL_SCANCODE_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, 0x35},
    // Modifiers.
    {SDL_SCANCODE_LCTRL, 0x1D},
    {SDL_SCANCODE_LSHIFT, 0x2A},
    {SDL_SCANCODE_LALT, 0x38},
    {SDL_SCANCODE_RCTRL, 0x9D},
    {SDL_SCANCODE_RSHIFT, 0x36},
    {SDL_SCANCODE_RALT, 0xB8},
};

int ScancodeToDik(SDL_Scancode code) {
  for (const ScancodeKey& key : kScancodeKeys) {
    if (key.scancode == code) return key.dik;
  }
  return 0;
}

// The character a key types without modifiers in the player's layout, 0 for none: SDL's keycode
// of a key that types one is that character.
uint32_t LayoutCharacter(SDL_Keycode keycode) {
  return (keycode & SDLK_SCANCODE_MASK) != 0 || keycode <= 0 ? 0 : static_cast<uint32_t>(keycode);
}

// SDL's X11 driver opens the desktop's input method with the locale the environment names; its
// compose and dead-key sequences and its conversion to UTF-8 follow that locale. In the plain C
// locale, or one that is not installed, they cover Latin-1 only: a dead caron or a compose
// sequence for a letter of Latin Extended-A types nothing. So while the video starts, a
// character locale that is not UTF-8 gives way to C.UTF-8, which every current glibc has. SDL
// puts the process's own locale back itself; the environment is put back after the start.
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
      std::optional<ScopedVariable> characterLocale;
      if (!CharacterLocaleIsUtf8()) characterLocale.emplace("LC_ALL", "C.UTF-8");
      if (!StartVideo(reason)) return false;
    }
    // SDL starts with typing on; it is on only while a text field asks for it, so that an input
    // method takes no keys and no on-screen keyboard shows elsewhere.
    SDL_StopTextInput();
    Input().SetComposition("");
    // From here a display server that goes away ends the program rather than leaving it to
    // Xlib, whose exit would run this object's destructor on the dead connection.
    GuardAgainstDisplayLoss();
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
        std::fprintf(stderr, Tr("%s: the window cannot be shown on Wayland: %s"),
                     desc.title.c_str(), reason.empty() ? SDL_GetError() : reason.c_str());
        std::fputc('\n', stderr);
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

  // The picture pixel under a position SDL reports in window units.
  void ToPicture(int x, int y, int* pictureX, int* pictureY) const {
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
            // The keys are let go when the program takes the message below, after the keys
            // before it.
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
        // The key table takes the key by its place when the program takes this message
        // (FollowKeyMessage), so every key known by place has one, even without a virtual key.
        const int dik = ScancodeToDik(code);
        // Letter shortcuts follow the letter the layout puts on the key; other keys, their place.
        const int vk = LayoutVirtualKey(dik, LayoutCharacter(event.key.keysym.sym));
        intptr_t flags = KeyPlaceBits(dik);
        if (down && event.key.repeat != 0) flags |= kKeyRepeated;
        if ((event.key.keysym.mod & KMOD_ALT) != 0) flags |= kKeyAltHeld;
        if ((event.key.keysym.mod & KMOD_CTRL) != 0) flags |= kKeyControlHeld;
        if ((event.key.keysym.mod & KMOD_SHIFT) != 0) flags |= kKeyShiftHeld;
        if (vk != 0 || dik != 0) {
          queue.Post(down ? WM_KEYDOWN : WM_KEYUP, static_cast<uintptr_t>(vk), flags);
        }
        break;
      }
      case SDL_TEXTINPUT: {
        // One message per character; controls are editing keys, which come as keys.
        const char* text = event.text.text;
        uint32_t character = 0;
        for (size_t at = 0, step = 0;
             (step = DecodeUtf8(text + at, sizeof(event.text.text) - at, &character)) != 0;
             at += step) {
          if (character >= 0x20 && character != 0x7F) queue.Post(WM_UNICHAR, character);
        }
        break;
      }
      case SDL_TEXTEDITING:
        input.SetComposition(ValidUtf8(event.edit.text));
        break;
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
