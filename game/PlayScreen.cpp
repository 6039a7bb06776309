#include "game/PlayScreen.h"

#include <cstdio>
#include <cstring>

#include "framework/Button.h"
#include "framework/ButtonList.h"
#include "framework/Dialog.h"
#include "framework/DirtyRects.h"
#include "framework/Image.h"
#include "framework/Timer.h"
#include "game/Game.h"
#include "game/GameSounds.h"
#include "platform/Messages.h"
#include "platform/Process.h"

namespace {

constexpr int kPathSize = 256;

// Virtual-key codes of the keys the board is played with.
constexpr uint32_t kVkSpace = 0x20;
constexpr uint32_t kVkLeft = 0x25;
constexpr uint32_t kVkUp = 0x26;
constexpr uint32_t kVkRight = 0x27;
constexpr uint32_t kVkDown = 0x28;

struct MenuButton {
  const char* name;
  int x;
  int y;
  const char* picture;
};

// In the order the button list holds them.
constexpr MenuButton kMenuButtons[] = {
    {"newgame", 13, 375, "newgame.bmp"},
    {"exit", 12, 525, "exit.bmp"},
    {"help", 12, 475, "help.bmp"},
    {"menu", 13, 425, "menu.bmp"},
};

struct NamedImage {
  const char* name;
  const char* file;
};

// The image registry the board and the labels look pictures up in, in loading order. The fifth
// colour is named "Orange" although its pictures are the blue ones.
constexpr NamedImage kNamedImages[] = {
    {"Red", "red.bmp"},
    {"Orange", "blue.bmp"},
    {"Yellow", "yellow.bmp"},
    {"Purple", "purple.bmp"},
    {"Green", "green.bmp"},
    {"RedStar", "redstar.bmp"},
    {"OrangeStar", "bluestar.bmp"},
    {"YellowStar", "yellowstar.bmp"},
    {"PurpleStar", "purplestar.bmp"},
    {"GreenStar", "greenstar.bmp"},
    {"BigBlue", "bigblue.bmp"},
    {"BigRed", "bigred.bmp"},
    {"BigGreen", "biggreen.bmp"},
    {"BigPurple", "bigpurple.bmp"},
    {"BigYellow", "bigyellow.bmp"},
    {"pop", "pop.bmp"},
    {"x2", "x2.bmp"},
    {"x4", "x4.bmp"},
    {"x6", "x6.bmp"},
};

// The bank numbers its samples in this order.
constexpr NamedImage kSounds[] = {
    {"pop1", "sounds\\pop1.wav"},         {"pop2", "sounds\\pop2.wav"},
    {"pop3", "sounds\\pop3.wav"},         {"pop4", "sounds\\pop4.wav"},
    {"pop5", "sounds\\pop5.wav"},         {"allcolor", "sounds\\allcolor.wav"},
    {"allpop", "sounds\\allpop.wav"},     {"pushrow", "sounds\\pushrow.wav"},
    {"negative", "sounds\\negative.wav"}, {"bhitb", "sounds\\bhitb.wav"},
    {"reveal", "sounds\\reveal.wav"},     {"blow", "sounds\\blow.wav"},
    {"bonus", "sounds\\bonus.wav"},       {"thunder", "sounds\\thunder.wav"},
};

}  // namespace

PlayScreen::PlayScreen(const char* name, Game& owner) : game(owner) {
  SetName(name);
}

PlayScreen::~PlayScreen() = default;

int PlayScreen::Open(QZDirectDraw* directDraw, QZSurface* back) {
  Screen::Open(directDraw, back);
  DirtyRects& dirty = TheDirtyRects();

  // A missing picture leaves the redraw list without a scene rather than with the freed one of
  // the screen shown before.
  Image* scene = AddImage("background.bmp");
  SetScenePicture(scene);
  SetDrawTarget(scene != nullptr ? scene->Surface() : nullptr);
  Image* background = AddImage("background.bmp");
  SetBackgroundPicture(background);
  SetBackground(background != nullptr ? background->Surface() : nullptr);
  dirty.EraseAll();

  // The clouds beside each row: left of the board they blow to the right ("Air%dr"), right of
  // it to the left ("Air%dl"). Their first picture becomes part of the background.
  for (int pass = 0; pass < 2; ++pass) {
    const int x = pass == 0 ? 88 : 730;
    const char* format = pass == 0 ? "Air%dr" : "Air%dl";
    const char* strip = pass == 0 ? "CloudAnimLeft.bmp" : "CloudAnimRight.bmp";
    for (int i = 0; i < Game::kCloudRows; ++i) {
      auto* cloud = new Button(x, 40 * i + 4);
      char name[Button::kNameSize];
      std::snprintf(name, sizeof(name), format, i);
      cloud->SetName(name);
      cloud->LoadStateStrip(strip, 3, 1);
      cloud->DrawOnBoth(1);
      cloud->SetMarkDirty(1);
      AddButton(cloud);
    }
  }

  for (const MenuButton& entry : kMenuButtons) {
    auto* button = new Button(entry.x, entry.y);
    button->SetName(entry.name);
    button->LoadStateStrip(entry.picture, 2, 0);
    AddButton(button);
  }

  for (const NamedImage& entry : kNamedImages)
    AddImageAs(entry.file, entry.name);

  digits = std::make_unique<Sprite>();
  digits->LoadStrip("scorefont.bmp", 10, 0);
  timer = std::make_unique<Sprite>();
  timer->LoadStrip("timer.bmp", 37, 1);
  lightning = std::make_unique<Sprite>();
  lightning->LoadStrip("lightning.bmp", 1, 0);

  for (const NamedImage& entry : kSounds)
    TheSoundBank().LoadSample(entry.file, entry.name);

  game.SetScreen(this);
  game.NewGame();
  return 1;
}

void PlayScreen::Close() {
  TheSoundBank().FreeAll();
  digits.reset();
  timer.reset();
  lightning.reset();
  Screen::Close();
}

int PlayScreen::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == platform::WM_KEYDOWN && !inFrame) OnKeyDown(static_cast<uint32_t>(wParam), lParam);
  return 1;
}

void PlayScreen::OnKeyDown(uint32_t virtualKey, intptr_t flags) {
  // Alt combinations belong to the window (Alt+Enter switches full screen).
  if ((flags & platform::kKeyAltHeld) != 0) return;
  const bool control = (flags & platform::kKeyControlHeld) != 0;
  // A held arrow walks on; every other key acts once per press, as a click does.
  const bool repeated = (flags & platform::kKeyRepeated) != 0;
  switch (virtualKey) {
    case kVkLeft:
    case kVkRight: {
      const bool right = virtualKey == kVkRight;
      if (!control) {
        game.MoveCursor(right ? 1 : -1, 0);
      } else if (!repeated) {
        game.QueueKeyMove(right ? Game::KeyMove::BlowRight : Game::KeyMove::BlowLeft);
      }
      break;
    }
    case kVkUp:
    case kVkDown:
      if (!control) game.MoveCursor(0, virtualKey == kVkDown ? 1 : -1);
      break;
    case kVkSpace:
    case platform::VK_RETURN:
    case platform::VK_GAMEPAD_A:
      if (!control && !repeated) game.QueueKeyMove(Game::KeyMove::Pop);
      break;
    // A controller's shoulders blow the row as Ctrl with an arrow does.
    case platform::VK_GAMEPAD_LEFT_SHOULDER:
    case platform::VK_GAMEPAD_RIGHT_SHOULDER:
      if (!repeated) {
        game.QueueKeyMove(virtualKey == platform::VK_GAMEPAD_RIGHT_SHOULDER
                              ? Game::KeyMove::BlowRight
                              : Game::KeyMove::BlowLeft);
      }
      break;
    case 'N':
    case platform::VK_GAMEPAD_MENU:
      if (!control && !repeated) keyButton = "newgame";
      break;
    case 'H':
    case platform::VK_GAMEPAD_Y:
      if (!control && !repeated) keyButton = "help";
      break;
    case 'M':
    case platform::VK_GAMEPAD_VIEW:
      if (!control && !repeated) keyButton = "menu";
      break;
    default:
      break;
  }
}

int PlayScreen::Update(int) {
  struct FrameMark {
    bool& flag;
    explicit FrameMark(bool& f) : flag(f) { flag = true; }
    ~FrameMark() { flag = false; }
  } mark(inFrame);
  const char* keyed = keyButton;
  keyButton = nullptr;
  // The clicks tested here are those the previous frame's mouse poll left in the buttons; the
  // list answers for its first clicked button only, so at most one of these acts. A key stands
  // for its button only in a frame without a click, which keeps that so.
  ButtonList* list = Buttons();
  if (list != nullptr) {
    if (list->FindClicked() != nullptr) keyed = nullptr;
    // A cleared board waits for a mouse press, which ends it (and enters its score) before any
    // button acts; a key standing for a button ends it the same way.
    if (keyed != nullptr && game.GetState() == kStateCleared && game.RunCleared(1) == 0) {
      return kFrameResultQuit;
    }
    auto pressed = [&](const char* name) {
      return list->IsClicked(name) != 0 || (keyed != nullptr && std::strcmp(keyed, name) == 0);
    };
    if (pressed("newgame")) game.NewGame();
    if (pressed("help")) {
      if (ShowInstructions() == 0) return kFrameResultQuit;
    }
    if (list->IsClicked("exit")) return kFrameResultQuit;
    if (pressed("menu")) {
      PlayEffect("click");
      if (StartLauncher()) return kFrameResultQuit;
    }
  }
  if (game.RunFrame() == kFrameResultQuit) return kFrameResultQuit;
  return Flip() != 0 ? 1 : 0;
}

int PlayScreen::ShowInstructions() {
  StopClock();
  PlayEffect("click");
  Dialog dialog;
  dialog.AddPanel("title\\HowToPlay.bmp", nullptr);
  dialog.AddDefaultButton();
  char result[Screen::kNameSize];
  if (dialog.Run(result, "rules") == 0) return 0;
  TheDirtyRects().EraseDialogArea(dialog.Rectangle());
  // The erase took the balloons under the picture out of the scene: draw the board again.
  game.SetBoardDirty(1);
  game.DrawGameFrame(TheDirtyRects().Scene());
  // The game goes on where it stopped: its clock runs again once the picture is closed.
  if (game.GetState() == kStatePlaying) StartClock();
  return 1;
}

bool PlayScreen::StartLauncher() {
  const char* folder = launcherDir != nullptr ? launcherDir() : nullptr;
  if (folder == nullptr || folder[0] == '\0') return false;
  char path[kPathSize];
  const int length = std::snprintf(path, sizeof(path), "%s\\Hubbix.exe", folder);
  // A path that does not fit would start some other file; stay in the game instead.
  if (length < 0 || length >= kPathSize) return false;
  platform::GetProcessStarter().StartProgram(path, "Zeppolo", folder);
  return true;
}

PlayScreen& ThePlayScreen() {
  static PlayScreen screen("balloon", TheGame());
  return screen;
}

Game& TheGame() {
  static Game game;
  return game;
}
