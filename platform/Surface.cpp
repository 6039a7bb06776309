#include "platform/Surface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

bool IsInside(const Rect& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}

// Keyed row copy: a source pixel equal to the key leaves the destination pixel as it was. The
// pixels are compared and merged eight at a time with the compiler's portable vector type, four
// vectors per step, so the copy runs at memory speed at any optimisation level (a plain select
// loop is vectorised only at -O3, and not where source and destination may overlap).
using Pixels8 = uint16_t __attribute__((vector_size(16)));
constexpr int kLanes = static_cast<int>(sizeof(Pixels8) / sizeof(uint16_t));

inline void MergeKeyed(uint16_t* dst, const uint16_t* src, const Pixels8& keys) {
  Pixels8 s;
  Pixels8 d;
  std::memcpy(&s, src, sizeof s);
  std::memcpy(&d, dst, sizeof d);
  const Pixels8 isKey = reinterpret_cast<Pixels8>(s == keys);
  d = (d & isKey) | (s & ~isKey);
  std::memcpy(dst, &d, sizeof d);
}

void CopyRowKeyed(uint16_t* dst, const uint16_t* src, int count, uint16_t key) {
  const Pixels8 keys = Pixels8{} + key;
  // The last few pixels of a row at least a vector wide go as one more vector ending at the row's
  // end, whose destination is read before anything is written: merging a pixel twice from the
  // same old value gives what merging it once gave, and reading back pixels just stored would
  // stall the processor. Most rows drawn (buttons, digits, sprites) are not a whole number of
  // vectors wide.
  const bool tail = count >= kLanes && count % kLanes != 0;
  Pixels8 tailBefore{};
  if (tail) std::memcpy(&tailBefore, dst + count - kLanes, sizeof tailBefore);
  int i = 0;
  for (; i + 4 * kLanes <= count; i += 4 * kLanes) {
    MergeKeyed(dst + i, src + i, keys);
    MergeKeyed(dst + i + kLanes, src + i + kLanes, keys);
    MergeKeyed(dst + i + 2 * kLanes, src + i + 2 * kLanes, keys);
    MergeKeyed(dst + i + 3 * kLanes, src + i + 3 * kLanes, keys);
  }
  for (; i + kLanes <= count; i += kLanes) {
    MergeKeyed(dst + i, src + i, keys);
  }
  if (tail) {
    Pixels8 s;
    std::memcpy(&s, src + count - kLanes, sizeof s);
    const Pixels8 isKey = reinterpret_cast<Pixels8>(s == keys);
    const Pixels8 merged = (tailBefore & isKey) | (s & ~isKey);
    std::memcpy(dst + count - kLanes, &merged, sizeof merged);
    return;
  }
  for (; i < count; ++i) {
    const uint16_t s = src[i];
    if (s != key) dst[i] = s;
  }
}

}  // namespace

void Surface::NoteTouched(const Rect& area) {
  // Most frames draw the same few places again (buttons, the pointer, the panel), so the common
  // case is a rectangle already noted.
  for (const Rect& kept : touched) {
    if (Contains(kept, area)) return;
  }
  // Notes the new one covers would only make the compare go over the same pixels twice.
  touched.erase(std::remove_if(touched.begin(), touched.end(),
                               [&area](const Rect& kept) { return Contains(area, kept); }),
                touched.end());
  if (static_cast<int>(touched.size()) < kMaxTouched) {
    touched.push_back(area);
    return;
  }
  size_t best = 0;
  int64_t bestGrowth = INT64_MAX;
  for (size_t i = 0; i < touched.size(); ++i) {
    const int64_t growth = Area(Union(touched[i], area)) - Area(touched[i]);
    if (growth < bestGrowth) {
      bestGrowth = growth;
      best = i;
    }
  }
  touched[best] = Union(touched[best], area);
}

Surface::Surface(int w, int h, Drawing drawing)
    : width(w),
      height(h),
      queued(drawing == Drawing::kQueued),
      pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0) {}

Surface* Surface::Create(int w, int h, Drawing drawing) {
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return nullptr;
  return new Surface(w, h, drawing);
}

void Surface::Release(Surface* surface) {
  if (surface == nullptr) return;
  surface->queue.Detach();
  delete surface;
}

void Surface::BeforeDirectWrite() {
  queue.BeforeDirectWrite();
  NoteTouched({0, 0, width, height});
}

uint16_t* Surface::Lock() {
  BeforeDirectWrite();
  ++lockCount;
  return pixels.data();
}

uint16_t* Surface::Pixels() {
  BeforeDirectWrite();
  raw = true;
  return pixels.data();
}

void Surface::Unlock() {
  if (lockCount > 0) --lockCount;
}

void Surface::ClearTouched() {
  Settle();
  touched.clear();
  // Whoever holds the pixels may write them after this: they stay drawn into.
  if (DrawsAtOnce()) touched.push_back({0, 0, width, height});
}

int Surface::Blit(const Rect* dstRect, const Surface* source, const Rect* srcRect, uint32_t flags) {
  if (source == nullptr) return 0;
  const Rect dst = dstRect ? *dstRect : Rect{0, 0, width, height};
  const Rect src = srcRect ? *srcRect : Rect{0, 0, source->width, source->height};
  if (IsEmptyOrInverted(dst) || IsEmptyOrInverted(src)) return 0;
  if (!IsInside(dst, width, height) || !IsInside(src, source->width, source->height)) return 0;
  const bool keyed = (flags & kBlitKeySource) != 0 && source->hasColorKey;
  queue.Submit({source, src, dst, keyed ? source->colorKey : uint16_t{0}, keyed});
  return 1;
}

int Surface::Fill(const Rect* dstRect, uint16_t value) {
  const Rect dst = dstRect ? *dstRect : Rect{0, 0, width, height};
  if (IsEmptyOrInverted(dst) || !IsInside(dst, width, height)) return 0;
  queue.Submit({nullptr, dst, dst, value, false});
  return 1;
}

void Surface::Draw(const DrawOp& op) {
  NoteTouched(op.dst);
  const Rect& dst = op.dst;
  if (op.source == nullptr) {
    // The first row is filled pixel by pixel and copied into the others, which runs at memory
    // speed where a 16-bit store loop would not.
    const size_t rowBytes = static_cast<size_t>(dst.right - dst.left) * sizeof(uint16_t);
    uint16_t* first = &pixels[static_cast<size_t>(dst.top) * width + dst.left];
    std::fill_n(first, dst.right - dst.left, op.value);
    for (int y = dst.top + 1; y < dst.bottom; ++y)
      std::memcpy(&pixels[static_cast<size_t>(y) * width + dst.left], first, rowBytes);
    return;
  }
  const Surface* source = op.source;
  const Rect& src = op.src;
  const bool keyed = op.keyed;
  const uint16_t key = op.value;
  const int dstW = dst.right - dst.left;
  const int dstH = dst.bottom - dst.top;
  const int srcW = src.right - src.left;
  const int srcH = src.bottom - src.top;

  if (dstW == srcW && dstH == srcH) {
    // Same size. A blit of a surface onto itself with overlapping rows must read before it
    // writes: walk the rows in the safe direction, and within a row use memmove or, keyed, a
    // copy of the source row.
    const bool backwards = (source == this && dst.top > src.top);
    const ptrdiff_t dstStep = backwards ? -static_cast<ptrdiff_t>(width) : width;
    const ptrdiff_t srcStep = backwards ? -static_cast<ptrdiff_t>(source->width) : source->width;
    const int firstRow = backwards ? dstH - 1 : 0;
    uint16_t* d = &pixels[static_cast<size_t>(dst.top + firstRow) * width + dst.left];
    const uint16_t* s =
        &source->pixels[static_cast<size_t>(src.top + firstRow) * source->width + src.left];
    if (!keyed) {
      for (int i = 0; i < dstH; ++i, d += dstStep, s += srcStep)
        std::memmove(d, s, static_cast<size_t>(dstW) * sizeof(uint16_t));
    } else if (source != this) {
      for (int i = 0; i < dstH; ++i, d += dstStep, s += srcStep)
        CopyRowKeyed(d, s, dstW, key);
    } else {
      std::vector<uint16_t> row(static_cast<size_t>(dstW));
      for (int i = 0; i < dstH; ++i, d += dstStep, s += srcStep) {
        std::memcpy(row.data(), s, row.size() * sizeof(uint16_t));
        CopyRowKeyed(d, row.data(), dstW, key);
      }
    }
    return;
  }

  // Stretched: nearest source pixel, sampled at the centre of each destination pixel. The source
  // column of every destination column is worked out once. When the source is this surface, the
  // source area is copied first so that no pixel is read after it has been overwritten.
  std::vector<int> columns(static_cast<size_t>(dstW));
  for (int x = 0; x < dstW; ++x)
    columns[x] = static_cast<int>((static_cast<int64_t>(2 * x + 1) * srcW) / (2 * dstW));
  std::vector<uint16_t> area;
  const uint16_t* srcBase =
      &source->pixels[static_cast<size_t>(src.top) * source->width + src.left];
  size_t srcPitch = static_cast<size_t>(source->width);
  if (source == this) {
    area.resize(static_cast<size_t>(srcW) * srcH);
    for (int y = 0; y < srcH; ++y)
      std::memcpy(&area[static_cast<size_t>(y) * srcW], srcBase + y * srcPitch,
                  static_cast<size_t>(srcW) * sizeof(uint16_t));
    srcBase = area.data();
    srcPitch = static_cast<size_t>(srcW);
  }
  for (int y = 0; y < dstH; ++y) {
    const int sy = static_cast<int>((static_cast<int64_t>(2 * y + 1) * srcH) / (2 * dstH));
    uint16_t* d = &pixels[static_cast<size_t>(dst.top + y) * width + dst.left];
    const uint16_t* s = srcBase + sy * srcPitch;
    if (keyed) {
      for (int x = 0; x < dstW; ++x) {
        const uint16_t v = s[columns[x]];
        if (v != key) d[x] = v;
      }
    } else {
      for (int x = 0; x < dstW; ++x)
        d[x] = s[columns[x]];
    }
  }
}

}  // namespace platform
