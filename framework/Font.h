#pragma once
// A proportional bitmap font: one sheet holding the 94 printable characters "!" to "~" in
// character order, in a single row, each separated from the next by at least one fully pure-blue
// column, and after them the letters beyond ASCII and a placeholder glyph (FontRepertoire.h).
// The glyph boundaries are found by scanning the sheet when it is loaded. Text is UTF-8; a
// character the sheet does not hold, and a byte that is not UTF-8, show as the placeholder.

#include <cstdint>

#include "framework/FontRepertoire.h"
#include "qz/qz.h"

class Font {
 public:
  static constexpr int kFirstChar = '!';
  static constexpr int kLastChar = '~';
  // The glyphs every sheet must hold: "!" to "~".
  static constexpr int kGlyphCount = kLastChar - kFirstChar + 1;  // 94
  // DrawText handles texts shorter than this many bytes; longer ones are cut to it.
  static constexpr int kMaxText = 256;

  struct Glyph {
    int left;   // first column, -1 when not found
    int right;  // first empty column after it, -1 when not found
    int width;  // right - left
  };

  Font();
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Builds the font from a bitmap file. 0 when the file cannot be loaded or holds fewer than 94
  // glyphs (the glyphs found up to then stay usable). The glyphs beyond the 94 are optional: a
  // sheet of only those shows every other character as its "?".
  int Load(const char* path);
  // The advance of a character: the space width for a space, a no-break space or a control
  // character, 0 for DEL, otherwise its glyph's width (the placeholder's for a character without
  // one) plus the spacing.
  int CodeWidth(uint32_t code) const;
  // CodeWidth of a single byte; a byte of 0x80 or more alone is no character and measures as
  // the placeholder.
  int CharWidth(char c) const;
  // The sum of CodeWidth over the characters of the UTF-8 text.
  int TextWidth(const char* text) const;
  // Draws one character with its top-left corner at (x, y); returns the advance. A space or a
  // no-break space advances by the space width without drawing; control characters draw nothing
  // and return 0; a character without a glyph draws the placeholder.
  int DrawCode(QZSurface* target, uint32_t code, int x, int y) const;
  // DrawCode of a single byte (one of 0x80 or more draws the placeholder).
  int DrawChar(QZSurface* target, char c, int x, int y) const;
  // align 0: left-aligned from x, stopping before the first character that would reach limit
  // (-1: no limit). align 1: right-aligned, ending at x. Texts of kMaxText bytes or more are cut
  // to at most kMaxText - 1, never inside a character. Returns 1.
  int DrawText(QZSurface* target, const char* text, int x, int y, int align, int limit) const;

  int Height() const { return height; }
  int SpaceWidth() const { return spaceWidth; }
  void SetSpaceWidth(int w) { spaceWidth = w; }
  int Spacing() const { return spacing; }
  void SetSpacing(int s) { spacing = s; }
  QZSurface* Sheet() const { return sheet; }
  // The glyph of a character from "!" to "~"; null for any other.
  const Glyph* GlyphOf(char c) const;
  // The glyph of any character the sheets hold (found on this sheet or not); null for others.
  const Glyph* GlyphOfCode(uint32_t code) const;
  // What stands for a character without a glyph: the sheet's placeholder, or "?" on a sheet
  // without one; null when neither was found.
  const Glyph* Placeholder() const;

 private:
  // The glyph drawn for a character that is not a space or a control character.
  const Glyph* Shown(uint32_t code) const;
  int Blit(QZSurface* target, const Glyph& glyph, int x, int y) const;

  QZSurface* sheet = nullptr;
  int height = 0;
  int spaceWidth = 0;
  int spacing = 0;
  Glyph glyphs[kSheetGlyphs];
};
