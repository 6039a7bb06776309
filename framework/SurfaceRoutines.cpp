#include "framework/SurfaceRoutines.h"

#include <algorithm>
#include <climits>

namespace {

// Clipping works in 64 bits; results outside 32 bits saturate, which keeps an out-of-range
// rectangle empty or outside, so the platform still refuses it.
int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

uint32_t PlatformFlags(int32_t flags) {
  return flags == kBlitKeyedWait ? (platform::kBlitKeySource | platform::kBlitWait)
                                 : static_cast<uint32_t>(flags);
}

// One axis of a clipped blit: the destination span [x, x + length) cut to [0, limit), and the
// matching source span starting at sourceStart.
struct Span {
  int64_t dstBegin, dstEnd, srcBegin, srcEnd;
};

Span ClipSpan(int64_t sourceStart, int64_t length, int64_t x, int64_t limit) {
  Span s{x, x + length, sourceStart, sourceStart + length};
  if (x < 0) {
    s.dstBegin = 0;
    s.srcBegin = sourceStart - x;
  }
  if (x + length > limit) {
    s.dstEnd = limit;
    s.srcEnd = sourceStart + (limit - x);
  }
  return s;
}

int ClippedBlit(const QZSurface* source, int64_t sx, int64_t sy, int64_t w, int64_t h,
                QZSurface* target, int64_t x, int64_t y, int32_t flags) {
  if (source == nullptr || target == nullptr) return 0;
  const Span across = ClipSpan(sx, w, x, target->Width());
  const Span down = ClipSpan(sy, h, y, target->Height());
  const platform::Rect dst{Saturate(across.dstBegin), Saturate(down.dstBegin),
                           Saturate(across.dstEnd), Saturate(down.dstEnd)};
  const platform::Rect src{Saturate(across.srcBegin), Saturate(down.srcBegin),
                           Saturate(across.srcEnd), Saturate(down.srcEnd)};
  // Empty or inverted rectangles (a picture wholly outside) are the platform's to refuse.
  return target->Blit(&dst, source, &src, PlatformFlags(flags));
}

}  // namespace

QZSurface* CreateSurface(int width, int height) {
  QZSurface* surface = QZSurface::Create(width, height);
  if (surface != nullptr) surface->SetColorKey(0);
  return surface;
}

uint32_t MakeColor(const QZSurface* surface, int red, int green, int blue) {
  int rb = 0;
  int gb = 0;
  int bb = 0;
  int ab = 0;
  QZGetRGBABits(surface != nullptr ? surface->Format() : platform::kFormat565, &rb, &gb, &bb, &ab);
  // Channels outside 0..255 would spill into their neighbours; keep their low 8 bits.
  const uint32_t r = static_cast<uint32_t>(red) & 0xFF;
  const uint32_t g = static_cast<uint32_t>(green) & 0xFF;
  const uint32_t b = static_cast<uint32_t>(blue) & 0xFF;
  return ((r >> (8 - rb)) << (gb + bb)) + ((g >> (8 - gb)) << bb) + (b >> (8 - bb));
}

void SetColorKey(QZSurface* surface, int red, int green, int blue) {
  if (surface == nullptr) return;
  surface->SetColorKey(static_cast<uint16_t>(MakeColor(surface, red, green, blue)));
}

void FillColor(QZSurface* surface, uint32_t value) {
  if (surface != nullptr) surface->Fill(nullptr, static_cast<uint16_t>(value));
}

void GetSurfaceSize(const QZSurface* surface, int* width, int* height) {
  if (width != nullptr) *width = surface != nullptr ? surface->Width() : 0;
  if (height != nullptr) *height = surface != nullptr ? surface->Height() : 0;
}

uint16_t* LockSurface(QZSurface* surface, SurfaceDescription* description) {
  if (surface == nullptr) return nullptr;
  if (description != nullptr) {
    *description = {surface->Width(), surface->Height(), surface->Pitch(), surface->Format()};
  }
  return surface->Lock();
}

void UnlockSurface(QZSurface* surface) {
  if (surface != nullptr) surface->Unlock();
}

uint32_t GetPixel(QZSurface* surface, int x, int y) {
  // Callers mean to stay inside; a position outside reads nothing rather than stray memory.
  if (surface == nullptr || x < 0 || y < 0 || x >= surface->Width() || y >= surface->Height()) {
    return 0;
  }
  // Read without a lock: a lock counts the whole picture as drawn into.
  const QZSurface& picture = *surface;
  const uint16_t* pixels = picture.Pixels();
  if (picture.Format().bitsPerPixel == 8) {
    return reinterpret_cast<const uint8_t*>(pixels)[static_cast<size_t>(y) * picture.Pitch() + x];
  }
  return pixels[static_cast<size_t>(y) * (picture.Pitch() / 2) + x];
}

void CenterRect(const QZSurface* surface, int x, int y, int boxWidth, int boxHeight,
                platform::Rect* out) {
  if (out == nullptr) return;
  int width = 0;
  int height = 0;
  GetSurfaceSize(surface, &width, &height);
  out->left = x + boxWidth / 2 - width / 2;
  out->top = y + boxHeight / 2 - height / 2;
  out->right = out->left + width;
  out->bottom = out->top + height;
}

int SplitFrames(const QZSurface* source, PtrArray<QZSurface>& frames, int frameWidth,
                int frameHeight, int* columns) {
  if (source == nullptr || frameWidth <= 0 || frameHeight <= 0) return 0;
  const int across = source->Width() / frameWidth;
  const int down = source->Height() / frameHeight;
  if (columns != nullptr) *columns = across;
  const int count = across * down;
  for (int i = 0; i < count; ++i) {
    QZSurface* frame = CreateSurface(frameWidth, frameHeight);
    if (frame == nullptr) return 0;
    SetColorKey(frame, 0, 0, 255);
    frames.Push(frame);
    const int left = (i % across) * frameWidth;
    const int top = (i / across) * frameHeight;
    const platform::Rect from{left, top, left + frameWidth, top + frameHeight};
    frame->Blit(nullptr, source, &from, platform::kBlitWait);
  }
  return 1;
}

int LoadTiles(const char* path, PtrArray<QZSurface>& frames, int frameWidth, int frameHeight,
              int* columns) {
  QZSurface* sheet = QZLoadBitmap(path, 16);
  if (sheet == nullptr) return 0;
  const int result = SplitFrames(sheet, frames, frameWidth, frameHeight, columns);
  QZSurface::Release(sheet);
  return result;
}

int LoadStrip(const char* path, PtrArray<QZSurface>& frames, int count, int vertical,
              int* stripWidth, int* stripHeight) {
  if (count <= 0) return 0;  // no strip can be cut into no pictures
  QZSurface* strip = QZLoadBitmap(path, 16);
  if (strip == nullptr) return 0;
  const int w = strip->Width();
  const int h = strip->Height();
  if (vertical) {
    SplitFrames(strip, frames, w, h / count, nullptr);
  } else {
    SplitFrames(strip, frames, w / count, h, nullptr);
  }
  QZSurface::Release(strip);
  if (stripWidth != nullptr) *stripWidth = w;
  if (stripHeight != nullptr) *stripHeight = h;
  return 1;
}

int BlitClipped(const QZSurface* source, QZSurface* target, int x, int y, int32_t flags) {
  if (source == nullptr) return 0;
  return ClippedBlit(source, 0, 0, source->Width(), source->Height(), target, x, y, flags);
}

int BlitRect(const QZSurface* source, int sourceX, int sourceY, int width, int height,
             QZSurface* target, int x, int y, int32_t flags) {
  return ClippedBlit(source, sourceX, sourceY, width, height, target, x, y, flags);
}
