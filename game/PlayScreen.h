#pragma once
// The game's one screen, "balloon": the background with the two columns of cloud buttons, the
// four menu buttons, the balloon board and the score panel. It loads its pictures, buttons,
// sprites and sounds when opened and sets up the first game; each frame it reacts to the menu
// buttons, runs the game's frame and flips.

#include <cstdint>
#include <memory>

#include "framework/Screen.h"
#include "framework/Sprite.h"

class Game;

class PlayScreen : public Screen {
 public:
  // The folder the launcher was started from (the shell keeps it); the "menu" button starts the
  // launcher there.
  using LauncherDirSource = const char* (*)();

  PlayScreen(const char* name, Game& game);
  ~PlayScreen() override;

  int Open(QZDirectDraw* directDraw, QZSurface* back) override;
  // Frees every sound of the bank, the sprites, then the screen's buttons and images.
  void Close() override;
  // Window messages are not used by the game.
  int OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  // The frame: menu buttons, the game's frame, the flip. 7 ends the program.
  int Update(int active) override;

  void SetLauncherDirSource(LauncherDirSource source) { launcherDir = source; }

  Game& GetGame() const { return game; }
  Sprite* DigitSprite() const { return digits.get(); }
  Sprite* TimerSprite() const { return timer.get(); }
  Sprite* LightningSprite() const { return lightning.get(); }

 private:
  // Shows the instructions picture; 0 when the program is to end.
  int ShowInstructions();
  // Starts the launcher from its folder; false when the folder is unknown or too long.
  bool StartLauncher();

  Game& game;
  LauncherDirSource launcherDir = nullptr;
  std::unique_ptr<Sprite> digits;
  std::unique_ptr<Sprite> timer;
  std::unique_ptr<Sprite> lightning;
};

// The process's play screen and game, wired to each other.
PlayScreen& ThePlayScreen();
Game& TheGame();
