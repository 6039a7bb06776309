// Key messages as the window-system pump makes them from SDL's key events.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/Video.h"

namespace {

void PushKey(Uint32 type, SDL_Scancode code, Uint16 modifiers, Uint8 repeat) {
  SDL_Event event{};
  event.type = type;
  event.key.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat;
  event.key.keysym.scancode = code;
  event.key.keysym.mod = modifiers;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

TEST(KeyMessages, CarryTheRepeatAltAndCtrlOfTheirOwnMoment) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::unique_ptr<platform::Video> video = platform::CreateSdlVideo();
  std::string reason;
  ASSERT_TRUE(video->Start(&reason)) << reason;
  // Ctrl+Left pressed, held until it repeats and let go, then Alt+Space, a plain Space and
  // Alt+Enter: all pending at once, as when the pump runs after a quick typist.
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, KMOD_LCTRL, 0);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT, KMOD_LCTRL, 0);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT, KMOD_LCTRL, 1);
  PushKey(SDL_KEYUP, SDL_SCANCODE_LEFT, KMOD_LCTRL, 0);
  PushKey(SDL_KEYUP, SDL_SCANCODE_LCTRL, KMOD_NONE, 0);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_SPACE, KMOD_RALT, 0);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_SPACE, KMOD_NONE, 0);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_RALT, 0);
  platform::MessageQueue queue;
  video->PumpEvents(queue);

  struct Seen {
    uint32_t id;
    uintptr_t key;
    intptr_t flags;
  };
  std::vector<Seen> keys;
  int switches = 0;
  platform::Message m;
  while (queue.Take(m)) {
    if (m.id == platform::WM_KEYDOWN || m.id == platform::WM_KEYUP)
      keys.push_back({m.id, m.wParam, m.lParam});
    // Alt+Enter is the window's own switch, never a key the program sees.
    if (m.id == platform::WM_SYSKEYDOWN && m.wParam == platform::VK_RETURN) ++switches;
  }
  EXPECT_EQ(switches, 1);
  ASSERT_EQ(keys.size(), 7u);
  const intptr_t ctrl = platform::kKeyControlHeld;
  EXPECT_EQ(keys[1].id, platform::WM_KEYDOWN);
  EXPECT_EQ(keys[1].key, 0x25u);
  EXPECT_EQ(keys[1].flags, ctrl);
  EXPECT_EQ(keys[2].flags, ctrl | platform::kKeyRepeated);
  EXPECT_EQ(keys[3].id, platform::WM_KEYUP);
  EXPECT_EQ(keys[3].flags, ctrl);
  EXPECT_EQ(keys[4].flags, 0);
  EXPECT_EQ(keys[5].key, 0x20u);
  EXPECT_EQ(keys[5].flags, platform::kKeyAltHeld);
  EXPECT_EQ(keys[6].key, 0x20u);
  EXPECT_EQ(keys[6].flags, 0);
  // The key table, read later, no longer knows that Ctrl came with the Left.
  EXPECT_EQ(platform::Input().KeyTable()[0x1D], 0);

  platform::Input().ReleaseAllKeys();
  video->Stop();
}

}  // namespace
