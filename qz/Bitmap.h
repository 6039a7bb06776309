#pragma once
// Windows bitmap decoding: the bytes of a ".bmp" file in, a 16-bit 5-6-5 surface out. Split from
// the file reading so that tests and fuzzers can hand in bytes directly.

#include <cstddef>
#include <cstdint>

#include "qz/qz.h"

// Largest picture accepted, in pixels (a 4096 x 4096 sheet). Run-length files can describe huge
// pictures in a few bytes; this keeps a lying header from asking for gigabytes.
constexpr int64_t kMaxBitmapPixels = int64_t{1} << 24;

// Reads the file header, an info header (40-byte, V4 or V5; the 12-byte core header too) and the
// pixels: 1, 4 and 8-bit palette (uncompressed, RLE8, RLE4), 16-bit (5-5-5, or any masks given
// with BI_BITFIELDS), 24-bit and 32-bit, bottom-up or top-down. Colours are truncated to 5-6-5 so
// that pure blue becomes exactly 31. Null for anything truncated, inconsistent or unsupported;
// never reads outside the bytes given. The caller owns the surface.
QZSurface* DecodeBitmap(const uint8_t* data, size_t size);

// Packs 8-bit channels into 5-6-5 by truncation.
inline uint16_t PackRgb565(unsigned red, unsigned green, unsigned blue) {
  return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}
