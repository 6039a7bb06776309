// The bitmap loader on any bytes: no crash, no read outside the bytes, and a picture that loads
// has the size its header claims. A picture that loads is also loaded from a file, as the
// programs load theirs, and read as a font sheet and drawn with, as the launcher reads its fonts.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/Font.h"
#include "qz/Bitmap.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

uint32_t Read16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const uint8_t* p) {
  return Read16(p) | (Read16(p + 2) << 16);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QZSurface* surface = DecodeBitmap(data, size);
  if (surface == nullptr) return 0;

  // Anything that decodes has a whole file header and the size field of an info header.
  FUZZ_CHECK(size >= 18);
  const uint32_t headerSize = Read32(data + 14);
  int64_t width;
  int64_t height;
  if (headerSize == 12) {
    FUZZ_CHECK(size >= 14 + 12);
    width = Read16(data + 18);
    height = Read16(data + 20);
  } else {
    FUZZ_CHECK(headerSize >= 40 && size >= 14 + 40);
    width = static_cast<int32_t>(Read32(data + 18));
    height = static_cast<int32_t>(Read32(data + 22));
  }
  FUZZ_CHECK(surface->Width() == width);
  FUZZ_CHECK(surface->Height() == std::llabs(height));
  FUZZ_CHECK(static_cast<int64_t>(surface->Width()) * surface->Height() <= kMaxBitmapPixels);

  // Every pixel of the surface is there to be read.
  uint32_t sum = 0;
  const uint16_t* pixels = surface->Pixels();
  for (int64_t i = 0; i < static_cast<int64_t>(surface->Width()) * surface->Height(); ++i)
    sum += pixels[i];
  volatile uint32_t keep = sum;
  (void)keep;

  // From a file, the same picture.
  const std::string path = fuzz::WriteScratch("picture.bmp", data, size);
  QZSurface* loaded = QZLoadBitmap(path.c_str(), 16);
  FUZZ_CHECK(loaded != nullptr);
  FUZZ_CHECK(loaded->Width() == surface->Width() && loaded->Height() == surface->Height());
  for (int64_t i = 0; i < static_cast<int64_t>(surface->Width()) * surface->Height(); ++i)
    FUZZ_CHECK(loaded->Pixels()[i] == pixels[i]);
  QZSurface::Release(loaded);
  QZSurface::Release(surface);

  // As a font sheet: every glyph found lies inside the sheet, and any text draws anywhere.
  static QZSurface* target = QZSurface::Create(800, 600);
  Font font;
  font.Load(path.c_str());
  font.SetSpaceWidth(4);
  font.SetSpacing(1);
  for (int c = Font::kFirstChar; c <= Font::kLastChar; ++c) {
    const Font::Glyph* glyph = font.GlyphOf(static_cast<char>(c));
    FUZZ_CHECK(glyph != nullptr);
    if (glyph->left < 0) continue;
    FUZZ_CHECK(glyph->left < glyph->right && glyph->right <= font.Sheet()->Width());
  }
  char text[Font::kMaxText + 8];
  for (size_t i = 0; i < sizeof text - 1; ++i)
    text[i] = static_cast<char>(i < 94 ? '!' + i : 0x80 + i % 128);
  text[sizeof text - 1] = '\0';
  for (const int x : {0, 790, -40}) {
    font.DrawText(target, text, x, x == 0 ? 590 : 10, 0, -1);
    font.DrawText(target, text + 90, x, -5, 1, -1);
    font.DrawText(target, "Ann Lee 912000", x, 300, 0, 200);
  }
  return 0;
}
