// The flow of a game: its set-up, the frame over the states, the two endings and the entry of
// the score into the hall of fame.

#include <cstdlib>

#include "framework/Button.h"
#include "framework/ButtonList.h"
#include "framework/Dialog.h"
#include "framework/DirtyRects.h"
#include "framework/MousePointer.h"
#include "framework/SurfaceRoutines.h"
#include "framework/Timer.h"
#include "game/Game.h"
#include "game/GameSounds.h"
#include "game/GameStatics.h"
#include "game/PlayScreen.h"
#include "platform/Profile.h"

namespace {

constexpr const char* kSetupFile = ".\\setup.ini";
constexpr const char* kOptionsFile = "..\\options.ini";
constexpr const char* kHighScoreFile = "hiscore.dat";
constexpr int kSettingSize = 256;
constexpr int kLabelWidth = 34;
constexpr int kLabelHeight = 21;
constexpr int32_t kColourClearSeconds = 30;
constexpr int32_t kBlinkMs = 500;
constexpr uint32_t kGameOverMs = 2000;
constexpr uint32_t kHallOfFameMs = 1000;

int ReadSetting(const char* key, const char* fallback) {
  char text[kSettingSize];
  platform::ReadProfileString("default", key, fallback, text, sizeof(text), kSetupFile);
  return std::atoi(text);
}

void DestroyCongratulations() {
  GameStatics& statics = Statics();
  for (Sprite*& sprite : statics.congrats) {
    delete sprite;
    sprite = nullptr;
  }
}

}  // namespace

GameStatics& Statics() {
  static GameStatics statics;
  return statics;
}

void Game::ResetProcessStatics() {
  DestroyCongratulations();
  Statics() = GameStatics();
}

bool Game::CongratulationsShown() {
  return Statics().congrats[0] != nullptr;
}

Game::~Game() {
  Release();
}

void Game::NewGame() {
  Release();
  PlayEffect("reveal");
  if (cells == nullptr) cells = new PtrArray<Balloon>();
  if (floaters == nullptr) floaters = new PtrArray<Floater>();
  if (scoreLabels == nullptr) {
    scoreLabels = new PtrArray<QZSurface>();
    LoadTiles("score.bmp", *scoreLabels, kLabelWidth, kLabelHeight, nullptr);
  }
  FillBoard(kBoardX, kBoardY, kColumns, kRows);
  minGroup = ReadSetting("balloons", "2");
  gameTime = ReadSetting("gametime", "200");
  colourClearSeconds = kColourClearSeconds;
  // A negative length would leave the clock below 0, where it never counts down nor reads 0,
  // and the game could never run out of time: it counts as no time at all.
  SetClockSeconds(gameTime > 0 ? gameTime : 0);
  StopClock();
  SetScore(0);
  SetState(kStateStarting);
  UpdatePlayer(nullptr);
  highScores.Init(kHighScoreEntries);
  highScores.Load(kHighScoreFile);
  boardDirty = 1;
  lastGroupScore = 0;
  floatersBusy = 0;
  endReason = kEndOutOfTime;
}

void Game::ReleaseBoard() {
  if (cells != nullptr) {
    cells->DeleteAll();
    delete cells;
    cells = nullptr;
  }
  if (floaters != nullptr) {
    floaters->DeleteAll();
    delete floaters;
    floaters = nullptr;
  }
  if (scoreLabels != nullptr) {
    scoreLabels->DeleteAll();
    delete scoreLabels;
    scoreLabels = nullptr;
  }
}

void Game::Release() {
  highScores.Release();
  ReleaseBoard();
}

void Game::UpdatePlayer(char* entry) {
  profiles.SetPath(kOptionsFile);
  SetPlayerIndex(profiles.ReadCurrent());
  profiles.ReadPlayer(GetPlayerIndex());
  if (titleSetter != nullptr) titleSetter(profiles.Player(GetPlayerIndex()).name);
  if (entry != nullptr) profiles.PlayerLine(GetPlayerIndex(), entry);
}

int Game::RunFrame() {
  int x = 0;
  int y = 0;
  uint32_t buttons = 0;
  TheMousePointer().GetState(&x, &y, &buttons);
  // The mouse taking over again: the keyboard's cursor goes.
  if (pointerKnown && (x != pointerX || y != pointerY)) HideCursor();
  pointerKnown = true;
  pointerX = x;
  pointerY = y;
  ButtonList* list = screen != nullptr ? screen->Buttons() : nullptr;
  if (list != nullptr) {
    list->OnMouseAll(x, y, buttons);
    list->RedrawAll();
  }

  switch (GetState()) {
    case kStateIdle: {
      GameStatics& statics = Statics();
      Button* newGame = list != nullptr ? list->Find("newgame") : nullptr;
      if (newGame != nullptr && TimeSince(statics.lastBlink) > kBlinkMs) {
        statics.blinkShift = 1 - statics.blinkShift;
        newGame->SetPictureShift(statics.blinkShift);
        newGame->Draw(nullptr);
        statics.lastBlink = GetTime();
      }
      break;
    }
    case kStateStarting:
      NewGame();
      SetState(kStatePlaying);
      TheDirtyRects().EraseAll();
      StartClock();
      break;
    case kStatePlaying:
      PlayStep(x, y, buttons);
      break;
    case kStateCleared:
      // Enter, Space or a controller's A go on from the congratulations as a mouse press does.
      if (RunCleared(keyMove == KeyMove::Pop ? buttons | 1 : buttons) == 0) return kFrameResultQuit;
      break;
    case kStateGameOver:
      if (RunGameOver() == kFrameResultQuit) return kFrameResultQuit;
      break;
    default:
      break;
  }
  // A key move pressed outside play is not kept for a later game.
  keyMove = KeyMove::None;

  DrawGameFrame(BackBuffer());
  return kFrameDone;
}

int Game::RunCleared(uint32_t buttons) {
  GameStatics& statics = Statics();
  if (statics.congrats[0] == nullptr) {
    StopClock();
    TheDirtyRects().EraseAll();
    DrawGameFrame(BackBuffer());
    auto* title = new Sprite();
    title->LoadStrip("congrats1.bmp", 1, 0);
    title->SetPositionF(264.0f, 56.0f);
    auto* blinking = new Sprite();
    blinking->LoadFrame("congrats2.bmp");
    blinking->LoadFrame("congrats3.bmp");
    blinking->SetCurrent(0);
    blinking->SetPositionF(154.0f, 124.0f);
    auto* footer = new Sprite();
    footer->LoadFrame("congrats4.bmp");
    footer->SetCurrent(0);
    footer->SetPositionF(326.0f, 419.0f);
    statics.congrats[0] = title;
    statics.congrats[1] = blinking;
    statics.congrats[2] = footer;
  }
  for (Sprite* sprite : statics.congrats)
    sprite->DrawTo(BackBuffer());

  if (buttons == 0) {
    if (TimeSince(statics.nextCongratsBlink) > 0) {
      statics.nextCongratsBlink = GetTime() + kBlinkMs;
      Sprite* blinking = statics.congrats[1];
      blinking->SetCurrent(1 - blinking->Current());
    }
    return 1;
  }
  DestroyCongratulations();
  SetState(kStateIdle);
  return EnterScore() == 0 ? 0 : 1;
}

int Game::RunGameOver() {
  StopClock();
  DrawGameFrame(BackBuffer());
  TheDirtyRects().MarkAll();
  const char* picture = "GameOverNMM.bmp";
  if (endReason != kEndNoMoves) {
    PlayEffect("thunder");
    picture = "GameOverOOT.bmp";
  }
  {
    Dialog dialog;
    dialog.AddPanel(picture, nullptr);
    dialog.AddDefaultButton();
    dialog.SetDeadline(GetTime() + kGameOverMs);
    char result[Dialog::kNameSize];
    if (dialog.Run(result, nullptr) == 0) return kFrameResultQuit;
  }
  if (EnterScore() == 0) return kFrameResultQuit;
  TheDirtyRects().EraseAll();
  SetState(kStateIdle);
  boardDirty = 1;
  return 0;
}

int Game::EnterScore() {
  char text[kHighScoreNameSize] = {};
  UpdatePlayer(text);
  // Entered into the file as it is now, so a result another copy saved meanwhile stays.
  if (highScores.InsertAndSave(kHighScoreFile, text, GetScore())) {
    if (ShowHallOfFame() == 0) return 0;
  }
  return 1;
}

int Game::ShowHallOfFame() {
  Flip();
  boardDirty = 1;
  DrawGameFrame(BackBuffer());
  Dialog dialog;
  dialog.AddPanel("hallfamepop.bmp", nullptr);
  dialog.SetDeadline(GetTime() + kHallOfFameMs);
  char result[Dialog::kNameSize];
  return dialog.Run(result, nullptr) == 0 ? 0 : 1;
}
