#pragma once
// Software picture surfaces in the display's 16-bit 5-6-5 format. They stand in for the off-screen
// surfaces of the original display interface: create, lock, colour key, fill and blit, with the
// same refusals (empty, inverted or out-of-bounds rectangles) that the drawing code relies on.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/DrawQueue.h"
#include "platform/Rect.h"

namespace platform {

// Blit flags keep the numbering of the original blitter so that callers may pass the values
// they were written with (0x1008000 = keyed with the source's key, waiting).
constexpr uint32_t kBlitColorFill = 0x00000400;
constexpr uint32_t kBlitKeySource = 0x00008000;
constexpr uint32_t kBlitWait = 0x01000000;

struct PixelFormat {
  int bitsPerPixel;
  uint32_t redMask;
  uint32_t greenMask;
  uint32_t blueMask;
  uint32_t alphaMask;
};

constexpr PixelFormat kFormat565 = {16, 0xF800, 0x07E0, 0x001F, 0};

class Surface {
 public:
  // Largest side accepted; keeps width * height * 2 well inside 32 bits.
  static constexpr int kMaxSide = 16384;

  // How blits and fills into the surface are carried out: waiting in its drawing queue, where a
  // group that repeats what lies there is dropped, or at once with nothing remembered. Chosen by
  // whoever makes the surface (tests and benchmarks compare the two on surfaces of their own).
  enum class Drawing { kQueued, kAtOnce };

  // Null when either side is not positive or exceeds kMaxSide. Pixels start as 0 (black).
  static Surface* Create(int width, int height, Drawing drawing = Drawing::kQueued);
  // Releases a surface made by Create; null is ignored.
  static void Release(Surface* surface);

  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int Width() const { return width; }
  int Height() const { return height; }
  int Pitch() const { return width * 2; }  // bytes per row
  const PixelFormat& Format() const { return kFormat565; }

  // Software surfaces are never busy: a lock always succeeds and returns the first pixel. The
  // caller may then write anywhere until Unlock, so the whole surface counts as drawn into.
  uint16_t* Lock();
  void Unlock();
  bool IsLocked() const { return lockCount > 0; }

  // Writable pixels with no end to their use: the surface counts as drawn into everywhere for
  // good, and its drawing is carried out at once and never judged repeated.
  uint16_t* Pixels();
  // Reading settles the drawing queue and writes nothing.
  const uint16_t* Pixels() const {
    Settle();
    return pixels.data();
  }
  uint16_t PixelAt(int x, int y) const {
    Settle();
    return pixels[static_cast<size_t>(y) * width + x];
  }

  void SetColorKey(uint16_t key) {
    colorKey = key;
    hasColorKey = true;
  }
  void ClearColorKey() { hasColorKey = false; }
  bool HasColorKey() const { return hasColorKey; }
  uint16_t ColorKey() const { return colorKey; }

  // Copies srcRect of source into dstRect of this surface. A null rectangle means the whole
  // surface. Different sizes stretch (nearest pixel). With kBlitKeySource set, source pixels equal
  // to the source's colour key are skipped. Returns 0 (nothing drawn) for a null source, for
  // empty or inverted rectangles and for rectangles reaching outside either surface. Blits and
  // fills wait in the surface's drawing queue (DrawQueue) until anything looks.
  int Blit(const Rect* dstRect, const Surface* source, const Rect* srcRect, uint32_t flags);

  // Fills dstRect (null: the whole surface) with the value; 0 when the rectangle is refused.
  int Fill(const Rect* dstRect, uint16_t value);

  // The parts drawn into since the last ClearTouched, as at most kMaxTouched rectangles, so that a
  // present compares only those with the picture it showed last: a pixel outside every rectangle
  // is as it was. While a lock is held or writable pixels are out, that is the whole surface.
  static constexpr int kMaxTouched = 16;
  const std::vector<Rect>& Touched() const {
    Settle();
    return touched;
  }
  void ClearTouched();

  // Carries out the drawing that waits.
  void Settle() const { queue.Settle(); }

 private:
  friend class DrawQueue;

  Surface(int width, int height, Drawing drawing);
  ~Surface() = default;

  // Writes go straight to the pixels while they are handed out.
  bool DrawsAtOnce() const { return raw || lockCount > 0; }
  void Draw(const DrawOp& op);
  void NoteTouched(const Rect& area);
  void BeforeDirectWrite();

  int width;
  int height;
  int lockCount = 0;
  bool hasColorKey = false;
  bool raw = false;  // writable pixels were handed out
  bool queued = true;
  uint16_t colorKey = 0;
  std::vector<uint16_t> pixels;
  std::vector<Rect> touched;
  // The drawing waiting here and the groups last carried out; drawing is not a change of state.
  mutable DrawQueue queue{*this};
};

}  // namespace platform
