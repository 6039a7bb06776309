#pragma once
// The window and the display: one window per process, shown in one of the three modes, and the
// present of an 800 x 600 picture into it. Two implementations: SDL (a real window) and memory
// (no window; keeps the presented picture and takes injected events), chosen at run time so one
// test binary can use either.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/ScaledView.h"
#include "platform/Surface.h"

namespace platform {

enum class WindowMode {
  kFullScreen,  // the desktop's own mode, picture scaled with its aspect kept
  kBorderless,  // pop-up window, top-most
  kCaptioned,   // caption, system menu, minimise and maximise boxes
};

// A window's icon for the desktop's task bars and switchers.
struct WindowIcon {
  int width = 0;
  int height = 0;
  const uint32_t* pixels = nullptr;  // 0xAARRGGBB, not premultiplied, rows top down
};

struct WindowDesc {
  WindowMode mode = WindowMode::kCaptioned;
  int x = 0;
  int y = 0;
  int width = 800;
  int height = 600;
  std::string title;  // empty: no window text
  bool topMost = false;
  const WindowIcon* icon = nullptr;  // none: the desktop's own
};

class Video {
 public:
  virtual ~Video() = default;

  // The desktop entry the program's windows belong to (without ".desktop"): the X11 window class
  // and the Wayland app id, which task bars use to find the program's name and icon. Set before
  // Start; empty leaves the video system's own choice.
  virtual void SetAppId(const std::string& appId) = 0;
  // Brings up the video subsystem; on failure fills reason and returns false.
  virtual bool Start(std::string* reason) = 0;
  virtual void Stop() = 0;
  // True when a real display is there to show message boxes on.
  virtual bool HasDisplay() const = 0;
  // Colour depth presented to the programs: 16 unless a test says otherwise.
  virtual int DesktopDepth() const = 0;
  virtual void ScreenSize(int* width, int* height) const = 0;
  virtual void CursorPosition(int* x, int* y) const = 0;

  // Creates the window; posts WM_ACTIVATEAPP and WM_ACTIVATE as a shown window would.
  virtual bool CreateWindow(const WindowDesc& desc) = 0;
  // Closes the window; posts nothing (the caller runs its own WM_DESTROY handling).
  virtual void DestroyWindow() = 0;
  virtual bool HasWindow() const = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetTopMost(bool topMost) = 0;
  // Screen position of the client area's top-left corner.
  virtual void ClientOrigin(int* x, int* y) const = 0;
  // Heights of the window frame and caption above the client area (the shell's maximised-window
  // mouse offsets subtract them).
  virtual void BorderMetrics(int* frameHeight, int* captionHeight) const = 0;

  // Shows the picture as large as the client area allows with its aspect kept, centred, black
  // bars beside it, in every mode. changed lists the parts that differ from the picture last
  // presented, and only those reach the display, unless the window lost what it showed (a new
  // size or mode, the first frame): then all of it does. Sizes and mouse positions reach the
  // program in picture pixels of that view, and a window is always reported restored: its
  // picture already fills it, so the program's own centring of a maximised picture must not
  // shift it again. (originX, originY) is where the program last placed the picture's corner on
  // the screen; it is kept for the record only. False when the picture did not reach the window
  // (no window, or no surface to draw on): the caller sends those parts again.
  virtual bool PresentChanged(const Surface& picture, const std::vector<PixelRect>& changed,
                              int originX, int originY) = 0;
  // Presents the whole picture as changed.
  bool Present(const Surface& picture, int originX, int originY) {
    return PresentChanged(picture, {{0, 0, picture.Width(), picture.Height()}}, originX, originY);
  }
  // Whether presents wait for the display's vertical refresh.
  virtual void SetPresentWait(bool wait) = 0;
  // With presents waiting, waits for the next refresh now, and the next present goes at once: a
  // frame that waits here before it reads its input shows that input a refresh sooner. A press
  // that arrives during the wait ends it early; the frame's pump then takes it.
  virtual void WaitForRefresh() = 0;
  // Switches between the window (captioned or borderless, as created) and full screen; false
  // when the window system refused, the mode then being unchanged.
  virtual bool SetFullScreen(bool fullScreen) = 0;
  virtual bool IsFullScreen() const = 0;

  // Starts or stops typing into a text field: while on, the characters the desktop's keyboard
  // layout and input method make arrive as WM_UNICHAR messages, an input method's composition
  // shows in InputState, and the desktop may show its on-screen keyboard. area is the field in
  // picture pixels, where an input method places its own windows. Off after Start.
  virtual void SetTextInput(bool on, const PixelRect& area) = 0;

  // Turns pending window-system events into messages on the queue.
  virtual void PumpEvents(MessageQueue& queue) = 0;

  // A token that lets a program started now come to the front with the keyboard focus, handed
  // out by desktops that give focus only on such proof (Wayland's activation tokens); empty
  // where there is none. Each program start takes a new one.
  virtual std::string ActivationToken() = 0;
};

// The process's video service; a memory one until the program installs another.
Video& GetVideo();
void SetVideo(std::unique_ptr<Video> video);

std::unique_ptr<Video> CreateSdlVideo();
std::unique_ptr<Video> CreateMemoryVideo();

// The memory implementation, for tests: what was presented, and knobs for what it reports.
class MemoryVideo : public Video {
 public:
  void SetAppId(const std::string& id) override { appId = id; }
  bool Start(std::string* reason) override;
  void Stop() override {}
  bool HasDisplay() const override { return false; }
  int DesktopDepth() const override { return depth; }
  void ScreenSize(int* width, int* height) const override;
  void CursorPosition(int* x, int* y) const override;
  bool CreateWindow(const WindowDesc& desc) override;
  void DestroyWindow() override;
  bool HasWindow() const override { return windowOpen; }
  void SetTitle(const std::string& title) override { window.title = title; }
  void SetTopMost(bool topMost) override { window.topMost = topMost; }
  void ClientOrigin(int* x, int* y) const override;
  void BorderMetrics(int* frameHeight, int* captionHeight) const override;
  bool PresentChanged(const Surface& picture, const std::vector<PixelRect>& changed, int originX,
                      int originY) override;
  void SetPresentWait(bool wait) override { presentWait = wait; }
  void WaitForRefresh() override { ++refreshWaits; }
  bool SetFullScreen(bool fullScreen) override;
  bool IsFullScreen() const override { return window.mode == WindowMode::kFullScreen; }
  void SetTextInput(bool on, const PixelRect& area) override {
    textInput = on;
    textInputArea = area;
  }
  void PumpEvents(MessageQueue& queue) override;
  std::string ActivationToken() override { return activationToken; }

  // Test controls.
  int depth = 16;
  int screenWidth = 1024;
  int screenHeight = 768;
  bool failStart = false;
  bool failCreate = false;
  bool failFullScreen = false;
  bool failPresent = false;  // presents do not reach the window
  bool presentWait = false;
  int cursorX = 0;
  int cursorY = 0;
  // Runs at every pump, where window-system events would arrive.
  std::function<void(MessageQueue&)> onPump;
  int frameMetric = 4;
  int captionMetric = 19;
  std::string activationToken;
  // Observations.
  std::string appId;
  WindowDesc window;
  bool windowOpen = false;
  int windowsCreated = 0;
  // Atomic: a test's helper thread paces itself on the presents of the thread that draws.
  std::atomic<int> presents{0};
  int fullScreenSwitches = 0;
  int refreshWaits = 0;
  bool textInput = false;
  PixelRect textInputArea;
  // The parts the last present was told had changed.
  std::vector<PixelRect> lastChanged;
  int lastOriginX = 0;
  int lastOriginY = 0;
  std::unique_ptr<Surface, void (*)(Surface*)> lastPicture{nullptr, &Surface::Release};
};

}  // namespace platform
