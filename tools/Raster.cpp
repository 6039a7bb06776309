#include "tools/Raster.h"

#include <algorithm>
#include <cmath>

namespace zepgen {

Box Box::Union(const Box& other) const {
  if (other.Empty()) return *this;
  if (Empty()) return other;
  const float left = std::min(x, other.x), top = std::min(y, other.y);
  return {left, top, std::max(Right(), other.Right()) - left,
          std::max(Bottom(), other.Bottom()) - top};
}

namespace {

constexpr float kPi = 3.14159265358979f;

float SignedArea(const std::vector<Vec2>& p) {
  double a = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const Vec2& u = p[i];
    const Vec2& w = p[(i + 1) % p.size()];
    a += static_cast<double>(u.x) * w.y - static_cast<double>(w.x) * u.y;
  }
  return static_cast<float>(a * 0.5);
}

int SegmentsFor(float radius) {
  int n = static_cast<int>(radius * 2.5f);
  return std::clamp(n, 16, 256);
}

}  // namespace

void Path::AddPolygon(std::vector<Vec2> points, bool hole) {
  if (points.size() < 3) return;
  bool positive = SignedArea(points) > 0;
  if (positive == hole) std::reverse(points.begin(), points.end());
  contours.push_back(std::move(points));
}

void Path::AddEllipse(float cx, float cy, float rx, float ry, bool hole) {
  int n = SegmentsFor(std::max(rx, ry));
  std::vector<Vec2> p;
  p.reserve(n);
  for (int i = 0; i < n; ++i) {
    float t = 2 * kPi * i / n;
    p.push_back({cx + rx * std::cos(t), cy + ry * std::sin(t)});
  }
  AddPolygon(std::move(p), hole);
}

void Path::AddTiltedEllipse(float cx, float cy, float rx, float ry, float angle) {
  int n = SegmentsFor(std::max(rx, ry));
  float ca = std::cos(angle), sa = std::sin(angle);
  std::vector<Vec2> p;
  for (int i = 0; i < n; ++i) {
    float t = 2 * kPi * i / n;
    float u = rx * std::cos(t), v = ry * std::sin(t);
    p.push_back({cx + u * ca - v * sa, cy + u * sa + v * ca});
  }
  AddPolygon(std::move(p));
}

void Path::AddRoundRect(float x, float y, float w, float h, float r, bool hole) {
  r = std::max(0.0f, std::min(r, std::min(w, h) * 0.5f));
  std::vector<Vec2> p;
  int n = std::max(4, SegmentsFor(r) / 4);
  auto corner = [&](float cx, float cy, float start) {
    for (int i = 0; i <= n; ++i) {
      float t = start + (kPi / 2) * i / n;
      p.push_back({cx + r * std::cos(t), cy + r * std::sin(t)});
    }
  };
  corner(x + w - r, y + h - r, 0);
  corner(x + r, y + h - r, kPi / 2);
  corner(x + r, y + r, kPi);
  corner(x + w - r, y + r, 1.5f * kPi);
  AddPolygon(std::move(p), hole);
}

void Path::AddStar(float cx, float cy, float outer, float inner, int points, float rotation) {
  std::vector<Vec2> p;
  for (int i = 0; i < points * 2; ++i) {
    float r = (i % 2 == 0) ? outer : inner;
    float t = rotation - kPi / 2 + kPi * i / points;
    p.push_back({cx + r * std::cos(t), cy + r * std::sin(t)});
  }
  AddPolygon(std::move(p));
}

void Path::AddSegment(Vec2 a, Vec2 b, float width) {
  float dx = b.x - a.x;
  float dy = b.y - a.y;
  float len = std::sqrt(dx * dx + dy * dy);
  float hw = width * 0.5f;
  if (len > 1e-4f) {
    float nx = -dy / len * hw;
    float ny = dx / len * hw;
    AddPolygon(
        {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}});
  }
  AddCircle(a.x, a.y, hw);
  AddCircle(b.x, b.y, hw);
}

void Path::AddPolyline(const std::vector<Vec2>& points, float width) {
  for (size_t i = 0; i + 1 < points.size(); ++i)
    AddSegment(points[i], points[i + 1], width);
}

void Path::AddCurve(Vec2 a, Vec2 control, Vec2 b, float width) {
  std::vector<Vec2> pts;
  const int n = 16;
  for (int i = 0; i <= n; ++i) {
    float t = static_cast<float>(i) / n;
    float u = 1 - t;
    pts.push_back({u * u * a.x + 2 * u * t * control.x + t * t * b.x,
                   u * u * a.y + 2 * u * t * control.y + t * t * b.y});
  }
  AddPolyline(pts, width);
}

void Path::Transform(float sx, float sy, float dx, float dy) {
  for (auto& c : contours) {
    for (auto& p : c)
      p = {p.x * sx + dx, p.y * sy + dy};
    if (sx * sy < 0) std::reverse(c.begin(), c.end());
  }
}

void Path::Append(const Path& other) {
  contours.insert(contours.end(), other.contours.begin(), other.contours.end());
}

Mask::Mask(int width, int height, float value)
    : width(width), height(height), v(static_cast<size_t>(width) * height, value) {}

Mask& Mask::Union(const Mask& o) {
  for (size_t i = 0; i < v.size(); ++i)
    v[i] = std::max(v[i], o.v[i]);
  return *this;
}

Mask& Mask::Intersect(const Mask& o) {
  for (size_t i = 0; i < v.size(); ++i)
    v[i] *= o.v[i];
  return *this;
}

Mask& Mask::Subtract(const Mask& o) {
  for (size_t i = 0; i < v.size(); ++i)
    v[i] *= 1.0f - o.v[i];
  return *this;
}

Mask& Mask::Scale(float f) {
  for (float& x : v)
    x = std::min(1.0f, x * f);
  return *this;
}

Mask Mask::Dilated(float radius) const {
  Mask out(width, height);
  int minX = width, minY = height, maxX = -1, maxY = -1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (v[static_cast<size_t>(y) * width + x] > 0) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  if (maxX < 0) return out;
  int r = static_cast<int>(std::ceil(radius));
  // Kernel weights give a soft edge for fractional radii.
  std::vector<std::pair<int, int>> offsets;
  std::vector<float> weights;
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx) {
      float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
      float w = std::clamp(radius + 0.5f - d, 0.0f, 1.0f);
      if (w > 0) {
        offsets.push_back({dx, dy});
        weights.push_back(w);
      }
    }
  int x0 = std::max(0, minX - r), x1 = std::min(width - 1, maxX + r);
  int y0 = std::max(0, minY - r), y1 = std::min(height - 1, maxY + r);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      float m = 0;
      for (size_t k = 0; k < offsets.size(); ++k) {
        float s = At(x + offsets[k].first, y + offsets[k].second) * weights[k];
        if (s > m) m = s;
      }
      out.Ref(x, y) = m;
    }
  return out;
}

Mask Mask::Blurred(float radius) const {
  Mask a = *this;
  int r = std::max(1, static_cast<int>(std::lround(radius / 1.73f)));
  // Only the part that can become non-zero is worked on: the shape's box grown by the three
  // passes' reach. Elsewhere the sums stay exactly zero, so the result is the same.
  int minX = width, minY = height, maxX = -1, maxY = -1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (v[static_cast<size_t>(y) * width + x] != 0) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  if (maxX < 0) return a;
  const int reach = 3 * r + 1;
  const int x0 = std::max(0, minX - reach), x1 = std::min(width - 1, maxX + reach);
  const int y0 = std::max(0, minY - reach), y1 = std::min(height - 1, maxY + reach);
  std::vector<float> line;
  for (int pass = 0; pass < 3; ++pass) {
    // Horizontal.
    line.assign(width, 0);
    for (int y = y0; y <= y1; ++y) {
      float* row = &a.v[static_cast<size_t>(y) * width];
      double sum = 0;
      for (int x = x0 - r; x <= x0 + r; ++x)
        sum += (x >= 0 && x < width) ? row[x] : 0;
      for (int x = x0; x <= x1; ++x) {
        line[x] = static_cast<float>(sum / (2 * r + 1));
        int add = x + r + 1, sub = x - r;
        sum += (add < width ? row[add] : 0) - (sub >= 0 ? row[sub] : 0);
      }
      std::copy(line.begin() + x0, line.begin() + x1 + 1, row + x0);
    }
    // Vertical.
    line.assign(height, 0);
    for (int x = x0; x <= x1; ++x) {
      double sum = 0;
      for (int y = y0 - r; y <= y0 + r; ++y)
        sum += (y >= 0 && y < height) ? a.v[static_cast<size_t>(y) * width + x] : 0;
      for (int y = y0; y <= y1; ++y) {
        line[y] = static_cast<float>(sum / (2 * r + 1));
        int add = y + r + 1, sub = y - r;
        sum += (add < height ? a.v[static_cast<size_t>(add) * width + x] : 0) -
               (sub >= 0 ? a.v[static_cast<size_t>(sub) * width + x] : 0);
      }
      for (int y = y0; y <= y1; ++y)
        a.v[static_cast<size_t>(y) * width + x] = line[y];
    }
  }
  return a;
}

Mask Mask::Shifted(int dx, int dy) const {
  Mask out(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out.Ref(x, y) = At(x - dx, y - dy);
  return out;
}

Mask Mask::Inverted() const {
  Mask out(width, height);
  for (size_t i = 0; i < v.size(); ++i)
    out.v[i] = 1.0f - v[i];
  return out;
}

Mask Rasterize(const Path& path, int width, int height) {
  constexpr int kSub = 16;
  struct Edge {
    float x0, y0, x1, y1;
    int dir;
  };
  std::vector<Edge> edges;
  float minY = 1e9f, maxY = -1e9f;
  for (const auto& c : path.Contours()) {
    for (size_t i = 0; i < c.size(); ++i) {
      Vec2 a = c[i], b = c[(i + 1) % c.size()];
      if (a.y == b.y) continue;
      Edge e = a.y < b.y ? Edge{a.x, a.y, b.x, b.y, 1} : Edge{b.x, b.y, a.x, a.y, -1};
      edges.push_back(e);
      minY = std::min(minY, e.y0);
      maxY = std::max(maxY, e.y1);
    }
  }
  Mask out(width, height);
  if (edges.empty()) return out;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
  int rowStart = std::max(0, static_cast<int>(std::floor(minY)));
  int rowEnd = std::min(height - 1, static_cast<int>(std::ceil(maxY)));
  std::vector<float> acc(width + 2), diff(width + 2);
  std::vector<std::pair<float, int>> xs;
  std::vector<const Edge*> active;
  size_t next = 0;
  for (int row = rowStart; row <= rowEnd; ++row) {
    // Edges touching this pixel row.
    active.erase(
        std::remove_if(active.begin(), active.end(), [&](const Edge* e) { return e->y1 <= row; }),
        active.end());
    while (next < edges.size() && edges[next].y0 < row + 1) {
      if (edges[next].y1 > row) active.push_back(&edges[next]);
      ++next;
    }
    if (active.empty()) continue;
    std::fill(acc.begin(), acc.end(), 0.0f);
    std::fill(diff.begin(), diff.end(), 0.0f);
    for (int s = 0; s < kSub; ++s) {
      float sy = row + (s + 0.5f) / kSub;
      xs.clear();
      for (const Edge* e : active) {
        if (sy < e->y0 || sy >= e->y1) continue;
        float x = e->x0 + (sy - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0);
        xs.push_back({x, e->dir});
      }
      std::sort(xs.begin(), xs.end(),
                [](const std::pair<float, int>& a, const std::pair<float, int>& b) {
                  return a.first < b.first;
                });
      int winding = 0;
      for (size_t i = 0; i < xs.size(); ++i) {
        winding += xs[i].second;
        if (winding == 0 || i + 1 >= xs.size()) continue;
        float a = std::clamp(xs[i].first, 0.0f, static_cast<float>(width));
        float b = std::clamp(xs[i + 1].first, 0.0f, static_cast<float>(width));
        if (b <= a) continue;
        int ia = static_cast<int>(a), ib = static_cast<int>(b);
        if (ia == ib) {
          acc[ia] += b - a;
        } else {
          acc[ia] += ia + 1 - a;
          diff[ia + 1] += 1;
          diff[ib] -= 1;
          acc[ib] += b - ib;
        }
      }
    }
    float run = 0;
    for (int x = 0; x < width; ++x) {
      run += diff[x];
      float c = (acc[x] + run) / kSub;
      out.Ref(x, row) = std::min(1.0f, c);
    }
  }
  return out;
}

Mask RectMask(int width, int height, float x, float y, float w, float h) {
  Path p;
  p.AddPolygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}});
  return Rasterize(p, width, height);
}

}  // namespace zepgen
