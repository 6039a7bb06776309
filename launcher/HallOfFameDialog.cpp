#include "launcher/HallOfFameDialog.h"

#include <cstdio>
#include <cstring>

#include "framework/DirtyRects.h"
#include "launcher/ScoreUpload.h"
#include "launcher/StripButton.h"
#include "platform/Language.h"
#include "platform/Process.h"

namespace {

constexpr const char kTableFile[] = "hiscore.dat";
constexpr int kRows = 10;
constexpr int kFirstRowY = 275;
constexpr int kRowHeight = 26;
constexpr int kLeftNameX = 56;
constexpr int kScoreOffset = 200;
// The right column is placed from the dialog's position (387 and 587 at the usual place).
constexpr int kRightColumnOffset = 334;

}  // namespace

HallOfFameDialog::HallOfFameDialog(const char* gameName) {
  std::snprintf(game, sizeof(game), "%s", gameName != nullptr ? gameName : "");
}

HallOfFameDialog::~HallOfFameDialog() {
  delete blackFont;
  delete purpleFont;
  delete table;
}

void HallOfFameDialog::CreateLists() {
  Dialog::CreateLists();
  if (built) return;
  built = true;

  blackFont = new Font();
  blackFont->Load("..\\HallBlackFont.bmp");
  blackFont->SetSpacing(1);
  purpleFont = new Font();
  purpleFont->Load("..\\HallPurpleFont.bmp");
  purpleFont->SetSpacing(1);

  AddPanel("..\\HallOfFameScreen.bmp", "hall");
  AddButton(MakeStripButton("upload", "..\\UploadButton.bmp", 552, 88, 2));
  AddButton(MakeStripButton("clear", "..\\ClearScores.bmp", 552, 149, 2));
  AddButton(MakeStripButton("back", "..\\backbutton.bmp", 595, 220, 2));
  AddDefaultButton();

  table = new HighScoreTable();
  table->Init(kHighScoreEntries);
  table->Load(kTableFile);
}

int HallOfFameDialog::CheckResult() {
  ButtonList* buttons = Buttons();
  if (buttons->IsClicked("upload")) {
    // Entry 0 goes even when it is empty.
    char address[kUploadAddressSize];
    if (BuildUploadAddress(game, table->Name(0), table->Score(0), address, sizeof(address))) {
      platform::GetProcessStarter().OpenAddress(address);
    } else {
      std::fprintf(stderr,
                   platform::Tr("The score of %s cannot be sent: its address would be too long"),
                   game);
      std::fputc('\n', stderr);
    }
  }
  if (buttons->IsClicked("clear")) {
    table->Init(kHighScoreEntries);
    table->Save(kTableFile);
    Finish("clear");
  }
  if (buttons->IsClicked("back")) Finish("back");

  DrawTable(TheDirtyRects().Scene());
  return 1;
}

void HallOfFameDialog::DrawTable(QZSurface* target) const {
  if (target == nullptr || table == nullptr) return;
  const int columnX[2] = {kLeftNameX, PositionX() + kRightColumnOffset};
  for (int column = 0; column < 2; ++column) {
    for (int row = 0; row < kRows; ++row) {
      const int entry = column * kRows + row;
      const char* stored = table->Name(entry);
      if (stored[0] == '\0') continue;
      // Of a stored player line only the player's name, the part before the first colon.
      char name[kHighScoreNameSize];
      size_t length = 0;
      while (length + 1 < sizeof(name) && stored[length] != '\0' && stored[length] != ':') {
        name[length] = stored[length];
        ++length;
      }
      name[length] = '\0';
      char score[16];
      std::snprintf(score, sizeof(score), "%d", table->Score(entry));

      const Font* font = row % 2 == 0 ? purpleFont : blackFont;
      const int y = kFirstRowY + row * kRowHeight;
      font->DrawText(target, name, columnX[column], y, 0, -1);
      font->DrawText(target, score, columnX[column] + kScoreOffset, y, 0, -1);
    }
  }
}
