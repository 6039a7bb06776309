#include "launcher/TitleScreen.h"

#include <cstring>
#include <vector>

#include "framework/DirtyRects.h"
#include "framework/MousePointer.h"
#include "framework/ScreenManager.h"
#include "launcher/Players.h"
#include "launcher/StripButton.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Profile.h"

namespace {

constexpr const char kOptions[] = "..\\options.ini";
// Every dialog of the page is placed here.
constexpr int kDialogX = 53;
constexpr int kDialogY = 18;
constexpr int kFieldWidth = 150;
constexpr int kFieldHeight = 30;
constexpr int kFieldCapacity = 64;

struct FieldPosition {
  int x;
  int y;
};

constexpr FieldPosition kFieldPositions[kPlayerCount] = {
    {239, 378}, {408, 378}, {238, 420}, {408, 420}, {238, 464}, {408, 464}, {238, 510}, {408, 510},
};

struct ButtonPlace {
  const char* name;
  const char* picture;
  int x;
  int y;
};

constexpr ButtonPlace kButtons[] = {
    {"HowToPlay", "..\\HowToPlayButton.bmp", 52, 296},
    {"Play", "..\\PlayButton.bmp", 636, 296},
    {"HighScores", "..\\HighScoresButton.bmp", 52, 365},
    {"Menu", "..\\MenuButton.bmp", 636, 365},
    {"Credits", "..\\CreditsButton.bmp", 52, 435},
    {"Exit", "..\\ExitButton.bmp", 636, 435},
    {"Players", "..\\PlayersButton.bmp", 280, 318},
    {"SFX", "..\\sfx.bmp", 52, 505},
    {"Music", "..\\music.bmp", 106, 505},
};

}  // namespace

TitleScreen::TitleScreen() {
  SetName("title");
}

TitleScreen::~TitleScreen() {
  FreeFields();
}

const TextField* TitleScreen::PlayerField(int n) const {
  return n >= 0 && n < kPlayerCount ? fields[n] : nullptr;
}

void TitleScreen::FreeFields() {
  for (TextField*& field : fields) {
    delete field;
    field = nullptr;
  }
  delete normalFont;
  normalFont = nullptr;
  delete highlightFont;
  highlightFont = nullptr;
}

void TitleScreen::ShowPlayerName(int n) {
  if (fields[n] == nullptr) return;
  const char* name = ThePlayerProfiles().Player(n).name;
  char word[kPlayerFieldSize];
  size_t length = 0;
  while (length + 1 < sizeof(word) && name[length] != '\0' && name[length] != ' ') {
    word[length] = name[length];
    ++length;
  }
  word[length] = '\0';
  fields[n]->SetText(word);
}

int TitleScreen::Open(QZDirectDraw* directDraw, QZSurface* back) {
  if (game != nullptr) platform::SetCurrentFolder(game->folder);
  Screen::Open(directDraw, back);
  OpenBackground(".\\title\\titlebackground.bmp");

  for (const ButtonPlace& place : kButtons)
    AddButton(MakeStripButton(place.name, place.picture, place.x, place.y, 2));

  // The switches show one picture, picture 0 being "on"; only a value beginning with "N" is off.
  struct Switch {
    const char* key;
    int* state;
  };
  const Switch switches[] = {{"SFX", &sfx}, {"Music", &music}};
  for (const Switch& item : switches) {
    Button* button = Buttons()->Find(item.key);
    if (button != nullptr) button->SetSingleImage(1);
    char value[10];
    platform::ReadProfileString("setup", item.key, "Y", value, sizeof(value), kOptions);
    if (value[0] == 'N') {
      if (button != nullptr) button->SwapFirstImages();
      *item.state = 0;
    } else {
      *item.state = 1;
    }
  }

  FreeFields();
  normalFont = new Font();
  normalFont->Load("..\\n_font.bmp");
  highlightFont = new Font();
  highlightFont->Load("..\\h_font.bmp");
  for (int n = 0; n < kPlayerCount; ++n) {
    TextField* field = new TextField();
    field->SetCapacity(kFieldCapacity);
    field->AddSharedFont(normalFont);
    field->AddSharedFont(highlightFont);
    field->SetCursor("..\\blockcursor.bmp");
    field->SetOrigin(0, 0);
    field->SetFocus(0);
    field->SetEditable(0);
    field->SetBox(kFieldPositions[n].x, kFieldPositions[n].y, kFieldWidth, kFieldHeight);
    fields[n] = field;
  }

  PlayerProfiles& profiles = ThePlayerProfiles();
  profiles.SetPath(kOptions);
  current = profiles.ReadCurrent();
  for (int n = 0; n < kPlayerCount; ++n) {
    profiles.ReadPlayer(n);
    ShowPlayerName(n);
  }

  // A press that is still held from the page before is not a click on a name.
  TheMousePointer().GetState(nullptr, nullptr, &lastButtons);

  // Enter alone plays; the players' names can have the focus too, and pressing one chooses it.
  // A controller's B goes back to the pages and its Start plays.
  KeyFocus& keys = Focus();
  keys.Reset();
  keys.SetHome("Play");
  keys.SetKeyButtons("Menu", "Play", nullptr, nullptr);
  std::vector<FocusTarget> names;
  for (int n = 0; n < kPlayerCount; ++n) {
    const FieldPosition& at = kFieldPositions[n];
    names.push_back({{at.x, at.y, at.x + kFieldWidth, at.y + kFieldHeight}, nullptr, n});
  }
  keys.SetOwnTargets(names);
  if (game != nullptr) platform::SetCurrentFolder(game->folder);
  return 1;
}

void TitleScreen::Close() {
  FreeFields();
  Screen::Close();
}

int TitleScreen::Flip() {
  if (Buttons() != nullptr) Buttons()->RedrawAll();
  Focus().Draw(BackBuffer(), nullptr, true);
  return Screen::Flip();
}

int TitleScreen::RunPicture(const char* panel) {
  Dialog* dialog = NewPictureDialog();
  dialog->AddPanel(panel, "picture");
  dialog->AddDefaultButton();
  dialog->Place(kDialogX, kDialogY);
  char result[Screen::kNameSize];
  const int answered = dialog->Run(result, nullptr);
  delete dialog;
  if (answered != 0) TheDirtyRects().EraseAll();
  return answered;
}

void TitleScreen::Toggle(const char* key, int* state) {
  if (Button* button = Buttons()->Find(key)) button->SwapFirstImages();
  *state = 1 - *state;
  platform::WriteProfileString("setup", key, *state == 1 ? "Y" : "N", kOptions);
}

int TitleScreen::Update(int) {
  int x = 0;
  int y = 0;
  uint32_t mouseButtons = 0;
  TheMousePointer().GetState(&x, &y, &mouseButtons);
  ButtonList* buttons = Buttons();
  buttons->OnMouseAll(x, y, mouseButtons);
  buttons->RedrawAll();
  const int keyed = Focus().Apply(buttons, x, y);

  PlayerProfiles& profiles = ThePlayerProfiles();
  auto clickNames = [&](int px, int py) {
    for (int n = 0; n < kPlayerCount; ++n) {
      if (fields[n] == nullptr) continue;
      fields[n]->OnClick(px, py);
      if (fields[n]->IsSelected()) {
        current = n;
        profiles.WriteCurrent(n);
      }
    }
  };
  if (mouseButtons != lastButtons && (mouseButtons & 1) != 0) clickNames(x, y);
  lastButtons = mouseButtons;
  // A name pressed by key is clicked in its middle.
  if (keyed >= 0 && keyed < kPlayerCount) {
    const FieldPosition& at = kFieldPositions[keyed];
    clickNames(at.x + kFieldWidth / 2, at.y + kFieldHeight / 2);
  }

  // The current player's name is always drawn highlighted, also in the frame of a click beside
  // every name, which takes the highlight off all of them.
  if (fields[current] != nullptr) fields[current]->SetSelected(1);
  DirtyRects& dirty = TheDirtyRects();
  for (TextField* field : fields) {
    if (field == nullptr) continue;
    field->Draw(BackBuffer());
    dirty.MarkRect(field->X(), field->Y(), field->X() + field->Width(),
                   field->Y() + field->Height(), 1, kDirtyFromScene);
  }

  if (buttons->IsClicked("SFX")) Toggle("SFX", &sfx);
  if (buttons->IsClicked("Music")) Toggle("Music", &music);

  if (buttons->IsClicked("Credits") && RunPicture(".\\title\\Credits.bmp") == 0) {
    return kFrameResultQuit;
  }
  if (buttons->IsClicked("HowToPlay") && RunPicture(".\\title\\HowToPlay.bmp") == 0) {
    return kFrameResultQuit;
  }

  if (buttons->IsClicked("HighScores")) {
    HallOfFameDialog* hall = NewHallOfFameDialog(game != nullptr ? game->name : "");
    hall->CreateLists();
    hall->Place(kDialogX, kDialogY);
    char result[Screen::kNameSize];
    const int answered = hall->Run(result, nullptr);
    delete hall;
    if (answered == 0) return kFrameResultQuit;
    dirty.EraseAll();
  }

  if (buttons->IsClicked("Players")) {
    profiles.SetPath(kOptions);
    PlayersDialog* players = NewPlayersDialog();
    players->CreateLists();
    players->Place(kDialogX, kDialogY);
    players->SetRecord(&profiles.Player(current));
    char result[Screen::kNameSize];
    const int answered = players->Run(result, nullptr);
    delete players;
    if (answered == 0) return kFrameResultQuit;
    // The dialog changed (or reset) the current player in the table only; store them all.
    for (int n = 0; n < kPlayerCount; ++n) {
      profiles.WritePlayer(n, profiles.Player(n));
      ShowPlayerName(n);
    }
    dirty.EraseAll();
  }

  if (buttons->IsClicked("Play")) {
    // The game is started with the launcher's folder, absolute, as its one argument, so it
    // can start the launcher again; the launcher then ends.
    char launcherFolder[GameRecord::kFolderSize];
    platform::SetCurrentFolder("..");
    if (game != nullptr && platform::GetCurrentFolder(launcherFolder, sizeof(launcherFolder))) {
      platform::GetProcessStarter().StartProgram(game->program, launcherFolder, game->folder);
    }
    return kFrameResultQuit;
  }

  if (buttons->IsClicked("Menu")) {
    platform::SetCurrentFolder("..");
    TheScreenManager().Select("Hubbix");
    return 1;
  }

  if (buttons->IsClicked("Exit")) return kFrameResultQuit;

  return Flip() != 0 ? 1 : 0;
}
