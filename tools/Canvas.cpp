#include "tools/Canvas.h"

#include <algorithm>
#include <cmath>

namespace zepgen {

Color Hex(unsigned rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f};
}

Color Mix(Color a, Color b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float Luma(Color c) {
  return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
}

Paint Solid(Color c) {
  return [c](float, float) { return c; };
}

Paint VerticalGradient(float y0, Color c0, float y1, Color c1) {
  return [=](float, float y) {
    float t = (y1 == y0) ? 0 : std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f);
    return Mix(c0, c1, t);
  };
}

Paint LinearGradient(Vec2 p0, Color c0, Vec2 p1, Color c1) {
  float dx = p1.x - p0.x, dy = p1.y - p0.y;
  float len2 = dx * dx + dy * dy;
  return [=](float x, float y) {
    float t = len2 == 0 ? 0 : ((x - p0.x) * dx + (y - p0.y) * dy) / len2;
    return Mix(c0, c1, std::clamp(t, 0.0f, 1.0f));
  };
}

Paint RadialGradient(float cx, float cy, float rx, float ry, Color c0, Color c1) {
  return [=](float x, float y) {
    float u = (x - cx) / rx, v = (y - cy) / ry;
    float t = std::sqrt(u * u + v * v);
    return Mix(c0, c1, std::clamp(t, 0.0f, 1.0f));
  };
}

namespace {

int NextSerial() {
  static int next = 0;
  return ++next;
}

}  // namespace

Canvas::Canvas(int width, int height)
    : width(width),
      height(height),
      serial(NextSerial()),
      px(static_cast<size_t>(width) * height, Px{0, 0, 0, 0}) {}

void Canvas::Fill(const Mask& mask, const Paint& paint, float opacity) {
  // Most of a mask is empty: its rows are read directly where it covers the canvas.
  const int w = std::min(width, mask.Width()), h = std::min(height, mask.Height());
  for (int y = 0; y < h; ++y) {
    const float* row = mask.Row(y);
    for (int x = 0; x < w; ++x) {
      float a = row[x] * opacity;
      if (a <= 0) continue;
      Color c = paint(x + 0.5f, y + 0.5f);
      Px& p = px[Index(x, y)];
      p.r = c.r * a + p.r * (1 - a);
      p.g = c.g * a + p.g * (1 - a);
      p.b = c.b * a + p.b * (1 - a);
      p.a = a + p.a * (1 - a);
    }
  }
}

void Canvas::FillPath(const Path& path, const Paint& paint, float opacity) {
  Fill(Rasterize(path, width, height), paint, opacity);
}

void Canvas::FillAll(const Paint& paint) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Color c = paint(x + 0.5f, y + 0.5f);
      px[Index(x, y)] = {c.r, c.g, c.b, 1};
    }
}

void Canvas::Draw(const Canvas& s, int ox, int oy, float opacity) {
  for (int y = 0; y < s.height; ++y) {
    int ty = y + oy;
    if (ty < 0 || ty >= height) continue;
    for (int x = 0; x < s.width; ++x) {
      int tx = x + ox;
      if (tx < 0 || tx >= width) continue;
      const Px& sp = s.px[s.Index(x, y)];
      Px& p = px[Index(tx, ty)];
      float a = sp.a * opacity;
      p.r = sp.r * opacity + p.r * (1 - a);
      p.g = sp.g * opacity + p.g * (1 - a);
      p.b = sp.b * opacity + p.b * (1 - a);
      p.a = a + p.a * (1 - a);
    }
  }
}

Mask Canvas::Alpha() const {
  Mask m(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      m.Ref(x, y) = px[Index(x, y)].a;
  return m;
}

Color Canvas::ColorAt(int x, int y) const {
  const Px& p = px[Index(x, y)];
  if (p.a <= 1e-6f) return {0, 0, 0};
  return {p.r / p.a, p.g / p.a, p.b / p.a};
}

Rgb8 ToRgb8(Color c) {
  auto q = [](float v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  };
  Rgb8 o = {q(c.r), q(c.g), q(c.b)};
  // Keep clear of every colour the 16-bit format folds into the key.
  if (PacksToKey(o)) o.b = 247;
  return o;
}

Bitmap Canvas::ToOpaque(Color bg) const {
  Bitmap out(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Px& p = px[Index(x, y)];
      out.Set(x, y,
              ToRgb8({p.r + bg.r * (1 - p.a), p.g + bg.g * (1 - p.a), p.b + bg.b * (1 - p.a)}));
    }
  return out;
}

Bitmap Canvas::ToKeyed(float threshold) const {
  Bitmap out(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (px[Index(x, y)].a >= threshold) out.Set(x, y, ToRgb8(ColorAt(x, y)));
  return out;
}

std::vector<Bitmap> KeyedStates(const std::vector<Canvas>& states, float threshold) {
  std::vector<Bitmap> out;
  if (states.empty()) return out;
  const Canvas& first = states[0];
  for (const Canvas& c : states) {
    Bitmap b(c.Width(), c.Height());
    for (int y = 0; y < c.Height(); ++y)
      for (int x = 0; x < c.Width(); ++x) {
        if (first.AlphaAt(x, y) < threshold) continue;
        const Canvas& src = c.AlphaAt(x, y) > 0.02f ? c : first;
        b.Set(x, y, ToRgb8(src.ColorAt(x, y)));
      }
    out.push_back(std::move(b));
  }
  return out;
}

}  // namespace zepgen
