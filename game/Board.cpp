// The board and its moves: filling, finding groups, popping, rising balloons, the blows of the
// clouds, the end-of-play tests and the board's share of a playing frame.

#include <cstdio>
#include <cstdlib>

#include "framework/ButtonList.h"
#include "framework/Image.h"
#include "framework/Timer.h"
#include "game/Game.h"
#include "game/GameSounds.h"
#include "game/GameStatics.h"
#include "game/PlayScreen.h"

namespace {

// Image names by colour: plain, star.
constexpr const char* kPlainImages[kColourCount] = {"Red", "Yellow", "Purple", "Green", "Orange"};
constexpr const char* kStarImages[kColourCount] = {"RedStar", "YellowStar", "PurpleStar",
                                                   "GreenStar", "OrangeStar"};
constexpr int kStarsPerColour = 3;

}  // namespace

int Game::MoveCounter() {
  return Statics().moveCounter;
}

void Game::FillBoard(int x, int y, int columnCount, int rowCount) {
  boardX = x;
  boardY = y;
  columns = columnCount;
  rows = rowCount;
  if (cells == nullptr) return;

  const int total = columns * rows;
  const int quota = total / 5;
  int placed[kColourCount] = {};
  int stars[kColourCount] = {};
  QZSurface* popPicture = ImageSurface("pop");

  for (int c = 0; c < total; ++c) {
    int colour = std::rand() % kColourCount;
    while (placed[colour] >= quota + 1)
      colour = std::rand() % kColourCount;
    ++placed[colour];
    const int count = placed[colour];
    const int step = quota / 4;
    const bool star = stars[colour] < kStarsPerColour &&
                      (count == step || count == 2 * step || count == 3 * step);
    if (star) ++stars[colour];

    const char* imageName = star ? kStarImages[colour] : kPlainImages[colour];
    QZSurface* picture = nullptr;
    if (screen != nullptr) {
      if (Image* image = screen->FindImage(imageName)) {
        image->SetColorKey(0, 0, 255);
        picture = image->Surface();
      }
    }
    auto* balloon = new Balloon(star ? 1 : 0);
    // Shared: the pictures stay the registry's and outlive the balloon. A missing picture adds
    // no frame.
    balloon->AddSharedFrame(picture);
    balloon->AddSharedFrame(popPicture);

    cellWidth = balloon->Width();
    cellHeight = balloon->Height();
    balloon->colour = colour;
    balloon->cell = c;
    cells->Push(balloon);
    const int col = c % columns;
    const int row = c / columns;
    balloon->SetPositionF(static_cast<float>(col * cellWidth) + static_cast<float>(boardX),
                          static_cast<float>(row * cellHeight) + static_cast<float>(boardY));
    balloon->shown = 1;
  }
}

Balloon* Game::BalloonAt(int cell) const {
  if (cells == nullptr || cell < 0 || cell >= cells->Count()) return nullptr;
  return cells->At(cell);
}

int Game::CellAt(int px, int py) const {
  // Without balloon pictures the cells have no size and nothing lies under any pixel.
  if (cellWidth <= 0 || cellHeight <= 0) return -1;
  if (px < boardX || py < boardY || px >= boardX + columns * cellWidth ||
      py >= boardY + rows * cellHeight) {
    return -1;
  }
  const int col = (px - boardX) / cellWidth;
  const int row = (py - boardY) / cellHeight;
  return row * columns + col;
}

void Game::CollectGroup(int cell, PtrArray<Balloon>& group) const {
  Balloon* balloon = BalloonAt(cell);
  if (balloon == nullptr) return;
  if (group.IndexOf(balloon) < 0) group.Push(balloon);
  const int col = cell % columns;
  const int row = cell / columns;
  // Left, right, up, down: the order decides the order of popping and so each balloon's points.
  const int neighbours[4] = {
      col > 0 ? cell - 1 : -1,
      col + 1 < columns ? cell + 1 : -1,
      row > 0 ? cell - columns : -1,
      row + 1 < rows ? cell + columns : -1,
  };
  for (int next : neighbours) {
    if (next < 0) continue;
    Balloon* other = BalloonAt(next);
    if (other != nullptr && other->colour == balloon->colour && group.IndexOf(other) < 0) {
      group.Push(other);
      CollectGroup(next, group);
    }
  }
}

void Game::PopGroup(int cell) {
  lastGroupScore = 0;
  PtrArray<Balloon> group;
  if (BalloonAt(cell) == nullptr) return;
  CollectGroup(cell, group);
  if (group.Count() < minGroup) {
    PlayEffect("negative");
    return;
  }

  int starCount = 0;
  int lastColour = 0;
  for (int i = 0; i < group.Count(); ++i) {
    Balloon* balloon = group.At(i);
    if (i > 0) AnimateFor(200);
    if (balloon->star == 1) {
      PlayEffect("bonus");
      ++starCount;
      LaunchMultiplier(balloon, starCount);
    }
    char sound[8];
    if (starCount == 1) {
      std::snprintf(sound, sizeof(sound), "pop1");
    } else {
      std::snprintf(sound, sizeof(sound), "pop%d", std::rand() % 5 + 1);
    }
    PlayEffect(sound);
    // The pop picture for the instant of popping; without one the balloon simply disappears.
    balloon->SetCurrent(1);
    balloon->DrawTo(BackBuffer());
    lastColour = balloon->colour;
    AwardBalloon(balloon, i);
    lastGroupScore += 100 + 100 * i;
    cells->Set(balloon->cell, nullptr);
    delete balloon;
  }
  CheckColourCleared(lastColour);
  if (starCount > 0) {
    const int32_t bonus = lastGroupScore * starCount * 2;
    AddScore(bonus);
    lastGroupScore += bonus;
  }
}

int Game::FreeCellAbove(int cell) const {
  int found = -1;
  for (int above = cell - columns; above >= 0; above -= columns) {
    if (BalloonAt(above) != nullptr) break;
    found = above;
  }
  return found;
}

bool Game::FloatUp(Balloon* balloon) {
  if (balloon == nullptr) return false;
  const int target = FreeCellAbove(balloon->cell);
  if (target == -1) return false;
  int& moves = Statics().moveCounter;
  if (++moves >= 3) {
    AnimateFor(1);
    moves = 0;
  }
  MoveBalloon(balloon, target);
  return true;
}

void Game::FloatUpAll() {
  if (cells == nullptr) return;
  // Top to bottom, so every column settles in one pass.
  for (int c = columns; c < cells->Count(); ++c) {
    if (Balloon* balloon = cells->At(c)) FloatUp(balloon);
  }
}

void Game::MoveBalloon(Balloon* balloon, int cell) {
  boardDirty = 1;
  const int from = balloon->cell;
  cells->Set(cell, balloon);
  cells->Set(from, nullptr);
  balloon->cell = cell;
  const int col = cell % columns;
  const int row = cell / columns;
  balloon->SetPositionF(static_cast<float>(boardX + col * cellWidth),
                        static_cast<float>(boardY + row * cellHeight));
}

void Game::BlowRight(int row) {
  if (cells == nullptr || row < 0 || row >= rows) return;
  const int first = row * columns;
  const int end = first + columns;
  PlayEffect("blow");
  for (;;) {
    int a = first;
    while (a < end && BalloonAt(a) == nullptr)
      ++a;
    int g = a + 1;
    while (g < end && BalloonAt(g) != nullptr)
      ++g;
    if (a >= end || g >= end) {
      AnimateFor(50);
      break;
    }
    // Shift the run one cell to the right from its right end; each moved balloon rises at once
    // and the next shift fills the gap it leaves.
    for (int j = g; j > a; --j) {
      Balloon* balloon = BalloonAt(j - 1);
      if (balloon == nullptr) continue;
      MoveBalloon(balloon, j);
      FloatUp(balloon);
    }
    AnimateFor(50);
  }
}

void Game::BlowLeft(int row) {
  if (cells == nullptr || row < 0 || row >= rows) return;
  const int first = row * columns;
  const int last = first + columns - 1;
  PlayEffect("blow");
  for (;;) {
    int a = last;
    while (a >= first && BalloonAt(a) == nullptr)
      --a;
    int g = a - 1;
    while (g >= first && BalloonAt(g) != nullptr)
      --g;
    if (a < first || g < first) {
      AnimateFor(50);
      break;
    }
    for (int j = g; j < a; ++j) {
      Balloon* balloon = BalloonAt(j + 1);
      if (balloon == nullptr) continue;
      MoveBalloon(balloon, j);
      FloatUp(balloon);
    }
    AnimateFor(50);
  }
}

bool Game::CanBlowRight(int row) const {
  if (cells == nullptr || row < 0 || row >= rows) return false;
  const int first = row * columns;
  bool seenBalloon = false;
  for (int c = first; c < first + columns; ++c) {
    if (BalloonAt(c) != nullptr) {
      seenBalloon = true;
    } else if (seenBalloon) {
      return true;
    }
  }
  return false;
}

bool Game::CanBlowLeft(int row) const {
  if (cells == nullptr || row < 0 || row >= rows) return false;
  const int first = row * columns;
  bool seenGap = false;
  for (int c = first; c < first + columns; ++c) {
    if (BalloonAt(c) == nullptr) {
      seenGap = true;
    } else if (seenGap) {
      return true;
    }
  }
  return false;
}

bool Game::HasPoppableGroup() const {
  if (cells == nullptr) return false;
  for (int c = 0; c < cells->Count(); ++c) {
    if (cells->At(c) == nullptr) continue;
    PtrArray<Balloon> group;
    CollectGroup(c, group);
    if (group.Count() >= minGroup) return true;
  }
  return false;
}

bool Game::NoMovesLeft() const {
  // Deliberately only rows 0 to 7, each in one direction: the game has always ended this way
  // with blows still possible in the lower rows, and players' results depend on it.
  return !(CanBlowLeft(0) || CanBlowRight(1) || CanBlowLeft(2) || CanBlowRight(3) ||
           CanBlowLeft(4) || CanBlowRight(5) || CanBlowLeft(6) || CanBlowRight(7) ||
           HasPoppableGroup());
}

bool Game::BoardEmpty() const {
  if (cells == nullptr) return true;
  for (int c = 0; c < cells->Count(); ++c) {
    if (cells->At(c) != nullptr) return false;
  }
  return true;
}

void Game::HandleMouse(int x, int y, uint32_t buttons) {
  uint32_t& previous = Statics().previousButtons;
  if (buttons == previous) return;
  previous = buttons;
  if ((buttons & 1u) != 0) {
    const int c = CellAt(x, y);
    if (c != -1) {
      PopGroup(c);
      FloatUpAll();
    }
    boardDirty = 1;
  } else if ((buttons & 2u) != 0) {
    const int c = CellAt(x, y);
    if (c == -1) return;
    const int row = c / columns;
    if (row % 2 == 1) {
      BlowRight(row);
    } else {
      BlowLeft(row);
    }
    FloatUpAll();
  }
}

void Game::HandleClouds() {
  ButtonList* list = screen != nullptr ? screen->Buttons() : nullptr;
  // With no button clicked every row would answer no: the 28 names need not be made and looked
  // for in every frame.
  if (list != nullptr && list->FindClicked() != nullptr) {
    char name[Button::kNameSize];
    for (int i = 0; i < kCloudRows; ++i) {
      std::snprintf(name, sizeof(name), "Air%dr", i);
      if (list->IsClicked(name)) BlowRight(i);
    }
    for (int i = 0; i < kCloudRows; ++i) {
      std::snprintf(name, sizeof(name), "Air%dl", i);
      if (list->IsClicked(name)) BlowLeft(i);
    }
  }
  FloatUpAll();
}

void Game::PlayStep(int x, int y, uint32_t buttons) {
  HandleMouse(x, y, buttons);
  HandleClouds();
  HandleKeyMove();
  if (BoardEmpty()) {
    AddScore(500000);
    PlayEffect("allpop");
    StopClock();
    TimeBonus(1000, GetClockSeconds());
    SetState(kStateCleared);
    endReason = kEndBoardCleared;
    return;
  }
  if (NoMovesLeft()) {
    endReason = kEndNoMoves;
    if (floatersBusy == 0) SetState(kStateGameOver);
  } else {
    endReason = kEndOutOfTime;
  }
  if (GetClockSeconds() == 0 && floatersBusy == 0) SetState(kStateGameOver);
}
