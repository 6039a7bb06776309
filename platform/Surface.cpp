#include "platform/Surface.h"

#include <cstring>

namespace platform {

namespace {

bool IsInside(const Rect& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}

bool IsEmptyOrInverted(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

// Keyed row copy. Written as a select so the compiler can vectorise it.
void CopyRowKeyed(uint16_t* dst, const uint16_t* src, int count, uint16_t key) {
  for (int i = 0; i < count; ++i) {
    const uint16_t s = src[i];
    dst[i] = (s == key) ? dst[i] : s;
  }
}

}  // namespace

Surface::Surface(int w, int h)
    : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0) {}

Surface* Surface::Create(int w, int h) {
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return nullptr;
  return new Surface(w, h);
}

void Surface::Release(Surface* surface) { delete surface; }

uint16_t* Surface::Lock() {
  ++lockCount;
  return pixels.data();
}

void Surface::Unlock() {
  if (lockCount > 0) --lockCount;
}

int Surface::Blit(const Rect* dstRect, const Surface* source, const Rect* srcRect,
                  uint32_t flags) {
  if (source == nullptr) return 0;
  const Rect dst = dstRect ? *dstRect : Rect{0, 0, width, height};
  const Rect src = srcRect ? *srcRect : Rect{0, 0, source->width, source->height};
  if (IsEmptyOrInverted(dst) || IsEmptyOrInverted(src)) return 0;
  if (!IsInside(dst, width, height) || !IsInside(src, source->width, source->height)) return 0;

  const bool keyed = (flags & kBlitKeySource) != 0 && source->hasColorKey;
  const uint16_t key = source->colorKey;
  const int dstW = dst.right - dst.left;
  const int dstH = dst.bottom - dst.top;
  const int srcW = src.right - src.left;
  const int srcH = src.bottom - src.top;

  if (dstW == srcW && dstH == srcH) {
    // Same size. A blit of a surface onto itself with overlapping rows must read before it
    // writes, so walk the rows in the safe direction and use memmove.
    const bool backwards = (source == this && dst.top > src.top);
    for (int i = 0; i < dstH; ++i) {
      const int row = backwards ? dstH - 1 - i : i;
      uint16_t* d = &pixels[static_cast<size_t>(dst.top + row) * width + dst.left];
      const uint16_t* s =
          &source->pixels[static_cast<size_t>(src.top + row) * source->width + src.left];
      if (keyed) {
        if (source == this) {
          // Rare: keyed copy within one surface; go through a temporary row.
          std::vector<uint16_t> tmp(s, s + dstW);
          CopyRowKeyed(d, tmp.data(), dstW, key);
        } else {
          CopyRowKeyed(d, s, dstW, key);
        }
      } else {
        std::memmove(d, s, static_cast<size_t>(dstW) * sizeof(uint16_t));
      }
    }
    return 1;
  }

  // Stretched: nearest source pixel, sampled at the centre of each destination pixel. A copy of
  // the source area protects against overlap when the source is this surface.
  std::vector<uint16_t> area(static_cast<size_t>(srcW) * srcH);
  for (int y = 0; y < srcH; ++y) {
    std::memcpy(&area[static_cast<size_t>(y) * srcW],
                &source->pixels[static_cast<size_t>(src.top + y) * source->width + src.left],
                static_cast<size_t>(srcW) * sizeof(uint16_t));
  }
  for (int y = 0; y < dstH; ++y) {
    const int sy = static_cast<int>((static_cast<int64_t>(2 * y + 1) * srcH) / (2 * dstH));
    uint16_t* d = &pixels[static_cast<size_t>(dst.top + y) * width + dst.left];
    const uint16_t* s = &area[static_cast<size_t>(sy) * srcW];
    for (int x = 0; x < dstW; ++x) {
      const int sx = static_cast<int>((static_cast<int64_t>(2 * x + 1) * srcW) / (2 * dstW));
      const uint16_t v = s[sx];
      if (!keyed || v != key) d[x] = v;
    }
  }
  return 1;
}

int Surface::Fill(const Rect* dstRect, uint16_t value) {
  const Rect dst = dstRect ? *dstRect : Rect{0, 0, width, height};
  if (IsEmptyOrInverted(dst) || !IsInside(dst, width, height)) return 0;
  for (int y = dst.top; y < dst.bottom; ++y) {
    uint16_t* d = &pixels[static_cast<size_t>(y) * width];
    for (int x = dst.left; x < dst.right; ++x) d[x] = value;
  }
  return 1;
}

}  // namespace platform
