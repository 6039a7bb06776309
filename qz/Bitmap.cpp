#include "qz/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Files.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

uint32_t Read16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel of a 16 or 32-bit pixel, described by its mask.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  // False for a mask whose bits are not contiguous.
  bool Set(uint32_t m) {
    mask = m;
    shift = 0;
    bits = 0;
    if (m == 0) return true;
    while (((m >> shift) & 1u) == 0)
      ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1u) != 0)
      ++bits;
    return (m >> shift) == (bits == 32 ? 0xFFFFFFFFu : ((1u << bits) - 1));
  }

  // The channel widened to 8 bits by repeating its bits (so a full 5-bit value becomes 255).
  unsigned To8(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    unsigned out = 0;
    for (int pos = 8 - bits;; pos -= bits) {
      if (pos < 0) {
        out |= v >> -pos;
        break;
      }
      out |= v << pos;
      if (pos == 0) break;
    }
    return out & 0xFF;
  }
};

struct BitmapInfo {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bitsPerPixel = 0;
  uint32_t compression = kBiRgb;
  size_t pixelOffset = 0;
  Channel red, green, blue;
  std::vector<uint16_t> palette;  // already packed to 5-6-5
};

// Checks the headers and the palette against each other and the file size. Every offset used
// later lies inside the data once this returns true.
bool ParseHeaders(const uint8_t* data, size_t size, BitmapInfo& info) {
  if (data == nullptr || size < kFileHeaderSize + 4) return false;
  if (data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t pixelOffset = Read32(data + 10);
  const uint32_t headerSize = Read32(data + kFileHeaderSize);
  if (headerSize != kCoreHeaderSize && headerSize < kInfoHeaderSize) return false;
  if (headerSize > size - kFileHeaderSize) return false;
  const uint8_t* h = data + kFileHeaderSize;
  size_t headersEnd = kFileHeaderSize + headerSize;

  int64_t width;
  int64_t height;
  size_t paletteEntrySize;
  uint32_t colorsUsed = 0;
  if (headerSize == kCoreHeaderSize) {
    width = Read16(h + 4);
    height = Read16(h + 6);
    info.bitsPerPixel = static_cast<int>(Read16(h + 10));
    paletteEntrySize = 3;
  } else {
    width = static_cast<int32_t>(Read32(h + 4));
    height = static_cast<int32_t>(Read32(h + 8));
    info.bitsPerPixel = static_cast<int>(Read16(h + 14));
    info.compression = Read32(h + 16);
    colorsUsed = Read32(h + 32);
    paletteEntrySize = 4;
  }
  if (height < 0) {
    info.topDown = true;
    height = -height;
  }
  if (width <= 0 || height <= 0 || width > QZSurface::kMaxSide || height > QZSurface::kMaxSide ||
      width * height > kMaxBitmapPixels) {
    return false;
  }
  info.width = static_cast<int>(width);
  info.height = static_cast<int>(height);

  const int bpp = info.bitsPerPixel;
  switch (info.compression) {
    case kBiRgb:
      if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
      break;
    case kBiRle8:
    case kBiRle4:
      // Run-length pictures are stored bottom-up only.
      if (bpp != (info.compression == kBiRle8 ? 8 : 4) || info.topDown) return false;
      break;
    case kBiBitfields:
      if (bpp != 16 && bpp != 32) return false;
      break;
    default:
      return false;  // JPEG, PNG and the rest are not Windows bitmaps we can draw
  }

  if (bpp == 16 || bpp == 32) {
    uint32_t masks[3];
    if (info.compression == kBiBitfields) {
      // A 40-byte header is followed by the three masks; later headers hold them inside.
      if (headerSize == kInfoHeaderSize) {
        if (size - headersEnd < 12) return false;
        headersEnd += 12;
      } else if (headerSize < kInfoHeaderSize + 12) {
        return false;
      }
      for (int i = 0; i < 3; ++i)
        masks[i] = Read32(h + kInfoHeaderSize + 4 * i);
    } else if (bpp == 16) {
      masks[0] = 0x7C00;
      masks[1] = 0x03E0;
      masks[2] = 0x001F;
    } else {
      masks[0] = 0x00FF0000;
      masks[1] = 0x0000FF00;
      masks[2] = 0x000000FF;
    }
    if (bpp == 16 && ((masks[0] | masks[1] | masks[2]) >> 16) != 0) return false;
    if (!info.red.Set(masks[0]) || !info.green.Set(masks[1]) || !info.blue.Set(masks[2])) {
      return false;
    }
  }

  if (bpp <= 8) {
    const uint32_t maxColors = 1u << bpp;
    if (colorsUsed > 256) return false;
    const uint32_t entries = (colorsUsed == 0 || colorsUsed > maxColors) ? maxColors : colorsUsed;
    const size_t paletteBytes = entries * paletteEntrySize;
    if (paletteBytes > size - headersEnd || headersEnd + paletteBytes > pixelOffset) return false;
    info.palette.resize(entries);
    const uint8_t* p = data + headersEnd;
    for (uint32_t i = 0; i < entries; ++i, p += paletteEntrySize)
      info.palette[i] = PackRgb565(p[2], p[1], p[0]);
    headersEnd += paletteBytes;
  }

  if (pixelOffset < headersEnd || pixelOffset > size) return false;
  info.pixelOffset = pixelOffset;
  return true;
}

// Uncompressed rows, any depth.
bool DecodeRows(const uint8_t* data, size_t size, const BitmapInfo& info, uint16_t* pixels) {
  const int bpp = info.bitsPerPixel;
  const int64_t stride = ((static_cast<int64_t>(info.width) * bpp + 31) / 32) * 4;
  if (stride * info.height > static_cast<int64_t>(size - info.pixelOffset)) return false;
  const uint16_t* palette = info.palette.data();
  const uint32_t paletteSize = static_cast<uint32_t>(info.palette.size());
  const bool exact565 =
      info.red.mask == 0xF800 && info.green.mask == 0x07E0 && info.blue.mask == 0x001F;

  for (int y = 0; y < info.height; ++y) {
    const uint8_t* row = data + info.pixelOffset + stride * y;
    const int outY = info.topDown ? y : info.height - 1 - y;
    uint16_t* out = pixels + static_cast<size_t>(outY) * info.width;
    if (bpp <= 8) {
      const int perByte = 8 / bpp;
      const unsigned valueMask = (1u << bpp) - 1;
      for (int x = 0; x < info.width; ++x) {
        const int shift = 8 - bpp * (x % perByte + 1);
        const unsigned index = (row[x / perByte] >> shift) & valueMask;
        out[x] = index < paletteSize ? palette[index] : 0;
      }
    } else if (bpp == 24) {
      for (int x = 0; x < info.width; ++x, row += 3)
        out[x] = PackRgb565(row[2], row[1], row[0]);
    } else if (bpp == 16 && exact565) {
      for (int x = 0; x < info.width; ++x)
        out[x] = static_cast<uint16_t>(Read16(row + 2 * x));
    } else {
      const int bytes = bpp / 8;
      for (int x = 0; x < info.width; ++x, row += bytes) {
        const uint32_t v = bytes == 2 ? Read16(row) : Read32(row);
        out[x] = PackRgb565(info.red.To8(v), info.green.To8(v), info.blue.To8(v));
      }
    }
  }
  return true;
}

// Run-length encoded 8 or 4-bit pictures. Pixels the codes skip stay black; pixels past the
// right edge are dropped. Null (false) when the codes run past the end of the data before the
// picture is complete.
bool DecodeRunLength(const uint8_t* data, size_t size, const BitmapInfo& info, uint16_t* pixels) {
  const bool four = info.compression == kBiRle4;
  const uint8_t* p = data + info.pixelOffset;
  const uint8_t* end = data + size;
  const uint32_t paletteSize = static_cast<uint32_t>(info.palette.size());
  int x = 0;
  int y = 0;  // counted from the bottom row
  // x stops at the right edge: further pixels of the row are dropped, and it cannot overflow.
  auto put = [&](unsigned index) {
    if (x >= info.width) return;
    pixels[static_cast<size_t>(info.height - 1 - y) * info.width + x] =
        index < paletteSize ? info.palette[index] : 0;
    ++x;
  };

  while (y < info.height) {
    if (end - p < 2) return false;
    const unsigned count = p[0];
    const unsigned value = p[1];
    p += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i)
        put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (end - p < 2) return false;
      x = std::min(x + p[0], info.width);
      y += p[1];
      p += 2;
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      const size_t padded = bytes + (bytes & 1);
      if (static_cast<size_t>(end - p) < bytes) return false;
      for (unsigned i = 0; i < value; ++i)
        put(four ? ((i & 1) ? p[i / 2] & 0x0F : p[i / 2] >> 4) : p[i]);
      p += (static_cast<size_t>(end - p) < padded) ? bytes : padded;
    }
  }
  return true;
}

int CountBits(uint32_t mask) {
  int n = 0;
  for (; mask != 0; mask &= mask - 1)
    ++n;
  return n;
}

}  // namespace

QZSurface* DecodeBitmap(const uint8_t* data, size_t size) {
  BitmapInfo info;
  if (!ParseHeaders(data, size, info)) return nullptr;
  QZSurface* surface = QZSurface::Create(info.width, info.height);
  if (surface == nullptr) return nullptr;
  uint16_t* pixels = surface->Lock();
  const bool ok = (info.compression == kBiRle8 || info.compression == kBiRle4)
                      ? DecodeRunLength(data, size, info, pixels)
                      : DecodeRows(data, size, info, pixels);
  surface->Unlock();
  if (!ok) {
    QZSurface::Release(surface);
    return nullptr;
  }
  return surface;
}

// Every surface is 16-bit 5-6-5, so that is the only depth a caller can ask for.
QZSurface* QZLoadBitmap(const char* path, int bitsPerPixel) {
  if (path == nullptr || bitsPerPixel != 16) return nullptr;
  std::vector<uint8_t> bytes;
  if (!platform::ReadWholeFile(path, bytes)) return nullptr;
  return DecodeBitmap(bytes.data(), bytes.size());
}

void QZGetRGBABits(const platform::PixelFormat& format, int* red, int* green, int* blue,
                   int* alpha) {
  if (red != nullptr) *red = CountBits(format.redMask);
  if (green != nullptr) *green = CountBits(format.greenMask);
  if (blue != nullptr) *blue = CountBits(format.blueMask);
  if (alpha != nullptr) *alpha = CountBits(format.alphaMask);
}
