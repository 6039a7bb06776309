#pragma once
// The keys and the controller buttons as the help pictures show them: keyboard keys as small
// keycaps, controller buttons as the buttons themselves (A, B, X and Y round in their usual
// colours, the others as rounded bars), each action on a line with its keys and buttons.

#include <string>
#include <vector>

#include "tools/Art.h"

namespace zepgen {

struct ControlLine {
  std::string action;
  std::vector<std::string> keys;     // keycaps, in order
  std::vector<std::string> buttons;  // controller buttons, after the keys
};

// Lines laid out down columns of the given width from (x, top), rows `pitch` apart, the last
// column ending at right at the latest; the action takes labelWidth, then the keycaps, then the
// buttons. A longer action takes more of the column where the keys leave room, and is made
// smaller where they do not. Returns the y below the last row.
float DrawControls(Canvas& canvas, const std::vector<ControlLine>& lines, float x, float top,
                   float columnWidth, int columns, float pitch, float labelWidth, float right);

}  // namespace zepgen
