#pragma once
// The free functions through which the framework makes and draws on surfaces: creation in the
// display's format, colour packing, colour keys, fills, pixel reads, cutting strips and sheets
// into frames, and blits clipped to the target. They keep no state of their own.

#include <cstdint>

#include "framework/PtrArray.h"
#include "qz/qz.h"

// What LockSurface hands out besides the pixels.
struct SurfaceDescription {
  int width;
  int height;
  int pitch;  // bytes per row
  platform::PixelFormat format;
};

// Flags value for BlitClipped and BlitRect: keyed with the source's colour key, waiting for the
// blitter (the platform flags kBlitKeySource | kBlitWait).
constexpr int32_t kBlitKeyedWait = -1;

// A new off-screen surface with source colour key 0; null when it cannot be made.
QZSurface* CreateSurface(int width, int height);
// The pixel value of the colour (0..255 each) in the surface's format; callers keep the low 16
// bits. A null surface packs in the display's format.
uint32_t MakeColor(const QZSurface* surface, int red, int green, int blue);
void SetColorKey(QZSurface* surface, int red, int green, int blue);
// Fills the whole surface with the low 16 bits of the value.
void FillColor(QZSurface* surface, uint32_t value);
void GetSurfaceSize(const QZSurface* surface, int* width, int* height);
// Locks the whole surface and returns its first pixel; fills the description when one is given.
uint16_t* LockSurface(QZSurface* surface, SurfaceDescription* description);
void UnlockSurface(QZSurface* surface);
// The pixel at (x, y); 0 for a position outside the surface.
uint32_t GetPixel(QZSurface* surface, int x, int y);
// The rectangle of the surface's size centred in the box of that size at (x, y).
void CenterRect(const QZSurface* surface, int x, int y, int boxWidth, int boxHeight,
                platform::Rect* out);
// Cuts the source into frames of the given size, row by row, and appends them to the list,
// which owns them; each frame has pure blue as its colour key. Leftover pixels at the right and
// bottom are ignored. Reports the number of columns when asked. 1 on success; 0 when a frame
// cannot be made (the frames made so far stay in the list) or the sizes are not positive.
int SplitFrames(const QZSurface* source, PtrArray<QZSurface>& frames, int frameWidth,
                int frameHeight, int* columns);
// SplitFrames of a bitmap file; 0 when the file cannot be loaded.
int LoadTiles(const char* path, PtrArray<QZSurface>& frames, int frameWidth, int frameHeight,
              int* columns);
// Cuts a bitmap file into count pictures of equal size, side by side or stacked, appended to the
// list as SplitFrames does; reports the whole strip's size when asked. 0 when the file cannot be
// loaded or count is not positive, else 1: a strip too small to cut leaves the list short, which
// the caller sees in its count.
int LoadStrip(const char* path, PtrArray<QZSurface>& frames, int count, int vertical,
              int* stripWidth, int* stripHeight);
// Draws the whole source with its top-left corner at (x, y) of the target, cut to the target.
// A picture wholly outside draws nothing. Returns what the platform's blit returned.
int BlitClipped(const QZSurface* source, QZSurface* target, int x, int y, int32_t flags);
// The same for the part of the source at (sourceX, sourceY) of the given size.
int BlitRect(const QZSurface* source, int sourceX, int sourceY, int width, int height,
             QZSurface* target, int x, int y, int32_t flags);
