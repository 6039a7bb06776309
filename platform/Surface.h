#pragma once
// Software picture surfaces in the display's 16-bit 5-6-5 format. They stand in for the off-screen
// surfaces of the original display interface: create, lock, colour key, fill and blit, with the
// same refusals (empty, inverted or out-of-bounds rectangles) that the drawing code relies on.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Left, top, right, bottom; right and bottom are exclusive.
struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

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

  // Null when either side is not positive or exceeds kMaxSide. Pixels start as 0 (black).
  static Surface* Create(int width, int height);
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

  // Writable pixels with no end to their use: the whole surface counts as drawn into, and from
  // then on its drawing is carried out at once and never judged repeated (see below).
  uint16_t* Pixels();
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
  // empty or inverted rectangles and for rectangles reaching outside either surface.
  int Blit(const Rect* dstRect, const Surface* source, const Rect* srcRect, uint32_t flags);

  // Fills dstRect (null: the whole surface) with the value; 0 when the rectangle is refused.
  int Fill(const Rect* dstRect, uint16_t value);

  // The parts drawn into since the last ClearTouched, as at most kMaxTouched rectangles: blits,
  // fills, locks and writable pixel access note what they may have changed, so a pixel outside
  // every rectangle is as it was. This lets a present compare only those parts with the picture
  // it showed last instead of the whole surface. A note inside a kept rectangle adds nothing;
  // past the limit a note is merged into the rectangle it enlarges least.
  static constexpr int kMaxTouched = 16;
  const std::vector<Rect>& Touched() const {
    Settle();
    return touched;
  }
  void ClearTouched() {
    Settle();
    touched.clear();
  }

  // Queued drawing. Every frame both programs restore the same places from the scene and draw
  // the same buttons, digits and gauge over them again, which changes no pixel yet used to cost
  // most of an idle frame. So blits and fills are queued, and carried out in their order at the
  // latest when anything looks at the pixels (Pixels, PixelAt, Touched, a lock, a blit reading
  // this surface) or is about to change a surface a queued blit reads. Then the queue is split
  // into groups that overlap nowhere; a group that repeats exactly what was last carried out
  // there, with nothing drawn over that place or over its sources since, is dropped: blits and
  // fills only lay fixed pixels over what is there, so doing them again would change nothing.
  // Every other group is carried out. Whoever looks sees exactly what immediate drawing gives.
  // Surfaces are drawn on one thread only.
  void Settle() const {
    if (!queued.empty()) const_cast<Surface*>(this)->Resolve();
  }
  // Off: everything is drawn at once and nothing is remembered (tests compare the two).
  static void SetQueuedDrawing(bool on);

 private:
  // One queued blit or fill: the source (null for a fill), its rectangle, the target rectangle,
  // and the source's key when keyed or the fill's colour.
  struct DrawOp {
    const Surface* source;
    Rect src;
    Rect dst;
    uint16_t value;
    bool keyed;
  };
  // A group last carried out here, still lying untouched on this surface.
  struct Memo {
    std::vector<DrawOp> ops;
    Rect bounds;
    uint64_t hash;
    uint64_t lastUse;
  };

  Surface(int width, int height);
  ~Surface() = default;

  void NoteTouched(const Rect& area);
  void Submit(const DrawOp& op);
  void Execute(const DrawOp& op);
  void Resolve();
  bool ReadsFrom(const Surface* source) const;
  void Remember(std::vector<DrawOp> ops, uint64_t hash);
  static bool SameOp(const DrawOp& a, const DrawOp& b);
  void EraseMemo(size_t index);
  void PrepareRawWrite();
  static void SettleReadersOf(const Surface* written);
  static void ForgetDrawnOver(const Surface* written, const Rect& area);

  int width;
  int height;
  int lockCount = 0;
  bool hasColorKey = false;
  bool raw = false;        // writable pixels were handed out: never queued nor remembered
  bool resolving = false;  // Resolve is running for this surface
  uint16_t colorKey = 0;
  mutable int memoReaders = 0;  // ops of memos on any surface reading this one
  std::vector<uint16_t> pixels;
  std::vector<Rect> touched;
  std::vector<DrawOp> queued;
  std::vector<Memo> memos;
};

}  // namespace platform
