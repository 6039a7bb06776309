#include "framework/Font.h"

#include "framework/SurfaceRoutines.h"
#include "platform/Utf8.h"

namespace {

constexpr uint32_t kNoBreakSpace = 0xA0;
constexpr uint32_t kDelete = 0x7F;

// Characters that take no glyph: spaces advance, the others are drawn as nothing.
bool IsSpace(uint32_t code) {
  return code == ' ' || code == kNoBreakSpace;
}
bool IsControl(uint32_t code) {
  return code < 0x20 || code == kDelete;
}

}  // namespace

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

  // Only a sheet that runs out before its 94th glyph fails; the glyphs after them are optional.
  int found = 0;
  int x = 0;
  for (Glyph& g : glyphs) {
    if (x > sheetWidth) break;
    while (x < sheetWidth && emptyColumn(x))
      ++x;
    // The sheet ran out before this glyph: it is not there (rather than a glyph past the edge).
    if (x >= sheetWidth) break;
    const int left = x++;
    while (!emptyColumn(x))
      ++x;
    const int right = x++;
    g = {left, right, right - left};
    ++found;
  }
  UnlockSurface(sheet);
  const int result = found >= kGlyphCount ? 1 : 0;

  // Measured on "!" to "~" only, as sheets of those alone always were: the letters beyond them
  // (and the placeholder) change neither the space nor the spacing of any text.
  int widest = 0;
  for (int i = 0; i < kGlyphCount; ++i) {
    const Glyph& g = glyphs[i];
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

const Font::Glyph* Font::GlyphOfCode(uint32_t code) const {
  const int index = SheetGlyphIndex(code);
  return index < 0 ? nullptr : &glyphs[index];
}

const Font::Glyph* Font::Placeholder() const {
  const Glyph* own = &glyphs[kPlaceholderGlyph];
  if (own->left != -1) return own;
  const Glyph* question = GlyphOf('?');
  return question->left != -1 ? question : nullptr;
}

const Font::Glyph* Font::Shown(uint32_t code) const {
  const Glyph* glyph = GlyphOfCode(code);
  if (glyph != nullptr && glyph->left != -1) return glyph;
  return Placeholder();
}

int Font::CodeWidth(uint32_t code) const {
  if (code == kDelete) return 0;  // DEL has no glyph and is not drawn either
  if (IsSpace(code) || IsControl(code)) return spaceWidth;
  const Glyph* glyph = Shown(code);
  return glyph != nullptr ? glyph->width + spacing : 0;
}

int Font::CharWidth(char c) const {
  const auto byte = static_cast<unsigned char>(c);
  return CodeWidth(byte < 0x80 ? byte : platform::kReplacementCharacter);
}

int Font::TextWidth(const char* text) const {
  if (text == nullptr) return 0;
  int total = 0;
  uint32_t code = 0;
  for (size_t at = 0, step = 0; (step = platform::DecodeUtf8(text + at, 4, &code)) != 0; at += step)
    total += CodeWidth(code);
  return total;
}

int Font::Blit(QZSurface* target, const Glyph& glyph, int x, int y) const {
  if (target != nullptr && sheet != nullptr) {
    const platform::Rect from{glyph.left, 0, glyph.right, height};
    const platform::Rect to{x, y, x + glyph.width, y + height};
    target->Blit(&to, sheet, &from, platform::kBlitKeySource | platform::kBlitWait);
  }
  return glyph.width + spacing;
}

int Font::DrawCode(QZSurface* target, uint32_t code, int x, int y) const {
  if (IsSpace(code)) return spaceWidth;
  if (IsControl(code)) return 0;
  const Glyph* glyph = Shown(code);
  return glyph != nullptr ? Blit(target, *glyph, x, y) : 0;
}

int Font::DrawChar(QZSurface* target, char c, int x, int y) const {
  const auto byte = static_cast<unsigned char>(c);
  return DrawCode(target, byte < 0x80 ? byte : platform::kReplacementCharacter, x, y);
}

int Font::DrawText(QZSurface* target, const char* text, int x, int y, int align, int limit) const {
  if (text == nullptr) return 1;
  // Texts are meant to be shorter than kMaxText; a longer one is cut rather than overrun.
  const size_t length = platform::Utf8Prefix(text, static_cast<size_t>(kMaxText - 1));
  uint32_t codes[kMaxText];
  size_t count = 0;
  for (size_t at = 0, step = 0;
       count < kMaxText &&
       (step = platform::DecodeUtf8(text + at, length - at, &codes[count])) != 0;
       at += step) {
    ++count;
  }
  if (align == 0) {
    for (size_t i = 0; i < count; ++i) {
      if (limit != -1 && x + CodeWidth(codes[i]) >= limit) break;
      x += DrawCode(target, codes[i], x, y);
    }
  } else if (align == 1) {
    for (size_t i = count; i > 0; --i) {
      x -= CodeWidth(codes[i - 1]);
      DrawCode(target, codes[i - 1], x, y);
    }
  }
  return 1;
}
