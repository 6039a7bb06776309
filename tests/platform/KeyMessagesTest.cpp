// Key messages as the window-system pump makes them from SDL's key events.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/Video.h"
#include "platform/sdl/RunningSdl.h"

namespace {

// keycode: what the layout prints on the key (SDL's keycode), 0 for none.
void PushKey(Uint32 type, SDL_Scancode code, Uint16 modifiers, Uint8 repeat,
             SDL_Keycode keycode = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat;
  event.key.keysym.scancode = code;
  event.key.keysym.sym = keycode;
  event.key.keysym.mod = modifiers;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

std::unique_ptr<platform::Video> StartDummyVideo() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::unique_ptr<platform::Video> video = platform::CreateSdlVideo();
  std::string reason;
  EXPECT_TRUE(video->Start(&reason)) << reason;
  return video;
}

// The messages of the pending events, as (id, wParam), taken as the program takes them.
std::vector<std::pair<uint32_t, uintptr_t>> Pump(platform::Video& video) {
  platform::MessageQueue queue;
  video.PumpEvents(queue);
  std::vector<std::pair<uint32_t, uintptr_t>> seen;
  platform::Message m;
  while (queue.Take(m)) {
    platform::FollowKeyMessage(m);
    seen.push_back({m.id, m.wParam});
  }
  return seen;
}

// The flags of a key message, without the key's place.
constexpr intptr_t kFlags = platform::kKeyRepeated | platform::kKeyAltHeld |
                            platform::kKeyControlHeld | platform::kKeyShiftHeld;

TEST(KeyMessages, CarryTheRepeatAltAndCtrlOfTheirOwnMoment) {
  std::unique_ptr<platform::Video> video = StartDummyVideo();
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
  // The key table as each message is taken: a key is down from its own message on.
  std::vector<bool> leftDownAt;
  while (queue.Take(m)) {
    platform::FollowKeyMessage(m);
    if (m.id == platform::WM_KEYDOWN || m.id == platform::WM_KEYUP) {
      keys.push_back({m.id, m.wParam, m.lParam});
      leftDownAt.push_back(platform::Input().KeyTable()[0xCB] != 0);
    }
    // Alt+Enter is the window's own switch, never a key the program sees.
    if (m.id == platform::WM_SYSKEYDOWN && m.wParam == platform::VK_RETURN) ++switches;
  }
  EXPECT_EQ(switches, 1);
  ASSERT_EQ(keys.size(), 7u);
  const intptr_t ctrl = platform::kKeyControlHeld;
  EXPECT_EQ(keys[1].id, platform::WM_KEYDOWN);
  EXPECT_EQ(keys[1].key, 0x25u);
  EXPECT_EQ(keys[1].flags & kFlags, ctrl);
  EXPECT_EQ(platform::KeyPlaceOf(keys[1].flags), 0xCB);  // the left arrow's place
  EXPECT_EQ(keys[2].flags & kFlags, ctrl | platform::kKeyRepeated);
  EXPECT_EQ(keys[3].id, platform::WM_KEYUP);
  EXPECT_EQ(keys[3].flags & kFlags, ctrl);
  EXPECT_EQ(keys[4].flags & kFlags, 0);
  EXPECT_EQ(keys[5].key, 0x20u);
  EXPECT_EQ(keys[5].flags & kFlags, platform::kKeyAltHeld);
  EXPECT_EQ(keys[6].key, 0x20u);
  EXPECT_EQ(keys[6].flags & kFlags, 0);
  EXPECT_EQ(leftDownAt, (std::vector<bool>{false, true, true, false, false, false, false}));
  // The key table, read at the end, no longer knows that Ctrl came with the Left.
  EXPECT_EQ(platform::Input().KeyTable()[0x1D], 0);

  platform::Input().ReleaseAllKeys();
  video->Stop();
}

TEST(KeyMessages, LettersAreWhatTheLayoutPrintsOnTheKeysOtherKeysTheirPlace) {
  std::unique_ptr<platform::Video> video = StartDummyVideo();
  using Seen = std::vector<std::pair<uint32_t, uintptr_t>>;
  const uint32_t down = platform::WM_KEYDOWN;
  // On an AZERTY keyboard: the M right of L, the comma where a United States keyboard has its M,
  // the A where it has its Q. On a Russian one, the letter at the place of N. Arrows and Space
  // stay where they are.
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_SEMICOLON, KMOD_NONE, 0, 'm');
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_M, KMOD_NONE, 0, ',');
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_Q, KMOD_NONE, 0, 'a');
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_N, KMOD_NONE, 0, 0x0442);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_2, KMOD_NONE, 0, 0xE9);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_LEFT, KMOD_NONE, 0, SDLK_LEFT);
  PushKey(SDL_KEYDOWN, SDL_SCANCODE_SPACE, KMOD_NONE, 0, ' ');
  EXPECT_EQ(Pump(*video), (Seen{{down, 'M'},
                                {down, 0xBC},
                                {down, 'A'},
                                {down, 'N'},
                                {down, '2'},
                                {down, platform::VK_LEFT},
                                {down, platform::VK_SPACE}}));
  // The key table keeps the places: the key right of L is the United States semicolon.
  EXPECT_NE(platform::Input().KeyTable()[0x27], 0);
  EXPECT_EQ(platform::Input().KeyTable()[0x32], 0x80);  // the comma, at the place of M
  // Losing the focus lets go of them, when its message is taken.
  platform::FollowKeyMessage({platform::WM_ACTIVATE, platform::WA_INACTIVE, 0});
  EXPECT_EQ(platform::Input().KeyTable()[0x27], 0);
  video->Stop();
}

TEST(KeyMessages, TypedTextArrivesAsCharactersWhileAFieldAsksForIt) {
  std::unique_ptr<platform::Video> video = StartDummyVideo();
  using Seen = std::vector<std::pair<uint32_t, uintptr_t>>;
  auto pushText = [](Uint32 type, const char* text) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_TEXTINPUT) {
      SDL_strlcpy(event.text.text, text, sizeof(event.text.text));
    } else {
      SDL_strlcpy(event.edit.text, text, sizeof(event.edit.text));
    }
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  };
  EXPECT_FALSE(SDL_IsTextInputActive()) << "typing is on before a field asks for it";
  video->SetTextInput(true, {50, 270, 580, 26});
  EXPECT_TRUE(SDL_IsTextInputActive());
  // SDL 2's compatibility layer over SDL 3 carries text events that SDL makes itself, but not the
  // text of one pushed in SDL 2's form: it reads its characters as SDL 3's pointer to them.
  if (platform::RunningOverSdl3()) {
    video->SetTextInput(false, {});
    EXPECT_FALSE(SDL_IsTextInputActive());
    video->Stop();
    GTEST_SKIP() << "over SDL 3 a pushed text event cannot carry its text";
  }
  // A dead key's accent being composed, then what it composed; an input method's word.
  pushText(SDL_TEXTEDITING, "^");
  EXPECT_EQ(Pump(*video), Seen{});
  EXPECT_EQ(platform::Input().Composition(), "^");
  pushText(SDL_TEXTEDITING, "");
  pushText(SDL_TEXTINPUT, "\xC3\xAA");
  pushText(SDL_TEXTINPUT, "Zo\xC3\xA9\xE2\x82\xAC");
  const uint32_t typed = platform::WM_UNICHAR;
  EXPECT_EQ(Pump(*video),
            (Seen{{typed, 0xEA}, {typed, 'Z'}, {typed, 'o'}, {typed, 0xE9}, {typed, 0x20AC}}));
  EXPECT_EQ(platform::Input().Composition(), "");
  video->SetTextInput(false, {});
  EXPECT_FALSE(SDL_IsTextInputActive());
  video->Stop();
}

}  // namespace
