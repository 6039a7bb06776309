#pragma once
// What the pictures say: the words in the language being drawn, and the record of where each
// text went. Every text is drawn into a box, its space in the picture; the generator makes a
// longer translation smaller or wraps it so that it stays there, and records the box and the
// pixels drawn, so a test can check every language's lettering against its space.

#include <string>
#include <vector>

#include "tools/Canvas.h"

namespace zepgen {

// Reads the compiled catalogue of the language to draw (msgfmt's .mo file); false with a reason
// when it cannot be read. Without one, every text is the English one.
bool UseCatalogue(const std::string& path, std::string* error);

// The text in the language being drawn, or the English text where the catalogue lacks it. The
// second form looks the text up in a context, as gettext's pgettext does.
const char* Tr(const char* text);
const char* Tr(const char* context, const char* text);

struct LetteringRecord {
  int canvas = 0;  // the canvas's serial: boxes of one canvas must not overlap
  int canvasWidth = 0;
  int canvasHeight = 0;
  Box space;  // where the text belongs
  Box ink;    // the pixels it covers, outline included
  std::string text;
};

void RecordLettering(const Canvas& canvas, const Box& space, const Box& ink,
                     const std::string& text);
// The records made since the last call, oldest first.
std::vector<LetteringRecord> TakeLettering();

}  // namespace zepgen
