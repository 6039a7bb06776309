#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace platform {
namespace {

using SurfacePtr = std::unique_ptr<Surface, void (*)(Surface*)>;

SurfacePtr Make(int w, int h) {
  return SurfacePtr(Surface::Create(w, h), &Surface::Release);
}

// A value unique to each position, never 0 and never the key used below.
uint16_t Pattern(int x, int y) {
  return static_cast<uint16_t>(0x1000 + y * 64 + x);
}

void FillPattern(Surface& s) {
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      s.Pixels()[y * s.Width() + x] = Pattern(x, y);
}

void ExpectAll(const Surface& s, uint16_t value) {
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      ASSERT_EQ(s.PixelAt(x, y), value) << x << "," << y;
}

TEST(SurfaceCreate, RefusesBadSizesAndStartsBlack) {
  EXPECT_EQ(Surface::Create(0, 10), nullptr);
  EXPECT_EQ(Surface::Create(10, 0), nullptr);
  EXPECT_EQ(Surface::Create(-1, 10), nullptr);
  EXPECT_EQ(Surface::Create(Surface::kMaxSide + 1, 1), nullptr);
  auto s = Make(7, 3);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Pitch(), 14);
  EXPECT_EQ(s->Format().greenMask, 0x07E0u);
  ExpectAll(*s, 0);
  Surface::Release(nullptr);
}

TEST(SurfaceLock, CountsNestedLocks) {
  auto s = Make(4, 4);
  EXPECT_EQ(s->Lock(), s->Pixels());
  s->Lock();
  s->Unlock();
  EXPECT_TRUE(s->IsLocked());
  s->Unlock();
  s->Unlock();  // one unlock too many is harmless
  EXPECT_FALSE(s->IsLocked());
}

TEST(SurfaceBlit, UnkeyedCopiesTheRectangleExactly) {
  auto src = Make(10, 8);
  auto dst = Make(12, 12);
  FillPattern(*src);
  dst->Fill(nullptr, 7);
  const Rect s{2, 1, 6, 4};  // 4 x 3
  const Rect d{5, 6, 9, 9};
  ASSERT_EQ(dst->Blit(&d, src.get(), &s, 0), 1);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 5 && x < 9 && y >= 6 && y < 9;
      const uint16_t want = inside ? Pattern(x - 5 + 2, y - 6 + 1) : 7;
      ASSERT_EQ(dst->PixelAt(x, y), want) << x << "," << y;
    }
  }
}

TEST(SurfaceBlit, NullRectanglesMeanWholeSurfaces) {
  auto src = Make(5, 5);
  auto dst = Make(5, 5);
  FillPattern(*src);
  ASSERT_EQ(dst->Blit(nullptr, src.get(), nullptr, 0), 1);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      ASSERT_EQ(dst->PixelAt(x, y), Pattern(x, y));
}

TEST(SurfaceBlit, KeyedSkipsOnlyKeyPixelsAndOnlyWhenAsked) {
  // Row lengths around the vector width so both the wide and the tail parts of a row are used.
  for (int w : {1, 7, 8, 9, 16, 17, 33, 40, 64, 65}) {
    auto src = Make(w, 3);
    auto dst = Make(w, 3);
    FillPattern(*src);
    for (int x = 0; x < w; x += 3)
      src->Pixels()[w + x] = 31;  // key pixels in row 1
    src->SetColorKey(31);
    dst->Fill(nullptr, 0xABCD);
    ASSERT_EQ(dst->Blit(nullptr, src.get(), nullptr, kBlitKeySource | kBlitWait), 1);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < w; ++x) {
        const bool key = y == 1 && x % 3 == 0;
        ASSERT_EQ(dst->PixelAt(x, y), key ? 0xABCD : Pattern(x, y)) << w << ":" << x << "," << y;
      }
    }
    // Without the flag the key pixels are copied like any other.
    dst->Fill(nullptr, 0xABCD);
    dst->Blit(nullptr, src.get(), nullptr, kBlitWait);
    EXPECT_EQ(dst->PixelAt(0, 1), 31);
  }
}

TEST(SurfaceBlit, KeyFlagWithoutKeyCopiesEverything) {
  auto src = Make(4, 1);  // all 0
  auto dst = Make(4, 1);
  dst->Fill(nullptr, 9);
  src->SetColorKey(0);
  src->ClearColorKey();
  dst->Blit(nullptr, src.get(), nullptr, kBlitKeySource);
  ExpectAll(*dst, 0);
}

TEST(SurfaceBlit, StretchesToTheNearestPixel) {
  auto src = Make(2, 2);
  FillPattern(*src);
  auto big = Make(4, 6);
  ASSERT_EQ(big->Blit(nullptr, src.get(), nullptr, 0), 1);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 4; ++x)
      ASSERT_EQ(big->PixelAt(x, y), Pattern(x / 2, y / 3));

  // Shrinking samples the centre of each destination pixel: columns 1 and 4 of 6, rows 1 of 3.
  auto wide = Make(6, 3);
  FillPattern(*wide);
  auto small = Make(2, 1);
  ASSERT_EQ(small->Blit(nullptr, wide.get(), nullptr, 0), 1);
  EXPECT_EQ(small->PixelAt(0, 0), Pattern(1, 1));
  EXPECT_EQ(small->PixelAt(1, 0), Pattern(4, 1));
}

TEST(SurfaceBlit, StretchedKeyedLeavesKeyedAreas) {
  auto src = Make(2, 1);
  src->Pixels()[0] = 31;
  src->Pixels()[1] = 500;
  src->SetColorKey(31);
  auto dst = Make(4, 2);
  dst->Fill(nullptr, 3);
  dst->Blit(nullptr, src.get(), nullptr, kBlitKeySource);
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(dst->PixelAt(0, y), 3);
    EXPECT_EQ(dst->PixelAt(1, y), 3);
    EXPECT_EQ(dst->PixelAt(2, y), 500);
    EXPECT_EQ(dst->PixelAt(3, y), 500);
  }
}

TEST(SurfaceBlit, RefusesEmptyInvertedAndOutsideRectangles) {
  auto src = Make(10, 10);
  auto dst = Make(10, 10);
  FillPattern(*src);
  dst->Fill(nullptr, 5);
  const Rect good{0, 0, 4, 4};
  const Rect refused[] = {
      {2, 2, 2, 6},       // empty width
      {2, 2, 6, 2},       // empty height
      {6, 2, 2, 6},       // inverted horizontally
      {2, 6, 6, 2},       // inverted vertically
      {-1, 0, 3, 4},      // left of the surface
      {0, -1, 4, 3},      // above
      {7, 0, 11, 4},      // past the right edge
      {0, 7, 4, 11},      // past the bottom
      {900, 10, 800, 60}  // wholly outside and inverted
  };
  for (const Rect& r : refused) {
    EXPECT_EQ(dst->Blit(&r, src.get(), &good, 0), 0) << r.left << "," << r.top;
    EXPECT_EQ(dst->Blit(&good, src.get(), &r, 0), 0) << r.left << "," << r.top;
    EXPECT_EQ(dst->Blit(&r, src.get(), &good, kBlitKeySource), 0);
    EXPECT_EQ(dst->Fill(&r, 1), 0);
  }
  EXPECT_EQ(dst->Blit(&good, nullptr, &good, 0), 0);
  ExpectAll(*dst, 5);
  // The same rectangle at the very edge is accepted.
  const Rect edge{6, 6, 10, 10};
  EXPECT_EQ(dst->Blit(&edge, src.get(), &edge, 0), 1);
  EXPECT_EQ(dst->PixelAt(9, 9), Pattern(9, 9));
}

TEST(SurfaceFill, FillsOnlyTheRectangle) {
  auto s = Make(6, 5);
  const Rect r{1, 2, 4, 4};
  ASSERT_EQ(s->Fill(&r, 0xF800), 1);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x)
      ASSERT_EQ(s->PixelAt(x, y), (x >= 1 && x < 4 && y >= 2 && y < 4) ? 0xF800 : 0);
  ASSERT_EQ(s->Fill(nullptr, 0xFFFF), 1);
  ExpectAll(*s, 0xFFFF);
}

// Blits of a surface onto itself must behave as if the source were read before any write, in
// every direction and in both the plain and the keyed copy.
class SurfaceOverlap : public ::testing::TestWithParam<bool> {};

TEST_P(SurfaceOverlap, MovesWithinOneSurfaceInEveryDirection) {
  const bool keyed = GetParam();
  const int dx[] = {1, -1, 0, 0, 3, -2};
  const int dy[] = {0, 0, 1, -1, 2, -3};
  for (int i = 0; i < 6; ++i) {
    auto s = Make(40, 20);
    FillPattern(*s);
    s->SetColorKey(0x0FFF);  // not present: every pixel is copied
    const Rect src{5, 5, 35, 15};
    const Rect dst{5 + dx[i], 5 + dy[i], 35 + dx[i], 15 + dy[i]};
    ASSERT_EQ(s->Blit(&dst, s.get(), &src, keyed ? kBlitKeySource : 0), 1);
    for (int y = dst.top; y < dst.bottom; ++y)
      for (int x = dst.left; x < dst.right; ++x)
        ASSERT_EQ(s->PixelAt(x, y), Pattern(x - dx[i], y - dy[i]))
            << "move " << dx[i] << "," << dy[i] << " at " << x << "," << y;
  }
}

TEST_P(SurfaceOverlap, StretchesWithinOneSurface) {
  const bool keyed = GetParam();
  auto s = Make(8, 8);
  FillPattern(*s);
  s->SetColorKey(0x0FFF);
  const Rect src{0, 0, 4, 4};
  const Rect dst{0, 0, 8, 8};
  ASSERT_EQ(s->Blit(&dst, s.get(), &src, keyed ? kBlitKeySource : 0), 1);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(s->PixelAt(x, y), Pattern(x / 2, y / 2));
}

INSTANTIATE_TEST_SUITE_P(PlainAndKeyed, SurfaceOverlap, ::testing::Bool());

// What the present relies on: every pixel that changes lies inside a noted rectangle.
bool IsNoted(const Surface& s, int x, int y) {
  for (const Rect& r : s.Touched()) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

TEST(SurfaceTouched, NotesWhatEachOperationMayHaveChanged) {
  SurfacePtr s = Make(40, 30);
  SurfacePtr sprite = Make(8, 8);
  EXPECT_TRUE(s->Touched().empty());

  const Rect at{5, 6, 13, 14};
  ASSERT_EQ(s->Blit(&at, sprite.get(), nullptr, 0), 1);
  ASSERT_EQ(s->Touched().size(), 1u);
  EXPECT_EQ(s->Touched()[0].left, 5);
  EXPECT_EQ(s->Touched()[0].bottom, 14);
  // Drawn again in the same place, or inside it: nothing new to note.
  const Rect inner{6, 7, 10, 10};
  s->Fill(&inner, 3);
  s->Blit(&at, sprite.get(), nullptr, kBlitKeySource);
  EXPECT_EQ(s->Touched().size(), 1u);

  // A refused operation drew nothing and notes nothing.
  const Rect outside{35, 25, 43, 33};
  const Rect inverted{10, 10, 5, 5};
  EXPECT_EQ(s->Blit(&outside, sprite.get(), nullptr, 0), 0);
  EXPECT_EQ(s->Fill(&inverted, 1), 0);
  EXPECT_EQ(s->Blit(&at, nullptr, nullptr, 0), 0);
  EXPECT_EQ(s->Touched().size(), 1u);

  // The caller of a lock or of writable pixels may write anywhere.
  s->ClearTouched();
  EXPECT_TRUE(s->Touched().empty());
  s->Lock();
  s->Unlock();
  ASSERT_EQ(s->Touched().size(), 1u);
  EXPECT_EQ(s->Touched()[0].right, 40);
  EXPECT_EQ(s->Touched()[0].bottom, 30);
  // Reading through a const surface changes nothing.
  s->ClearTouched();
  const Surface& view = *s;
  EXPECT_EQ(view.Pixels()[0], 0);
  EXPECT_EQ(view.PixelAt(1, 1), 0);
  EXPECT_TRUE(s->Touched().empty());
  // Writable pixels, and a lock while it is held, may be written after any clear.
  s->Lock();
  s->ClearTouched();
  ASSERT_EQ(s->Touched().size(), 1u);
  EXPECT_EQ(s->Touched()[0].right * s->Touched()[0].bottom, 40 * 30);
  s->Unlock();
  s->ClearTouched();
  EXPECT_TRUE(s->Touched().empty());
  s->Pixels()[0] = 1;
  s->ClearTouched();
  ASSERT_EQ(s->Touched().size(), 1u);
  EXPECT_EQ(s->Touched()[0].right * s->Touched()[0].bottom, 40 * 30);
}

TEST(SurfaceTouched, AWholeSurfaceNoteReplacesTheSmallerOnes) {
  SurfacePtr s = Make(40, 30);
  const Rect a{0, 0, 4, 4};
  const Rect b{20, 20, 24, 24};
  s->Fill(&a, 1);
  s->Fill(&b, 1);
  ASSERT_EQ(s->Touched().size(), 2u);
  s->Fill(nullptr, 2);
  ASSERT_EQ(s->Touched().size(), 1u);
  EXPECT_EQ(s->Touched()[0].right, 40);
}

// Many scattered blits and fills, onto the surface itself as well, in and past the rectangle
// limit: the list stays bounded and no changed pixel is ever outside it.
TEST(SurfaceTouched, NoChangedPixelEscapesTheNotesEvenPastTheLimit) {
  std::mt19937 rng(77);
  SurfacePtr s = Make(120, 90);
  SurfacePtr sprite = Make(16, 12);
  FillPattern(*sprite);
  sprite->SetColorKey(Pattern(3, 3));
  for (int round = 0; round < 40; ++round) {
    FillPattern(*s);
    s->ClearTouched();
    std::vector<uint16_t> before(s->Pixels(), s->Pixels() + 120 * 90);
    s->ClearTouched();
    const int operations = 1 + static_cast<int>(rng() % 40);
    for (int i = 0; i < operations; ++i) {
      const int w = 1 + static_cast<int>(rng() % 30);
      const int h = 1 + static_cast<int>(rng() % 20);
      const int x = static_cast<int>(rng() % (120 - w + 1));
      const int y = static_cast<int>(rng() % (90 - h + 1));
      const Rect dst{x, y, x + w, y + h};
      switch (rng() % 3) {
        case 0:
          s->Fill(&dst, static_cast<uint16_t>(rng()));
          break;
        case 1:
          s->Blit(&dst, sprite.get(), nullptr, kBlitKeySource);  // stretched
          break;
        default: {
          const Rect src{0, 0, w, h};
          s->Blit(&dst, s.get(), &src, 0);  // within the surface itself
          break;
        }
      }
      ASSERT_LE(static_cast<int>(s->Touched().size()), Surface::kMaxTouched);
    }
    const Surface& after = *s;
    for (int y = 0; y < 90; ++y) {
      for (int x = 0; x < 120; ++x) {
        if (after.PixelAt(x, y) != before[static_cast<size_t>(y) * 120 + x]) {
          ASSERT_TRUE(IsNoted(after, x, y)) << "round " << round << " at " << x << "," << y;
        }
      }
    }
  }
}

// Keyed copies run a vector at a time with the row's last pixels merged by one more vector; every
// row width, narrow ones included, must match a pixel-by-pixel copy.
TEST(SurfaceBlit, KeyedCopiesMatchAPixelByPixelCopyAtEveryRowWidth) {
  std::mt19937 rng(3);
  const uint16_t key = 31;
  for (int w = 1; w <= 70; ++w) {
    SurfacePtr src = Make(w, 3);
    SurfacePtr dst = Make(80, 5);
    for (int i = 0; i < w * 3; ++i)
      src->Pixels()[i] = (rng() % 3 == 0) ? key : static_cast<uint16_t>(rng() | 0x8000);
    FillPattern(*dst);
    src->SetColorKey(key);
    const Surface& source = *src;
    std::vector<uint16_t> expected(static_cast<const Surface&>(*dst).Pixels(),
                                   static_cast<const Surface&>(*dst).Pixels() + 80 * 5);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < w; ++x)
        if (source.PixelAt(x, y) != key) expected[(y + 1) * 80 + 5 + x] = source.PixelAt(x, y);
    const Rect at{5, 1, 5 + w, 4};
    ASSERT_EQ(dst->Blit(&at, src.get(), nullptr, kBlitKeySource), 1);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 80; ++x)
        ASSERT_EQ(dst->PixelAt(x, y), expected[y * 80 + x])
            << "width " << w << " at " << x << "," << y;
  }
}

}  // namespace
}  // namespace platform
