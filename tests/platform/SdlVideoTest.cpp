// The real window on SDL's display-less driver: Alt+Enter kept from the program's keys, pointer
// positions and client sizes in picture pixels after a resize, and the picture drawn scaled and
// centred into the window's own surface.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/PictureScaler.h"
#include "platform/Video.h"

namespace {

using platform::Message;

class SdlVideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    video = platform::CreateSdlVideo();
    std::string reason;
    ASSERT_TRUE(video->Start(&reason)) << reason;
    platform::WindowDesc desc;
    desc.title = "test";
    ASSERT_TRUE(video->CreateWindow(desc));
    // SDL 2 numbers the windows anew with each start of its video; SDL 3 (under SDL 2's
    // compatibility layer) counts on through the process's life, with its displays and devices.
    for (Uint32 id = 1; !window && id < 65536; ++id)
      window = SDL_GetWindowFromID(id);
    ASSERT_NE(window, nullptr);
    platform::Input().ReleaseAllKeys();
    Drain();
  }
  void TearDown() override {
    video.reset();
    platform::Messages().Clear();
    platform::Input().ReleaseAllKeys();
    platform::Input().SetMouseButtons(0);
  }

  // Everything the window system has sent, as messages, taken as the program takes them.
  std::vector<Message> Drain() {
    video->PumpEvents(platform::Messages());
    std::vector<Message> out;
    Message m;
    while (platform::Messages().Take(m)) {
      platform::FollowKeyMessage(m);
      out.push_back(m);
    }
    return out;
  }

  static void Key(Uint32 type, SDL_Scancode code, Uint16 mod, bool repeat = false) {
    SDL_Event event = {};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = code;
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
  }

  static int Count(const std::vector<Message>& messages, uint32_t id, uintptr_t wParam) {
    int n = 0;
    for (const Message& m : messages)
      n += m.id == id && m.wParam == wParam ? 1 : 0;
    return n;
  }

  std::unique_ptr<platform::Video> video;
  SDL_Window* window = nullptr;
};

constexpr int kEnterKey = 0x1C;  // DIK_RETURN

TEST_F(SdlVideoTest, AltEnterArrivesAsASystemKeyAndNeverAsEnter) {
  Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT);
  Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT, true);  // held: repeats
  Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_NONE, true);  // Alt let go first
  std::vector<Message> messages = Drain();
  EXPECT_EQ(Count(messages, platform::WM_SYSKEYDOWN, platform::VK_RETURN), 1);
  EXPECT_EQ(Count(messages, platform::WM_KEYDOWN, platform::VK_RETURN), 0);
  EXPECT_EQ(platform::Input().KeyTable()[kEnterKey], 0);

  Key(SDL_KEYUP, SDL_SCANCODE_RETURN, KMOD_NONE);
  messages = Drain();
  EXPECT_EQ(Count(messages, platform::WM_KEYUP, platform::VK_RETURN), 0);

  // Enter on its own is the program's key again.
  Key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_NONE);
  messages = Drain();
  EXPECT_EQ(Count(messages, platform::WM_KEYDOWN, platform::VK_RETURN), 1);
  EXPECT_NE(platform::Input().KeyTable()[kEnterKey] & 0x80, 0);
  Key(SDL_KEYUP, SDL_SCANCODE_RETURN, KMOD_NONE);
  messages = Drain();
  EXPECT_EQ(Count(messages, platform::WM_KEYUP, platform::VK_RETURN), 1);
  EXPECT_EQ(platform::Input().KeyTable()[kEnterKey], 0);
}

TEST_F(SdlVideoTest, AfterAResizeSizesAndPointerPositionsAreInPicturePixels) {
  SDL_SetWindowSize(window, 1280, 720);
  std::vector<Message> messages = Drain();
  ASSERT_GE(Count(messages, platform::WM_SIZE, platform::SIZE_RESTORED), 1);
  intptr_t size = 0;
  for (const Message& m : messages) {
    if (m.id == platform::WM_SIZE) size = m.lParam;
  }
  EXPECT_EQ(platform::LowWord(static_cast<uintptr_t>(size)), 1066);
  EXPECT_EQ(platform::HighWord(static_cast<uintptr_t>(size)), 600);

  SDL_Event event = {};
  event.type = SDL_MOUSEMOTION;
  event.motion.windowID = SDL_GetWindowID(window);
  event.motion.x = 160;
  event.motion.y = 0;
  SDL_PushEvent(&event);
  event.motion.x = 1119;
  event.motion.y = 719;
  SDL_PushEvent(&event);
  event.motion.x = 10;  // over the left bar
  event.motion.y = 360;
  SDL_PushEvent(&event);
  SDL_Event press = {};
  press.type = SDL_MOUSEBUTTONDOWN;
  press.button.windowID = SDL_GetWindowID(window);
  press.button.button = SDL_BUTTON_LEFT;
  press.button.state = SDL_PRESSED;
  press.button.x = 640;
  press.button.y = 360;
  SDL_PushEvent(&press);
  messages = Drain();
  std::vector<std::pair<int, int>> moves;
  std::vector<std::pair<int, int>> presses;
  for (const Message& m : messages) {
    const auto at = std::make_pair(platform::LowWord(static_cast<uintptr_t>(m.lParam)),
                                   platform::HighWord(static_cast<uintptr_t>(m.lParam)));
    if (m.id == platform::WM_MOUSEMOVE) moves.push_back(at);
    if (m.id == platform::WM_LBUTTONDOWN) presses.push_back(at);
  }
  ASSERT_EQ(moves.size(), 3u);
  EXPECT_EQ(moves[0], std::make_pair(0, 0));
  EXPECT_EQ(moves[1], std::make_pair(799, 599));
  EXPECT_LT(moves[2].first, 0);
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0], std::make_pair(400, 300));
}

TEST_F(SdlVideoTest, PictureIsDrawnScaledAndCentredWithBlackBars) {
  SDL_SetWindowSize(window, 1000, 600);  // 800 x 600 between bars of 100
  Drain();
  std::unique_ptr<platform::Surface, void (*)(platform::Surface*)> picture(
      platform::Surface::Create(800, 600), &platform::Surface::Release);
  for (int i = 0; i < 800 * 600; ++i)
    picture->Pixels()[i] = 0x07E0;
  picture->Pixels()[0] = 0xF800;
  video->Present(*picture, 0, 0);
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->w, 1000);
  SDL_Surface* pixels = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB888, 0);
  ASSERT_NE(pixels, nullptr);
  auto at = [&pixels](int x, int y) {
    return static_cast<const uint32_t*>(pixels->pixels)[y * pixels->pitch / 4 + x] & 0xFFFFFF;
  };
  EXPECT_EQ(at(50, 300), 0u);
  EXPECT_EQ(at(950, 300), 0u);
  EXPECT_EQ(at(100, 0), 0xFF0000u);
  EXPECT_EQ(at(101, 0), 0x00FF00u);
  EXPECT_EQ(at(899, 599), 0x00FF00u);
  SDL_FreeSurface(pixels);

  // A changed part reaches the surface; the rest stays as drawn.
  picture->Pixels()[600 * 800 - 1] = 0x001F;
  video->PresentChanged(*picture, {{799, 599, 1, 1}}, 0, 0);
  pixels = SDL_ConvertSurfaceFormat(SDL_GetWindowSurface(window), SDL_PIXELFORMAT_RGB888, 0);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(at(899, 599), 0x0000FFu);
  EXPECT_EQ(at(100, 0), 0xFF0000u);
  SDL_FreeSurface(pixels);
}

}  // namespace
