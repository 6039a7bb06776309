// Play by keyboard: a cell cursor that the arrow keys move over the board, a pop at the cursor
// and a blow of the cursor's row. Each move is the mouse's own: the same operations in the same
// order as a left click on that cell or a click on that row's cloud.

#include <algorithm>
#include <cstdio>

#include "framework/Button.h"
#include "framework/ButtonList.h"
#include "framework/DirtyRects.h"
#include "framework/SurfaceRoutines.h"
#include "game/Game.h"
#include "game/PlayScreen.h"

namespace {

// The frame: a dark line at the cell's edge, two light ones inside it and a dark one again, so
// that it shows on the sky and on every balloon colour.
constexpr int kFrameRings = 4;
constexpr bool kRingIsLight[kFrameRings] = {false, true, true, false};

}  // namespace

void Game::MoveCursor(int columnStep, int rowStep) {
  if (!cursorShown) {
    // The first key only shows where the cursor is.
    cursorShown = true;
  } else {
    cursorColumn += columnStep;
    cursorRow += rowStep;
  }
  cursorColumn = std::clamp(cursorColumn, 0, std::max(columns, 1) - 1);
  cursorRow = std::clamp(cursorRow, 0, std::max(rows, 1) - 1);
}

void Game::QueueKeyMove(KeyMove move) {
  if (!cursorShown) return;
  keyMove = move;
}

void Game::HandleKeyMove() {
  const KeyMove move = keyMove;
  keyMove = KeyMove::None;
  if (move == KeyMove::None || !cursorShown || columns <= 0 || rows <= 0) return;
  const int column = std::min(cursorColumn, columns - 1);
  const int row = std::min(cursorRow, rows - 1);
  if (move == KeyMove::Pop) {
    // As HandleMouse does for a left click inside the board.
    PopGroup(row * columns + column);
    FloatUpAll();
    boardDirty = 1;
    return;
  }
  // Only where the row has the cloud that blows that way, as HandleClouds would answer its
  // click; a cloud that is switched off does not blow either.
  ButtonList* list = screen != nullptr ? screen->Buttons() : nullptr;
  if (list == nullptr) return;
  const bool toRight = move == KeyMove::BlowRight;
  char name[Button::kNameSize];
  std::snprintf(name, sizeof(name), toRight ? "Air%dr" : "Air%dl", row);
  const Button* cloud = list->Find(name);
  if (cloud == nullptr || cloud->IsEnabled() == 0) return;
  if (toRight) {
    BlowRight(row);
  } else {
    BlowLeft(row);
  }
  FloatUpAll();
}

void Game::DrawCursor(QZSurface* target) {
  // Never into the scene: a frame drawn there would stay when the cursor moves on.
  if (!cursorShown || target == nullptr || target == Scene() || cellWidth <= 0 || cellHeight <= 0)
    return;
  const int left = boardX + std::min(cursorColumn, columns - 1) * cellWidth;
  const int top = boardY + std::min(cursorRow, rows - 1) * cellHeight;
  int width = 0;
  int height = 0;
  GetSurfaceSize(target, &width, &height);
  if (left < 0 || top < 0 || left + cellWidth > width || top + cellHeight > height) return;
  const uint16_t light = static_cast<uint16_t>(MakeColor(target, 255, 255, 255));
  const uint16_t dark = static_cast<uint16_t>(MakeColor(target, 16, 24, 64));
  // Each ring as four fills: they go through the drawing queue, where a ring drawn again over the
  // same cell costs nothing, as a lock of the whole buffer would not.
  for (int ring = 0; ring < kFrameRings; ++ring) {
    const uint16_t value = kRingIsLight[ring] ? light : dark;
    const int x0 = left + ring, x1 = left + cellWidth - ring;
    const int y0 = top + ring, y1 = top + cellHeight - ring;
    const platform::Rect sides[] = {
        {x0, y0, x1, y0 + 1}, {x0, y1 - 1, x1, y1}, {x0, y0, x0 + 1, y1}, {x1 - 1, y0, x1, y1}};
    for (const platform::Rect& side : sides)
      target->Fill(&side, value);
  }
  // Wiped from the scene after the flip, like the floating labels.
  TheDirtyRects().MarkRect(left, top, left + cellWidth, top + cellHeight, 1, kDirtyFromScene);
}
