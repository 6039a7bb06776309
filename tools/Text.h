#pragma once
// Lettering through FreeType with the DejaVu faces: measuring, laying out and rendering text
// into coverage masks, and single glyph images for the font sheets.

#include <string>
#include <vector>

#include "tools/Raster.h"

namespace zepgen {

enum class Face { Sans, SansBold, Mono, MonoBold, Serif, SerifBold };

struct Font {
  Face face = Face::Sans;
  float size = 16;     // pixels per em
  float scaleX = 1;    // horizontal squeeze for narrow digits
  float tracking = 0;  // extra pixels after every character
};

struct GlyphImage {
  int width = 0;
  int height = 0;
  int left = 0;  // offset of the image from the pen position
  int top = 0;   // rows above the baseline
  float advance = 0;
  std::vector<float> coverage;  // width x height, top-down
  float At(int x, int y) const { return coverage[static_cast<size_t>(y) * width + x]; }
};

// Loads the faces once; false with a reason when a face is missing.
bool InitText(const std::string& fontFolder, std::string* error);
void ShutdownText();

float MeasureText(const Font& font, const std::string& utf8);
// Distance from the baseline to the top of a capital letter, and the face's line spacing.
float CapHeight(const Font& font);
float Ascender(const Font& font);
float Descender(const Font& font);  // positive, below the baseline
float LineHeight(const Font& font);

// Adds the text's coverage into the mask, its baseline starting at (x, baseline). Returns the
// pixels its glyphs cover, including any the mask's edges cut off.
Box RenderText(Mask& into, const Font& font, const std::string& utf8, float x, float baseline);
// The pixels the text would cover if rendered so, without rendering it.
Box TextInk(const Font& font, const std::string& utf8, float x, float baseline);

GlyphImage RenderGlyph(const Font& font, unsigned codepoint);
// Whether the face has a glyph of its own for the character (RenderGlyph draws the face's
// "missing" box for one it lacks).
bool HasGlyph(const Font& font, unsigned codepoint);

// Splits the text into lines no wider than width (words are never broken; a lone word that is
// too wide stays on its own line). "\n" forces a break.
std::vector<std::string> WrapText(const Font& font, const std::string& utf8, float width);

}  // namespace zepgen
