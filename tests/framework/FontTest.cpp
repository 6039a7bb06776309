#include "framework/Font.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "WidgetFixture.h"
#include "framework/Keyboard.h"
#include "framework/TextField.h"
#include "platform/Video.h"

namespace {

constexpr int kSheetHeight = 12;

// Writes a font sheet: `count` glyphs, glyph g `width(g)` columns wide in `colour(g)` (its top
// row blue, which a glyph may have), one blue column after each glyph but the last, and
// `trailing` blue columns at the end.
bool WriteSheet(const std::string& path, int count, const std::function<int(int)>& width,
                const std::function<Rgb(int)>& colour, int trailing = 0) {
  std::vector<int> owner;  // glyph of each column, -1 for a gap
  for (int g = 0; g < count; ++g) {
    for (int i = 0; i < width(g); ++i)
      owner.push_back(g);
    if (g + 1 < count) owner.push_back(-1);
  }
  for (int i = 0; i < trailing; ++i)
    owner.push_back(-1);
  return WriteBitmap24(path, static_cast<int>(owner.size()), kSheetHeight,
                       [&](int x, int y) -> Rgb {
                         const int g = owner[static_cast<size_t>(x)];
                         if (g < 0 || y == 0) return {0, 0, 255};
                         return colour(g);
                       });
}

int Ten(int) {
  return 10;
}
// Glyphs alternate green (even index: "!", "#", ..., "a") and red (odd: "b", ...).
Rgb Alternate(int g) {
  return g % 2 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
}

class FontTest : public WidgetFixture {
 protected:
  std::string EvenSheet() {
    const std::string path = folder.File("font.bmp");
    EXPECT_TRUE(WriteSheet(path, 94, Ten, Alternate));
    return path;
  }
  TempFolder folder;
};

TEST_F(FontTest, EvenSheetMeasuresTenWideWithSpaceFiveAndSpacingOne) {
  Font font;
  ASSERT_EQ(font.Load(EvenSheet().c_str()), 1);
  EXPECT_EQ(font.Height(), kSheetHeight);
  EXPECT_EQ(font.SpaceWidth(), 5);
  EXPECT_EQ(font.Spacing(), 1);
  EXPECT_EQ(font.GlyphOf('!')->left, 0);
  EXPECT_EQ(font.GlyphOf('!')->right, 10);
  EXPECT_EQ(font.GlyphOf('~')->left, 93 * 11);
  EXPECT_EQ(font.GlyphOf('~')->width, 10);
  EXPECT_EQ(font.TextWidth("AB"), 22);
  EXPECT_EQ(font.TextWidth("A B"), 27);
  // A tab: measured as a space. A byte of 0x80 or more alone is no character: it measures as
  // the placeholder, which on a sheet of only "!" to "~" is its "?". DEL has no glyph at all.
  EXPECT_EQ(font.CharWidth('\t'), 5);
  EXPECT_EQ(font.CharWidth(static_cast<char>(0xE9)), 11);
  EXPECT_EQ(font.CharWidth(static_cast<char>(0x7F)), 0);
}

TEST_F(FontTest, ProportionalSheetFindsEachGlyphsOwnWidth) {
  const std::string path = folder.File("prop.bmp");
  ASSERT_TRUE(WriteSheet(
      path, 94, [](int g) { return g % 7 + 1; }, Alternate, 3));
  Font font;
  ASSERT_EQ(font.Load(path.c_str()), 1);
  EXPECT_EQ(font.GlyphOf('!')->width, 1);
  EXPECT_EQ(font.GlyphOf('"')->left, 2);
  EXPECT_EQ(font.GlyphOf('\'')->width, 7);  // index 6
  EXPECT_EQ(font.GlyphOf('(')->width, 1);
  EXPECT_EQ(font.SpaceWidth(), 3);  // 7 * 0.5, truncated
  EXPECT_EQ(font.Spacing(), 0);     // 7 * 0.1
}

TEST_F(FontTest, SheetWithTooFewGlyphsFailsButKeepsWhatItFound) {
  for (int trailing : {0, 4}) {
    const std::string path = folder.File("short" + std::to_string(trailing) + ".bmp");
    ASSERT_TRUE(WriteSheet(path, 93, Ten, Alternate, trailing));
    Font font;
    EXPECT_EQ(font.Load(path.c_str()), 0) << trailing;
    EXPECT_EQ(font.GlyphOf('}')->width, 10);
    EXPECT_EQ(font.GlyphOf('~')->left, -1);  // not invented from the blue at the end
    EXPECT_EQ(font.DrawChar(back.get(), '!', 0, 0), 11);
    EXPECT_EQ(back->PixelAt(0, 1), kGreen);
    // The missing glyph shows as the sheet's "?", never as nothing.
    EXPECT_EQ(font.DrawChar(back.get(), '~', 20, 0), 11);
    EXPECT_EQ(back->PixelAt(20, 1), kGreen);
  }
  Font missing;
  EXPECT_EQ(missing.Load(folder.File("none.bmp").c_str()), 0);
  EXPECT_EQ(missing.DrawChar(back.get(), 'A', 40, 0), 0);
  EXPECT_EQ(back->PixelAt(40, 1), kPaper);
}

TEST_F(FontTest, DrawCharBlitsTheGlyphKeyedAndAdvances) {
  Font font;
  ASSERT_EQ(font.Load(EvenSheet().c_str()), 1);
  EXPECT_EQ(font.DrawChar(back.get(), 'a', 50, 20), 11);
  EXPECT_EQ(back->PixelAt(50, 21), kGreen);
  EXPECT_EQ(back->PixelAt(59, 31), kGreen);
  EXPECT_EQ(back->PixelAt(60, 21), kPaper);
  EXPECT_EQ(back->PixelAt(55, 20), kPaper);  // the glyph's blue row is not drawn
  EXPECT_EQ(font.DrawChar(back.get(), ' ', 70, 20), 5);
  EXPECT_EQ(font.DrawChar(back.get(), '\t', 70, 20), 0);  // measured as a space, drawn as nothing
  EXPECT_EQ(back->PixelAt(70, 21), kPaper);
  // Never nothing for a byte that is not UTF-8: the "?" of a sheet without a placeholder.
  EXPECT_EQ(font.DrawChar(back.get(), static_cast<char>(0xE9), 70, 20), 11);
  EXPECT_EQ(back->PixelAt(70, 21), kGreen);
}

// A sheet of every glyph the sheets hold, in their order, 10 columns each but for the placeholder
// (30): "é" red, the placeholder white, every other glyph green.
class FullSheetTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    path = folder.File("full.bmp");
    ASSERT_TRUE(WriteSheet(
        path, kSheetGlyphs, [](int g) { return g == kPlaceholderGlyph ? 30 : 10; },
        [](int g) {
          if (g == kPlaceholderGlyph) return Rgb{255, 255, 255};
          return g == SheetGlyphIndex(0xE9) ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
        }));
    ASSERT_EQ(font.Load(path.c_str()), 1);
  }
  std::string path;
  Font font;
};

TEST_F(FullSheetTest, LatinLettersHaveGlyphsEverythingElseThePlaceholder) {
  EXPECT_EQ(font.GlyphOfCode(0xE9)->left, SheetGlyphIndex(0xE9) * 11);
  EXPECT_EQ(font.GlyphOfCode(0x17F)->width, 10);
  EXPECT_EQ(font.Placeholder()->width, 30);
  // The wide placeholder changes neither the space nor the spacing: they come from "!" to "~".
  EXPECT_EQ(font.SpaceWidth(), 5);
  EXPECT_EQ(font.Spacing(), 1);
  EXPECT_EQ(font.TextWidth("Zo\xC3\xA9"), 33);
  EXPECT_EQ(font.TextWidth("a\xC2\xA0"
                           "b"),
            27);  // a no-break space is a space
  // A Latin-1 byte of an old file, a character of another script: one placeholder each.
  EXPECT_EQ(font.TextWidth("Zo\xE9"), 22 + 31);
  EXPECT_EQ(font.TextWidth("\xE4\xB8\xAD"), 31);

  font.DrawText(back.get(), "\xC3\xA9\xE9\xC2\xA0\xE4\xB8\xAD", 10, 20, 0, -1);
  EXPECT_EQ(back->PixelAt(10, 21), kRed);    // é
  EXPECT_EQ(back->PixelAt(21, 21), kWhite);  // the lone byte
  EXPECT_EQ(back->PixelAt(52, 21), kPaper);  // the no-break space draws nothing
  EXPECT_EQ(back->PixelAt(57, 21), kWhite);  // the character the sheet does not hold
  EXPECT_EQ(back->PixelAt(88, 21), kPaper);
  // Right-aligned, character by character from the last.
  font.DrawText(back.get(), "a\xC3\xA9", 200, 40, 1, -1);
  EXPECT_EQ(back->PixelAt(189, 41), kRed);
  EXPECT_EQ(back->PixelAt(178, 41), kGreen);
  EXPECT_EQ(back->PixelAt(177, 41), kPaper);
}

TEST_F(FullSheetTest, LongTextsAreCutBetweenCharacters) {
  SurfacePtr wide = MakeSurface(4000, kSheetHeight, kPaper);
  // 128 times "é" is 256 bytes: 255 would end inside the 128th, which is left out whole.
  std::string text;
  for (int i = 0; i < 128; ++i)
    text += "\xC3\xA9";
  font.DrawText(wide.get(), text.c_str(), 0, 0, 0, -1);
  EXPECT_EQ(wide->PixelAt(126 * 11, 1), kRed);
  EXPECT_EQ(wide->PixelAt(127 * 11, 1), kPaper);
}

TEST_F(FontTest, LeftAlignedDrawingStopsBeforeTheLimit) {
  Font font;
  ASSERT_EQ(font.Load(EvenSheet().c_str()), 1);
  font.DrawText(back.get(), "a", 90, 0, 0, 100);  // 90 + 11 >= 100
  EXPECT_EQ(back->PixelAt(90, 1), kPaper);
  font.DrawText(back.get(), "a", 88, 0, 0, 100);
  EXPECT_EQ(back->PixelAt(88, 1), kGreen);
  font.DrawText(back.get(), "ab", 200, 0, 0, -1);
  EXPECT_EQ(back->PixelAt(200, 1), kGreen);
  EXPECT_EQ(back->PixelAt(211, 1), kRed);
  font.DrawText(back.get(), "ab", 300, 0, 7, -1);  // no such alignment
  EXPECT_EQ(back->PixelAt(300, 1), kPaper);
}

TEST_F(FontTest, RightAlignedDrawingEndsAtX) {
  Font font;
  ASSERT_EQ(font.Load(EvenSheet().c_str()), 1);
  EXPECT_EQ(font.DrawText(back.get(), "ab", 200, 0, 1, -1), 1);
  EXPECT_EQ(back->PixelAt(189, 1), kRed);  // "b" at 200 - 10 - 1
  EXPECT_EQ(back->PixelAt(198, 1), kRed);
  EXPECT_EQ(back->PixelAt(199, 1), kPaper);
  EXPECT_EQ(back->PixelAt(178, 1), kGreen);  // "a" before it
  EXPECT_EQ(back->PixelAt(188, 1), kPaper);
  EXPECT_EQ(back->PixelAt(177, 1), kPaper);
}

TEST_F(FontTest, TextsOf256CharactersOrMoreAreCut) {
  Font font;
  ASSERT_EQ(font.Load(EvenSheet().c_str()), 1);
  SurfacePtr wide = MakeSurface(4000, kSheetHeight, kPaper);
  const std::string text(300, 'a');
  EXPECT_EQ(font.DrawText(wide.get(), text.c_str(), 0, 0, 0, -1), 1);
  EXPECT_EQ(wide->PixelAt(254 * 11, 1), kGreen);  // the 255th character
  EXPECT_EQ(wide->PixelAt(255 * 11, 1), kPaper);  // the 256th is not drawn
}

class TextFieldTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    sheet = EvenSheet();
    cursorPath = folder.File("cursor.bmp");
    ASSERT_TRUE(WriteBitmap24(cursorPath, 2, kSheetHeight, [](int, int) {
      return Rgb{255, 255, 255};
    }));
  }
  static void Type(const std::vector<uint32_t>& events) {
    for (uint32_t e : events)
      PushKey(e);
  }
  static platform::MemoryVideo& Video() {
    return dynamic_cast<platform::MemoryVideo&>(platform::GetVideo());
  }
  std::string sheet;
  std::string cursorPath;
};

// Typed characters, and the keys by their place (the key of "a" carries no character).
constexpr uint32_t kA = kKeyText | 'a';
constexpr uint32_t kB = kKeyText | 'b';
constexpr uint32_t kCapitalB = kKeyText | 'B';
constexpr uint32_t kKeyOfA = 0x1E;
constexpr uint32_t kBack = 0x0E;
constexpr uint32_t kTab = 0x0F;
constexpr uint32_t kEnter = 0x1C;

TEST_F(TextFieldTest, CapacityTenTakesNineBytesAndNeverPartOfACharacter) {
  TextField field;
  field.AddFont(sheet.c_str());
  field.SetBox(0, 0, 500, 0);
  field.SetCapacity(10);
  field.SetFocus(1);
  Type(std::vector<uint32_t>(12, kA));
  EXPECT_EQ(field.HandleKeys(), 0u);
  // As many bytes as the record it is stored in holds: the capacity less the terminator.
  EXPECT_STREQ(field.Text(), "aaaaaaaaa");
  EXPECT_EQ(field.Length(), 9);
  EXPECT_EQ(PopKey(), 0u);  // the queue was drained

  // Two-byte letters: four fill eight bytes; a fifth would not fit whole, a one-byte one does.
  field.SetText("");
  PushText(
      "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
      "a");
  field.HandleKeys();
  EXPECT_STREQ(field.Text(),
               "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
               "a");
  // Backspace takes whole characters away; control characters are not typed.
  field.Backspace();
  field.Backspace();
  EXPECT_STREQ(field.Text(), "\xC3\xA9\xC3\xA9\xC3\xA9");
  EXPECT_FALSE(field.InsertCode('\t'));
  EXPECT_FALSE(field.InsertCode(0x85));
  EXPECT_TRUE(field.InsertCode(0x142));
  EXPECT_EQ(field.Length(), 8);
}

TEST_F(TextFieldTest, TheBoxWidthStopsTypingBeforeTheCapacity) {
  TextField field;
  field.SetBox(0, 0, 50, 0);
  field.AddFont(sheet.c_str());
  EXPECT_EQ(field.Height(), kSheetHeight);  // the font sets the box's height
  field.SetCapacity(64);
  field.SetFocus(1);
  Type({kA, kA, kA, kA, kA, kA});
  field.HandleKeys();
  EXPECT_STREQ(field.Text(), "aaaa");  // 44 + 11 would reach the width of 50
}

TEST_F(TextFieldTest, EditingKeysAndTheirEffectOnTheQueue) {
  TextField field;
  field.AddFont(sheet.c_str());
  field.SetBox(0, 0, 500, 0);
  field.SetCapacity(64);
  field.SetFocus(1);
  Type({kKeyOfA, kA, kCapitalB, kBack, kBack | kKeyShift, kB, kTab, kA});
  EXPECT_EQ(field.HandleKeys(), kTab);  // stops at the tab
  EXPECT_STREQ(field.Text(), "ab");
  EXPECT_EQ(field.HasFocus(), 1);
  Type({kEnter, kB});
  EXPECT_EQ(field.HandleKeys(), kEnter);  // the a after the tab, then enter
  EXPECT_STREQ(field.Text(), "aba");
  EXPECT_EQ(field.HasFocus(), 0);  // enter gives up the focus...
  EXPECT_EQ(PopKey(), kB);         // ...and leaves the rest of the queue
  EXPECT_EQ(field.HandleKeys(), 0u);

  for (int i = 0; i < 5; ++i)
    field.Backspace();
  EXPECT_EQ(field.Length(), 0);
  EXPECT_STREQ(field.Text(), "");

  field.SetFocus(1);
  field.SetEditable(0);
  Type({kA});
  EXPECT_EQ(field.HandleKeys(), 0u);
  EXPECT_STREQ(field.Text(), "");
}

TEST_F(TextFieldTest, TakingTheFocusDropsKeysPressedBefore) {
  TextField field;
  field.AddFont(sheet.c_str());
  field.SetBox(0, 0, 500, 0);
  field.SetCapacity(64);
  Type({kA, kA});
  EXPECT_EQ(field.HandleKeys(), 0u);  // no focus: nothing taken
  field.SetFocus(1);
  EXPECT_EQ(PopKey(), 0u);
  Type({kB});
  field.SetFocus(1);  // already focused: the queue stays
  field.HandleKeys();
  EXPECT_STREQ(field.Text(), "b");
}

TEST_F(TextFieldTest, TheDesktopsTypingIsOnWhileAnEditableFieldHasTheFocus) {
  TextField first;
  TextField second;
  for (TextField* field : {&first, &second}) {
    field->AddFont(sheet.c_str());
    field->SetCapacity(64);
    field->SetOrigin(53, 18);
  }
  first.SetBox(50, 270, 580, 26);
  second.SetBox(50, 336, 580, 26);
  EXPECT_FALSE(Video().textInput);
  first.SetFocus(1);
  EXPECT_TRUE(Video().textInput);
  EXPECT_EQ(Video().textInputArea.x, 103);  // the field on the picture, for an input method
  EXPECT_EQ(Video().textInputArea.y, 288);
  EXPECT_EQ(Video().textInputArea.width, 580);
  // Moving on to the next line: the typing moves along, in either order of the calls.
  second.SetFocus(1);
  first.SetFocus(0);
  EXPECT_TRUE(Video().textInput);
  EXPECT_EQ(Video().textInputArea.y, 354);
  second.SetEditable(0);
  EXPECT_FALSE(Video().textInput);
  second.SetEditable(1);
  EXPECT_TRUE(Video().textInput);
  second.SetFocus(0);
  EXPECT_FALSE(Video().textInput);
  {
    TextField closing;
    closing.SetFocus(1);
    EXPECT_TRUE(Video().textInput);
  }
  EXPECT_FALSE(Video().textInput);  // a field that goes away takes its typing with it
}

TEST_F(TextFieldTest, SetTextRefusesWhatDoesNotFit) {
  TextField field;
  field.SetCapacity(5);
  field.SetText("abcd");
  EXPECT_STREQ(field.Text(), "abcd");
  field.SetText("abcde");
  EXPECT_STREQ(field.Text(), "abcd");
  EXPECT_EQ(field.Length(), 4);
}

TEST_F(TextFieldTest, TwoStepAndOneStepFocusByClicks) {
  TextField field;
  field.SetBox(10, 10, 100, 20);
  field.SetOrigin(50, 60);
  EXPECT_EQ(field.HitTest(60, 70), 1);   // the box's corner, with the origin
  EXPECT_EQ(field.HitTest(160, 90), 1);  // far edges included
  EXPECT_EQ(field.HitTest(161, 90), 0);

  EXPECT_EQ(field.OnClick(100, 80), 0);
  EXPECT_EQ(field.IsSelected(), 1);
  EXPECT_EQ(field.OnClick(100, 80), 1);
  EXPECT_EQ(field.IsSelected(), 1);
  EXPECT_EQ(field.OnClick(100, 80), 0);  // a click on the focused field: selected only
  EXPECT_EQ(field.IsSelected(), 1);
  EXPECT_EQ(field.OnClick(0, 0), 0);
  EXPECT_EQ(field.IsSelected(), 0);

  field.SetTwoStep(0);
  EXPECT_EQ(field.OnClick(100, 80), 1);
  EXPECT_EQ(field.IsSelected(), 0);
  EXPECT_EQ(field.OnClick(0, 0), 0);
}

TEST_F(TextFieldTest, CursorBlinksEveryHalfSecondAfterTheText) {
  TextField field;
  field.AddFont(sheet.c_str());
  field.SetBox(10, 20, 300, 0);
  field.SetCapacity(64);
  field.SetCursor(cursorPath.c_str());
  field.SetText("ab");
  field.SetFocus(1);
  auto cursorShown = [this, &field] {
    FillColor(back.get(), kPaper);
    field.Draw(back.get());
    return back->PixelAt(10 + 22, 21) == kWhite;
  };
  EXPECT_TRUE(cursorShown());  // the clock (0) has not passed the cursor's time (0)
  EXPECT_EQ(back->PixelAt(10, 21), kGreen);
  Advance(10);
  EXPECT_FALSE(cursorShown());  // hidden until 510
  Advance(500);
  EXPECT_FALSE(cursorShown());
  Advance(10);
  EXPECT_TRUE(cursorShown());
  Advance(490);
  EXPECT_TRUE(cursorShown());
  // An input method's unfinished text shows where typing goes, the cursor after it; it is not
  // typed until the input method says so.
  platform::Input().SetComposition("b");
  field.Draw(back.get());
  EXPECT_EQ(back->PixelAt(10 + 22, 21), kRed);
  EXPECT_EQ(back->PixelAt(10 + 33, 21), kWhite);
  EXPECT_STREQ(field.Text(), "ab");
  platform::Input().SetComposition("");
  Advance(20);
  EXPECT_FALSE(cursorShown());

  field.SetFocus(0);
  Advance(1000);
  EXPECT_FALSE(cursorShown());  // only a focused field shows it
}

TEST_F(TextFieldTest, SelectedFieldDrawsWithTheSecondFontInsideItsBox) {
  const std::string highlight = folder.File("high.bmp");
  ASSERT_TRUE(WriteSheet(highlight, 94, Ten, [](int) { return Rgb{255, 255, 255}; }));
  TextField field;
  field.AddFont(sheet.c_str());
  field.AddFont(highlight.c_str());
  field.SetBox(10, 20, 35, 0);
  field.SetOrigin(100, 100);
  field.SetCapacity(64);
  field.SetText("aaaa");  // wider than the box: taken as text, but drawn only while it fits
  field.Draw(back.get());
  EXPECT_EQ(back->PixelAt(110, 121), kGreen);
  EXPECT_EQ(back->PixelAt(132, 121), kGreen);  // the third "a" ends at 142 < 145
  EXPECT_EQ(back->PixelAt(143, 121), kPaper);  // the fourth would reach the box's edge
  field.SetSelected(1);
  field.Draw(back.get());
  EXPECT_EQ(back->PixelAt(110, 121), kWhite);
}

}  // namespace
