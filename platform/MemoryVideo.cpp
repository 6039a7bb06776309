#include <cstring>

#include "platform/Video.h"

namespace platform {

namespace {

std::unique_ptr<Video>& Current() {
  static std::unique_ptr<Video> video = CreateMemoryVideo();
  return video;
}

}  // namespace

Video& GetVideo() {
  return *Current();
}

void SetVideo(std::unique_ptr<Video> video) {
  Current() = video ? std::move(video) : CreateMemoryVideo();
}

std::unique_ptr<Video> CreateMemoryVideo() {
  return std::make_unique<MemoryVideo>();
}

bool MemoryVideo::Start(std::string* reason) {
  if (failStart) {
    if (reason) *reason = "no video device";
    return false;
  }
  return true;
}

void MemoryVideo::ScreenSize(int* width, int* height) const {
  if (width) *width = screenWidth;
  if (height) *height = screenHeight;
}

void MemoryVideo::CursorPosition(int* x, int* y) const {
  if (x) *x = cursorX;
  if (y) *y = cursorY;
}

bool MemoryVideo::CreateWindow(const WindowDesc& desc) {
  if (failCreate) return false;
  window = desc;
  windowOpen = true;
  ++windowsCreated;
  // A window shown on creation is activated, sized and placed, in this order, as on Windows.
  MessageQueue& queue = Messages();
  queue.Post(WM_ACTIVATEAPP, 1, 0);
  queue.Post(WM_ACTIVATE, WA_ACTIVE, 0);
  queue.Post(WM_SIZE, SIZE_RESTORED, MakeLParam(desc.width, desc.height));
  queue.Post(WM_MOVE, 0, MakeLParam(desc.x, desc.y));
  return true;
}

void MemoryVideo::DestroyWindow() {
  windowOpen = false;
}

void MemoryVideo::ClientOrigin(int* x, int* y) const {
  if (x) *x = window.x;
  if (y) *y = window.y;
}

void MemoryVideo::BorderMetrics(int* frameHeight, int* captionHeight) const {
  if (frameHeight) *frameHeight = frameMetric;
  if (captionHeight) *captionHeight = captionMetric;
}

bool MemoryVideo::SetFullScreen(bool fullScreen) {
  if (!windowOpen || failFullScreen) return false;
  if (fullScreen == IsFullScreen()) return true;
  // Leaving full screen gives back a captioned window; the memory window keeps no other mode.
  window.mode = fullScreen ? WindowMode::kFullScreen : WindowMode::kCaptioned;
  ++fullScreenSwitches;
  return true;
}

bool MemoryVideo::PresentChanged(const Surface& picture, const std::vector<PixelRect>& changed,
                                 int originX, int originY) {
  if (failPresent) return false;
  lastChanged = changed;
  if (!lastPicture || lastPicture->Width() != picture.Width() ||
      lastPicture->Height() != picture.Height()) {
    lastPicture.reset(Surface::Create(picture.Width(), picture.Height()));
  }
  if (lastPicture) {
    std::memcpy(lastPicture->Pixels(), picture.Pixels(),
                static_cast<size_t>(picture.Width()) * picture.Height() * sizeof(uint16_t));
  }
  ++presents;
  lastOriginX = originX;
  lastOriginY = originY;
  return true;
}

void MemoryVideo::PumpEvents(MessageQueue& queue) {
  if (onPump) onPump(queue);
}

}  // namespace platform
