#pragma once
// 24-bit pictures in memory and their Windows bitmap files. Pixels are kept top-down as R, G, B
// bytes; the file is written bottom-up, uncompressed, as every loader of the programs expects.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zepgen {

struct Rgb8 {
  uint8_t r;
  uint8_t g;
  uint8_t b;
};

// The transparent colour of every picture.
constexpr Rgb8 kKey = {0, 0, 255};

// True for colours that the 16-bit 5-6-5 display format turns into the key value.
inline bool PacksToKey(Rgb8 c) {
  return c.r < 8 && c.g < 4 && c.b >= 248;
}

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, Rgb8 fill = kKey);

  int Width() const { return width; }
  int Height() const { return height; }
  Rgb8 At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  void Set(int x, int y, Rgb8 c) { pixels[static_cast<size_t>(y) * width + x] = c; }
  bool IsKey(int x, int y) const {
    Rgb8 c = At(x, y);
    return c.r == kKey.r && c.g == kKey.g && c.b == kKey.b;
  }

  // Copies the whole of source with its top-left corner at (x, y); parts outside are dropped.
  void Paste(const Bitmap& source, int x, int y);

  // Bytes of the Windows bitmap file.
  std::vector<uint8_t> EncodeBmp() const;

 private:
  int width = 0;
  int height = 0;
  std::vector<Rgb8> pixels;
};

// Pastes the pictures side by side (horizontal) or stacked; all must have the first one's size.
Bitmap JoinFrames(const std::vector<Bitmap>& frames, bool vertical);

}  // namespace zepgen
