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
  // Key presses play beside the mouse: the arrows move the board's cursor, Space or Enter pops
  // at it, Ctrl with Left or Right blows its row, N, H and M press "newgame", "help" and
  // "menu". Other messages are not used by the game.
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

  void OnKeyDown(uint32_t virtualKey, intptr_t flags);

  Game& game;
  LauncherDirSource launcherDir = nullptr;
  // The menu button a key pressed since the last frame, or null.
  const char* keyButton = nullptr;
  // True while a frame runs: keys that arrive then were pumped by a picture shown over the
  // board and are that picture's, not the board's.
  bool inFrame = false;
  std::unique_ptr<Sprite> digits;
  std::unique_ptr<Sprite> timer;
  std::unique_ptr<Sprite> lightning;
};

// The process's play screen and game, wired to each other.
PlayScreen& ThePlayScreen();
Game& TheGame();
