#include "platform/Surface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

bool IsInside(const Rect& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}

bool IsEmptyOrInverted(const Rect& r) {
  return r.right <= r.left || r.bottom <= r.top;
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

int64_t Area(const Rect& r) {
  return static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top);
}

Rect Union(const Rect& a, const Rect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

bool Contains(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A queue longer than this is carried out: a surface drawn every frame but never looked at must
// not grow without end. A frame of either program queues under a hundred.
constexpr size_t kMaxQueued = 256;
// Groups remembered per surface; past this the one unused longest is forgotten.
constexpr size_t kMaxMemos = 64;

bool queuedDrawing = true;
uint64_t memoClock = 0;

// Surfaces with a queue, and surfaces with memos, so that a change to one surface finds the
// queued blits and memos that read it. Never destroyed: surfaces held by other statics are
// released at exit in no particular order, and still look here.
std::vector<Surface*>& QueuingSurfaces() {
  static auto* surfaces = new std::vector<Surface*>();
  return *surfaces;
}

std::vector<Surface*>& RememberingSurfaces() {
  static auto* surfaces = new std::vector<Surface*>();
  return *surfaces;
}

void Drop(std::vector<Surface*>& list, const Surface* surface) {
  list.erase(std::remove(list.begin(), list.end(), surface), list.end());
}

uint64_t Mix(uint64_t hash, uint64_t value) {
  return (hash ^ value) * 0x100000001B3ull;
}

bool SameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
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

Surface::Surface(int w, int h)
    : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0) {}

Surface* Surface::Create(int w, int h) {
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return nullptr;
  return new Surface(w, h);
}

void Surface::Release(Surface* surface) {
  if (surface == nullptr) return;
  // Blits queued elsewhere still read it; its own queue nobody can look at any more.
  SettleReadersOf(surface);
  surface->queued.clear();
  Drop(QueuingSurfaces(), surface);
  while (!surface->memos.empty())
    surface->EraseMemo(surface->memos.size() - 1);
  ForgetDrawnOver(surface, {0, 0, surface->width, surface->height});
  delete surface;
}

void Surface::PrepareRawWrite() {
  SettleReadersOf(this);
  Settle();
  ForgetDrawnOver(this, {0, 0, width, height});
  NoteTouched({0, 0, width, height});
}

uint16_t* Surface::Lock() {
  PrepareRawWrite();
  ++lockCount;
  return pixels.data();
}

uint16_t* Surface::Pixels() {
  PrepareRawWrite();
  raw = true;
  return pixels.data();
}

void Surface::Unlock() {
  if (lockCount > 0) --lockCount;
}

int Surface::Blit(const Rect* dstRect, const Surface* source, const Rect* srcRect, uint32_t flags) {
  if (source == nullptr) return 0;
  const Rect dst = dstRect ? *dstRect : Rect{0, 0, width, height};
  const Rect src = srcRect ? *srcRect : Rect{0, 0, source->width, source->height};
  if (IsEmptyOrInverted(dst) || IsEmptyOrInverted(src)) return 0;
  if (!IsInside(dst, width, height) || !IsInside(src, source->width, source->height)) return 0;
  const bool keyed = (flags & kBlitKeySource) != 0 && source->hasColorKey;
  Submit({source, src, dst, keyed ? source->colorKey : uint16_t{0}, keyed});
  return 1;
}

int Surface::Fill(const Rect* dstRect, uint16_t value) {
  const Rect dst = dstRect ? *dstRect : Rect{0, 0, width, height};
  if (IsEmptyOrInverted(dst) || !IsInside(dst, width, height)) return 0;
  Submit({nullptr, dst, dst, value, false});
  return 1;
}

void Surface::Execute(const DrawOp& op) {
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

void Surface::SetQueuedDrawing(bool on) {
  if (!on) {
    while (!QueuingSurfaces().empty())
      QueuingSurfaces().back()->Resolve();
    while (!RememberingSurfaces().empty()) {
      Surface* surface = RememberingSurfaces().back();
      while (!surface->memos.empty())
        surface->EraseMemo(surface->memos.size() - 1);
    }
  }
  queuedDrawing = on;
}

void Surface::Submit(const DrawOp& op) {
  // The blit reads its source as it is now, so what is queued for the source goes first.
  if (op.source != nullptr) op.source->Settle();
  const bool queue =
      queuedDrawing && !raw && lockCount == 0 &&
      (op.source == nullptr || (op.source != this && !op.source->raw && op.source->lockCount == 0));
  if (!queue) {
    // At once, after what was queued here and before anything queued elsewhere that reads the
    // old pixels; nothing of it is remembered.
    Settle();
    SettleReadersOf(this);
    ForgetDrawnOver(this, op.dst);
    Execute(op);
    return;
  }
  if (queued.empty()) QueuingSurfaces().push_back(this);
  queued.push_back(op);
  if (queued.size() >= kMaxQueued) Resolve();
}

bool Surface::ReadsFrom(const Surface* source) const {
  for (const DrawOp& op : queued) {
    if (op.source == source) return true;
  }
  return false;
}

void Surface::SettleReadersOf(const Surface* written) {
  std::vector<Surface*>& surfaces = QueuingSurfaces();
  for (size_t i = 0; i < surfaces.size();) {
    Surface* reader = surfaces[i];
    if (reader != written && !reader->resolving && reader->ReadsFrom(written)) {
      reader->Resolve();  // takes it off the list, so look again from the start
      i = 0;
    } else {
      ++i;
    }
  }
}

void Surface::ForgetDrawnOver(const Surface* written, const Rect& area) {
  // Memos of this surface that lie under the area no longer describe what is there.
  Surface* target = const_cast<Surface*>(written);
  for (size_t m = target->memos.size(); m-- > 0;) {
    const Memo& memo = target->memos[m];
    if (!Overlap(memo.bounds, area)) continue;
    for (const DrawOp& op : memo.ops) {
      if (Overlap(op.dst, area)) {
        target->EraseMemo(m);
        break;
      }
    }
  }
  // Memos anywhere whose blits read the area would now lay other pixels.
  if (written->memoReaders == 0) return;
  std::vector<Surface*>& surfaces = RememberingSurfaces();
  for (size_t i = surfaces.size(); i-- > 0;) {
    Surface* surface = surfaces[i];
    for (size_t m = surface->memos.size(); m-- > 0;) {
      for (const DrawOp& op : surface->memos[m].ops) {
        if (op.source == written && Overlap(op.src, area)) {
          surface->EraseMemo(m);
          break;
        }
      }
    }
  }
}

void Surface::EraseMemo(size_t index) {
  for (const DrawOp& op : memos[index].ops) {
    if (op.source != nullptr) --op.source->memoReaders;
  }
  memos.erase(memos.begin() + static_cast<ptrdiff_t>(index));
  if (memos.empty()) Drop(RememberingSurfaces(), this);
}

void Surface::Remember(std::vector<DrawOp> ops, uint64_t hash) {
  if (memos.size() >= kMaxMemos) {
    size_t oldest = 0;
    for (size_t m = 1; m < memos.size(); ++m) {
      if (memos[m].lastUse < memos[oldest].lastUse) oldest = m;
    }
    EraseMemo(oldest);
  }
  Memo memo{std::move(ops), {0, 0, 0, 0}, hash, ++memoClock};
  memo.bounds = memo.ops.front().dst;
  for (const DrawOp& op : memo.ops) {
    memo.bounds = Union(memo.bounds, op.dst);
    if (op.source != nullptr) ++op.source->memoReaders;
  }
  if (memos.empty()) RememberingSurfaces().push_back(this);
  memos.push_back(std::move(memo));
}

bool Surface::SameOp(const DrawOp& a, const DrawOp& b) {
  return a.source == b.source && SameRect(a.src, b.src) && SameRect(a.dst, b.dst) &&
         a.value == b.value && a.keyed == b.keyed;
}

void Surface::Resolve() {
  if (queued.empty() || resolving) return;
  resolving = true;
  std::vector<DrawOp> ops;
  ops.swap(queued);
  Drop(QueuingSurfaces(), this);

  // Groups: blits joined wherever their target rectangles overlap. Groups overlap nowhere, so the
  // order between them does not matter; within one the queue's order is kept.
  const uint32_t count = static_cast<uint32_t>(ops.size());
  std::vector<uint32_t> parent(count);
  for (uint32_t i = 0; i < count; ++i)
    parent[i] = i;
  auto root = [&parent](uint32_t i) {
    while (parent[i] != i)
      i = parent[i] = parent[parent[i]];
    return i;
  };
  // Swept from the top: only ops whose rows reach down to an op's top can overlap it, a few at
  // any height, where comparing every pair would cost more than the drawing it saves.
  std::vector<uint64_t> order(count);
  for (uint32_t i = 0; i < count; ++i)
    order[i] = (static_cast<uint64_t>(static_cast<uint32_t>(ops[i].dst.top)) << 32) | i;
  std::sort(order.begin(), order.end());
  std::vector<uint32_t> open;
  for (const uint64_t key : order) {
    const uint32_t i = static_cast<uint32_t>(key);
    const Rect& r = ops[i].dst;
    size_t kept = 0;
    for (const uint32_t j : open) {
      if (ops[j].dst.bottom <= r.top) continue;  // ended above: drops out
      open[kept++] = j;
      if (Overlap(ops[j].dst, r)) parent[root(i)] = root(j);
    }
    open.resize(kept);
    open.push_back(i);
  }
  // Each op keyed by its group's first op, then by its own place: sorted, a group is a run.
  std::vector<uint32_t> firstOf(count, count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t r = root(i);
    if (firstOf[r] == count) firstOf[r] = i;
    order[i] = (static_cast<uint64_t>(firstOf[r]) << 32) | i;
  }
  std::sort(order.begin(), order.end());
  auto at = [&ops, &order](size_t k) -> const DrawOp& {
    return ops[static_cast<uint32_t>(order[k])];
  };

  // A group equal to a memo lays again the pixels it laid last time, which nothing has covered
  // since and whose sources have not changed: it is dropped.
  struct Run {
    size_t begin;
    size_t end;
    uint64_t hash;
  };
  std::vector<Run> carried;
  for (size_t begin = 0; begin < count;) {
    size_t end = begin + 1;
    while (end < count && (order[end] >> 32) == (order[begin] >> 32))
      ++end;
    uint64_t hash = 0xCBF29CE484222325ull;
    for (size_t k = begin; k < end; ++k) {
      const DrawOp& op = at(k);
      hash = Mix(hash, reinterpret_cast<uintptr_t>(op.source));
      hash = Mix(hash, (static_cast<uint64_t>(static_cast<uint32_t>(op.dst.left)) << 32) |
                           static_cast<uint32_t>(op.dst.top));
      hash = Mix(hash, (static_cast<uint64_t>(static_cast<uint32_t>(op.src.left)) << 32) |
                           static_cast<uint32_t>(op.src.top));
      hash = Mix(hash, (static_cast<uint64_t>(op.value) << 1) | (op.keyed ? 1 : 0));
    }
    bool repeated = false;
    for (Memo& memo : memos) {
      if (memo.hash != hash || memo.ops.size() != end - begin) continue;
      repeated = true;
      for (size_t k = begin; k < end && repeated; ++k)
        repeated = SameOp(memo.ops[k - begin], at(k));
      if (repeated) {
        memo.lastUse = ++memoClock;
        break;
      }
    }
    if (!repeated) carried.push_back({begin, end, hash});
    begin = end;
  }

  // Blits queued elsewhere read this surface as it was before these changes.
  if (!carried.empty()) SettleReadersOf(this);
  for (const Run& run : carried) {
    std::vector<DrawOp> group;
    group.reserve(run.end - run.begin);
    for (size_t k = run.begin; k < run.end; ++k) {
      const DrawOp& op = at(k);
      ForgetDrawnOver(this, op.dst);
      Execute(op);
      group.push_back(op);
    }
    Remember(std::move(group), run.hash);
  }
  // The next frame queues as many again: keep the room.
  ops.clear();
  if (queued.empty()) queued.swap(ops);
  resolving = false;
}

}  // namespace platform
