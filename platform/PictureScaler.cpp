#include "platform/PictureScaler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace platform {

namespace {

// Rows this close count as one band: a call per band costs more than the few rows between.
constexpr int kJoinGap = 8;

uint32_t Blend(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t keep = 256 - weight;
  const uint32_t redBlue = (((a & 0xFF00FF) * keep + (b & 0xFF00FF) * weight) >> 8) & 0xFF00FF;
  const uint32_t green = (((a & 0x00FF00) * keep + (b & 0x00FF00) * weight) >> 8) & 0x00FF00;
  return redBlue | green;
}

const uint32_t* WideTable() {
  static const std::vector<uint32_t> table = [] {
    std::vector<uint32_t> t(65536);
    for (uint32_t v = 0; v < 65536; ++v) {
      const uint32_t r = ((v >> 11) & 31) * 255 / 31;
      const uint32_t g = ((v >> 5) & 63) * 255 / 63;
      const uint32_t b = (v & 31) * 255 / 31;
      t[v] = (r << 16) | (g << 8) | b;
    }
    return t;
  }();
  return table.data();
}

}  // namespace

uint32_t PictureScaler::Widen(uint16_t pixel) {
  return WideTable()[pixel];
}

std::vector<PictureScaler::Tap> PictureScaler::Taps(int pictureSize, int clientSize) {
  std::vector<Tap> taps(static_cast<size_t>(clientSize));
  const int64_t factor = std::max(clientSize / pictureSize, 1);
  const int64_t repeated = pictureSize * factor;
  // 16.16 fixed point: the centre of each client pixel in the repeated picture. At a whole
  // factor the step is exactly 1 and every weight is 0.
  const int64_t step = (repeated << 16) / clientSize;
  for (int i = 0; i < clientSize; ++i) {
    int64_t u = ((2 * int64_t{i} + 1) * step) / 2 - 32768;
    u = std::clamp<int64_t>(u, 0, (repeated - 1) << 16);
    const int64_t i0 = u >> 16;
    const int64_t i1 = std::min(i0 + 1, repeated - 1);
    Tap& tap = taps[static_cast<size_t>(i)];
    tap.first = static_cast<int>(i0 / factor);
    tap.second = static_cast<int>(i1 / factor);
    tap.weight = tap.first == tap.second ? 0 : static_cast<uint32_t>((u & 0xFFFF) >> 8);
  }
  return taps;
}

void PictureScaler::SetView(const ScaledView& next) {
  const PixelRect& a = view.Placement();
  const PixelRect& b = next.Placement();
  const bool same = prepared && a.width == b.width && a.height == b.height &&
                    view.PictureWidth() == next.PictureWidth() &&
                    view.PictureHeight() == next.PictureHeight();
  view = next;
  if (same) return;
  columns = Taps(next.PictureWidth(), b.width);
  rows = Taps(next.PictureHeight(), b.height);
  prepared = true;
}

void PictureScaler::Render(const uint16_t* picture, int picturePitchBytes, const PixelRect& rect,
                           uint32_t* dest, int destPitchBytes) const {
  if (!prepared || !picture || !dest) return;
  const int x0 = std::max(rect.x, 0);
  const int y0 = std::max(rect.y, 0);
  const int x1 = std::min(rect.x + rect.width, view.ClientWidth());
  const int y1 = std::min(rect.y + rect.height, view.ClientHeight());
  if (x0 >= x1 || y0 >= y1) return;
  const PixelRect& place = view.Placement();
  const uint32_t* wide = WideTable();
  // The part of each row that lies over the picture; the rest is bar.
  const int px0 = std::clamp(x0, place.x, place.x + place.width);
  const int px1 = std::clamp(x1, place.x, place.x + place.width);
  for (int y = y0; y < y1; ++y) {
    uint32_t* out = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dest) +
                                                static_cast<std::ptrdiff_t>(y) * destPitchBytes);
    const int py = y - place.y;
    if (py < 0 || py >= place.height || px0 >= px1) {
      std::fill(out + x0, out + x1, 0u);
      continue;
    }
    std::fill(out + x0, out + px0, 0u);
    std::fill(out + px1, out + x1, 0u);
    const Tap& row = rows[static_cast<size_t>(py)];
    const auto* base = reinterpret_cast<const uint8_t*>(picture);
    const auto* top = reinterpret_cast<const uint16_t*>(
        base + static_cast<std::ptrdiff_t>(row.first) * picturePitchBytes);
    const auto* bottom = reinterpret_cast<const uint16_t*>(
        base + static_cast<std::ptrdiff_t>(row.second) * picturePitchBytes);
    for (int x = px0; x < px1; ++x) {
      const Tap& column = columns[static_cast<size_t>(x - place.x)];
      uint32_t colour = wide[top[column.first]];
      if (column.weight != 0) colour = Blend(colour, wide[top[column.second]], column.weight);
      if (row.weight != 0) {
        uint32_t below = wide[bottom[column.first]];
        if (column.weight != 0) below = Blend(below, wide[bottom[column.second]], column.weight);
        colour = Blend(colour, below, row.weight);
      }
      out[x] = colour;
    }
  }
}

namespace {

// The first and last pixel that differ within [from, to) of a row, when any does. The ends are
// found four pixels at a time: a changed row is often changed only in a short part of a long run.
bool ChangedSpan(const uint16_t* a, const uint16_t* b, int from, int to, int* left, int* right) {
  if (from >= to ||
      std::memcmp(a + from, b + from, static_cast<size_t>(to - from) * sizeof(uint16_t)) == 0) {
    return false;
  }
  auto sameFour = [a, b](int at) {
    uint64_t x = 0;
    uint64_t y = 0;
    std::memcpy(&x, a + at, sizeof x);
    std::memcpy(&y, b + at, sizeof y);
    return x == y;
  };
  int l = from;
  while (l + 4 <= to && sameFour(l))
    l += 4;
  while (a[l] == b[l])
    ++l;
  int r = to;
  while (r - 4 >= l && sameFour(r - 4))
    r -= 4;
  --r;
  while (a[r] == b[r])
    --r;
  *left = l;
  *right = r;
  return true;
}

// The band search shared by both comparisons; rowChange(y, a, b, &left, &right) says whether
// row y differs and, when it does, its first and last differing columns.
template <typename RowChange>
std::vector<PixelRect> FindChangedBands(const uint16_t* before, const uint16_t* after, int height,
                                        int pitchPixels, int maxRects, RowChange rowChange) {
  std::vector<PixelRect> rects;
  maxRects = std::max(maxRects, 1);
  int lastChangedRow = -1;
  for (int y = 0; y < height; ++y) {
    const uint16_t* a = before + static_cast<std::ptrdiff_t>(y) * pitchPixels;
    const uint16_t* b = after + static_cast<std::ptrdiff_t>(y) * pitchPixels;
    int left = 0;
    int right = 0;
    if (!rowChange(y, a, b, &left, &right)) continue;
    const bool join = !rects.empty() && (y - lastChangedRow <= kJoinGap ||
                                         static_cast<int>(rects.size()) == maxRects);
    if (join) {
      PixelRect& r = rects.back();
      const int x0 = std::min(r.x, left);
      const int x1 = std::max(r.x + r.width, right + 1);
      r.x = x0;
      r.width = x1 - x0;
      r.height = y + 1 - r.y;
    } else {
      rects.push_back({left, y, right + 1 - left, 1});
    }
    lastChangedRow = y;
  }
  return rects;
}

}  // namespace

std::vector<PixelRect> ChangedRects(const uint16_t* before, const uint16_t* after, int width,
                                    int height, int pitchPixels, int maxRects) {
  if (!before || !after || width <= 0 || height <= 0) return {};
  return FindChangedBands(before, after, height, pitchPixels, maxRects,
                          [width](int, const uint16_t* a, const uint16_t* b, int* left,
                                  int* right) { return ChangedSpan(a, b, 0, width, left, right); });
}

std::vector<PixelRect> ChangedRectsWithin(const uint16_t* before, const uint16_t* after, int width,
                                          int height, int pitchPixels, int maxRects,
                                          const std::vector<PixelRect>& areas) {
  if (!before || !after || width <= 0 || height <= 0) return {};
  // The areas clipped to the picture, left edges first, so that each row's pieces can be joined
  // into separate runs in one walk: two areas far apart on a row leave the gap between them
  // uncompared.
  std::vector<PixelRect> clipped;
  clipped.reserve(areas.size());
  for (const PixelRect& area : areas) {
    const int x0 = std::max(area.x, 0);
    const int x1 = std::min(area.x + std::max(area.width, 0), width);
    const int y0 = std::max(area.y, 0);
    const int y1 = std::min(area.y + std::max(area.height, 0), height);
    if (x0 < x1 && y0 < y1) clipped.push_back({x0, y0, x1 - x0, y1 - y0});
  }
  if (clipped.empty()) return {};
  std::sort(clipped.begin(), clipped.end(),
            [](const PixelRect& p, const PixelRect& q) { return p.x < q.x; });
  // Rows between two consecutive area edges are covered by the same areas: their runs are worked
  // out once per such stretch, not once per row.
  std::vector<int> edges;
  edges.reserve(clipped.size() * 2);
  for (const PixelRect& area : clipped) {
    edges.push_back(area.y);
    edges.push_back(area.y + area.height);
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<std::pair<int, int>> runs;
  size_t stretch = 0;  // the stretch [edges[stretch - 1], edges[stretch]) the runs belong to
  return FindChangedBands(before, after, height, pitchPixels, maxRects,
                          [&](int y, const uint16_t* a, const uint16_t* b, int* left, int* right) {
                            if (y < edges.front() || y >= edges.back()) return false;
                            if (stretch == 0 || y >= edges[stretch]) {
                              while (stretch < edges.size() && edges[stretch] <= y)
                                ++stretch;
                              runs.clear();
                              for (const PixelRect& area : clipped) {
                                if (y < area.y || y >= area.y + area.height) continue;
                                if (!runs.empty() && area.x <= runs.back().second) {
                                  runs.back().second =
                                      std::max(runs.back().second, area.x + area.width);
                                } else {
                                  runs.emplace_back(area.x, area.x + area.width);
                                }
                              }
                            }
                            bool changed = false;
                            for (const std::pair<int, int>& run : runs) {
                              int l = 0;
                              int r = 0;
                              if (!ChangedSpan(a, b, run.first, run.second, &l, &r)) continue;
                              if (!changed) *left = l;
                              *right = r;
                              changed = true;
                            }
                            return changed;
                          });
}

}  // namespace platform
