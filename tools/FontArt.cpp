// The launcher's four bitmap font sheets and the text cursor. A sheet is one row of glyphs in
// the order of framework/FontRepertoire.h ("!" to "~", the Latin letters beyond ASCII, a
// placeholder) separated by fully transparent columns; the program finds the glyphs by scanning
// for those columns, so every column inside a glyph keeps at least one opaque pixel. Glyph edges
// are blended onto the flat colour of the fields the font is drawn on, which keeps the lettering
// smooth although the sheet itself has only opaque and transparent pixels.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "framework/FontRepertoire.h"
#include "tools/Art.h"
#include "tools/Groups.h"

namespace zepgen {

namespace {

constexpr int kGap = 2;              // transparent columns between glyphs
constexpr float kThreshold = 0.14f;  // coverage below this stays transparent

struct SheetStyle {
  Font font;
  Color ink;
  Color matte;
};

// What stands for a character no sheet holds: an empty box as tall as a capital letter, so that
// it reads as "a letter is missing here" rather than as any letter. Its columns all hold ink (the
// sides, or the top and bottom edges), so the box stays one glyph on the sheet.
GlyphImage PlaceholderBox(const Font& font) {
  const GlyphImage capital = RenderGlyph(font, 'H');
  GlyphImage box;
  box.height = std::max(capital.top, 6);
  box.top = box.height;
  box.width = std::max(5, static_cast<int>(std::lround(box.height * 0.6)));
  box.coverage.assign(static_cast<size_t>(box.width) * box.height, 0.0f);
  for (int y = 0; y < box.height; ++y)
    for (int x = 0; x < box.width; ++x)
      if (x == 0 || y == 0 || x == box.width - 1 || y == box.height - 1)
        box.coverage[static_cast<size_t>(y) * box.width + x] = 1.0f;
  return box;
}

// An empty bitmap when the face lacks one of the sheet's characters: the face's own "missing"
// box would stand in for it without a word, looking like the placeholder.
Bitmap FontSheet(const SheetStyle& style, std::string* missing) {
  std::vector<GlyphImage> glyphs;
  for (int index = 0; index < kSheetCharacters; ++index) {
    const uint32_t code = SheetCharacter(index);
    if (!HasGlyph(style.font, code)) {
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
      *missing = name;
      return Bitmap(1, 1);
    }
    glyphs.push_back(RenderGlyph(style.font, code));
  }
  glyphs.push_back(PlaceholderBox(style.font));
  int ascent = 0, descent = 0;
  for (const GlyphImage& g : glyphs) {
    ascent = std::max(ascent, g.top);
    descent = std::max(descent, g.height - g.top);
  }
  const int baseline = ascent + 1;
  const int height = baseline + descent;
  // Crop each glyph to the columns that hold opaque pixels.
  struct Cut {
    int first, last;
  };
  std::vector<Cut> cuts;
  int width = 0;
  for (const GlyphImage& g : glyphs) {
    int first = -1, last = -1;
    for (int x = 0; x < g.width; ++x)
      for (int y = 0; y < g.height; ++y)
        if (g.At(x, y) >= kThreshold) {
          if (first < 0) first = x;
          last = x;
        }
    if (first < 0) first = last = 0;
    cuts.push_back({first, last});
    width += last - first + 1 + kGap;
  }
  width -= kGap;
  Bitmap sheet(width, height);
  int x0 = 0;
  const Rgb8 filler = ToRgb8(style.matte);
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const GlyphImage& g = glyphs[i];
    const Cut& cut = cuts[i];
    for (int x = cut.first; x <= cut.last; ++x) {
      bool any = false;
      for (int y = 0; y < g.height; ++y) {
        float cov = g.At(x, y);
        if (cov < kThreshold) continue;
        int ty = baseline - g.top + y;
        if (ty < 0 || ty >= height) continue;
        sheet.Set(x0 + x - cut.first, ty, ToRgb8(Mix(style.matte, style.ink, std::min(1.0f, cov))));
        any = true;
      }
      // A column inside the glyph with no ink (the gap in '"' for instance) would split the
      // glyph in two; one pixel of the field colour keeps it whole and stays invisible.
      if (!any) sheet.Set(x0 + x - cut.first, baseline - 1, filler);
    }
    x0 += cut.last - cut.first + 1 + kGap;
  }
  return sheet;
}

}  // namespace

void MakeFontSheets(Output& out) {
  const SheetStyle normal{{Face::Sans, 15}, Hex(0x1A2A5A), kPlate};
  const SheetStyle highlight{{Face::SansBold, 15}, Hex(0xC8400A), kPlate};
  const SheetStyle black{{Face::SansBold, 16}, Hex(0x141420), kHallOddRow};
  const SheetStyle purple{{Face::SansBold, 16}, Hex(0x7A1FA0), kHallEvenRow};
  struct Sheet {
    const char* file;
    const SheetStyle& style;
  };
  const Sheet sheets[] = {{"n_font.bmp", normal},
                          {"h_font.bmp", highlight},
                          {"HallBlackFont.bmp", black},
                          {"HallPurpleFont.bmp", purple}};
  int height = 0;
  for (const Sheet& sheet : sheets) {
    std::string missing;
    const Bitmap bitmap = FontSheet(sheet.style, &missing);
    if (!missing.empty()) {
      out.Fail(std::string(sheet.file) + ": the face has no glyph for " + missing);
      return;
    }
    out.WriteBitmap(Folder::Launcher, sheet.file, bitmap);
    // The cursor follows the text of the fields' two sheets.
    if (&sheet.style == &normal || &sheet.style == &highlight)
      height = std::max(height, bitmap.Height());
  }
  // The cursor stands as tall as the text it follows, a little below the sheet's top padding.
  Bitmap cursor(3, height, ToRgb8(Hex(0x1A2A5A)));
  out.WriteBitmap(Folder::Launcher, "blockcursor.bmp", cursor);
}

}  // namespace zepgen
