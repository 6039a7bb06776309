#pragma once
// The game's main object: the balloon board and its moves, the scoring with its floating labels,
// the drawing of the play screen's moving parts, and the flow of a game from its set-up to the
// score entry. It runs on the user-interface thread inside the play screen's frame.

#include <cstdint>

#include "framework/HighScoreTable.h"
#include "framework/PlayerProfiles.h"
#include "framework/PtrArray.h"
#include "framework/Screen.h"
#include "game/Balloon.h"
#include "game/Floater.h"
#include "game/GameBase.h"
#include "qz/qz.h"

class PlayScreen;

// The states of a game (the base's state number).
constexpr int32_t kStateIdle = 0;
constexpr int32_t kStatePlaying = 1;
constexpr int32_t kStateStarting = 9;
constexpr int32_t kStateCleared = 13;
constexpr int32_t kStateGameOver = 14;

// Why play ended.
constexpr int32_t kEndOutOfTime = 0;
constexpr int32_t kEndNoMoves = 1;
constexpr int32_t kEndBoardCleared = 2;

constexpr int kColourCount = 5;

// Frame results.
constexpr int kFrameDone = 5;

class Game : public GameBase {
 public:
  // Sets the window text to "<program> - <text>"; the shell hands its own in.
  using TitleSetter = void (*)(const char* text);

  // The standard board.
  static constexpr int kBoardX = 154;
  static constexpr int kBoardY = 7;
  static constexpr int kColumns = 18;
  static constexpr int kRows = 14;
  // The rectangle the board redraw restores from the background.
  static constexpr int kBoardWidth = 576;
  static constexpr int kBoardHeight = 560;
  // Cloud buttons stand beside these rows.
  static constexpr int kCloudRows = 14;

  Game() = default;
  ~Game() override;

  // ---- flow (new game, release, frame)
  void NewGame() override;
  void Release() override;
  int RunFrame() override;
  // The Cleared state's frame; 0 when the program is to end.
  int RunCleared(uint32_t buttons);
  // The GameOver state's sequence; kFrameResultQuit when the program is to end, else 0.
  int RunGameOver();
  // Enters the score and shows the hall-of-fame notice when it qualified; 0 to end the program.
  int EnterScore();
  // The one-second hall-of-fame notice; 0 to end the program.
  int ShowHallOfFame();
  // Reads the current player and titles the window with the name; with an entry (256
  // characters) also writes the player's line into it.
  void UpdatePlayer(char* entry);

  // ---- board
  void FillBoard(int x, int y, int columnCount, int rowCount);
  // The cell under a pixel, or -1 outside the board.
  int CellAt(int px, int py) const;
  // Appends the same-coloured group of the cell to the list (not owning), depth first.
  void CollectGroup(int cell, PtrArray<Balloon>& group) const;
  void PopGroup(int cell);
  // Lets the balloon rise into the highest empty cell of the gap above it; true when it moved.
  bool FloatUp(Balloon* balloon);
  void FloatUpAll();
  void MoveBalloon(Balloon* balloon, int cell);
  bool CanBlowRight(int row) const;
  bool CanBlowLeft(int row) const;
  void BlowRight(int row);
  void BlowLeft(int row);
  bool HasPoppableGroup() const;
  bool NoMovesLeft() const;
  bool BoardEmpty() const;
  void HandleMouse(int x, int y, uint32_t buttons);
  void HandleClouds();
  void PlayStep(int x, int y, uint32_t buttons);

  // ---- keyboard play: a cell cursor beside the mouse
  enum class KeyMove { None, Pop, BlowLeft, BlowRight };
  // Shows the cursor where it was last, or moves it by a cell when shown; it stops at the
  // board's edges.
  void MoveCursor(int columnStep, int rowStep);
  void HideCursor() { cursorShown = false; }
  bool CursorShown() const { return cursorShown; }
  int CursorColumn() const { return cursorColumn; }
  int CursorRow() const { return cursorRow; }
  // A move at the cursor for the next playing step: a pop as a left click there, a blow of its
  // row as that row's cloud. Without a shown cursor there is nothing to aim at and it is
  // dropped, as it is when the frame is not a playing one.
  void QueueKeyMove(KeyMove move);
  KeyMove PendingKeyMove() const { return keyMove; }
  void HandleKeyMove();
  // The cursor's frame, drawn into the back buffer each frame and wiped by the redraw list.
  void DrawCursor(QZSurface* target);

  // ---- scoring and drawing
  void AwardBalloon(const Balloon* balloon, int index);
  // The x2, x4 or x6 label at the star balloon for the group's k-th star.
  void LaunchMultiplier(const Balloon* star, int starCount);
  void CheckColourCleared(int colour);
  void TimeBonus(int points, int seconds);
  // Draws whole frames and flips for at least ms milliseconds (at least one frame).
  void AnimateFor(int ms);
  void DrawGameFrame(QZSurface* target);
  void DrawBoard();
  void UpdateFloaters(QZSurface* target);
  void DrawPanel();
  void DrawTimer(QZSurface* target);
  // Draws the text right-aligned so it ends at rightX; every character takes one digit width.
  static void DrawNumber(Sprite* digits, int rightX, int y, const char* text, QZSurface* target);

  // ---- wiring
  void SetScreen(PlayScreen* playScreen) { screen = playScreen; }
  PlayScreen* GetScreen() const { return screen; }
  void SetTitleSetter(TitleSetter setter) { titleSetter = setter; }
  // How an animation frame waits for its turn: the frame loop's pacing (WaitFrame) unless a
  // test steps the timer itself.
  using FrameWaiter = void (*)(int rate);
  void SetFrameWaiter(FrameWaiter waiter) { frameWaiter = waiter; }

  // ---- fields read and written by the flow and by tests
  Balloon* BalloonAt(int cell) const;
  PtrArray<Balloon>* Cells() const { return cells; }
  PtrArray<Floater>* Floaters() const { return floaters; }
  PtrArray<QZSurface>* ScoreLabels() const { return scoreLabels; }
  HighScoreTable& HighScores() { return highScores; }
  PlayerProfiles& Profiles() { return profiles; }
  int BoardX() const { return boardX; }
  int BoardY() const { return boardY; }
  int Columns() const { return columns; }
  int Rows() const { return rows; }
  int CellWidth() const { return cellWidth; }
  int CellHeight() const { return cellHeight; }
  int32_t MinGroup() const { return minGroup; }
  void SetMinGroup(int32_t value) { minGroup = value; }
  int32_t GameTime() const { return gameTime; }
  void SetGameTime(int32_t value) { gameTime = value; }
  int32_t ColourClearSeconds() const { return colourClearSeconds; }
  int32_t BoardDirty() const { return boardDirty; }
  void SetBoardDirty(int32_t value) { boardDirty = value; }
  int32_t LastGroupScore() const { return lastGroupScore; }
  void SetLastGroupScore(int32_t value) { lastGroupScore = value; }
  int32_t FloatersBusy() const { return floatersBusy; }
  int32_t EndReason() const { return endReason; }
  void SetEndReason(int32_t value) { endReason = value; }
  // Whether the congratulations of the Cleared state are on screen.
  static bool CongratulationsShown();

  // Process-wide values of the board and the flow back at their start (the move counter, the
  // previous mouse buttons, the blink times and the congratulation pictures), for tests.
  static void ResetProcessStatics();
  static int MoveCounter();

 private:
  // Adds with the wrap-around of the 32-bit score instead of an undefined overflow (only absurd
  // settings come near it).
  void AddScore(int32_t amount) {
    SetScore(
        static_cast<int32_t>(static_cast<uint32_t>(GetScore()) + static_cast<uint32_t>(amount)));
  }
  void ReleaseBoard();
  // The first empty cell of the run directly above the cell, or -1.
  int FreeCellAbove(int cell) const;
  QZSurface* ImageSurface(const char* name) const;
  Sprite* DigitSprite() const;
  Sprite* TimerSprite() const;
  Sprite* LightningSprite() const;
  void Flip();
  // The display's back buffer, where frames are drawn.
  static QZSurface* BackBuffer();
  // The redraw list's scene, where lasting changes are drawn.
  static QZSurface* Scene();

  PlayScreen* screen = nullptr;
  TitleSetter titleSetter = nullptr;
  FrameWaiter frameWaiter = nullptr;

  int boardX = 0;
  int boardY = 0;
  int columns = 0;
  int rows = 0;
  int cellWidth = 0;
  int cellHeight = 0;
  int32_t minGroup = 2;
  PtrArray<Balloon>* cells = nullptr;
  int32_t boardDirty = 0;
  int32_t lastGroupScore = 0;
  int32_t floatersBusy = 0;
  int32_t endReason = 0;
  PtrArray<Floater>* floaters = nullptr;
  PtrArray<QZSurface>* scoreLabels = nullptr;
  int32_t colourClearSeconds = 30;
  int32_t gameTime = 200;
  HighScoreTable highScores;
  PlayerProfiles profiles;

  bool cursorShown = false;
  int cursorColumn = 0;
  int cursorRow = 0;
  KeyMove keyMove = KeyMove::None;
  // Where the pointer was at the last frame; a move hides the cursor.
  bool pointerKnown = false;
  int pointerX = 0;
  int pointerY = 0;
};
