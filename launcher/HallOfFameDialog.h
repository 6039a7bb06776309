#pragma once
// The hall of fame of a title page: the game's twenty best results from its "hiscore.dat" in two
// columns, a "clear" that empties the table, and an "upload" that sends the best entry to the
// maker's web site by opening an address in the user's browser.

#include <cstdint>

#include "framework/Dialog.h"
#include "framework/Font.h"
#include "framework/HighScoreTable.h"
#include "launcher/GameRecord.h"

class HallOfFameDialog : public Dialog {
 public:
  // The game's name goes with an uploaded score.
  explicit HallOfFameDialog(const char* gameName);
  ~HallOfFameDialog() override;

  // Builds the dialog: fonts, panel, buttons, and the table read from "hiscore.dat".
  void CreateLists() override;
  // The buttons' actions, then the table drawn into the panel; returns 1.
  int CheckResult() override;

  const HighScoreTable* Table() const { return table; }
  const Font* PurpleFont() const { return purpleFont; }
  const Font* BlackFont() const { return blackFont; }

 private:
  void DrawTable(QZSurface* target) const;

  char game[GameRecord::kNameSize] = {};
  Font* blackFont = nullptr;
  Font* purpleFont = nullptr;
  HighScoreTable* table = nullptr;
  bool built = false;
};
