#pragma once
// One balloon of the board: a sprite whose frame 0 is its colour picture and frame 1 the pop
// picture, both shared with the play screen's image registry. Its position is always the pixel
// position of the cell it occupies.

#include <cstdint>

#include "framework/Sprite.h"

class Balloon : public Sprite {
 public:
  explicit Balloon(int32_t isStar) : star(isStar) {}

  int32_t colour = 0;  // 0 red, 1 yellow, 2 purple, 3 green, 4 the blue one ("Orange")
  int32_t shown = 0;   // 1: drawn by the board redraw
  int32_t cell = 0;    // index of the cell the balloon occupies
  int32_t star = 0;    // 1: a star balloon, a bonus multiplier when popped
};
