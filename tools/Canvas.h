#pragma once
// Colours, paints and the picture being painted: a premultiplied RGBA canvas onto which masks are
// filled with a paint. Finished canvases become bitmaps, either opaque or with the transparent
// colour wherever the canvas stayed (mostly) empty.

#include <functional>
#include <vector>

#include "tools/Bitmap.h"
#include "tools/Raster.h"

namespace zepgen {

struct Color {
  float r;
  float g;
  float b;
};

Color Hex(unsigned rgb);
Color Mix(Color a, Color b, float t);
inline Color Lighter(Color c, float t) {
  return Mix(c, {1, 1, 1}, t);
}
inline Color Darker(Color c, float t) {
  return Mix(c, {0, 0, 0}, t);
}
// Perceived lightness, 0 to 1 (a quick luma).
float Luma(Color c);

using Paint = std::function<Color(float x, float y)>;

Paint Solid(Color c);
// From c0 at y0 to c1 at y1, clamped outside.
Paint VerticalGradient(float y0, Color c0, float y1, Color c1);
Paint LinearGradient(Vec2 p0, Color c0, Vec2 p1, Color c1);
// c0 at the centre to c1 at radius r (elliptical when ry differs).
Paint RadialGradient(float cx, float cy, float rx, float ry, Color c0, Color c1);

class Canvas {
 public:
  Canvas(int width, int height);

  int Width() const { return width; }
  int Height() const { return height; }
  // Tells canvases apart in the record of lettering: each new canvas has a number of its own.
  int Serial() const { return serial; }

  // Source-over of the paint through the mask.
  void Fill(const Mask& mask, const Paint& paint, float opacity = 1.0f);
  void Fill(const Mask& mask, Color c, float opacity = 1.0f) { Fill(mask, Solid(c), opacity); }
  void FillPath(const Path& path, const Paint& paint, float opacity = 1.0f);
  void FillPath(const Path& path, Color c, float opacity = 1.0f) {
    FillPath(path, Solid(c), opacity);
  }
  void FillAll(const Paint& paint);
  // Source-over of another canvas at (x, y).
  void Draw(const Canvas& source, int x, int y, float opacity = 1.0f);

  // Coverage (alpha) of the canvas as a mask.
  Mask Alpha() const;
  Color ColorAt(int x, int y) const;  // unpremultiplied
  float AlphaAt(int x, int y) const { return px[Index(x, y)].a; }

  // Opaque picture: the canvas over the given colour.
  Bitmap ToOpaque(Color background) const;
  // Keyed picture: pixels with alpha below the threshold become the transparent colour, the
  // others take the canvas colour at full strength, so edges blend toward the picture's own
  // colour and never toward the key.
  Bitmap ToKeyed(float threshold = 0.5f) const;

 private:
  struct Px {
    float r, g, b, a;
  };
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * width + x; }

  int width;
  int height;
  int serial;
  std::vector<Px> px;
};

// A colour made safe for artwork: never the transparent key in 16 bits.
Rgb8 ToRgb8(Color c);

// Button or animation states that must share one transparency mask: the mask of the first
// state decides which pixels are opaque in all of them.
std::vector<Bitmap> KeyedStates(const std::vector<Canvas>& states, float threshold = 0.5f);

}  // namespace zepgen
