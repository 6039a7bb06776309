// The bitmap loader on any bytes: no crash, no read outside the bytes, and a picture that loads
// has the size its header claims.

#include <cstdint>
#include <cstdlib>

#include "qz/Bitmap.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

uint32_t Read16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const uint8_t* p) {
  return Read16(p) | (Read16(p + 2) << 16);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QZSurface* surface = DecodeBitmap(data, size);
  if (surface == nullptr) return 0;

  // Anything that decodes has a whole file header and the size field of an info header.
  FUZZ_CHECK(size >= 18);
  const uint32_t headerSize = Read32(data + 14);
  int64_t width;
  int64_t height;
  if (headerSize == 12) {
    FUZZ_CHECK(size >= 14 + 12);
    width = Read16(data + 18);
    height = Read16(data + 20);
  } else {
    FUZZ_CHECK(headerSize >= 40 && size >= 14 + 40);
    width = static_cast<int32_t>(Read32(data + 18));
    height = static_cast<int32_t>(Read32(data + 22));
  }
  FUZZ_CHECK(surface->Width() == width);
  FUZZ_CHECK(surface->Height() == std::llabs(height));
  FUZZ_CHECK(static_cast<int64_t>(surface->Width()) * surface->Height() <= kMaxBitmapPixels);

  // Every pixel of the surface is there to be read.
  uint32_t sum = 0;
  const uint16_t* pixels = surface->Pixels();
  for (int64_t i = 0; i < static_cast<int64_t>(surface->Width()) * surface->Height(); ++i)
    sum += pixels[i];
  volatile uint32_t keep = sum;
  (void)keep;
  QZSurface::Release(surface);
  return 0;
}
