// Points, bonuses and the floating labels that show them; the drawing of the play screen's moving
// parts (board, labels, panel, timer gauge) and the blocking redraw loop of the animations.

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "framework/ButtonList.h"
#include "framework/DirtyRects.h"
#include "framework/FrameLoop.h"
#include "framework/Image.h"
#include "framework/Timer.h"
#include "game/Game.h"
#include "game/GameSounds.h"
#include "game/PlayScreen.h"

namespace {

constexpr const char* kBigImages[kColourCount] = {"BigRed", "BigYellow", "BigPurple", "BigGreen",
                                                  "BigBlue"};
constexpr const char* kMultiplierImages[] = {"x2", "x4", "x6"};

// Labels created this close to the top do not rise.
constexpr float kRiseFrom = 10.0f;
constexpr uint32_t kScoreLabelLife = 1000;
constexpr uint32_t kBigLabelLife = 2000;
constexpr float kScoreLabelSpeed = -50.0f;
constexpr float kMultiplierSpeed = -100.0f;
constexpr float kBigBalloonX = 360.0f;
constexpr float kBigBalloonY = 180.0f;
constexpr int32_t kColourClearPoints = 100000;
// The most frames the count of the time bonus takes (10 seconds at 100 frames a second).
constexpr int kMaxBonusFrames = 1000;

// The score panel.
constexpr int kPanelX = 0;
constexpr int kPanelY = 50;
constexpr int kPanelWidth = 83;
constexpr int kPanelHeight = 136;

// The timer gauge: 37 pictures from full (0) to empty (36).
constexpr int kGaugeSteps = 36;
constexpr float kGaugeX = 2.0f;
constexpr float kGaugeY = 208.0f;
constexpr float kLightningX = 17.0f;
constexpr float kLightningY = 264.0f;

constexpr int kAnimationRate = 100;

}  // namespace

QZSurface* Game::BackBuffer() {
  return TheDirtyRects().BackBuffer();
}

QZSurface* Game::Scene() {
  return TheDirtyRects().Scene();
}

QZSurface* Game::ImageSurface(const char* name) const {
  if (screen == nullptr) return nullptr;
  const Image* image = screen->FindImage(name);
  return image != nullptr ? image->Surface() : nullptr;
}

Sprite* Game::DigitSprite() const {
  return screen != nullptr ? screen->DigitSprite() : nullptr;
}

Sprite* Game::TimerSprite() const {
  return screen != nullptr ? screen->TimerSprite() : nullptr;
}

Sprite* Game::LightningSprite() const {
  return screen != nullptr ? screen->LightningSprite() : nullptr;
}

void Game::Flip() {
  if (screen != nullptr) screen->Flip();
}

void Game::AwardBalloon(const Balloon* balloon, int index) {
  // Tile colour + 5 * (50 - i) shows (i + 1) * 100 in the balloon's colour.
  const int tile = balloon->colour + kColourCount * (50 - index);
  if (floaters != nullptr && scoreLabels != nullptr && tile >= 0 && tile < scoreLabels->Count() &&
      scoreLabels->At(tile) != nullptr) {
    const float dy = balloon->Y() >= kRiseFrom ? kScoreLabelSpeed : 0.0f;
    floaters->Push(new Floater(scoreLabels->At(tile), balloon->X(), balloon->Y(), dy,
                               GetTime() + kScoreLabelLife));
  }
  AddScore((index + 1) * 100);
}

void Game::LaunchMultiplier(const Balloon* star, int starCount) {
  if (starCount < 1 || starCount > 3 || floaters == nullptr) return;
  QZSurface* picture = ImageSurface(kMultiplierImages[starCount - 1]);
  if (picture == nullptr) return;
  const float dy = star->Y() >= kRiseFrom ? kMultiplierSpeed : 0.0f;
  floaters->Push(new Floater(picture, star->X(), star->Y(), dy, GetTime() + kBigLabelLife));
}

void Game::CheckColourCleared(int colour) {
  if (colour < 0 || colour >= kColourCount) return;
  int counts[kColourCount] = {};
  if (cells != nullptr) {
    for (int c = 0; c < cells->Count(); ++c) {
      const Balloon* balloon = cells->At(c);
      if (balloon != nullptr && balloon->colour >= 0 && balloon->colour < kColourCount) {
        ++counts[balloon->colour];
      }
    }
  }
  if (counts[colour] != 0) return;
  QZSurface* picture = ImageSurface(kBigImages[colour]);
  if (picture != nullptr && floaters != nullptr) {
    floaters->Push(
        new Floater(picture, kBigBalloonX, kBigBalloonY, 0.0f, GetTime() + kBigLabelLife));
  }
  AddScore(kColourClearPoints);
  // The clock may go past the game's length; the gauge then stays full. A clock already near its
  // largest count (an absurd game length) stays there rather than wrapping round to an ended game.
  if (GetClockSeconds() > INT32_MAX - colourClearSeconds) {
    SetClockSeconds(INT32_MAX);
  } else {
    AddClockSeconds(colourClearSeconds);
  }
  PlayEffect("allcolor");
}

void Game::TimeBonus(int points, int seconds) {
  // One second a frame, so the count is seen. A clock far beyond any game's length (a setup.ini
  // asking for a game of years) would hold the program in this count for hours, so from 1001
  // seconds left it counts 2 or more a frame and still ends within kMaxBonusFrames frames,
  // with the same points: a deliberate change to the one-second count.
  const int step = seconds > kMaxBonusFrames ? seconds / kMaxBonusFrames + 1 : 1;
  while (seconds > 0) {
    const int now = seconds < step ? seconds : step;
    SetClockSeconds(GetClockSeconds() - now);
    AddScore(static_cast<int32_t>(static_cast<uint32_t>(points) * static_cast<uint32_t>(now)));
    seconds -= now;
    AnimateFor(1);
  }
}

void Game::AnimateFor(int ms) {
  boardDirty = 1;
  const uint32_t start = GetTime();
  do {
    DrawGameFrame(BackBuffer());
    // The gauge's redraw record spans the whole column below it (the sprite is as tall as its
    // strip), so the menu buttons are drawn again in each frame, as the frame loop does.
    if (screen != nullptr && screen->Buttons() != nullptr) screen->Buttons()->RedrawAll();
    // Shown, then paced: the first picture answers the press that started the animation in the
    // same frame, and each later one comes a frame after the one before.
    Flip();
    if (frameWaiter != nullptr) {
      frameWaiter(kAnimationRate);
    } else {
      WaitFrame(kAnimationRate);
    }
    SetFrameRate(QZGetFPS());
  } while (TimeSince(start) < ms);
}

void Game::DrawGameFrame(QZSurface* target) {
  DrawBoard();
  DrawCursor(target);
  UpdateFloaters(target);
  DrawPanel();
  DrawTimer(target);
}

void Game::DrawBoard() {
  if (boardDirty != 1) return;
  TheDirtyRects().EraseArea(kBoardX, kBoardY, kBoardWidth, kBoardHeight);
  if (cells != nullptr) {
    for (int c = 0; c < cells->Count(); ++c) {
      Balloon* balloon = cells->At(c);
      if (balloon != nullptr && balloon->shown == 1) balloon->Draw();
    }
  }
  boardDirty = 0;
}

void Game::UpdateFloaters(QZSurface* target) {
  floatersBusy = 0;
  if (floaters == nullptr) return;
  // Every label present at the start of the frame moves exactly once; expired ones go.
  for (floaters->SetCursor(0); floaters->Cursor() < floaters->Count();
       floaters->SetCursor(floaters->Cursor() + 1)) {
    Floater* floater = floaters->At(floaters->Cursor());
    floater->Move();
    if (TimeSince(floater->expiresAt) > 0) {
      floaters->Remove(floater);
      delete floater;
    }
  }
  for (int i = 0; i < floaters->Count(); ++i)
    floaters->At(i)->DrawTo(target);
  if (floaters->Count() > 0) floatersBusy = 1;
}

void Game::DrawPanel() {
  TheDirtyRects().EraseArea(kPanelX, kPanelY, kPanelWidth, kPanelHeight);
  Sprite* digits = DigitSprite();
  if (digits == nullptr) return;
  char text[16];
  std::snprintf(text, sizeof(text), "%d", highScores.TopScore());
  DrawNumber(digits, 77, 57, text, Scene());
  std::snprintf(text, sizeof(text), "%d", GetScore());
  DrawNumber(digits, 77, 99, text, Scene());
  std::snprintf(text, sizeof(text), "%d", lastGroupScore);
  DrawNumber(digits, 73, 153, text, Scene());
}

void Game::DrawNumber(Sprite* digits, int rightX, int y, const char* text, QZSurface* target) {
  if (digits == nullptr || text == nullptr) return;
  const int digitWidth = digits->Width() / 10;
  const int length = static_cast<int>(std::strlen(text));
  int x = rightX - length * digitWidth;
  for (int i = 0; i < length; ++i) {
    const char ch = text[i];
    // Anything but a digit (a minus sign) leaves a blank place.
    if (ch >= '0' && ch <= '9') {
      digits->SetCurrent(ch - '0');
      digits->SetPosition(x, y);
      digits->DrawTo(target);
    }
    x += digitWidth;
  }
}

void Game::DrawTimer(QZSurface* target) {
  const int32_t remaining = GetClockSeconds();
  int frame = kGaugeSteps;
  // A game without length shows the empty gauge rather than dividing by zero.
  if (gameTime > 0 && remaining > 0) {
    float f = static_cast<float>(remaining) / static_cast<float>(gameTime) *
              static_cast<float>(kGaugeSteps);
    if (f > static_cast<float>(kGaugeSteps)) f = static_cast<float>(kGaugeSteps);
    frame = static_cast<int>(static_cast<float>(kGaugeSteps) - f);
  }
  if (Sprite* gauge = TimerSprite()) {
    gauge->SetCurrent(frame);
    gauge->SetPositionF(kGaugeX, kGaugeY);
    gauge->DrawTo(target);
  }
  if (remaining <= 0) {
    if (Sprite* bolt = LightningSprite()) {
      bolt->SetPositionF(kLightningX, kLightningY);
      bolt->DrawTo(target);
    }
  }
}
