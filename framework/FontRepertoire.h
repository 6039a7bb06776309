#pragma once
// The characters of a font sheet, in the order of its glyphs. The generator draws the sheets in
// this order and the font loader reads them in it, so both include this one list.
//
// A sheet is a single row: first the 94 glyphs "!" to "~", where every sheet has always held them,
// then the letters beyond ASCII, then one placeholder glyph. Keeping the first 94 where they were
// keeps their loading rules as they are: the same scan finds them at the same places, the
// metrics that come from them (the space, the spacing) stay the same, and a reader that knows only
// those 94 still draws them right. One row also keeps the sheet's height the glyphs' height, the
// line box of every field; accented capitals only make that row a little taller.

#include <cstdint>

struct GlyphRange {
  uint32_t first;
  uint32_t last;
};

// "!" to "~"; Latin-1 (the no-break space U+00A0 is a space and has no glyph); Latin
// Extended-A; the Romanian S and T with comma below, which Latin-1 and Extended-A lack; the
// typographic apostrophe that some layouts and input methods type in names; the euro sign.
constexpr GlyphRange kSheetRanges[] = {
    {0x21, 0x7E}, {0xA1, 0xFF}, {0x100, 0x17F}, {0x218, 0x21B}, {0x2019, 0x2019}, {0x20AC, 0x20AC},
};

constexpr int SheetCharacterCount() {
  int count = 0;
  for (const GlyphRange& range : kSheetRanges)
    count += static_cast<int>(range.last - range.first + 1);
  return count;
}

// The characters with glyphs of their own; the placeholder glyph follows them.
constexpr int kSheetCharacters = SheetCharacterCount();
constexpr int kPlaceholderGlyph = kSheetCharacters;
constexpr int kSheetGlyphs = kSheetCharacters + 1;

// The glyph index of a character on the sheet, or -1 for one the sheets do not hold.
constexpr int SheetGlyphIndex(uint32_t code) {
  int index = 0;
  for (const GlyphRange& range : kSheetRanges) {
    if (code >= range.first && code <= range.last)
      return index + static_cast<int>(code - range.first);
    index += static_cast<int>(range.last - range.first + 1);
  }
  return -1;
}

// The character of a glyph index (0 for the placeholder and for indices past the sheet).
constexpr uint32_t SheetCharacter(int index) {
  for (const GlyphRange& range : kSheetRanges) {
    const int count = static_cast<int>(range.last - range.first + 1);
    if (index >= 0 && index < count) return range.first + static_cast<uint32_t>(index);
    index -= count;
  }
  return 0;
}

static_assert(SheetGlyphIndex('!') == 0 && SheetGlyphIndex('~') == 93,
              "the first 94 glyphs stay where every sheet has them");
