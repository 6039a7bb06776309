#pragma once
// Values of the board and the flow that live for the whole process, shared by the game's source
// files.

#include <cstdint>

class Sprite;

struct GameStatics {
  // Balloon moves across the whole process: every third one redraws the board, so a sweep of
  // rising balloons shows as a cascade. Never reset by a new game.
  int moveCounter = 0;
  // The mouse buttons of the previous board call; all bits set at first, so the first call
  // counts as a change.
  uint32_t previousButtons = 0xFFFFFFFFu;
  // The "newgame" button's blink in Idle: last change (clock ms) and picture shift.
  uint32_t lastBlink = 0;
  int blinkShift = 0;
  // The congratulation pictures of the Cleared state (the first null while none is shown) and
  // the clock time of their next blink.
  Sprite* congrats[3] = {nullptr, nullptr, nullptr};
  uint32_t nextCongratsBlink = 0;
};

GameStatics& Statics();
