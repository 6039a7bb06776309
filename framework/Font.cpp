#include "framework/Font.h"

#include "framework/SurfaceRoutines.h"

Font::Font() {
  for (Glyph& g : glyphs)
    g = {-1, -1, 0};
}

Font::~Font() {
  QZSurface::Release(sheet);
}

int Font::Load(const char* path) {
  QZSurface* loaded = QZLoadBitmap(path, 16);
  if (loaded == nullptr) return 0;
  QZSurface::Release(sheet);
  sheet = loaded;
  for (Glyph& g : glyphs)
    g = {-1, -1, 0};

  int sheetWidth = 0;
  GetSurfaceSize(sheet, &sheetWidth, &height);
  ::SetColorKey(sheet, 0, 0, 255);
  const uint16_t key = static_cast<uint16_t>(MakeColor(sheet, 0, 0, 255));

  // A column is empty when every pixel in it is the key; columns past the sheet count as empty.
  SurfaceDescription description;
  const uint16_t* pixels = LockSurface(sheet, &description);
  const int stride = description.pitch / 2;
  auto emptyColumn = [&](int column) {
    if (column >= sheetWidth) return true;
    for (int row = 0; row < height; ++row) {
      if (pixels[static_cast<size_t>(row) * stride + column] != key) return false;
    }
    return true;
  };

  int result = 1;
  int x = 0;
  for (Glyph& g : glyphs) {
    if (x > sheetWidth) {
      result = 0;
      break;
    }
    while (x < sheetWidth && emptyColumn(x))
      ++x;
    // The sheet ran out before this glyph: it is not there (rather than a glyph past the edge).
    if (x >= sheetWidth) {
      result = 0;
      break;
    }
    const int left = x++;
    while (!emptyColumn(x))
      ++x;
    const int right = x++;
    g = {left, right, right - left};
  }
  UnlockSurface(sheet);

  int widest = 0;
  for (const Glyph& g : glyphs) {
    if (g.left != -1 && g.width > widest) widest = g.width;
  }
  spaceWidth = static_cast<int>(widest * 0.5);
  spacing = static_cast<int>(widest * 0.1);
  return result;
}

const Font::Glyph* Font::GlyphOf(char c) const {
  const int code = static_cast<unsigned char>(c);
  if (code < kFirstChar || code > kLastChar) return nullptr;
  return &glyphs[code - kFirstChar];
}

int Font::CharWidth(char c) const {
  const int code = static_cast<unsigned char>(c);
  // Bytes of 0x80 and above count as below "!" (they were signed characters).
  if (code < kFirstChar || code >= 0x80) return spaceWidth;
  const Glyph* glyph = GlyphOf(c);
  if (glyph == nullptr) return 0;  // DEL has no glyph and is not drawn either
  return glyph->width + spacing;
}

int Font::TextWidth(const char* text) const {
  if (text == nullptr) return 0;
  int total = 0;
  for (const char* p = text; *p != '\0'; ++p)
    total += CharWidth(*p);
  return total;
}

int Font::DrawChar(QZSurface* target, char c, int x, int y) const {
  if (c == ' ') return spaceWidth;
  const Glyph* glyph = GlyphOf(c);
  if (glyph == nullptr || glyph->left == -1 || glyph->right == -1) return 0;
  if (target != nullptr && sheet != nullptr) {
    const platform::Rect from{glyph->left, 0, glyph->right, height};
    const platform::Rect to{x, y, x + glyph->width, y + height};
    target->Blit(&to, sheet, &from, platform::kBlitKeySource | platform::kBlitWait);
  }
  return glyph->width + spacing;
}

int Font::DrawText(QZSurface* target, const char* text, int x, int y, int align, int limit) const {
  if (text == nullptr) return 1;
  // Texts are meant to be shorter than kMaxText; a longer one is cut rather than overrun.
  size_t length = 0;
  while (length < static_cast<size_t>(kMaxText - 1) && text[length] != '\0')
    ++length;
  if (align == 0) {
    for (size_t i = 0; i < length; ++i) {
      if (limit != -1 && x + CharWidth(text[i]) >= limit) break;
      x += DrawChar(target, text[i], x, y);
    }
  } else if (align == 1) {
    for (size_t i = length; i > 0; --i) {
      x -= CharWidth(text[i - 1]);
      DrawChar(target, text[i - 1], x, y);
    }
  }
  return 1;
}
