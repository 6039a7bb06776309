#include "launcher/PlayersDialog.h"

#include <cstdio>
#include <vector>

#include "framework/DirtyRects.h"
#include "framework/KeyFocus.h"
#include "framework/MousePointer.h"
#include "launcher/Players.h"
#include "launcher/StripButton.h"
#include "platform/Messages.h"
#include "platform/Utf8.h"

namespace {

constexpr uint32_t kKeyTab = 0x0F;
constexpr uint32_t kKeyEnter = 0x1C;
// The record's field size: a line takes what the options file keeps, 63 bytes of UTF-8.
constexpr int kFieldCapacity = kPlayerFieldSize;

struct Box {
  int x;
  int y;
  int width;
  int height;
};

constexpr Box kBoxes[PlayersDialog::kFieldCount] = {
    {50, 270, 580, 26},  // name
    {50, 336, 580, 26},  // address
    {50, 404, 580, 26},  // e-mail
};

}  // namespace

PlayersDialog::~PlayersDialog() {
  for (TextField*& field : fields) {
    delete field;
    field = nullptr;
  }
  delete normalFont;
  delete highlightFont;
}

void PlayersDialog::CreateLists() {
  Dialog::CreateLists();
  if (built) return;
  built = true;

  normalFont = new Font();
  normalFont->Load("..\\n_font.bmp");
  normalFont->SetSpacing(1);
  highlightFont = new Font();
  highlightFont->Load("..\\h_font.bmp");
  highlightFont->SetSpacing(3);

  AddPanel("..\\PlayerInfo.bmp", "players");
  AddButton(MakeStripButton("enter", "..\\EnterButton.bmp", 474, 471, 2));
  AddButton(MakeStripButton("remove", "..\\RemoveButton.bmp", 360, 471, 2));
  AddButton(MakeStripButton("back", "..\\BackButton.bmp", 608, 489, 2));
  Button* yesno = MakeStripButton("yesno", "..\\yesno.bmp", 37, 486, 2);
  yesno->SetSingleImage(1);
  yesno->SetMarkDirty(1);
  AddButton(yesno);

  // Typing uses the highlighted font (font 0) throughout.
  for (int i = 0; i < kFieldCount; ++i) {
    TextField* field = new TextField();
    field->SetCapacity(kFieldCapacity);
    field->AddSharedFont(highlightFont);
    field->AddSharedFont(normalFont);
    field->SetBox(kBoxes[i].x, kBoxes[i].y, kBoxes[i].width, kBoxes[i].height);
    field->SetOrigin(PositionX(), PositionY());
    field->SetCursor("..\\blockcursor.bmp");
    field->SetTwoStep(0);
    field->SetEditable(1);
    fields[i] = field;
  }
  fields[0]->SetFocus(1);
  send = 1;
  TheMousePointer().GetState(nullptr, nullptr, &lastButtons);

  // The lines can have the keyboard focus like the buttons; typing goes where it is, and it
  // starts where typing does.
  std::vector<FocusTarget> lines;
  for (int i = 0; i < kFieldCount; ++i) {
    const int left = kBoxes[i].x + PositionX();
    const int top = kBoxes[i].y + PositionY();
    lines.push_back({{left, top, left + kBoxes[i].width, top + kBoxes[i].height}, nullptr, i});
  }
  Focus().SetOwnTargets(lines);
  Focus().SetHomeTarget(0);
  focusWas = 0;
  typingWas = 0;
}

int PlayersDialog::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const FocusTarget* focused = Focus().Focused();
  const bool onLine = focused == nullptr || focused->button == nullptr;
  if (message == platform::WM_KEYDOWN && onLine &&
      (wParam == platform::VK_TAB || wParam == platform::VK_RETURN ||
       wParam == platform::VK_SPACE)) {
    return 1;
  }
  return Dialog::OnMessage(message, wParam, lParam);
}

void PlayersDialog::SetRecord(PlayerRecord* player) {
  record = player;
  if (record == nullptr) return;
  if (fields[0] != nullptr) fields[0]->SetText(record->name);
  if (fields[1] != nullptr) fields[1]->SetText(record->address);
  if (fields[2] != nullptr) fields[2]->SetText(record->email);
  Button* yesno = Buttons() != nullptr ? Buttons()->Find("yesno") : nullptr;
  if (yesno == nullptr) return;
  if (record->send[0] == 'N' && record->send[1] == '\0') {
    yesno->SwapFirstImages();
    send = 0;
  } else {
    send = 1;
  }
}

int PlayersDialog::OnFrame(int x, int y, uint32_t mouseButtons) {
  ButtonList* buttons = Buttons();
  if (mouseButtons != lastButtons && (mouseButtons & 1) != 0) {
    bool focused = false;
    for (TextField* field : fields) {
      if (field != nullptr && field->OnClick(x, y) != 0) focused = true;
    }
    // A click beside every line still leaves somewhere to type.
    if (!focused && fields[0] != nullptr) fields[0]->SetFocus(1);
  }
  lastButtons = mouseButtons;

  // A controller's A on a line moves on to the next one, as Enter there does.
  const int keyed = KeyPressed();
  if (keyed >= 0 && keyed < kFieldCount && fields[keyed] != nullptr) {
    fields[keyed]->SetFocus(0);
    TextField* next = fields[(keyed + 1) % kFieldCount];
    if (next != nullptr) next->SetFocus(1);
  }

  if (buttons->IsClicked("back")) Finish("back");

  if (buttons->IsClicked("remove")) {
    PlayerProfiles& profiles = ThePlayerProfiles();
    profiles.ResetPlayer(profiles.Current());
    Finish("remove");
  }

  if (buttons->IsClicked("enter")) {
    if (record != nullptr) {
      // The lines hold no more than the record does; the copies are bounded all the same.
      platform::CopyUtf8(record->name, sizeof(record->name), fields[0]->Text());
      platform::CopyUtf8(record->address, sizeof(record->address), fields[1]->Text());
      platform::CopyUtf8(record->email, sizeof(record->email), fields[2]->Text());
      if (buttons->Find("yesno") != nullptr) {
        std::snprintf(record->send, sizeof(record->send), "%s", send == 1 ? "Y" : "N");
      }
    }
    Finish("play");
  }

  if (buttons->IsClicked("yesno")) {
    if (Button* yesno = buttons->Find("yesno")) yesno->SwapFirstImages();
    send = 1 - send;
  }

  // Tab or enter moves the typing on to the next line, from the last back to the first.
  for (int i = 0; i < kFieldCount; ++i) {
    if (fields[i] == nullptr) continue;
    const uint32_t key = fields[i]->HandleKeys();
    if (key == kKeyTab || key == kKeyEnter) {
      fields[i]->SetFocus(0);
      TextField* next = fields[(i + 1) % kFieldCount];
      if (next != nullptr) next->SetFocus(1);
    }
  }

  FollowFocus();

  DirtyRects& dirty = TheDirtyRects();
  for (TextField* field : fields) {
    if (field == nullptr) continue;
    field->Draw(BackBuffer());
    // The field is drawn at its box moved by the dialog's position.
    const int left = field->X() + PositionX();
    const int top = field->Y() + PositionY();
    dirty.MarkRect(left, top, left + field->Width(), top + field->Height(), 1, kDirtyFromScene);
  }
  return 1;
}

void PlayersDialog::FollowFocus() {
  KeyFocus& keys = Focus();
  const FocusTarget* focused = keys.Focused();
  int focus = -1;
  if (focused != nullptr) focus = focused->button != nullptr ? kOnButton : focused->id;
  int typing = -1;
  for (int i = 0; i < kFieldCount; ++i) {
    if (fields[i] != nullptr && fields[i]->HasFocus()) typing = i;
  }
  if (focus != focusWas && focus != -1) {
    // Moved by keys: a line takes the typing, a button takes it away from every line.
    for (int i = 0; i < kFieldCount; ++i) {
      if (fields[i] != nullptr) fields[i]->SetFocus(i == focus ? 1 : 0);
    }
    typing = focus < kFieldCount ? focus : -1;
  } else if (typing != typingWas && typing >= 0) {
    // Moved by a click, Tab or Enter: the focus goes along.
    keys.FocusTargetId(typing);
    focus = typing;
  }
  focusWas = focus;
  typingWas = typing;
}
