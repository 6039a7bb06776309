#include "framework/TextField.h"

#include <cstring>

#include "framework/Keyboard.h"
#include "framework/Timer.h"

namespace {

constexpr uint32_t kKeyBackspace = 0x0E;
constexpr uint32_t kKeyTab = 0x0F;
constexpr uint32_t kKeyEnter = 0x1C;

}  // namespace

TextField::~TextField() {
  delete[] text;
  if (!fontsShared) fonts.DeleteAll();
  delete cursor;
}

void TextField::SetBox(int newX, int newY, int newWidth, int newHeight) {
  x = newX;
  y = newY;
  width = newWidth;
  height = newHeight;
}

void TextField::SetOrigin(int dx, int dy) {
  originX = dx;
  originY = dy;
}

void TextField::SetCapacity(int n) {
  delete[] text;
  text = nullptr;
  capacity = n > 0 ? n : 0;
  if (capacity > 0) text = new char[static_cast<size_t>(capacity)]();
  length = 0;
  blink = 1;
}

void TextField::SetText(const char* newText) {
  if (newText == nullptr) newText = "";
  const size_t newLength = std::strlen(newText);
  if (text == nullptr || newLength >= static_cast<size_t>(capacity)) return;
  std::memcpy(text, newText, newLength + 1);
  length = static_cast<int>(newLength);
}

int TextField::AddFont(const char* path) {
  Font* font = new Font();
  const int loaded = font->Load(path);
  height = font->Height();
  fonts.Push(font);
  return loaded;
}

void TextField::AddSharedFont(Font* font) {
  if (font == nullptr) return;
  height = font->Height();
  fonts.Push(font);
  fontsShared = 1;
}

void TextField::SetCursor(const char* path) {
  delete cursor;
  cursor = new Sprite();
  cursor->LoadFrame(path);
  cursor->SetPositionF(cursor->X(), static_cast<float>(y + originY));
  cursor->SetFrameTime(0);
}

void TextField::SetFocus(int v) {
  if (!focus) ClearKeys();
  focus = v;
}

int TextField::HitTest(int px, int py) const {
  const int u = px - originX;
  const int v = py - originY;
  return (u >= x && u <= x + width && v >= y && v <= y + height) ? 1 : 0;
}

int TextField::OnClick(int px, int py) {
  const int inside = HitTest(px, py);
  if (!twoStep) {
    SetFocus(inside);
  } else if (!inside) {
    SetFocus(0);
    SetSelected(0);
  } else if (selected && !focus) {
    SetFocus(1);
  } else {
    SetSelected(1);
    SetFocus(0);
  }
  return focus;
}

uint32_t TextField::HandleKeys() {
  if (!focus || !editable) return 0;
  for (uint32_t event = PopKey(); event != 0; event = PopKey()) {
    const char c = KeyChar(event);
    if (c != 0) {
      InsertChar(c);
    } else if (event == kKeyBackspace) {
      Backspace();
    } else if (event == kKeyEnter) {
      SetFocus(0);
      return kKeyEnter;
    } else if (event == kKeyTab) {
      return kKeyTab;
    }
  }
  return 0;
}

void TextField::InsertChar(char c) {
  if (text == nullptr || length + 1 >= capacity - 1) return;
  // Measured with font 0 whatever the field shows; without a font only the capacity limits.
  const Font* font = FontAt(0);
  if (font != nullptr && font->TextWidth(text) + font->CharWidth(c) >= width) return;
  text[length++] = c;
  text[length] = '\0';
}

void TextField::Backspace() {
  if (length > 0) --length;
  if (text != nullptr) text[length] = '\0';
}

const Font* TextField::DrawingFont() const {
  if (selected && fonts.Count() >= 2) return fonts.At(1);
  return FontAt(0);
}

void TextField::Draw(QZSurface* target) {
  const Font* font = DrawingFont();
  const int left = x + originX;
  const int top = y + originY;
  // Stop before the box's right edge on the display, where the text is drawn.
  if (font != nullptr) font->DrawText(target, Text(), left, top, 0, left + width);

  if (cursor != nullptr && GetTime() > cursor->FrameTime()) {
    cursor->SetFrameTime(GetTime() + kBlinkMs);
    blink = 1 - blink;
  }
  if (editable && focus && blink == 1 && cursor != nullptr) {
    const int textWidth = font != nullptr ? font->TextWidth(Text()) : 0;
    cursor->SetPosition(left + textWidth, top);
    cursor->DrawTo(target);
  }
}
