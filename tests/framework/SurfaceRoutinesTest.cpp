#include "framework/SurfaceRoutines.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "TestFiles.h"

namespace {

using SurfacePtr = std::unique_ptr<QZSurface, void (*)(QZSurface*)>;

SurfacePtr Make(int w, int h) {
  return SurfacePtr(CreateSurface(w, h), &QZSurface::Release);
}

uint16_t Pattern(int x, int y) {
  return static_cast<uint16_t>(0x4000 + y * 128 + x);
}

void FillPattern(QZSurface* s) {
  for (int y = 0; y < s->Height(); ++y)
    for (int x = 0; x < s->Width(); ++x)
      s->Pixels()[y * s->Width() + x] = Pattern(x, y);
}

TEST(SurfaceRoutines, MakeColorPacksFiveSixFive) {
  auto s = Make(1, 1);
  EXPECT_EQ(MakeColor(s.get(), 255, 0, 0), 0xF800u);
  EXPECT_EQ(MakeColor(s.get(), 0, 255, 0), 0x07E0u);
  EXPECT_EQ(MakeColor(s.get(), 0, 0, 255), 31u);
  EXPECT_EQ(MakeColor(s.get(), 8, 4, 8), 0x0821u);
  EXPECT_EQ(MakeColor(s.get(), 255, 255, 255), 65535u);
  EXPECT_EQ(MakeColor(s.get(), 7, 3, 7), 0u);  // below every field's lowest bit
  // A channel past 255 does not spill into the next field.
  EXPECT_EQ(MakeColor(s.get(), 0, 0, 511), 31u);
  EXPECT_EQ(MakeColor(nullptr, 0, 0, 255), 31u);
}

TEST(SurfaceRoutines, CreatedSurfacesAreKeyedOnZero) {
  auto s = Make(3, 2);
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(s->HasColorKey());
  EXPECT_EQ(s->ColorKey(), 0);
  EXPECT_EQ(CreateSurface(0, 5), nullptr);
  SetColorKey(s.get(), 0, 0, 255);
  EXPECT_EQ(s->ColorKey(), 31);
  SetColorKey(nullptr, 0, 0, 255);
}

TEST(SurfaceRoutines, FillLockAndPixelReads) {
  auto s = Make(5, 4);
  FillColor(s.get(), 0x12345678);  // only the low 16 bits count
  EXPECT_EQ(GetPixel(s.get(), 4, 3), 0x5678u);

  SurfaceDescription d{};
  uint16_t* pixels = LockSurface(s.get(), &d);
  ASSERT_NE(pixels, nullptr);
  EXPECT_TRUE(s->IsLocked());
  EXPECT_EQ(d.width, 5);
  EXPECT_EQ(d.height, 4);
  EXPECT_EQ(d.pitch, 10);
  EXPECT_EQ(d.format.bitsPerPixel, 16);
  pixels[2 * (d.pitch / 2) + 3] = 0xBEEF;
  UnlockSurface(s.get());
  EXPECT_FALSE(s->IsLocked());
  EXPECT_EQ(GetPixel(s.get(), 3, 2), 0xBEEFu);
  EXPECT_FALSE(s->IsLocked());

  // Outside the surface nothing is read.
  EXPECT_EQ(GetPixel(s.get(), 5, 0), 0u);
  EXPECT_EQ(GetPixel(s.get(), 0, -1), 0u);
  int w = -1, h = -1;
  GetSurfaceSize(s.get(), &w, &h);
  EXPECT_EQ(w, 5);
  EXPECT_EQ(h, 4);
}

// A button's hit test reads its picture every frame; the picture drawn again over the same place
// is still known to change nothing there.
TEST(SurfaceRoutines, AHitTestLeavesTheDrawingOfThePictureRepeatable) {
  auto picture = Make(8, 8);
  FillColor(picture.get(), 0x1234);
  auto back = Make(32, 32);
  for (int frame = 0; frame < 3; ++frame) {
    BlitClipped(picture.get(), back.get(), 4, 4, 0);
    EXPECT_EQ(back->Touched().empty(), frame > 0) << "frame " << frame;
    back->ClearTouched();
    EXPECT_EQ(GetPixel(picture.get(), 1, 1), 0x1234u);
  }
}

TEST(SurfaceRoutines, CenterRect) {
  auto s = Make(100, 40);
  platform::Rect r{};
  CenterRect(s.get(), 0, 0, 801, 601, &r);
  EXPECT_EQ(r.left, 350);
  EXPECT_EQ(r.top, 280);
  EXPECT_EQ(r.right, 450);
  EXPECT_EQ(r.bottom, 320);
  // Odd sizes halve by integer division on both sides.
  auto odd = Make(101, 41);
  CenterRect(odd.get(), 10, 20, 800, 600, &r);
  EXPECT_EQ(r.left, 10 + 400 - 50);
  EXPECT_EQ(r.top, 20 + 300 - 20);
  EXPECT_EQ(r.right, r.left + 101);
  EXPECT_EQ(r.bottom, r.top + 41);
}

TEST(SurfaceRoutines, SplitFramesCutsAStripAndDropsTheRest) {
  auto strip = Make(100, 30);
  FillPattern(strip.get());
  strip->Pixels()[0] = 31;  // a key-coloured pixel is still copied: the cut is unkeyed
  SetColorKey(strip.get(), 0, 0, 255);
  PtrArray<QZSurface> frames;
  int columns = -1;
  ASSERT_EQ(SplitFrames(strip.get(), frames, 32, 30, &columns), 1);
  EXPECT_EQ(columns, 3);
  ASSERT_EQ(frames.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    const QZSurface* f = frames.At(i);
    EXPECT_EQ(f->Width(), 32);
    EXPECT_EQ(f->Height(), 30);
    EXPECT_EQ(f->ColorKey(), 31);
    for (int y = 0; y < 30; ++y)
      for (int x = (i == 0 && y == 0) ? 1 : 0; x < 32; ++x)
        ASSERT_EQ(f->PixelAt(x, y), Pattern(32 * i + x, y)) << i << ":" << x << "," << y;
  }
  EXPECT_EQ(frames.At(0)->PixelAt(0, 0), 31);
  frames.DeleteAll();
}

TEST(SurfaceRoutines, SplitFramesNumbersASheetRowByRow) {
  auto sheet = Make(64, 61);  // one spare row at the bottom
  FillPattern(sheet.get());
  PtrArray<QZSurface> frames;
  ASSERT_EQ(SplitFrames(sheet.get(), frames, 32, 30, nullptr), 1);
  ASSERT_EQ(frames.Count(), 4);
  EXPECT_EQ(frames.At(1)->PixelAt(0, 0), Pattern(32, 0));
  EXPECT_EQ(frames.At(2)->PixelAt(0, 0), Pattern(0, 30));
  EXPECT_EQ(frames.At(3)->PixelAt(31, 29), Pattern(63, 59));
  frames.DeleteAll();

  // Frames larger than the source: none, and success. Sizes of zero: refused, not divided by.
  int columns = -1;
  EXPECT_EQ(SplitFrames(sheet.get(), frames, 65, 10, &columns), 1);
  EXPECT_EQ(columns, 0);
  EXPECT_EQ(frames.Count(), 0);
  EXPECT_EQ(SplitFrames(sheet.get(), frames, 0, 10, &columns), 0);
  EXPECT_EQ(SplitFrames(sheet.get(), frames, 10, -1, &columns), 0);
  EXPECT_EQ(SplitFrames(nullptr, frames, 10, 10, &columns), 0);
}

TEST(SurfaceRoutines, LoadTilesReadsAndCutsAFile) {
  TempFolder folder;
  const std::string path = folder.File("digits.bmp");
  ASSERT_TRUE(WriteBitmap24(path, 30, 8, [](int x, int) {
    return Rgb{static_cast<uint8_t>(x < 10 ? 255 : 0), static_cast<uint8_t>(x >= 20 ? 255 : 0),
               static_cast<uint8_t>(x >= 10 && x < 20 ? 255 : 0)};
  }));
  PtrArray<QZSurface> frames;
  int columns = 0;
  ASSERT_EQ(LoadTiles(path.c_str(), frames, 10, 8, &columns), 1);
  EXPECT_EQ(columns, 3);
  ASSERT_EQ(frames.Count(), 3);
  EXPECT_EQ(frames.At(0)->PixelAt(9, 7), 0xF800);
  EXPECT_EQ(frames.At(1)->PixelAt(0, 0), 31);
  EXPECT_EQ(frames.At(2)->PixelAt(5, 5), 0x07E0);
  frames.DeleteAll();
  EXPECT_EQ(LoadTiles(folder.File("missing.bmp").c_str(), frames, 10, 8, &columns), 0);
  EXPECT_EQ(frames.Count(), 0);
}

class BlitClippedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillPattern(picture.get());
    FillColor(screen.get(), 7);
  }
  // Checks that exactly the target area holds the source area, offset accordingly.
  void ExpectOnly(int dstLeft, int dstTop, int dstRight, int dstBottom, int srcLeft, int srcTop) {
    for (int y = 0; y < 600; ++y) {
      for (int x = 0; x < 800; ++x) {
        const bool inside = x >= dstLeft && x < dstRight && y >= dstTop && y < dstBottom;
        const uint16_t want = inside ? Pattern(x - dstLeft + srcLeft, y - dstTop + srcTop) : 7;
        ASSERT_EQ(screen->PixelAt(x, y), want) << x << "," << y;
      }
    }
  }
  SurfacePtr picture = Make(50, 50);
  SurfacePtr screen = Make(800, 600);
};

TEST_F(BlitClippedTest, CutsAtTheLeftAndBottomEdges) {
  EXPECT_EQ(BlitClipped(picture.get(), screen.get(), -10, 580, 0), 1);
  ExpectOnly(0, 580, 40, 600, 10, 0);
}

TEST_F(BlitClippedTest, CutsAtTheRightAndTopEdges) {
  BlitClipped(picture.get(), screen.get(), 780, -30, 0);
  ExpectOnly(780, 0, 800, 20, 0, 30);
}

TEST_F(BlitClippedTest, WhollyOutsideDrawsNothing) {
  EXPECT_EQ(BlitClipped(picture.get(), screen.get(), 900, 10, 0), 0);
  EXPECT_EQ(BlitClipped(picture.get(), screen.get(), -50, 10, 0), 0);
  EXPECT_EQ(BlitClipped(picture.get(), screen.get(), 10, 600, 0), 0);
  EXPECT_EQ(BlitClipped(picture.get(), screen.get(), INT_MIN, INT_MAX, 0), 0);
  EXPECT_EQ(BlitClipped(picture.get(), screen.get(), INT_MAX, INT_MIN, 0), 0);
  EXPECT_EQ(BlitClipped(nullptr, screen.get(), 0, 0, 0), 0);
  EXPECT_EQ(BlitClipped(picture.get(), nullptr, 0, 0, 0), 0);
  ExpectOnly(0, 0, 0, 0, 0, 0);
}

TEST_F(BlitClippedTest, DefaultFlagsAreKeyed) {
  SetColorKey(picture.get(), 0, 0, 255);
  picture->Pixels()[0] = 31;
  BlitClipped(picture.get(), screen.get(), 0, 0, kBlitKeyedWait);
  EXPECT_EQ(screen->PixelAt(0, 0), 7);
  EXPECT_EQ(screen->PixelAt(1, 0), Pattern(1, 0));
  BlitClipped(picture.get(), screen.get(), 0, 0, 0);  // unkeyed copies the key colour too
  EXPECT_EQ(screen->PixelAt(0, 0), 31);
}

TEST_F(BlitClippedTest, BlitRectTakesPartOfTheSource) {
  // The part at (5, 5) of 20 x 10, placed over the left and bottom edges.
  EXPECT_EQ(BlitRect(picture.get(), 5, 5, 20, 10, screen.get(), -3, 595, 0), 1);
  ExpectOnly(0, 595, 17, 600, 8, 5);
}

TEST_F(BlitClippedTest, BlitRectCutsAtTheRight) {
  BlitRect(picture.get(), 10, 20, 30, 5, screen.get(), 785, 0, 0);
  ExpectOnly(785, 0, 800, 5, 10, 20);
}

TEST_F(BlitClippedTest, BlitRectOutsideTheSourceIsRefused) {
  EXPECT_EQ(BlitRect(picture.get(), 40, 0, 20, 10, screen.get(), 0, 0, 0), 0);
  EXPECT_EQ(BlitRect(picture.get(), 0, 0, 20, 10, screen.get(), INT_MIN, 0, 0), 0);
  EXPECT_EQ(BlitRect(picture.get(), INT_MAX, 0, 20, 10, screen.get(), -5, 0, 0), 0);
  ExpectOnly(0, 0, 0, 0, 0, 0);
}

}  // namespace
