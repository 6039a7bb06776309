// The launcher's four bitmap font sheets and the text cursor. A sheet is one row of the 94
// glyphs "!" to "~" separated by fully transparent columns; the program finds the glyphs by
// scanning for those columns, so every column inside a glyph keeps at least one opaque pixel.
// Glyph edges are blended onto the flat colour of the fields the font is drawn on, which keeps
// the lettering smooth although the sheet itself has only opaque and transparent pixels.

#include <algorithm>
#include <vector>

#include "tools/Art.h"
#include "tools/Groups.h"

namespace zepgen {

namespace {

constexpr int kFirst = 33, kLast = 126;
constexpr int kGap = 2;              // transparent columns between glyphs
constexpr float kThreshold = 0.14f;  // coverage below this stays transparent

struct SheetStyle {
  Font font;
  Color ink;
  Color matte;
};

Bitmap FontSheet(const SheetStyle& style) {
  std::vector<GlyphImage> glyphs;
  int ascent = 0, descent = 0;
  for (int cp = kFirst; cp <= kLast; ++cp) {
    glyphs.push_back(RenderGlyph(style.font, static_cast<unsigned>(cp)));
    const GlyphImage& g = glyphs.back();
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
  SheetStyle normal{{Face::Sans, 15}, Hex(0x1A2A5A), kPlate};
  SheetStyle highlight{{Face::SansBold, 15}, Hex(0xC8400A), kPlate};
  SheetStyle black{{Face::SansBold, 16}, Hex(0x141420), kHallOddRow};
  SheetStyle purple{{Face::SansBold, 16}, Hex(0x7A1FA0), kHallEvenRow};
  Bitmap normalSheet = FontSheet(normal);
  Bitmap highlightSheet = FontSheet(highlight);
  out.WriteBitmap(Folder::Launcher, "n_font.bmp", normalSheet);
  out.WriteBitmap(Folder::Launcher, "h_font.bmp", highlightSheet);
  out.WriteBitmap(Folder::Launcher, "HallBlackFont.bmp", FontSheet(black));
  out.WriteBitmap(Folder::Launcher, "HallPurpleFont.bmp", FontSheet(purple));
  // The cursor stands as tall as the text it follows, a little below the sheet's top padding.
  const int h = std::max(normalSheet.Height(), highlightSheet.Height());
  Bitmap cursor(3, h, ToRgb8(Hex(0x1A2A5A)));
  out.WriteBitmap(Folder::Launcher, "blockcursor.bmp", cursor);
}

}  // namespace zepgen
