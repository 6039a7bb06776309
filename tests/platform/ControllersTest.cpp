// Game controllers: the directions as arrow keys with a dead zone and the keyboard's repeat
// (worked out without SDL), the look for a controller on the machine in stand-in device and class
// folders, and whole controllers plugged in and out through SDL's virtual joysticks on the
// display-less driver, their buttons arriving as key messages.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/JoystickDevices.h"
#include "platform/Messages.h"
#include "platform/PadDirections.h"
#include "platform/Video.h"
#include "platform/sdl/Controllers.h"
#include "platform/sdl/SdlEvents.h"
#include "platform/sdl/VirtualPad.h"
#include "tests/common/TempFolder.h"

namespace {

using platform::Message;
using platform::PadDirections;

struct Key {
  uint32_t id;
  uintptr_t key;
  bool repeated;
  bool operator==(const Key& other) const {
    return id == other.id && key == other.key && repeated == other.repeated;
  }
};
std::ostream& operator<<(std::ostream& out, const Key& k) {
  return out << (k.id == platform::WM_KEYDOWN ? "down " : "up ") << std::hex << k.key
             << (k.repeated ? " repeated" : "");
}

constexpr uint32_t kDown = platform::WM_KEYDOWN;
constexpr uint32_t kUp = platform::WM_KEYUP;

std::vector<Key> Keys(platform::MessageQueue& queue) {
  std::vector<Key> keys;
  Message m;
  while (queue.Take(m)) {
    if (m.id == kDown || m.id == kUp)
      keys.push_back({m.id, m.wParam, (m.lParam & platform::kKeyRepeated) != 0});
  }
  return keys;
}

TEST(PadDirections, TheStickPressesPastItsDeadZoneAndLetsGoNearerTheMiddle) {
  PadDirections pad;
  platform::MessageQueue queue;
  pad.SetStick(0, 9000, 0, queue);
  pad.SetStick(0, PadDirections::kStickPress, 0, queue);
  EXPECT_TRUE(Keys(queue).empty());
  pad.SetStick(0, 20000, 5, queue);
  EXPECT_EQ(Keys(queue), (std::vector<Key>{{kDown, platform::VK_RIGHT, false}}));
  // Wobbling between the two lines changes nothing; inside the release line lets go.
  pad.SetStick(0, 12000, 10, queue);
  pad.SetStick(0, 17000, 15, queue);
  EXPECT_TRUE(Keys(queue).empty());
  pad.SetStick(0, PadDirections::kStickRelease, 20, queue);
  EXPECT_EQ(Keys(queue), (std::vector<Key>{{kUp, platform::VK_RIGHT, false}}));
  // Diagonally, the stronger axis wins; the held one stays while it is still past its line.
  pad.SetStick(0, -18000, 30, queue);
  pad.SetStick(1, -25000, 30, queue);
  EXPECT_EQ(Keys(queue), (std::vector<Key>{{kDown, platform::VK_LEFT, false}}));
  pad.SetStick(0, -5000, 40, queue);
  EXPECT_EQ(Keys(queue),
            (std::vector<Key>{{kUp, platform::VK_LEFT, false}, {kDown, platform::VK_UP, false}}));
}

TEST(PadDirections, AHeldDirectionRepeatsLikeAKeyAndTheDpadWinsOverTheStick) {
  PadDirections pad;
  platform::MessageQueue queue;
  pad.SetStick(1, 30000, 1000, queue);
  Keys(queue);
  pad.Repeat(1000 + PadDirections::kRepeatDelayMs - 1, queue);
  EXPECT_TRUE(Keys(queue).empty());
  pad.Repeat(1000 + PadDirections::kRepeatDelayMs, queue);
  pad.Repeat(1000 + PadDirections::kRepeatDelayMs + PadDirections::kRepeatIntervalMs - 1, queue);
  EXPECT_EQ(Keys(queue), (std::vector<Key>{{kDown, platform::VK_DOWN, true}}));
  // A caller that stalled gets one step, not a burst.
  pad.Repeat(5000, queue);
  EXPECT_EQ(Keys(queue).size(), 1u);

  pad.SetDpad(PadDirections::kLeft, true, 5010, queue);
  pad.Repeat(5020, queue);
  EXPECT_EQ(Keys(queue),
            (std::vector<Key>{{kUp, platform::VK_DOWN, false}, {kDown, platform::VK_LEFT, false}}));
  pad.SetDpad(PadDirections::kLeft, false, 5030, queue);
  EXPECT_EQ(Keys(queue),
            (std::vector<Key>{{kUp, platform::VK_LEFT, false}, {kDown, platform::VK_DOWN, false}}));
  pad.ReleaseAll(queue);
  EXPECT_EQ(Keys(queue), (std::vector<Key>{{kUp, platform::VK_DOWN, false}}));
  pad.Repeat(99999, queue);
  EXPECT_TRUE(Keys(queue).empty());
}

// Key capabilities as the kernel writes them on a 64-bit machine.
constexpr const char* kPadKeys = "7cdb000000000000 0 0 0 0";  // an Xbox 360 pad: BTN_SOUTH...
constexpr const char* kMouseKeys = "1f0000 0 0 0 0";          // BTN_LEFT to BTN_EXTRA
constexpr const char* kTouchPadKeys = "6420 30000 0 0 0 0";   // BTN_TOUCH, tools, two buttons

TEST(JoystickDevices, TellsAJoystickOrGamepadFromTheKernelsKeyBitmap) {
  if (sizeof(long) != 8) GTEST_SKIP() << "the bitmaps below are written in 64-bit words";
  using platform::JoystickDevices;
  EXPECT_TRUE(JoystickDevices::HasJoystickButtons(kPadKeys));
  // BTN_TRIGGER alone, a stick of the old kind; BTN_TRIGGER_HAPPY1 alone, twelve words long.
  EXPECT_TRUE(JoystickDevices::HasJoystickButtons("100000000 0 0 0 0\n"));
  EXPECT_TRUE(JoystickDevices::HasJoystickButtons("1 0 0 0 0 0 0 0 0 0 0 0"));
  EXPECT_FALSE(JoystickDevices::HasJoystickButtons(kMouseKeys));
  EXPECT_FALSE(JoystickDevices::HasJoystickButtons(kTouchPadKeys));
  EXPECT_FALSE(JoystickDevices::HasJoystickButtons(
      "1000000000007 ff9f207ac14057ff febeffdfffefffff fffffffffffffffe"));  // a keyboard
  EXPECT_FALSE(JoystickDevices::HasJoystickButtons("0"));
  EXPECT_FALSE(JoystickDevices::HasJoystickButtons(""));
  EXPECT_FALSE(JoystickDevices::HasJoystickButtons("7cdb00000000000z 0 0 0 0"));
}

TEST(JoystickDevices, AControllerCountsOnceItsNodeIsThereAndTheWatchSeesItCome) {
  if (sizeof(long) != 8) GTEST_SKIP() << "the bitmaps are written in 64-bit words";
  testing_support::TempFolder root;
  root.Write("class/event2/device/capabilities/key", kMouseKeys);
  root.Write("class/event4/device/capabilities/key", kPadKeys);
  // No device folder yet: no input device has been plugged in since the machine started.
  platform::JoystickDevices devices(root / "input", root / "class");
  ASSERT_TRUE(devices.Watch());
  EXPECT_FALSE(devices.Changed());
  EXPECT_FALSE(devices.AnyPresent());

  root.Write("input/event2", "");
  EXPECT_TRUE(devices.Changed());
  EXPECT_FALSE(devices.AnyPresent()) << "a mouse is no controller";
  root.Write("input/event4", "");
  EXPECT_TRUE(devices.Changed()) << "the device folder made after the watch began is watched";
  EXPECT_TRUE(devices.AnyPresent());
  EXPECT_FALSE(devices.Changed());

  std::filesystem::remove(root / "input/event4");
  EXPECT_TRUE(devices.Changed());
  EXPECT_FALSE(devices.AnyPresent());

  // Without the kernel's description the machine cannot be watched for controllers.
  platform::JoystickDevices undescribed(root / "input", root / "no-class");
  EXPECT_FALSE(undescribed.Watch());
}

// Controllers as SDL sees them: virtual joysticks of the game-controller kind, driven from here.
class ControllersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    // A program that drives a virtual pad brings up SDL's controller support at once, whatever
    // the machine has plugged in; this one gives it no commands.
    setenv("ZEP_VIRTUAL_PAD", "/dev/null", 1);
    video = platform::CreateSdlVideo();
    std::string reason;
    ASSERT_TRUE(video->Start(&reason)) << reason;
    Pump();
  }
  void TearDown() override {
    for (SDL_Joystick* pad : pads) {
      if (pad != nullptr) Unplug(pad);
    }
    video.reset();
    unsetenv("ZEP_VIRTUAL_PAD");
  }
  std::vector<Key> Pump() {
    video->PumpEvents(queue);
    return Keys(queue);
  }
  SDL_Joystick* Plug() {
    SDL_Joystick* pad = platform::VirtualPad::AttachController();
    EXPECT_NE(pad, nullptr) << SDL_GetError();
    pads.push_back(pad);
    return pad;
  }
  void Unplug(SDL_Joystick*& pad) {
    const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
    SDL_JoystickClose(pad);
    pad = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }
  }
  static void Press(SDL_Joystick* pad, SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(pad, button, down ? 1 : 0);
  }

  std::unique_ptr<platform::Video> video;
  platform::MessageQueue queue;
  std::vector<SDL_Joystick*> pads;
};

TEST_F(ControllersTest, TwoControllersPluggedInAtRunTimeSendTheirButtonsAsKeys) {
  SDL_Joystick* first = Plug();
  SDL_Joystick* second = Plug();
  EXPECT_TRUE(Pump().empty());
  Press(first, SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(Pump(), (std::vector<Key>{{kDown, platform::VK_GAMEPAD_A, false}}));
  // The first one's A is still held while the second one's B goes down.
  Press(second, SDL_CONTROLLER_BUTTON_B, true);
  EXPECT_EQ(Pump(), (std::vector<Key>{{kDown, platform::VK_GAMEPAD_B, false}}));
  // The d-pad of either one is the arrow keys; Start has a meaning of its own.
  Press(first, SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_EQ(Pump(), (std::vector<Key>{{kUp, platform::VK_GAMEPAD_A, false}}));
  Press(second, SDL_CONTROLLER_BUTTON_DPAD_UP, true);
  EXPECT_EQ(Pump(), (std::vector<Key>{{kDown, platform::VK_UP, false}}));
  Press(second, SDL_CONTROLLER_BUTTON_START, true);
  EXPECT_EQ(Pump(), (std::vector<Key>{{kDown, platform::VK_GAMEPAD_MENU, false}}));
}

TEST_F(ControllersTest, AControllerPulledOutLetsGoOfItsArrowAndAnotherComesInItsPlace) {
  SDL_Joystick* pad = Plug();
  Pump();
  SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  EXPECT_EQ(Pump(), (std::vector<Key>{{kDown, platform::VK_LEFT, false}}));
  Unplug(pads[0]);
  EXPECT_EQ(Pump(), (std::vector<Key>{{kUp, platform::VK_LEFT, false}}));

  SDL_Joystick* again = Plug();
  Pump();
  Press(again, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  EXPECT_EQ(Pump(), (std::vector<Key>{{kDown, platform::VK_DOWN, false}}));
}

// The launcher waits for the display's refresh before it reads its input; a press ends the wait at
// once, so it shows a refresh sooner. A controller plugged in must not turn that into a plain
// sleep: a key (or the controller's own button) pressed meanwhile still ends it.
TEST(RefreshWait, APressEndsItWhileAControllerIsPluggedIn) {
  struct NoWindow : platform::WindowEvents {
    void ToPicture(int x, int y, int* px, int* py) const override {
      *px = x;
      *py = y;
    }
    void Uncovered(platform::MessageQueue&) override {}
    void DrawWholeNext() override {}
    void Resized(platform::MessageQueue&) override {}
  };
  // The display's connection, where a key arrives while the wait is on.
  struct PressingSource : platform::EventSource {
    bool WaitForEvents(int, const std::vector<int>&) override {
      ++waits;
      SDL_Event key{};
      key.type = SDL_KEYDOWN;
      key.key.keysym.scancode = SDL_SCANCODE_RETURN;
      SDL_PushEvent(&key);
      return true;
    }
    int waits = 0;
  };
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("ZEP_VIRTUAL_PAD", "/dev/null", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  {
    platform::Controllers controllers;
    controllers.Start();
    SDL_Joystick* pad = platform::VirtualPad::AttachController();
    ASSERT_NE(pad, nullptr) << SDL_GetError();
    NoWindow window;
    platform::EventTranslator events(window, controllers);
    platform::MessageQueue queue;
    events.Pump(queue);
    ASSERT_EQ(controllers.Count(), 1);

    PressingSource source;
    const uint64_t until = platform::EventTranslator::NowMicros() + 2000000;
    events.WaitUnlessPressed(until, &source, queue);
    EXPECT_LT(platform::EventTranslator::NowMicros(), until) << "the wait slept to its end";
    EXPECT_EQ(source.waits, 1);

    const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
    SDL_JoystickClose(pad);
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }
    controllers.Stop();
  }
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  unsetenv("ZEP_VIRTUAL_PAD");
}

}  // namespace
