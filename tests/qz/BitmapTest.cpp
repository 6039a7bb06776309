#include "qz/Bitmap.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using SurfacePtr = std::unique_ptr<QZSurface, void (*)(QZSurface*)>;

SurfacePtr Decode(const std::vector<uint8_t>& bytes) {
  return SurfacePtr(DecodeBitmap(bytes.data(), bytes.size()), &QZSurface::Release);
}

struct Rgb {
  uint8_t r, g, b;
};

// Colours that matter: pure blue and a near-blue that packs to the same key value, the extremes,
// one value that lands exactly on the lowest bit of each field, and an ordinary colour.
const Rgb kColours[] = {{0, 0, 255}, {7, 3, 250}, {255, 255, 255}, {0, 0, 0},
                        {255, 0, 0}, {0, 255, 0}, {8, 4, 8},       {200, 100, 50}};
constexpr int kColourCount = 8;

// Expected 5-6-5 values written out by hand for the colours above.
const uint16_t kExpected565[] = {31, 31, 0xFFFF, 0, 0xF800, 0x07E0, 0x0821, 0xCB26};

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(x & 0xFF);
  v.push_back((x >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
void Set32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i)
    v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// A bitmap file written the way Windows writes one. Pixel values are palette indices (up to 8
// bits per pixel) or raw pixel values (16 and 32 bits; 24 bits as 0xRRGGBB), given top row first.
struct BmpSpec {
  int width = 5;  // odd, so every depth needs row padding
  int height = 3;
  bool topDown = false;
  int bpp = 24;
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  std::vector<Rgb> palette;
  uint32_t masks[3] = {0, 0, 0};
  std::function<uint32_t(int x, int y)> pixel;
  std::vector<uint8_t> rle;  // the coded pixels of a run-length file
};

std::vector<uint8_t> Build(const BmpSpec& s) {
  std::vector<uint8_t> info;
  const bool core = s.headerSize == 12;
  Put32(info, s.headerSize);
  if (core) {
    Put16(info, s.width);
    Put16(info, s.height);
    Put16(info, 1);
    Put16(info, s.bpp);
  } else {
    Put32(info, s.width);
    Put32(info, s.topDown ? -s.height : s.height);
    Put16(info, 1);
    Put16(info, s.bpp);
    Put32(info, s.compression);
    Put32(info, 0);  // image size, often 0
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, static_cast<uint32_t>(s.palette.size()));
    Put32(info, 0);
    if (s.compression == 3 && s.headerSize == 40) {
      for (uint32_t m : s.masks)
        Put32(info, m);  // masks follow the short header
    } else if (s.headerSize > 40) {
      for (uint32_t m : s.masks)
        Put32(info, m);
      while (info.size() < s.headerSize)
        info.push_back(0);
    }
  }
  for (const Rgb& c : s.palette) {
    info.push_back(c.b);
    info.push_back(c.g);
    info.push_back(c.r);
    if (!core) info.push_back(0);
  }

  std::vector<uint8_t> pixels = s.rle;
  if (s.rle.empty()) {
    const size_t stride = ((static_cast<size_t>(s.width) * s.bpp + 31) / 32) * 4;
    pixels.assign(stride * s.height, 0);
    for (int row = 0; row < s.height; ++row) {
      const int y = s.topDown ? row : s.height - 1 - row;
      uint8_t* out = &pixels[stride * row];
      for (int x = 0; x < s.width; ++x) {
        const uint32_t v = s.pixel(x, y);
        if (s.bpp <= 8) {
          const int bitPos = x * s.bpp;
          out[bitPos / 8] |= static_cast<uint8_t>(v << (8 - s.bpp - bitPos % 8));
        } else {
          for (int i = 0; i < s.bpp / 8; ++i)
            out[x * (s.bpp / 8) + i] = (v >> (8 * i)) & 0xFF;
        }
      }
    }
  }

  std::vector<uint8_t> file = {'B', 'M'};
  Put32(file, static_cast<uint32_t>(14 + info.size() + pixels.size()));
  Put32(file, 0);
  Put32(file, static_cast<uint32_t>(14 + info.size()));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

// Which colour sits at each position of the test picture.
int ColourAt(int x, int y) {
  return (x + 3 * y) % kColourCount;
}

void ExpectPicture(const std::vector<uint8_t>& file, const BmpSpec& s,
                   const std::function<uint16_t(int x, int y)>& expected) {
  SurfacePtr surface = Decode(file);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->Width(), s.width);
  ASSERT_EQ(surface->Height(), s.height);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      ASSERT_EQ(surface->PixelAt(x, y), expected(x, y)) << x << "," << y;
}

class BitmapOrientation : public ::testing::TestWithParam<bool> {
 protected:
  BmpSpec Spec(int bpp) {
    BmpSpec s;
    s.bpp = bpp;
    s.topDown = GetParam();
    return s;
  }
};

TEST_P(BitmapOrientation, Reads24Bit) {
  BmpSpec s = Spec(24);
  s.pixel = [](int x, int y) {
    const Rgb& c = kColours[ColourAt(x, y)];
    return static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b);
  };
  ExpectPicture(Build(s), s, [](int x, int y) { return kExpected565[ColourAt(x, y)]; });
}

TEST_P(BitmapOrientation, Reads32Bit) {
  BmpSpec s = Spec(32);
  s.pixel = [](int x, int y) {
    const Rgb& c = kColours[ColourAt(x, y)];
    return static_cast<uint32_t>(0xAA000000u | c.r << 16 | c.g << 8 | c.b);  // top byte unused
  };
  ExpectPicture(Build(s), s, [](int x, int y) { return kExpected565[ColourAt(x, y)]; });
}

TEST_P(BitmapOrientation, Reads32BitWithMasks) {
  // Red in the top byte, and a header that carries its masks inside (V4 and V5).
  for (uint32_t headerSize : {40u, 108u, 124u}) {
    BmpSpec s = Spec(32);
    s.compression = 3;
    s.headerSize = headerSize;
    s.masks[0] = 0xFF000000;
    s.masks[1] = 0x00FF0000;
    s.masks[2] = 0x0000FF00;
    s.pixel = [](int x, int y) {
      const Rgb& c = kColours[ColourAt(x, y)];
      return static_cast<uint32_t>(c.r) << 24 | c.g << 16 | c.b << 8 | 0x55;
    };
    ExpectPicture(Build(s), s, [](int x, int y) { return kExpected565[ColourAt(x, y)]; });
  }
}

TEST_P(BitmapOrientation, Reads16Bit555And565) {
  BmpSpec s = Spec(16);
  // 5-5-5 is the default layout; each 5-bit field widens to 8 bits before truncation, so full
  // blue stays 31 and full green fills all six bits.
  s.pixel = [](int x, int y) {
    const Rgb& c = kColours[ColourAt(x, y)];
    return static_cast<uint32_t>((c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3));
  };
  ExpectPicture(Build(s), s, [](int x, int y) {
    const Rgb& c = kColours[ColourAt(x, y)];
    const int g5 = c.g >> 3;
    return static_cast<uint16_t>((c.r >> 3) << 11 | ((g5 << 1) | (g5 >> 4)) << 5 | (c.b >> 3));
  });

  s.compression = 3;
  s.masks[0] = 0xF800;
  s.masks[1] = 0x07E0;
  s.masks[2] = 0x001F;
  s.pixel = [](int x, int y) { return static_cast<uint32_t>(kExpected565[ColourAt(x, y)]); };
  ExpectPicture(Build(s), s, [](int x, int y) { return kExpected565[ColourAt(x, y)]; });

  // 5-5-5 spelled out with masks reads the same as the default.
  s.masks[0] = 0x7C00;
  s.masks[1] = 0x03E0;
  s.masks[2] = 0x001F;
  s.pixel = [](int, int) { return 0x001Fu; };
  ExpectPicture(Build(s), s, [](int, int) { return uint16_t{31}; });
}

TEST_P(BitmapOrientation, ReadsPaletteDepths) {
  for (int bpp : {1, 4, 8}) {
    BmpSpec s = Spec(bpp);
    s.width = 13;  // several pixels share a byte, and the last byte is partly used
    // Two colours at 1 bit (white and blue), all eight otherwise.
    const std::vector<int> which =
        bpp == 1 ? std::vector<int>{2, 0} : std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7};
    const int n = static_cast<int>(which.size());
    for (int i : which)
      s.palette.push_back(kColours[i]);
    s.pixel = [n](int x, int y) { return static_cast<uint32_t>(ColourAt(x, y) % n); };
    ExpectPicture(Build(s), s,
                  [&](int x, int y) { return kExpected565[which[ColourAt(x, y) % n]]; });
  }
}

INSTANTIATE_TEST_SUITE_P(BottomUpAndTopDown, BitmapOrientation, ::testing::Bool());

TEST(Bitmap, ReadsTheOldCoreHeader) {
  BmpSpec s;
  s.headerSize = 12;
  s.bpp = 8;
  // This header has no colour count: the palette is always full, three bytes per entry.
  s.palette.assign(kColours, kColours + kColourCount);
  s.palette.resize(256, Rgb{1, 2, 3});
  s.pixel = [](int x, int y) { return static_cast<uint32_t>(ColourAt(x, y)); };
  ExpectPicture(Build(s), s, [](int x, int y) { return kExpected565[ColourAt(x, y)]; });

  s.bpp = 24;
  s.palette.clear();
  s.pixel = [](int x, int y) {
    const Rgb& c = kColours[ColourAt(x, y)];
    return static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b);
  };
  ExpectPicture(Build(s), s, [](int x, int y) { return kExpected565[ColourAt(x, y)]; });
}

TEST(Bitmap, IndexPastTheShortPaletteIsBlack) {
  BmpSpec s;
  s.bpp = 8;
  s.palette = {{255, 255, 255}, {0, 0, 255}};
  s.pixel = [](int x, int) { return static_cast<uint32_t>(x == 2 ? 200 : x % 2); };
  ExpectPicture(Build(s), s,
                [](int x, int) -> uint16_t { return x == 2 ? 0 : (x % 2 ? 31 : 0xFFFF); });
}

// Palette used by the run-length pictures: 0 black, 1 red, 2 green, 3 blue.
std::vector<Rgb> RlePalette() {
  return {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
}

TEST(Bitmap, ReadsRunLength8) {
  BmpSpec s;
  s.width = 6;
  s.height = 4;
  s.bpp = 8;
  s.compression = 1;
  s.palette = RlePalette();
  s.rle = {
      3, 1, 0, 3, 2, 3, 1, 0,  // bottom row: three red, then green, blue, red (odd: padded)
      0, 0,                    // end of line
      0, 2, 2, 1,              // move 2 right and 1 up: the second row stays black
      2, 3, 0, 0,              // two blue from x 2, end of line
      8, 2,                    // eight green: the two past the edge are dropped
      0, 1,                    // end of picture
  };
  const uint16_t k = 0, r = 0xF800, g = 0x07E0, b = 31;
  const uint16_t want[4][6] = {
      {g, g, g, g, g, g}, {k, k, b, b, k, k}, {k, k, k, k, k, k}, {r, r, r, g, b, r}};
  ExpectPicture(Build(s), s, [&](int x, int y) { return want[y][x]; });
}

TEST(Bitmap, ReadsRunLength4) {
  BmpSpec s;
  s.width = 5;
  s.height = 2;
  s.bpp = 4;
  s.compression = 2;
  s.palette = RlePalette();
  s.rle = {
      5, 0x12, 0,    0,     // bottom row: red, green alternating
      0, 3,    0x30, 0x10,  // top row: blue, black, red given one by one
      0, 1,
  };
  const uint16_t k = 0, r = 0xF800, g = 0x07E0, b = 31;
  const uint16_t want[2][5] = {{b, k, r, k, k}, {r, g, r, g, r}};
  ExpectPicture(Build(s), s, [&](int x, int y) { return want[y][x]; });
}

BmpSpec ValidRle8() {
  BmpSpec s;
  s.width = 4;
  s.height = 2;
  s.bpp = 8;
  s.compression = 1;
  s.palette = RlePalette();
  s.rle = {4, 1, 0, 0, 4, 2, 0, 1};
  return s;
}

BmpSpec ValidPalette8() {
  BmpSpec s;
  s.bpp = 8;
  s.palette.assign(kColours, kColours + kColourCount);
  s.pixel = [](int x, int y) { return static_cast<uint32_t>(ColourAt(x, y)); };
  return s;
}

BmpSpec Valid24() {
  BmpSpec s;
  s.pixel = [](int x, int y) { return static_cast<uint32_t>(x * 40 + y); };
  return s;
}

BmpSpec Valid16Masks() {
  BmpSpec s;
  s.bpp = 16;
  s.compression = 3;
  s.masks[0] = 0xF800;
  s.masks[1] = 0x07E0;
  s.masks[2] = 0x001F;
  s.pixel = [](int x, int y) { return static_cast<uint32_t>(x * 1000 + y); };
  return s;
}

TEST(BitmapRefusal, EveryTruncationIsRefused) {
  for (const BmpSpec& s : {Valid24(), ValidPalette8(), Valid16Masks(), ValidRle8()}) {
    const std::vector<uint8_t> file = Build(s);
    ASSERT_NE(Decode(file), nullptr);
    for (size_t n = 0; n < file.size(); ++n) {
      // A copy of exactly n bytes, so that a read past them is caught by the sanitizer.
      std::vector<uint8_t> cut(file.begin(), file.begin() + n);
      EXPECT_EQ(Decode(cut), nullptr) << "bpp " << s.bpp << " cut at " << n;
    }
  }
  EXPECT_EQ(DecodeBitmap(nullptr, 100), nullptr);
}

TEST(BitmapRefusal, LyingHeadersAreRefused) {
  struct Lie {
    const char* what;
    BmpSpec spec;
    size_t offset;  // where to write the lie in the built file
    uint32_t value;
  };
  const std::vector<Lie> lies = {
      {"not a bitmap", Valid24(), 0, 0x4D42 ^ 0x2020},
      {"pixels past the end", Valid24(), 10, 0x10000},
      {"pixels inside the header", Valid24(), 10, 20},
      {"pixels inside the palette", ValidPalette8(), 10, 54 + 8},
      {"header larger than the file", Valid24(), 14, 0xFFFFFFF0},
      {"header of no known size", Valid24(), 14, 30},
      {"zero width", Valid24(), 18, 0},
      {"negative width", Valid24(), 18, static_cast<uint32_t>(-5)},
      {"zero height", Valid24(), 22, 0},
      {"smallest height", Valid24(), 22, 0x80000000},
      {"width overflowing a row", Valid24(), 18, 0x7FFFFFFF},
      {"over-wide", Valid24(), 18, 20000},
      {"too many pixels", Valid24(), 18, 8192},  // with height patched below
      {"unknown depth", Valid24(), 28, 2},
      {"depth 64", Valid24(), 28, 64},
      {"JPEG inside", Valid24(), 30, 4},
      {"run-length 24-bit", Valid24(), 30, 1},
      {"palette count past 256", ValidPalette8(), 46, 1000},
      {"palette count past the pixel offset", ValidPalette8(), 46, 200},
      {"masks with a gap", Valid16Masks(), 54, 0xF0F0},
      {"masks wider than the pixel", Valid16Masks(), 58, 0x1F0000},
  };
  for (const Lie& lie : lies) {
    std::vector<uint8_t> file = Build(lie.spec);
    if (lie.offset == 0) {
      file[0] = 'X';
    } else {
      Set32(file, lie.offset, lie.value);
    }
    if (std::string(lie.what) == "too many pixels") Set32(file, 22, 8192);
    EXPECT_EQ(Decode(file), nullptr) << lie.what;
  }
}

TEST(BitmapRefusal, RunLengthLies) {
  // A huge run-length picture in a few bytes is refused before anything is allocated.
  BmpSpec huge = ValidRle8();
  huge.width = 16384;
  huge.height = 16384;
  EXPECT_EQ(Decode(Build(huge)), nullptr);

  // Run-length pictures cannot be top-down.
  BmpSpec topDown = ValidRle8();
  topDown.topDown = true;
  EXPECT_EQ(Decode(Build(topDown)), nullptr);

  // A literal run longer than the data, and codes that stop before the picture is complete.
  BmpSpec literal = ValidRle8();
  literal.rle = {0, 200, 1, 2};
  EXPECT_EQ(Decode(Build(literal)), nullptr);
  BmpSpec unfinished = ValidRle8();
  unfinished.rle = {4, 1, 0, 0};
  EXPECT_EQ(Decode(Build(unfinished)), nullptr);

  // Runs and moves far past the edges are cut off, not followed.
  BmpSpec wild = ValidRle8();
  wild.rle = {255, 1, 255, 1, 0, 2, 255, 0, 255, 2, 0, 2, 0, 255, 0, 1};
  SurfacePtr s = Decode(Build(wild));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->PixelAt(0, 1), 0xF800);
  EXPECT_EQ(s->PixelAt(3, 1), 0xF800);
  EXPECT_EQ(s->PixelAt(0, 0), 0);
}

TEST(BitmapRefusal, ScrambledFilesNeverReadOutside) {
  // Random damage to valid files: whatever comes back, nothing may be read or written out of
  // bounds (the sanitizer build checks), and a returned surface has the header's size.
  std::mt19937 rng(20240607);
  for (const BmpSpec& s : {Valid24(), ValidPalette8(), Valid16Masks(), ValidRle8()}) {
    const std::vector<uint8_t> file = Build(s);
    for (int round = 0; round < 3000; ++round) {
      std::vector<uint8_t> damaged = file;
      const int hits = 1 + static_cast<int>(rng() % 4);
      for (int i = 0; i < hits; ++i)
        damaged[rng() % damaged.size()] = static_cast<uint8_t>(rng());
      if (rng() % 4 == 0) damaged.resize(rng() % damaged.size());
      SurfacePtr out = Decode(damaged);
      if (out) {
        EXPECT_LE(static_cast<int64_t>(out->Width()) * out->Height(), kMaxBitmapPixels);
      }
    }
  }
}

class BitmapFile : public ::testing::Test {
 protected:
  testing_support::TempFolder temp;
  const std::string folder = temp.Path().string();
};

TEST_F(BitmapFile, LoadsThroughAWindowsStylePath) {
  const std::vector<uint8_t> bytes = Build(ValidPalette8());
  FILE* f = std::fopen((folder + "/pic.bmp").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);

  const std::string windowsPath = folder + "\\pic.bmp";
  SurfacePtr s(QZLoadBitmap(windowsPath.c_str(), 16), &QZSurface::Release);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->PixelAt(0, 0), kExpected565[0]);

  // Names match the file without regard to case, as on the original system.
  SurfacePtr upper(QZLoadBitmap((folder + "\\PIC.BMP").c_str(), 16), &QZSurface::Release);
  EXPECT_NE(upper, nullptr);

  EXPECT_EQ(QZLoadBitmap(windowsPath.c_str(), 8), nullptr);  // only 16-bit surfaces exist
  EXPECT_EQ(QZLoadBitmap((folder + "\\missing.bmp").c_str(), 16), nullptr);
  EXPECT_EQ(QZLoadBitmap(folder.c_str(), 16), nullptr);  // a folder
  EXPECT_EQ(QZLoadBitmap(nullptr, 16), nullptr);
}

TEST(QZGetRGBABits, CountsTheMaskBits) {
  int r = -1, g = -1, b = -1, a = -1;
  QZGetRGBABits(platform::kFormat565, &r, &g, &b, &a);
  EXPECT_EQ(r, 5);
  EXPECT_EQ(g, 6);
  EXPECT_EQ(b, 5);
  EXPECT_EQ(a, 0);
  const platform::PixelFormat argb = {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  QZGetRGBABits(argb, &r, nullptr, nullptr, &a);
  EXPECT_EQ(r, 8);
  EXPECT_EQ(a, 8);
}

}  // namespace
