#pragma once
// The framework's one text-input control: a single-line box drawn with a bitmap font, with a
// blinking cursor picture. It is idle, selected (drawn with the highlighted font) or focused
// (taking the keys of the key queue, cursor blinking). With two-step focus the first click
// selects the field and a second one starts typing; with one-step focus a click starts typing.
//
// The text is UTF-8. Its characters come as the desktop's layout and input method type them
// (character events of the key queue), which an editable field with the focus asks for; the
// editing keys (backspace, Tab, Enter) come as keys. The capacity counts bytes: a field of
// capacity n holds at most n - 1 bytes, the size of the record it is stored in, so typing stops
// where storing would have to cut.

#include <cstdint>

#include "framework/Font.h"
#include "framework/PtrArray.h"
#include "framework/Sprite.h"
#include "qz/qz.h"

class TextField {
 public:
  // The cursor is shown for this long, then hidden as long.
  static constexpr uint32_t kBlinkMs = 500;

  TextField() = default;
  ~TextField();
  TextField(const TextField&) = delete;
  TextField& operator=(const TextField&) = delete;

  void SetBox(int newX, int newY, int newWidth, int newHeight);
  // Added to the box when drawing, taken from the point when hit-testing: the owner's position.
  void SetOrigin(int dx, int dy);
  // A fresh, empty text buffer of n bytes (the terminator included).
  void SetCapacity(int n);
  // Takes the text when it is shorter than the capacity (in bytes); a longer one is refused.
  void SetText(const char* newText);
  // Loads a font the field owns; the box takes the font's height. 0 when the font did not load
  // completely (it is kept all the same).
  int AddFont(const char* path);
  // Adds a font owned elsewhere; from then on the field destroys none of its fonts.
  void AddSharedFont(Font* font);
  // Loads the cursor picture.
  void SetCursor(const char* path);
  // Taking the focus drops the keys pressed while the field had none. An editable field with the
  // focus has the desktop's typing on (QZSetTextInput) until it loses either.
  void SetFocus(int v);
  void SetSelected(int v) { selected = v; }
  void SetTwoStep(int v) { twoStep = v; }
  void SetEditable(int v);
  // Edges included.
  int HitTest(int px, int py) const;
  // A mouse click at the point; returns the focus afterwards.
  int OnClick(int px, int py);
  // Drains the key queue into the text while the field has the focus: typed characters are
  // added, backspace takes the last character away. Returns 0x1C for enter (which also gives up
  // the focus) or 0x0F for tab at once, leaving the rest of the queue; otherwise 0 once the queue
  // is empty. Other keys are dropped.
  uint32_t HandleKeys();
  // Appends the character while the capacity and the box's width allow; control characters are
  // not taken. True when it was added.
  bool InsertCode(uint32_t code);
  // Takes the last character away (all its bytes).
  void Backspace();
  // The text (with the highlighted font while selected), what an input method is composing
  // there, and the blinking cursor.
  void Draw(QZSurface* target);

  const char* Text() const { return text != nullptr ? text : ""; }
  // Bytes of the text.
  int Length() const { return length; }
  int Capacity() const { return capacity; }
  int HasFocus() const { return focus; }
  int IsSelected() const { return selected; }
  int Blink() const { return blink; }
  int X() const { return x; }
  int Y() const { return y; }
  int Width() const { return width; }
  int Height() const { return height; }
  int FontCount() const { return fonts.Count(); }
  Font* FontAt(int i) const { return i >= 0 && i < fonts.Count() ? fonts.At(i) : nullptr; }
  Sprite* Cursor() const { return cursor; }

 private:
  // The font drawing and measuring use: the highlighted one while selected, when there is one.
  const Font* DrawingFont() const;
  // Turns the desktop's typing on or off as the field's focus and editability ask.
  void UpdateTyping();

  int x = 0;
  int y = 0;
  int originX = 0;
  int originY = 0;
  int width = 0;
  int height = 0;
  char* text = nullptr;
  PtrArray<Font> fonts;
  int capacity = 0;
  int length = 0;
  Sprite* cursor = nullptr;
  int blink = 0;
  int focus = 0;
  int selected = 0;
  int fontsShared = 0;
  int twoStep = 1;
  int editable = 1;
};
