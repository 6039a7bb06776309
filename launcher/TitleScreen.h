#pragma once
// A game's title page, screen "title": the game's title picture with the launcher's buttons to
// play, read the rules and the credits, see the hall of fame, manage the players, switch the
// music and the sound effects, go back to the pages or quit; and the eight players' names, of
// which a click makes one the current player. While it is shown the game's folder is the current
// folder, so "..\\" names the launcher's files.

#include <cstdint>

#include "framework/Dialog.h"
#include "framework/Font.h"
#include "framework/PlayerProfiles.h"
#include "framework/Screen.h"
#include "framework/TextField.h"
#include "launcher/GameRecord.h"
#include "launcher/HallOfFameDialog.h"
#include "launcher/PlayersDialog.h"

class TitleScreen : public Screen {
 public:
  TitleScreen();
  ~TitleScreen() override;

  // The chosen game, set by the pages before this screen is selected; the record stays theirs.
  void SetGame(const GameRecord* record) { game = record; }
  const GameRecord* Game() const { return game; }

  int Open(QZDirectDraw* directDraw, QZSurface* back) override;
  // The player fields and the fonts, then the buttons and pictures.
  void Close() override;
  // 7 ends the launcher.
  int Update(int active) override;
  int Flip() override;

  int Current() const { return current; }
  int Sfx() const { return sfx; }
  int Music() const { return music; }
  const TextField* PlayerField(int n) const;

 protected:
  // The dialogs this page runs, before they are built.
  virtual Dialog* NewPictureDialog() { return new Dialog(); }
  virtual PlayersDialog* NewPlayersDialog() { return new PlayersDialog(); }
  virtual HallOfFameDialog* NewHallOfFameDialog(const char* gameName) {
    return new HallOfFameDialog(gameName);
  }

 private:
  void FreeFields();
  // Field n shows the first word of player n's name.
  void ShowPlayerName(int n);
  // Runs a picture (rules, credits) placed like every dialog of this page; 0 when interrupted.
  int RunPicture(const char* panel);
  void Toggle(const char* key, int* state);

  const GameRecord* game = nullptr;
  TextField* fields[kPlayerCount] = {};
  int current = 0;
  int sfx = 1;
  int music = 1;
  Font* normalFont = nullptr;
  Font* highlightFont = nullptr;
  uint32_t lastButtons = 0;
};
