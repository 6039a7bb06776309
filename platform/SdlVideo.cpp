// The real window: SDL2 video, one window, a renderer and a streaming texture that receives the
// 5-6-5 picture at each present. SDL's renderer is used for nothing but that upload and copy.

#include <SDL.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/DisplayConnect.h"
#include "platform/DisplayLoss.h"
#include "platform/Input.h"
#include "platform/PresentPacer.h"
#include "platform/PressStretcher.h"
#include "platform/Video.h"

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

class SdlVideo : public Video {
 public:
  ~SdlVideo() override { Stop(); }

  bool Start(std::string* reason) override {
    if (started) return true;
    // The software renderer draws into the window's own framebuffer (shared memory on X11)
    // rather than through another GL context.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Full screen scales the picture; smooth it rather than repeating pixels unevenly.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (!StartVideo(reason)) return false;
    // From here a display server that goes away ends the program rather than leaving it to
    // Xlib, whose exit would run this object's destructor on the dead connection.
    GuardAgainstDisplayLoss();
    started = true;
    return true;
  }

  void Stop() override {
    DestroyWindow();
    if (started) {
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
    switch (desc.mode) {
      case WindowMode::kFullScreen:
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        break;
      case WindowMode::kBorderless:
        flags |= SDL_WINDOW_BORDERLESS;
        break;
      // Resizable only so that the maximise box works; the picture is never stretched.
      case WindowMode::kCaptioned:
        flags |= SDL_WINDOW_RESIZABLE;
        break;
    }
    if (desc.topMost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    window = SDL_CreateWindow(desc.title.c_str(), desc.x, desc.y, desc.width, desc.height, flags);
    if (!window) return false;
    fullScreen = desc.mode == WindowMode::kFullScreen;
    if (desc.mode == WindowMode::kCaptioned) SDL_SetWindowMinimumSize(window, 800, 600);
    if (!CreateRenderer()) {
      SDL_DestroyWindow(window);
      window = nullptr;
      return false;
    }
    // Full screen shows the 800 x 600 picture scaled with its aspect kept; the same setting makes
    // SDL report mouse positions in picture pixels.
    if (fullScreen) SDL_RenderSetLogicalSize(renderer, kPictureWidth, kPictureHeight);
    MessageQueue& queue = Messages();
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    int cx = 0;
    int cy = 0;
    ClientOrigin(&cx, &cy);
    queue.Post(WM_ACTIVATEAPP, 1, 0);
    queue.Post(WM_ACTIVATE, WA_ACTIVE, 0);
    queue.Post(WM_SIZE, SIZE_RESTORED, MakeLParam(w, h));
    queue.Post(WM_MOVE, 0, MakeLParam(cx, cy));
    return true;
  }

  void DestroyWindow() override {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    shown.clear();
    repaint = true;
    renderer = nullptr;
    window = nullptr;
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

  void Present(const Surface& picture, int originX, int originY) override {
    if (!renderer) return;
    // A picture the window already shows is not sent again: the upload, the scaling and the copy
    // to the display are most of a frame's cost, and many frames change nothing.
    const size_t count = static_cast<size_t>(picture.Width()) * picture.Height();
    const bool unchanged = !repaint && shown.size() == count && originX == shownX &&
                           originY == shownY &&
                           std::memcmp(shown.data(), picture.Pixels(), count * 2) == 0;
    if (unchanged) {
      PaceToRefresh();
      return;
    }
    shown.assign(picture.Pixels(), picture.Pixels() + count);
    shownX = originX;
    shownY = originY;
    repaint = false;
    if (!texture || textureWidth != picture.Width() || textureHeight != picture.Height()) {
      if (texture) SDL_DestroyTexture(texture);
      texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                  picture.Width(), picture.Height());
      if (!texture) return;
      textureWidth = picture.Width();
      textureHeight = picture.Height();
    }
    SDL_UpdateTexture(texture, nullptr, picture.Pixels(), picture.Pitch());
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    if (fullScreen) {
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    } else {
      // The program reports where the picture's corner lies on the screen; draw it there
      // relative to the client area, unscaled.
      int cx = 0;
      int cy = 0;
      ClientOrigin(&cx, &cy);
      SDL_Rect dst = {originX - cx, originY - cy, textureWidth, textureHeight};
      SDL_RenderCopy(renderer, texture, nullptr, &dst);
    }
    PaceToRefresh();
    SDL_RenderPresent(renderer);
  }

  void SetPresentWait(bool wait) override {
    if (wait == presentWait) return;
    presentWait = wait;
    ApplyPresentWait();
  }

  void PumpEvents(MessageQueue& queue) override {
    if (!started) return;
    PressStretcher::Release release;
    while (presses.TakeDue(SDL_GetTicks(), &release))
      ApplyRelease(release, queue);
    SDL_Event event;
    while (SDL_PollEvent(&event))
      Translate(event, queue);
  }

 private:
  void PaceToRefresh() {
    if (!ownPacing) return;
    const uint64_t wait = pacer.WaitBeforePresent(NowMicros());
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
  }

  bool CreateRenderer() {
    const Uint32 vsync = presentWait ? SDL_RENDERER_PRESENTVSYNC : 0;
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | vsync);
    // A GL that rasterises on the processor costs far more per present than SDL's own software
    // path onto the window's native framebuffer (measured under Xvfb: 48% of a core against
    // 10% for the game's 100 presents a second), so such a GL is not used.
    if (renderer && RendersOnTheProcessor(renderer)) {
      SDL_DestroyRenderer(renderer);
      renderer = nullptr;
    }
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) return false;
    ApplyPresentWait();
    return true;
  }

  // A renderer that can wait for the vertical refresh is asked to; SDL's software renderer
  // cannot (it copies into the window's framebuffer whenever it is told), so there the presents
  // are held back to the display's refresh here instead, and SDL is told not to wait as well.
  void ApplyPresentWait() {
    ownPacing = false;
    if (!renderer) return;
    if (presentWait && !IsSoftware(renderer) && SDL_RenderSetVSync(renderer, 1) == 0) return;
    SDL_RenderSetVSync(renderer, 0);
    if (!presentWait) return;
    ownPacing = true;
    pacer.SetRefreshRate(RefreshRate());
    pacer.Restart();
  }

  static bool IsSoftware(SDL_Renderer* candidate) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(candidate, &info) != 0) return true;
    return (info.flags & SDL_RENDERER_SOFTWARE) != 0 ||
           (info.name && std::strcmp(info.name, "software") == 0);
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

  static bool RendersOnTheProcessor(SDL_Renderer* candidate) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(candidate, &info) != 0 || !info.name) return false;
    if (std::strncmp(info.name, "opengl", 6) != 0) return false;
    using GetStringFunction = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetStringFunction>(SDL_GL_GetProcAddress("glGetString"));
    if (!getString) return false;
    constexpr unsigned int kGlRenderer = 0x1F01;
    const unsigned char* name = getString(kGlRenderer);
    if (!name) return false;
    const char* text = reinterpret_cast<const char*>(name);
    return std::strstr(text, "llvmpipe") || std::strstr(text, "softpipe") ||
           std::strstr(text, "swrast") || std::strstr(text, "Software Rasterizer");
  }

  void Translate(const SDL_Event& event, MessageQueue& queue) {
    InputState& input = Input();
    switch (event.type) {
      case SDL_QUIT:
        queue.Post(WM_CLOSE);
        break;
      case SDL_WINDOWEVENT:
        // Whatever uncovers, moves or resizes the window needs the picture drawn again.
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
            event.window.event == SDL_WINDOWEVENT_SHOWN ||
            event.window.event == SDL_WINDOWEVENT_MOVED ||
            event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
            event.window.event == SDL_WINDOWEVENT_RESTORED ||
            event.window.event == SDL_WINDOWEVENT_MAXIMIZED) {
          repaint = true;
        }
        switch (event.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            queue.Post(WM_ACTIVATEAPP, 1, 0);
            queue.Post(WM_ACTIVATE, WA_ACTIVE, 0);
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            input.ReleaseAllKeys();
            input.SetMouseButtons(0);
            queue.Post(WM_ACTIVATE, WA_INACTIVE, 0);
            queue.Post(WM_ACTIVATEAPP, 0, 0);
            break;
          case SDL_WINDOWEVENT_MOVED:
            queue.Post(WM_MOVE, 0, MakeLParam(event.window.data1, event.window.data2));
            break;
          case SDL_WINDOWEVENT_SIZE_CHANGED: {
            const bool maximised = (SDL_GetWindowFlags(window) & SDL_WINDOW_MAXIMIZED) != 0;
            queue.Post(WM_SIZE, maximised ? SIZE_MAXIMIZED : SIZE_RESTORED,
                       MakeLParam(event.window.data1, event.window.data2));
            break;
          }
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
        const int dik = ScancodeToDik(event.key.keysym.scancode);
        input.SetKey(dik, down);
        const int vk = DikToVirtualKey(dik);
        intptr_t flags = 0;
        if (down && event.key.repeat != 0) flags |= kKeyRepeated;
        if ((event.key.keysym.mod & KMOD_ALT) != 0) flags |= kKeyAltHeld;
        if ((event.key.keysym.mod & KMOD_CTRL) != 0) flags |= kKeyControlHeld;
        if (vk != 0) queue.Post(down ? WM_KEYDOWN : WM_KEYUP, static_cast<uintptr_t>(vk), flags);
        break;
      }
      case SDL_MOUSEMOTION:
        queue.Post(WM_MOUSEMOVE, input.MouseButtons(), MakeLParam(event.motion.x, event.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        int index = -1;
        if (event.button.button == SDL_BUTTON_LEFT) index = 0;
        if (event.button.button == SDL_BUTTON_RIGHT) index = 1;
        if (index < 0) break;
        if (!down) {
          if (presses.ReleaseNow(index, event.button.timestamp, event.button.x, event.button.y)) {
            ApplyRelease({index, event.button.x, event.button.y}, queue);
          }
          break;
        }
        PressStretcher::Release release;
        if (presses.Press(index, event.button.timestamp, &release)) ApplyRelease(release, queue);
        input.SetMouseButton(index, true);
        queue.Post(index == 0 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, input.MouseButtons(),
                   MakeLParam(event.button.x, event.button.y));
        break;
      }
      default:
        break;
    }
  }

  static void ApplyRelease(const PressStretcher::Release& release, MessageQueue& queue) {
    InputState& input = Input();
    input.SetMouseButton(release.button, false);
    queue.Post(release.button == 0 ? WM_LBUTTONUP : WM_RBUTTONUP, input.MouseButtons(),
               MakeLParam(release.x, release.y));
  }

  // The picture last sent to the window, and where.
  std::vector<uint16_t> shown;
  int shownX = 0;
  int shownY = 0;
  bool repaint = true;
  bool started = false;
  bool fullScreen = false;
  PressStretcher presses;
  bool presentWait = false;
  // Presents are paced here, the renderer being unable to wait for the refresh itself.
  bool ownPacing = false;
  PresentPacer pacer;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0;
  int textureHeight = 0;
};

}  // namespace

std::unique_ptr<Video> CreateSdlVideo() {
  return std::make_unique<SdlVideo>();
}

}  // namespace platform
