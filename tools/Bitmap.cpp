#include "tools/Bitmap.h"
#include "tools/LittleEndian.h"

namespace zepgen {

namespace {}  // namespace

Bitmap::Bitmap(int width, int height, Rgb8 fill)
    : width(width), height(height), pixels(static_cast<size_t>(width) * height, fill) {}

void Bitmap::Paste(const Bitmap& source, int x, int y) {
  for (int sy = 0; sy < source.height; ++sy) {
    int ty = y + sy;
    if (ty < 0 || ty >= height) continue;
    for (int sx = 0; sx < source.width; ++sx) {
      int tx = x + sx;
      if (tx < 0 || tx >= width) continue;
      Set(tx, ty, source.At(sx, sy));
    }
  }
}

std::vector<uint8_t> Bitmap::EncodeBmp() const {
  // Rows are padded to a multiple of four bytes.
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
  const uint32_t headerBytes = 14 + 40;
  std::vector<uint8_t> out;
  out.reserve(headerBytes + imageBytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, headerBytes + imageBytes);
  Put32(out, 0);
  Put32(out, headerBytes);
  Put32(out, 40);  // BITMAPINFOHEADER
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));  // positive: bottom-up
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // uncompressed
  Put32(out, imageBytes);
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      Rgb8 c = At(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < rowBytes; ++pad)
      out.push_back(0);
  }
  return out;
}

Bitmap JoinFrames(const std::vector<Bitmap>& frames, bool vertical) {
  if (frames.empty()) return Bitmap();
  const int w = frames[0].Width();
  const int h = frames[0].Height();
  const int n = static_cast<int>(frames.size());
  Bitmap strip(vertical ? w : w * n, vertical ? h * n : h);
  for (int i = 0; i < n; ++i)
    strip.Paste(frames[i], vertical ? 0 : w * i, vertical ? h * i : 0);
  return strip;
}

}  // namespace zepgen
