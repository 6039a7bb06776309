#pragma once
// The library's built-in debug text: printable ASCII in a 5 x 7 pixel font, one 6 x 8 cell per
// character, white with a black shadow so that it reads on any picture.

#include "qz/qz.h"

constexpr int kDebugCellWidth = 6;
constexpr int kDebugCellHeight = 8;

// Draws text with its top-left corner at (x, y), clipped to the target. Bytes outside printable
// ASCII are shown as '?'. Returns the width of the text in pixels (6 per character), whether or
// not all of it was visible; 0 for a null target or text.
int DrawDebugText(QZSurface* target, const char* text, int x, int y);
