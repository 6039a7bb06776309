#pragma once
// A proportional bitmap font: one sheet holding the 94 printable characters "!" to "~" in
// character order, in a single row, each separated from the next by at least one fully pure-blue
// column. The glyph boundaries are found by scanning the sheet when it is loaded.

#include <cstdint>

#include "qz/qz.h"

class Font {
 public:
  static constexpr int kFirstChar = '!';
  static constexpr int kLastChar = '~';
  static constexpr int kGlyphCount = kLastChar - kFirstChar + 1;  // 94
  // DrawText handles texts shorter than this; longer ones are cut to it.
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
  // glyphs (the glyphs found up to then stay usable).
  int Load(const char* path);
  // The advance of a character: the space width for a space, a control byte or a byte of 0x80 or
  // more; otherwise the glyph's width plus the spacing.
  int CharWidth(char c) const;
  // The sum of CharWidth over the text.
  int TextWidth(const char* text) const;
  // Draws one glyph with its top-left corner at (x, y); returns the advance. A space advances by
  // the space width without drawing; other characters without a glyph draw nothing and return 0.
  int DrawChar(QZSurface* target, char c, int x, int y) const;
  // align 0: left-aligned from x, stopping before the first character that would reach limit
  // (-1: no limit). align 1: right-aligned, ending at x. Texts of kMaxText characters or more
  // are cut to kMaxText - 1. Returns 1.
  int DrawText(QZSurface* target, const char* text, int x, int y, int align, int limit) const;

  int Height() const { return height; }
  int SpaceWidth() const { return spaceWidth; }
  void SetSpaceWidth(int w) { spaceWidth = w; }
  int Spacing() const { return spacing; }
  void SetSpacing(int s) { spacing = s; }
  QZSurface* Sheet() const { return sheet; }
  // The glyph of a character from "!" to "~"; null for any other.
  const Glyph* GlyphOf(char c) const;

 private:
  QZSurface* sheet = nullptr;
  int height = 0;
  int spaceWidth = 0;
  int spacing = 0;
  Glyph glyphs[kGlyphCount];
};
