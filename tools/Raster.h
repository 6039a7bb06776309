#pragma once
// A small anti-aliased rasteriser: outlines made of polygons are turned into coverage masks
// (0 = outside, 1 = inside, fractions on the edges), and masks are combined, grown, blurred and
// shifted to build outlines, shadows and glows.

#include <cstddef>
#include <vector>

namespace zepgen {

struct Vec2 {
  float x;
  float y;
};

// A rectangle: left, top, width, height.
struct Box {
  float x = 0;
  float y = 0;
  float w = 0;
  float h = 0;
  float Right() const { return x + w; }
  float Bottom() const { return y + h; }
  bool Empty() const { return w <= 0 || h <= 0; }
  // Grown by d on every side.
  Box Grown(float d) const { return {x - d, y - d, w + 2 * d, h + 2 * d}; }
  // The smallest box holding both; an empty box adds nothing.
  Box Union(const Box& other) const;
  bool Contains(const Box& inner) const {
    return inner.x >= x && inner.y >= y && inner.Right() <= Right() && inner.Bottom() <= Bottom();
  }
};

// Closed polygons filled with the non-zero rule. Outer contours are stored counter-clockwise and
// holes clockwise, so overlapping shapes add up and holes cut out.
class Path {
 public:
  void AddPolygon(std::vector<Vec2> points, bool hole = false);
  void AddEllipse(float cx, float cy, float rx, float ry, bool hole = false);
  void AddCircle(float cx, float cy, float r) { AddEllipse(cx, cy, r, r); }
  // An ellipse turned by angle radians (clockwise on screen).
  void AddTiltedEllipse(float cx, float cy, float rx, float ry, float angle);
  void AddRoundRect(float x, float y, float w, float h, float r, bool hole = false);
  // A star with the given number of points; rotation 0 puts the first point straight up.
  void AddStar(float cx, float cy, float outer, float inner, int points, float rotation = 0);
  // A line of the given width with round ends.
  void AddSegment(Vec2 a, Vec2 b, float width);
  // Consecutive segments with round joins.
  void AddPolyline(const std::vector<Vec2>& points, float width);
  // A quadratic curve flattened into a polyline of the given width.
  void AddCurve(Vec2 a, Vec2 control, Vec2 b, float width);
  // Every point is mapped by (x, y) -> (x * sx + dx, y * sy + dy); a mirror keeps the fill.
  void Transform(float sx, float sy, float dx, float dy);
  void Append(const Path& other);

  const std::vector<std::vector<Vec2>>& Contours() const { return contours; }

 private:
  std::vector<std::vector<Vec2>> contours;
};

class Mask {
 public:
  Mask() = default;
  Mask(int width, int height, float value = 0.0f);

  int Width() const { return width; }
  int Height() const { return height; }
  float At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
    return v[static_cast<size_t>(y) * width + x];
  }
  float& Ref(int x, int y) { return v[static_cast<size_t>(y) * width + x]; }
  const float* Row(int y) const { return &v[static_cast<size_t>(y) * width]; }

  Mask& Union(const Mask& other);      // max
  Mask& Intersect(const Mask& other);  // product
  Mask& Subtract(const Mask& other);   // this * (1 - other)
  Mask& Scale(float factor);
  // Grows the shape by radius pixels (a round maximum filter).
  Mask Dilated(float radius) const;
  // Approximate Gaussian blur (three box passes) of the given radius.
  Mask Blurred(float radius) const;
  Mask Shifted(int dx, int dy) const;
  Mask Inverted() const;

 private:
  int width = 0;
  int height = 0;
  std::vector<float> v;
};

// Coverage of the path on a width x height grid, with sixteen sub-scanlines per pixel and exact
// horizontal coverage.
Mask Rasterize(const Path& path, int width, int height);

Mask RectMask(int width, int height, float x, float y, float w, float h);

}  // namespace zepgen
