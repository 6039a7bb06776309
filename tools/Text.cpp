#include "tools/Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

namespace zepgen {

namespace {

struct TextState {
  FT_Library library = nullptr;
  FT_Face faces[6] = {};
};

TextState& State() {
  static TextState state;
  return state;
}

const char* kFaceFiles[6] = {"DejaVuSans.ttf",     "DejaVuSans-Bold.ttf",
                             "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf",
                             "DejaVuSerif.ttf",    "DejaVuSerif-Bold.ttf"};

FT_Face Prepare(const Font& font, float penFraction) {
  FT_Face face = State().faces[static_cast<int>(font.face)];
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(font.size * 64)), 72, 72);
  FT_Matrix m;
  m.xx = static_cast<FT_Fixed>(std::lround(font.scaleX * 65536.0));
  m.xy = 0;
  m.yx = 0;
  m.yy = 0x10000;
  FT_Vector delta;
  delta.x = static_cast<FT_Pos>(std::lround(penFraction * 64));
  delta.y = 0;
  FT_Set_Transform(face, &m, &delta);
  return face;
}

// Decodes UTF-8; malformed bytes are taken as Latin-1.
std::vector<unsigned> Codepoints(const std::string& s) {
  std::vector<unsigned> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= s.size()) {
      out.push_back(c);
      ++i;
      continue;
    }
    unsigned cp = c & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if (!ok) {
      out.push_back(c);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

float KerningBetween(FT_Face face, unsigned left, unsigned right) {
  if (!FT_HAS_KERNING(face) || left == 0) return 0;
  FT_Vector k;
  if (FT_Get_Kerning(face, FT_Get_Char_Index(face, left), FT_Get_Char_Index(face, right),
                     FT_KERNING_UNFITTED, &k) != 0)
    return 0;
  return k.x / 64.0f;
}

constexpr FT_Int32 kLoadFlags = FT_LOAD_TARGET_LIGHT;

}  // namespace

bool InitText(const std::string& folder, std::string* error) {
  TextState& s = State();
  if (s.library) return true;
  if (FT_Init_FreeType(&s.library) != 0) {
    *error = "FreeType could not start";
    return false;
  }
  for (int i = 0; i < 6; ++i) {
    std::string path = folder + "/" + kFaceFiles[i];
    if (FT_New_Face(s.library, path.c_str(), 0, &s.faces[i]) != 0) {
      *error = "cannot load the font " + path;
      return false;
    }
  }
  return true;
}

void ShutdownText() {
  TextState& s = State();
  for (FT_Face& f : s.faces) {
    if (f) FT_Done_Face(f);
    f = nullptr;
  }
  if (s.library) FT_Done_FreeType(s.library);
  s.library = nullptr;
}

float MeasureText(const Font& font, const std::string& utf8) {
  FT_Face face = Prepare(font, 0);
  float pen = 0;
  unsigned prev = 0;
  for (unsigned cp : Codepoints(utf8)) {
    pen += KerningBetween(face, prev, cp) * font.scaleX;
    if (FT_Load_Char(face, cp, kLoadFlags) == 0)
      pen += face->glyph->linearHoriAdvance / 65536.0f * font.scaleX;
    pen += font.tracking;
    prev = cp;
  }
  return pen - (utf8.empty() ? 0 : font.tracking);
}

float CapHeight(const Font& font) {
  FT_Face face = Prepare(font, 0);
  if (FT_Load_Char(face, 'H', FT_LOAD_NO_HINTING) != 0) return font.size * 0.73f;
  return face->glyph->metrics.height / 64.0f;
}

float Ascender(const Font& font) {
  FT_Face face = State().faces[static_cast<int>(font.face)];
  return font.size * face->ascender / face->units_per_EM;
}

float Descender(const Font& font) {
  FT_Face face = State().faces[static_cast<int>(font.face)];
  return -font.size * face->descender / face->units_per_EM;
}

float LineHeight(const Font& font) {
  FT_Face face = State().faces[static_cast<int>(font.face)];
  return font.size * face->height / face->units_per_EM;
}

namespace {

// Lays the text out glyph by glyph as RenderText draws it and returns the pixels its glyphs
// cover, unclipped; with a mask, adds each glyph's coverage into it.
Box LayOut(Mask* into, const Font& font, const std::string& utf8, float x, float baseline) {
  float pen = x;
  unsigned prev = 0;
  int by = static_cast<int>(std::lround(baseline));
  Box ink;
  const FT_Int32 flags = into != nullptr ? kLoadFlags | FT_LOAD_RENDER : kLoadFlags;
  for (unsigned cp : Codepoints(utf8)) {
    FT_Face face = Prepare(font, 0);
    pen += KerningBetween(face, prev, cp) * font.scaleX;
    float whole = std::floor(pen);
    face = Prepare(font, pen - whole);
    if (FT_Load_Char(face, cp, flags) == 0) {
      FT_GlyphSlot g = face->glyph;
      int ox, oy, width, rows;
      if (into != nullptr) {
        ox = static_cast<int>(whole) + g->bitmap_left;
        oy = by - g->bitmap_top;
        width = static_cast<int>(g->bitmap.width);
        rows = static_cast<int>(g->bitmap.rows);
      } else {
        // The pixels the rasteriser would cover: the outline's box out to whole pixels.
        FT_BBox box;
        FT_Outline_Get_CBox(&g->outline, &box);
        const int left = static_cast<int>(std::floor(box.xMin / 64.0));
        const int top = static_cast<int>(std::ceil(box.yMax / 64.0));
        ox = static_cast<int>(whole) + left;
        oy = by - top;
        width = static_cast<int>(std::ceil(box.xMax / 64.0)) - left;
        rows = top - static_cast<int>(std::floor(box.yMin / 64.0));
      }
      if (width > 0 && rows > 0) {
        ink = ink.Union({static_cast<float>(ox), static_cast<float>(oy), static_cast<float>(width),
                         static_cast<float>(rows)});
      }
      if (into != nullptr) {
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row)
          for (unsigned col = 0; col < bm.width; ++col) {
            int tx = ox + static_cast<int>(col), ty = oy + static_cast<int>(row);
            if (tx < 0 || ty < 0 || tx >= into->Width() || ty >= into->Height()) continue;
            float c = bm.buffer[row * bm.pitch + col] / 255.0f;
            float& d = into->Ref(tx, ty);
            d = std::min(1.0f, d + c);
          }
      }
      pen += g->linearHoriAdvance / 65536.0f * font.scaleX;
    }
    pen += font.tracking;
    prev = cp;
  }
  return ink;
}

}  // namespace

Box RenderText(Mask& into, const Font& font, const std::string& utf8, float x, float baseline) {
  return LayOut(&into, font, utf8, x, baseline);
}

Box TextInk(const Font& font, const std::string& utf8, float x, float baseline) {
  return LayOut(nullptr, font, utf8, x, baseline);
}

GlyphImage RenderGlyph(const Font& font, unsigned codepoint) {
  GlyphImage out;
  FT_Face face = Prepare(font, 0);
  if (FT_Load_Char(face, codepoint, kLoadFlags | FT_LOAD_RENDER) != 0) return out;
  FT_GlyphSlot g = face->glyph;
  out.width = static_cast<int>(g->bitmap.width);
  out.height = static_cast<int>(g->bitmap.rows);
  out.left = g->bitmap_left;
  out.top = g->bitmap_top;
  out.advance = g->linearHoriAdvance / 65536.0f * font.scaleX;
  out.coverage.resize(static_cast<size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      out.coverage[static_cast<size_t>(y) * out.width + x] =
          g->bitmap.buffer[y * g->bitmap.pitch + x] / 255.0f;
  return out;
}

bool HasGlyph(const Font& font, unsigned codepoint) {
  return FT_Get_Char_Index(State().faces[static_cast<int>(font.face)], codepoint) != 0;
}

std::vector<std::string> WrapText(const Font& font, const std::string& utf8, float width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= utf8.size()) {
    size_t nl = utf8.find('\n', start);
    std::string para = utf8.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    std::string line;
    size_t i = 0;
    while (i <= para.size()) {
      size_t sp = para.find(' ', i);
      std::string word = para.substr(i, sp == std::string::npos ? std::string::npos : sp - i);
      std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && MeasureText(font, candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      if (sp == std::string::npos) break;
      i = sp + 1;
    }
    lines.push_back(line);
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

}  // namespace zepgen
