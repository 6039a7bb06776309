#include "framework/TextField.h"

#include <cstring>

#include "framework/Keyboard.h"
#include "framework/Timer.h"
#include "platform/Utf8.h"

namespace {

constexpr uint32_t kKeyBackspace = 0x0E;
constexpr uint32_t kKeyTab = 0x0F;
constexpr uint32_t kKeyEnter = 0x1C;

// The field the desktop's typing goes to; one at a time.
const TextField* typingField = nullptr;

// Characters that are editing or no characters at all: the C0 and C1 controls and DEL.
bool IsControl(uint32_t code) {
  return code < 0x20 || (code >= 0x7F && code < 0xA0);
}

}  // namespace

TextField::~TextField() {
  if (typingField == this) {
    typingField = nullptr;
    QZSetTextInput(0, 0, 0, 0, 0);
  }
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
  UpdateTyping();
}

void TextField::SetEditable(int v) {
  editable = v;
  UpdateTyping();
}

void TextField::UpdateTyping() {
  const bool wanted = focus != 0 && editable != 0;
  if (wanted && typingField != this) {
    typingField = this;
    QZSetTextInput(1, x + originX, y + originY, width, height);
  } else if (!wanted && typingField == this) {
    typingField = nullptr;
    QZSetTextInput(0, 0, 0, 0, 0);
  }
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
    const uint32_t code = KeyChar(event);
    if (code != 0) {
      InsertCode(code);
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

bool TextField::InsertCode(uint32_t code) {
  char encoded[4];
  const size_t bytes = IsControl(code) ? 0 : platform::EncodeUtf8(code, encoded);
  // The text and its terminator must fit the buffer, which is the size of the stored field.
  if (text == nullptr || bytes == 0 || length + static_cast<int>(bytes) > capacity - 1)
    return false;
  // Measured with font 0 whatever the field shows; without a font only the capacity limits.
  const Font* font = FontAt(0);
  if (font != nullptr && font->TextWidth(text) + font->CodeWidth(code) >= width) return false;
  for (size_t i = 0; i < bytes; ++i)
    text[length++] = encoded[i];
  text[length] = '\0';
  return true;
}

void TextField::Backspace() {
  if (text == nullptr) return;
  length -= static_cast<int>(platform::LastCharacterLength(text, static_cast<size_t>(length)));
  text[length] = '\0';
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
  // An input method's unfinished text shows where it will go, the cursor after it.
  int textWidth = font != nullptr ? font->TextWidth(Text()) : 0;
  const char* composing = typingField == this ? QZGetComposition() : "";
  if (font != nullptr && composing[0] != '\0') {
    font->DrawText(target, composing, left + textWidth, top, 0, left + width);
    textWidth += font->TextWidth(composing);
  }
  if (editable && focus && blink == 1 && cursor != nullptr) {
    cursor->SetPosition(left + textWidth, top);
    cursor->DrawTo(target);
  }
}
