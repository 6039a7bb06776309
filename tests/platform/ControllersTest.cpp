// Game controllers: the directions as arrow keys with a dead zone and the keyboard's repeat
// (worked out without SDL), and whole controllers plugged in and out through SDL's virtual
// joysticks on the display-less driver, their buttons arriving as key messages.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/PadDirections.h"
#include "platform/Video.h"
#include "platform/sdl/VirtualPad.h"

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

// Controllers as SDL sees them: virtual joysticks of the game-controller kind, driven from here.
class ControllersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    unsetenv("ZEP_VIRTUAL_PAD");
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

}  // namespace
