#pragma once
// The launcher's main page, screen "Hubbix": the games found beside the launcher as pages of up
// to twelve picture buttons, with page arrows, an information picture and an exit. The slot after
// the last game shows the "collect" picture; it and every other enabled slot without a game open
// the maker's web site. Choosing a game opens its title page.

#include <cstdint>

#include "framework/Dialog.h"
#include "framework/PtrArray.h"
#include "framework/Screen.h"
#include "framework/Sprite.h"
#include "launcher/GameRecord.h"

class TitleScreen;

class MenuScreen : public Screen {
 public:
  static constexpr int kSlots = 12;

  // The title page receives the chosen game.
  explicit MenuScreen(TitleScreen& title);
  ~MenuScreen() override;

  // Builds the page afresh: pictures, buttons, the game list, page 0.
  int Open(QZDirectDraw* directDraw, QZSurface* back) override;
  void Close() override;
  // 7 ends the launcher.
  int Update(int active) override;
  // Draws the page number, the games of the page and the collect picture, then flips.
  int Flip() override;

  // Lists the sub-folders of the current folder that hold "HubbixButton.bmp".
  virtual void FindGames();
  // Puts the collect picture in the slot after the last game and enables that slot.
  virtual void PlaceCollect();
  // Opens the title page of the game whose program name begins with the text (the last such
  // game when several do); the pages stay when none does.
  virtual void SelectByCommandLine(const char* text);

  int Page() const { return page; }
  int Count() const { return count; }
  const GameRecord* Game(int k) const;
  const Sprite* CollectPicture() const { return collect; }

 protected:
  // The information dialog before its panel and button are added.
  virtual Dialog* NewHelpDialog() { return new Dialog(); }

 private:
  void SelectGame(int k);
  void FreeGames();
  Button* SlotButton(int slot) const;

  TitleScreen& title;
  int page = 0;
  int count = 0;
  PtrArray<GameRecord>* games = nullptr;
  Sprite* pageDigits = nullptr;
  Sprite* collect = nullptr;
  // Whether the page has been drawn since it opened.
  bool drawn = false;
};
