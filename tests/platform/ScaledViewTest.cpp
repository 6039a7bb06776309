// The picture in a client area of any size: its placement, pointer positions mapped back to
// picture pixels, the first window size, the scaler's pixels and the parts a present must send.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/PictureScaler.h"
#include "platform/ScaledView.h"

namespace {

using platform::ChangedRects;
using platform::ChangedRectsWithin;
using platform::FirstWindowScale;
using platform::PictureScaler;
using platform::PixelRect;
using platform::ScaledView;

void ExpectPlacement(const ScaledView& view, int x, int y, int width, int height) {
  EXPECT_EQ(view.Placement().x, x);
  EXPECT_EQ(view.Placement().y, y);
  EXPECT_EQ(view.Placement().width, width);
  EXPECT_EQ(view.Placement().height, height);
}

std::pair<int, int> Map(const ScaledView& view, int x, int y) {
  int px = 0;
  int py = 0;
  view.ToPicture(x, y, &px, &py);
  return {px, py};
}

TEST(ScaledViewTest, PictureFillsTheTighterSideCentredWithBarsOnTheOther) {
  ExpectPlacement(ScaledView::Fit(800, 600, 800, 600), 0, 0, 800, 600);
  ExpectPlacement(ScaledView::Fit(1000, 750, 800, 600), 0, 0, 1000, 750);
  ExpectPlacement(ScaledView::Fit(1280, 720, 800, 600), 160, 0, 960, 720);
  ExpectPlacement(ScaledView::Fit(1000, 1000, 800, 600), 0, 125, 1000, 750);
  // Odd widths: the spare pixel goes to the right-hand bar.
  ExpectPlacement(ScaledView::Fit(1001, 750, 800, 600), 0, 0, 1000, 750);
  ExpectPlacement(ScaledView::Fit(1003, 750, 800, 600), 1, 0, 1000, 750);
  ExpectPlacement(ScaledView::Fit(801, 600, 800, 600), 0, 0, 800, 600);

  EXPECT_TRUE(ScaledView::Fit(800, 600, 800, 600).IsWholeFactor());
  EXPECT_TRUE(ScaledView::Fit(1700, 1200, 800, 600).IsWholeFactor());
  EXPECT_FALSE(ScaledView::Fit(1000, 750, 800, 600).IsWholeFactor());
}

TEST(ScaledViewTest, PointerMapsToThePicturePixelDrawnUnderIt) {
  const ScaledView wide = ScaledView::Fit(1280, 720, 800, 600);  // 1.2 times, bars of 160
  EXPECT_EQ(Map(wide, 160, 0), std::make_pair(0, 0));
  EXPECT_EQ(Map(wide, 1119, 719), std::make_pair(799, 599));
  EXPECT_EQ(Map(wide, 640, 360), std::make_pair(400, 300));
  // Over the bars the position lies outside the picture, on the side of the bar.
  EXPECT_EQ(Map(wide, 0, 0).first, -134);
  EXPECT_EQ(Map(wide, 159, 0).first, -1);
  EXPECT_EQ(Map(wide, 1120, 0).first, 800);

  const ScaledView odd = ScaledView::Fit(1003, 750, 800, 600);
  EXPECT_EQ(Map(odd, 0, 0).first, -1);
  EXPECT_EQ(Map(odd, 1, 0).first, 0);
  EXPECT_EQ(Map(odd, 1000, 749), std::make_pair(799, 599));
}

TEST(ScaledViewTest, EveryPicturePixelCanBePointedAtAndPositionsNeverGoBack) {
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{
           {1000, 750}, {1280, 720}, {1001, 751}, {1600, 1200}, {1920, 1080}, {2560, 1600}}) {
    const ScaledView view = ScaledView::Fit(w, h, 800, 600);
    std::vector<int> hits(800, 0);
    int last = -1;
    for (int x = view.Placement().x; x < view.Placement().x + view.Placement().width; ++x) {
      const int px = Map(view, x, h / 2).first;
      ASSERT_GE(px, last) << w << "x" << h << " at " << x;
      ASSERT_LE(px - last, 1) << w << "x" << h << " skips a column at " << x;
      ASSERT_TRUE(px >= 0 && px < 800);
      ++hits[static_cast<size_t>(px)];
      last = px;
    }
    EXPECT_EQ(std::count(hits.begin(), hits.end(), 0), 0) << w << "x" << h;
  }
}

TEST(ScaledViewTest, ClientsSmallerThanThePictureAndOnePixelTall) {
  const ScaledView half = ScaledView::Fit(400, 300, 800, 600);
  ExpectPlacement(half, 0, 0, 400, 300);
  EXPECT_EQ(Map(half, 399, 299), std::make_pair(798, 598));
  EXPECT_EQ(Map(half, 1, 1), std::make_pair(2, 2));
  int w = 0;
  int h = 0;
  half.ClientInPictureUnits(&w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);

  const ScaledView odd = ScaledView::Fit(399, 300, 800, 600);
  ExpectPlacement(odd, 0, 0, 399, 299);

  // One pixel tall: the whole picture in one pixel, the rest bar; positions stay packable.
  const ScaledView line = ScaledView::Fit(1000, 1, 800, 600);
  ExpectPlacement(line, 499, 0, 1, 1);
  EXPECT_EQ(Map(line, 499, 0), std::make_pair(0, 0));
  EXPECT_EQ(Map(line, 0, 0).first, -32768);
  EXPECT_EQ(Map(line, 999, 0).first, 32767);
  line.ClientInPictureUnits(&w, &h);
  EXPECT_EQ(w, 65535);
  EXPECT_EQ(h, 600);

  // A client squeezed to nothing still has a view.
  ExpectPlacement(ScaledView::Fit(0, -5, 800, 600), 0, 0, 1, 1);
}

TEST(ScaledViewTest, ClientSizeInPictureUnitsIncludesTheBars) {
  int w = 0;
  int h = 0;
  ScaledView::Fit(1280, 720, 800, 600).ClientInPictureUnits(&w, &h);
  EXPECT_EQ(w, 1066);
  EXPECT_EQ(h, 600);
  ScaledView::Fit(1600, 1200, 800, 600).ClientInPictureUnits(&w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  ScaledView::Fit(1000, 1000, 800, 600).ClientInPictureUnits(&w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 800);
}

TEST(ScaledViewTest, FirstWindowIsTheLargestWholeMultipleWithinNinetyPercent) {
  EXPECT_EQ(FirstWindowScale(1280, 800, 800, 600), 1);
  EXPECT_EQ(FirstWindowScale(1920, 1080, 800, 600), 1);
  EXPECT_EQ(FirstWindowScale(2560, 1440, 800, 600), 2);
  EXPECT_EQ(FirstWindowScale(1777, 1334, 800, 600), 1);  // 2x needs 1777.8 x 1333.3
  EXPECT_EQ(FirstWindowScale(1778, 1334, 800, 600), 2);
  EXPECT_EQ(FirstWindowScale(1778, 1333, 800, 600), 1);
  EXPECT_EQ(FirstWindowScale(3840, 2160, 800, 600), 3);
  // A desktop smaller than the picture still gets the picture's own size.
  EXPECT_EQ(FirstWindowScale(640, 480, 800, 600), 1);
  EXPECT_EQ(FirstWindowScale(0, 0, 800, 600), 1);
}

// A small picture of random 5-6-5 pixels, rows packed.
std::vector<uint16_t> RandomPicture(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint16_t> pixels(static_cast<size_t>(width) * height);
  for (uint16_t& p : pixels)
    p = static_cast<uint16_t>(random());
  return pixels;
}

std::vector<uint32_t> RenderAll(PictureScaler& scaler, const std::vector<uint16_t>& picture,
                                int pictureWidth, int clientWidth, int clientHeight) {
  std::vector<uint32_t> out(static_cast<size_t>(clientWidth) * clientHeight, 0xDEADBEEF);
  scaler.Render(picture.data(), pictureWidth * 2, {0, 0, clientWidth, clientHeight}, out.data(),
                clientWidth * 4);
  return out;
}

TEST(PictureScalerTest, WholeFactorRepeatsEachPixelExactlyWithBlackBars) {
  const std::vector<uint16_t> picture = RandomPicture(8, 6, 1);
  PictureScaler scaler;
  scaler.SetView(ScaledView::Fit(20, 12, 8, 6));  // twice the picture, bars of 2 each side
  const std::vector<uint32_t> out = RenderAll(scaler, picture, 8, 20, 12);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      const uint32_t got = out[static_cast<size_t>(y * 20 + x)];
      if (x < 2 || x >= 18) {
        EXPECT_EQ(got, 0u) << x << "," << y;
      } else {
        EXPECT_EQ(got, PictureScaler::Widen(picture[static_cast<size_t>(y / 2 * 8 + (x - 2) / 2)]))
            << x << "," << y;
      }
    }
  }
  EXPECT_EQ(PictureScaler::Widen(0xFFFF), 0xFFFFFFu);
  EXPECT_EQ(PictureScaler::Widen(0xF800), 0xFF0000u);
}

TEST(PictureScalerTest, OneColourStaysOneColourAtAnyFactor) {
  const std::vector<uint16_t> picture(40 * 30, 0x7BEF);
  for (const auto& [w, h] :
       std::vector<std::pair<int, int>>{{50, 37}, {64, 48}, {33, 25}, {97, 71}}) {
    PictureScaler scaler;
    scaler.SetView(ScaledView::Fit(w, h, 40, 30));
    const std::vector<uint32_t> out = RenderAll(scaler, picture, 40, w, h);
    const PixelRect& place = scaler.View().Placement();
    for (int y = place.y; y < place.y + place.height; ++y) {
      for (int x = place.x; x < place.x + place.width; ++x) {
        ASSERT_EQ(out[static_cast<size_t>(y * w + x)], PictureScaler::Widen(0x7BEF))
            << w << "x" << h << " at " << x << "," << y;
      }
    }
  }
}

TEST(PictureScalerTest, ThinLinesKeepAFullColourCoreAndSmoothingStaysBetweenNeighbours) {
  // White one-pixel columns every third column on black, at 2.5 and 3.3 times.
  std::vector<uint16_t> picture(30 * 4, 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 30; x += 3)
      picture[static_cast<size_t>(y * 30 + x)] = 0xFFFF;
  }
  for (const int width : {75, 99}) {
    PictureScaler scaler;
    scaler.SetView(ScaledView::Fit(width, width * 4 / 30, 30, 4));
    const int height = scaler.View().ClientHeight();
    const std::vector<uint32_t> out = RenderAll(scaler, picture, 30, width, height);
    const int y = height / 2;
    std::vector<int> fullWhite(30, 0);
    for (int x = 0; x < width; ++x) {
      const uint32_t c = out[static_cast<size_t>(y * width + x)];
      // Grey only: no colour fringes, nothing darker than black or brighter than white.
      ASSERT_EQ(c & 0xFF, (c >> 8) & 0xFF);
      ASSERT_EQ(c & 0xFF, (c >> 16) & 0xFF);
      int px = 0;
      scaler.View().ToPicture(x, y, &px, nullptr);
      if (c == 0xFFFFFF) ++fullWhite[static_cast<size_t>(px)];
    }
    for (int line = 0; line < 30; line += 3)
      EXPECT_GE(fullWhite[static_cast<size_t>(line)], 1) << "line " << line << " at " << width;
  }
}

TEST(PictureScalerTest, RenderingOnlyTheChangedPartsGivesTheSameClientAsAFullRender) {
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{
           {40, 30}, {50, 37}, {70, 48}, {80, 60}, {123, 77}, {20, 15}, {41, 31}}) {
    std::vector<uint16_t> before = RandomPicture(40, 30, 7);
    std::vector<uint16_t> after = before;
    for (int y = 7; y < 9; ++y) {
      for (int x = 10; x < 13; ++x)
        after[static_cast<size_t>(y * 40 + x)] ^= 0x1234;
    }
    after[0] ^= 0xFFFF;
    after[39 * 1 + 29 * 40] ^= 0x0F0F;
    after[20 + 20 * 40] ^= 0x8000;

    PictureScaler scaler;
    scaler.SetView(ScaledView::Fit(w, h, 40, 30));
    std::vector<uint32_t> patched = RenderAll(scaler, before, 40, w, h);
    const std::vector<uint32_t> full = RenderAll(scaler, after, 40, w, h);
    const std::vector<PixelRect> changed =
        ChangedRects(before.data(), after.data(), 40, 30, 40, 16);
    ASSERT_FALSE(changed.empty());
    for (const PixelRect& part : changed) {
      scaler.Render(after.data(), 80, scaler.View().ClientRectOf(part), patched.data(), w * 4);
    }
    EXPECT_EQ(patched, full) << w << "x" << h;
  }
}

TEST(ChangedRectsTest, FindsEachChangedBandAsNarrowAsItsChanges) {
  const int w = 50;
  const int h = 100;
  const int pitch = 64;  // wider rows than the picture: the tail is not compared
  std::vector<uint16_t> a(static_cast<size_t>(pitch) * h, 0);
  std::vector<uint16_t> b = a;
  for (int y = 0; y < h; ++y)
    b[static_cast<size_t>(y * pitch + 60)] = 1;
  EXPECT_TRUE(ChangedRects(a.data(), b.data(), w, h, pitch, 16).empty());

  b[static_cast<size_t>(3 * pitch + 7)] = 9;
  std::vector<PixelRect> rects = ChangedRects(a.data(), b.data(), w, h, pitch, 16);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].x, 7);
  EXPECT_EQ(rects[0].y, 3);
  EXPECT_EQ(rects[0].width, 1);
  EXPECT_EQ(rects[0].height, 1);

  // A change a few rows below joins the band; one far below starts another.
  b[static_cast<size_t>(8 * pitch + 20)] = 9;
  b[static_cast<size_t>(60 * pitch + 49)] = 9;
  rects = ChangedRects(a.data(), b.data(), w, h, pitch, 16);
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].x, 7);
  EXPECT_EQ(rects[0].y, 3);
  EXPECT_EQ(rects[0].width, 14);
  EXPECT_EQ(rects[0].height, 6);
  EXPECT_EQ(rects[1].x, 49);
  EXPECT_EQ(rects[1].y, 60);
  EXPECT_EQ(rects[1].width, 1);
}

TEST(ChangedRectsTest, BeyondTheLimitTheLastRectangleTakesInEveryOtherChange) {
  const int w = 40;
  const int h = 600;
  std::vector<uint16_t> a(static_cast<size_t>(w) * h, 0);
  std::vector<uint16_t> b = a;
  for (int y = 0; y < h; y += 20)
    b[static_cast<size_t>(y * w + (y / 20) % w)] = 5;
  const std::vector<PixelRect> rects = ChangedRects(a.data(), b.data(), w, h, w, 4);
  ASSERT_EQ(rects.size(), 4u);
  for (int y = 0; y < h; y += 20) {
    const int x = (y / 20) % w;
    const bool covered = std::any_of(rects.begin(), rects.end(), [x, y](const PixelRect& r) {
      return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
    });
    EXPECT_TRUE(covered) << x << "," << y;
  }
}

// Where the areas hold every change, comparing only inside them finds exactly the bands the
// whole comparison finds, whatever the areas' overlaps and the band limit.
TEST(ChangedRectsWithinTest, FindsWhatTheWholeComparisonFindsWhenTheAreasHoldTheChanges) {
  std::mt19937 rng(5);
  const int w = 90;
  const int h = 70;
  const int pitch = 96;
  for (int round = 0; round < 200; ++round) {
    std::vector<uint16_t> a(static_cast<size_t>(pitch) * h);
    for (uint16_t& v : a)
      v = static_cast<uint16_t>(rng());
    std::vector<uint16_t> b = a;
    std::vector<PixelRect> areas;
    const int count = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < count; ++i) {
      PixelRect r;
      r.width = 1 + static_cast<int>(rng() % 40);
      r.height = 1 + static_cast<int>(rng() % 30);
      r.x = static_cast<int>(rng() % (w - r.width + 1));
      r.y = static_cast<int>(rng() % (h - r.height + 1));
      areas.push_back(r);
      // Some areas were drawn into without changing anything.
      const int changes = static_cast<int>(rng() % 4);
      for (int c = 0; c < changes; ++c) {
        const int x = r.x + static_cast<int>(rng() % r.width);
        const int y = r.y + static_cast<int>(rng() % r.height);
        b[static_cast<size_t>(y) * pitch + x] ^= 0x0101;
      }
    }
    const int limit = 1 + static_cast<int>(rng() % 5);
    const std::vector<PixelRect> whole = ChangedRects(a.data(), b.data(), w, h, pitch, limit);
    const std::vector<PixelRect> within =
        ChangedRectsWithin(a.data(), b.data(), w, h, pitch, limit, areas);
    ASSERT_EQ(within.size(), whole.size()) << "round " << round;
    for (size_t i = 0; i < whole.size(); ++i) {
      EXPECT_EQ(within[i].x, whole[i].x) << round;
      EXPECT_EQ(within[i].y, whole[i].y) << round;
      EXPECT_EQ(within[i].width, whole[i].width) << round;
      EXPECT_EQ(within[i].height, whole[i].height) << round;
    }
  }
}

TEST(ChangedRectsWithinTest, LooksNowhereElseAndClipsAreasToThePicture) {
  const int w = 20;
  const int h = 10;
  std::vector<uint16_t> a(static_cast<size_t>(w) * h, 0);
  std::vector<uint16_t> b = a;
  b[0] = 1;                                // outside every area below: not looked at
  b[static_cast<size_t>(9 * w + 19)] = 1;  // the last pixel, inside an area reaching past it
  EXPECT_TRUE(ChangedRectsWithin(a.data(), b.data(), w, h, w, 16, {}).empty());
  const std::vector<PixelRect> areas = {{5, 5, 0, 3}, {-4, -4, 2, 2}, {15, 8, 100, 100}};
  const std::vector<PixelRect> rects = ChangedRectsWithin(a.data(), b.data(), w, h, w, 16, areas);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].x, 19);
  EXPECT_EQ(rects[0].y, 9);
  EXPECT_EQ(rects[0].width, 1);
  EXPECT_EQ(rects[0].height, 1);

  // Two areas far apart on the same rows: the gap between them is not compared, and a change on
  // each side makes one band reaching from the first to the last.
  std::vector<uint16_t> c = a;
  c[static_cast<size_t>(2 * w + 8)] = 1;
  const std::vector<PixelRect> apart = {{0, 1, 3, 3}, {15, 0, 5, 4}, {1, 2, 4, 1}};
  EXPECT_TRUE(ChangedRectsWithin(a.data(), c.data(), w, h, w, 16, apart).empty());
  c[static_cast<size_t>(2 * w + 4)] = 1;
  c[static_cast<size_t>(3 * w + 16)] = 1;
  const std::vector<PixelRect> both = ChangedRectsWithin(a.data(), c.data(), w, h, w, 16, apart);
  ASSERT_EQ(both.size(), 1u);
  EXPECT_EQ(both[0].x, 4);
  EXPECT_EQ(both[0].y, 2);
  EXPECT_EQ(both[0].width, 13);
  EXPECT_EQ(both[0].height, 2);
}

}  // namespace
