#include "launcher/MenuScreen.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/DirtyRects.h"
#include "framework/FrameLoop.h"
#include "framework/MousePointer.h"
#include "framework/ScreenManager.h"
#include "launcher/Maker.h"
#include "launcher/StripButton.h"
#include "launcher/TitleScreen.h"
#include "platform/Files.h"
#include "platform/Process.h"

namespace {

struct SlotPosition {
  int x;
  int y;
};

// Three columns, four rows.
constexpr SlotPosition kSlotPositions[MenuScreen::kSlots] = {
    {14, 140}, {271, 140}, {528, 140}, {14, 247}, {271, 247}, {528, 247},
    {14, 355}, {271, 355}, {528, 355}, {14, 461}, {271, 461}, {528, 461},
};

constexpr int kPageNumberRight = 716;
constexpr int kPageNumberY = 30;

// The slots' button names, looked up every frame for a click.
constexpr const char* kSlotNames[MenuScreen::kSlots] = {
    "button1", "button2", "button3", "button4",  "button5",  "button6",
    "button7", "button8", "button9", "button10", "button11", "button12",
};

}  // namespace

MenuScreen::MenuScreen(TitleScreen& titleScreen) : title(titleScreen) {
  SetName("Hubbix");
}

MenuScreen::~MenuScreen() {
  delete pageDigits;
  delete collect;
  FreeGames();
}

const GameRecord* MenuScreen::Game(int k) const {
  if (games == nullptr || k < 0 || k >= games->Count()) return nullptr;
  return games->At(k);
}

Button* MenuScreen::SlotButton(int slot) const {
  if (slot < 0 || slot >= kSlots || Buttons() == nullptr) return nullptr;
  return Buttons()->Find(kSlotNames[slot]);
}

void MenuScreen::FreeGames() {
  if (games == nullptr) return;
  // The title page may still name one of these records; it is closed whenever this page opens.
  title.SetGame(nullptr);
  games->DeleteAll();
  delete games;
  games = nullptr;
  count = 0;
}

int MenuScreen::Open(QZDirectDraw* directDraw, QZSurface* back) {
  Screen::Open(directDraw, back);
  OpenBackground("background.bmp");

  AddButton(MakeStripButton("left", "PageArrowsLeft.bmp", 638, 19, 2));
  AddButton(MakeStripButton("right", "PageArrowsRight.bmp", 739, 19, 2));
  AddButton(MakeStripButton("help", "Info.bmp", 637, 89, 2));
  AddButton(MakeStripButton("exit", "SmallExit.bmp", 718, 89, 2));
  for (int slot = 0; slot < kSlots; ++slot) {
    Button* button = MakeStripButton(kSlotNames[slot], "GameButton.bmp", kSlotPositions[slot].x,
                                     kSlotPositions[slot].y, 3);
    button->SetEnabled(0);
    AddButton(button);
  }

  delete pageDigits;
  pageDigits = new Sprite();
  pageDigits->LoadStrip("PageNumbers.bmp", 10, 0);

  page = 0;
  FreeGames();
  games = new PtrArray<GameRecord>();
  FindGames();
  PlaceCollect();

  // Enter alone opens the first game; PageUp and PageDown (a controller's shoulders) turn pages.
  KeyFocus& keys = Focus();
  keys.Reset();
  keys.SetHome("button1");
  keys.SetKeyButtons(nullptr, nullptr, "left", "right");
  drawn = false;
  return 1;
}

void MenuScreen::Close() {
  delete pageDigits;
  pageDigits = nullptr;
  delete collect;
  collect = nullptr;
  Screen::Close();
}

void MenuScreen::FindGames() {
  if (games == nullptr) games = new PtrArray<GameRecord>();
  char current[GameRecord::kFolderSize];
  std::vector<platform::FolderEntry> entries;
  if (platform::GetCurrentFolder(current, sizeof(current)) &&
      platform::ListFolder(current, entries)) {
    const size_t currentLength = std::strlen(current);
    for (const platform::FolderEntry& entry : entries) {
      // Plain folders only: one that is also read-only, hidden or anything else is not a game.
      if (entry.attributes != platform::kAttributeFolder || entry.name.empty() ||
          entry.name[0] == '.') {
        continue;
      }
      // Paths are written the Windows way, where a backslash separates folders: a name holding
      // one would lead to another folder (or above this one), so it is no game of ours.
      if (entry.name.find('\\') != std::string::npos) continue;
      // A name or path that does not fit the record would name another folder or program once
      // cut, so such a folder is passed over.
      if (entry.name.size() > static_cast<size_t>(GameRecord::kMaxNameLength)) continue;
      if (currentLength + 1 + entry.name.size() >= static_cast<size_t>(GameRecord::kFolderSize)) {
        continue;
      }
      const std::string folder = std::string(current) + "\\" + entry.name;
      const std::string picture = folder + "\\HubbixButton.bmp";
      FILE* probe = platform::OpenFile(picture.c_str(), "rb");
      if (probe == nullptr) continue;

      GameRecord* record = new GameRecord();
      std::snprintf(record->folder, sizeof(record->folder), "%s", folder.c_str());
      std::snprintf(record->program, sizeof(record->program), "%s.exe", entry.name.c_str());
      std::snprintf(record->name, sizeof(record->name), "%s", entry.name.c_str());
      record->button = new Sprite();
      record->button->LoadFrame(picture.c_str());
      games->Push(record);
      std::fclose(probe);
    }
  }
  count = games->Count();
}

void MenuScreen::PlaceCollect() {
  int x = 0;
  int y = 0;
  if (Button* slot = SlotButton(count % kSlots)) {
    x = slot->X();
    y = slot->Y();
    slot->SetEnabled(1);
  }
  delete collect;
  collect = new Sprite();
  collect->LoadFrame("CollectButton.bmp");
  collect->SetPosition(x, y);
}

int MenuScreen::Flip() {
  // The page number, its last digit ending at a fixed place.
  if (pageDigits != nullptr) {
    char digits[16];
    const int length = std::snprintf(digits, sizeof(digits), "%d", page + 1);
    const int digitWidth = pageDigits->Width() / 10;
    int x = kPageNumberRight - length * digitWidth;
    for (int i = 0; i < length; ++i) {
      pageDigits->SetFrame(digits[i] - '0');
      pageDigits->SetPosition(x, kPageNumberY);
      pageDigits->Draw();
      x += digitWidth;
    }
  }

  const int first = page * kSlots;
  for (int k = first; k < first + kSlots && k < count; ++k) {
    Button* slot = SlotButton(k - first);
    if (slot == nullptr) continue;
    Sprite* picture = games->At(k)->button;
    if (picture != nullptr) {
      picture->SetPosition(slot->X(), slot->Y());
      picture->Draw();
    }
    slot->SetEnabled(1);
  }
  if (collect != nullptr && first <= count && count < first + kSlots) collect->Draw();

  if (Buttons() != nullptr) Buttons()->RedrawAll();
  Focus().Draw(BackBuffer(), nullptr, true);
  drawn = true;
  SetFrameRate(QZGetFPS());
  return Screen::Flip();
}

int MenuScreen::Update(int) {
  int x = 0;
  int y = 0;
  uint32_t mouseButtons = 0;
  TheMousePointer().GetState(&x, &y, &mouseButtons);
  ButtonList* buttons = Buttons();
  buttons->OnMouseAll(x, y, mouseButtons);
  buttons->RedrawAll();
  // The slots take their games at the first drawing; keys wait for it, so that Enter finds the
  // first game's slot.
  if (drawn) Focus().Apply(buttons, x, y);

  if (buttons->IsClicked("exit")) return kFrameResultQuit;

  if (buttons->IsClicked("help")) {
    Dialog* help = NewHelpDialog();
    help->AddPanel("infoscreen.bmp", "info");
    help->AddButton(MakeStripButton("back", "backbutton.bmp", 689, 370, 2));
    char result[Screen::kNameSize];
    const int answered = help->Run(result, nullptr);
    delete help;
    // An interrupted dialog means the program is ending.
    if (answered == 0) return kFrameResultQuit;
    TheDirtyRects().EraseAll();
  }

  if (buttons->IsClicked("left")) {
    if (page > 0) --page;
    PlaceCollect();
    TheDirtyRects().EraseAll();
  }

  if (buttons->IsClicked("right")) {
    // A page exists when it holds at least the collect slot.
    if (count >= (page + 1) * kSlots) ++page;
    PlaceCollect();
    TheDirtyRects().EraseAll();
  }

  for (int i = 0; i < kSlots; ++i) {
    if (!buttons->IsClicked(kSlotNames[i])) continue;
    if (count < page * kSlots + i + 1) {
      platform::GetProcessStarter().OpenAddress(kMakerSite);
    } else {
      SelectGame(page * kSlots + i);
    }
    return 1;
  }

  return Flip() != 0 ? 1 : 0;
}

void MenuScreen::SelectGame(int k) {
  const GameRecord* record = Game(k);
  if (record == nullptr) return;
  title.SetGame(record);
  TheScreenManager().Select("title");
}

void MenuScreen::SelectByCommandLine(const char* text) {
  if (text == nullptr || text[0] == '\0' || games == nullptr) return;
  const size_t length = std::strlen(text);
  // Every match would select again, so the last matching game is the one that stays.
  int chosen = -1;
  for (int k = 0; k < games->Count(); ++k) {
    if (std::strncmp(games->At(k)->program, text, length) == 0) chosen = k;
  }
  if (chosen >= 0) SelectGame(chosen);
}
