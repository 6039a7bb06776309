#include "qz/DebugFont.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using SurfacePtr = std::unique_ptr<QZSurface, void (*)(QZSurface*)>;

constexpr uint16_t kPaper = 0x1234;  // neither white nor black

SurfacePtr Paper(int w, int h) {
  SurfacePtr s(QZSurface::Create(w, h), &QZSurface::Release);
  s->Fill(nullptr, kPaper);
  return s;
}

// The pixels of one character drawn alone in its cell.
std::vector<uint16_t> Cell(char c) {
  SurfacePtr s = Paper(kDebugCellWidth, kDebugCellHeight);
  const char text[2] = {c, '\0'};
  DrawDebugText(s.get(), text, 0, 0);
  return std::vector<uint16_t>(s->Pixels(), s->Pixels() + kDebugCellWidth * kDebugCellHeight);
}

TEST(DebugFont, FrameRateTextStaysInsideItsBox) {
  SurfacePtr s = Paper(100, 30);
  const int width = DrawDebugText(s.get(), "100.00", 10, 5);
  EXPECT_EQ(width, 36);
  int white = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 100; ++x) {
      const uint16_t v = s->PixelAt(x, y);
      const bool inBox = x >= 10 && x < 46 && y >= 5 && y < 13;
      if (!inBox) {
        ASSERT_EQ(v, kPaper) << x << "," << y;
      }
      if (v == 0xFFFF) ++white;
    }
  }
  EXPECT_GT(white, 6 * 5);
  // Every character of it shows something white in its own cell.
  for (int c = 0; c < 6; ++c) {
    bool any = false;
    for (int y = 5; y < 13; ++y)
      for (int x = 10 + 6 * c; x < 16 + 6 * c; ++x)
        any |= s->PixelAt(x, y) == 0xFFFF;
    EXPECT_TRUE(any) << "character " << c;
  }
}

TEST(DebugFont, EveryPrintableCharacterHasItsOwnGlyph) {
  std::set<std::vector<uint16_t>> seen;
  for (char c = '!'; c <= '~'; ++c) {
    const std::vector<uint16_t> cell = Cell(c);
    int white = 0;
    for (uint16_t v : cell)
      white += v == 0xFFFF;
    EXPECT_GT(white, 0) << c;
    EXPECT_TRUE(seen.insert(cell).second) << "glyph of '" << c << "' repeats another";
  }
  // A space draws nothing; bytes outside printable ASCII look like '?'.
  EXPECT_EQ(Cell(' '), std::vector<uint16_t>(kDebugCellWidth * kDebugCellHeight, kPaper));
  EXPECT_EQ(Cell('\t'), Cell('?'));
  EXPECT_EQ(Cell(static_cast<char>(0xE9)), Cell('?'));
}

TEST(DebugFont, ClipsAtEveryEdgeAndMatchesTheUnclippedPicture) {
  const std::string text = "Hz 9.5";
  SurfacePtr whole = Paper(80, 40);
  DrawDebugText(whole.get(), text.c_str(), 30, 20);
  // The same text placed over each edge of a small target shows exactly the matching part.
  const int positions[][2] = {{-4, -3}, {-20, 2}, {10, -5}, {20, 5}, {6, 12}, {-3, 13}};
  for (const auto& at : positions) {
    SurfacePtr small = Paper(24, 16);
    EXPECT_EQ(DrawDebugText(small.get(), text.c_str(), at[0], at[1]), 36);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 24; ++x) {
        const int wx = x - at[0] + 30;
        const int wy = y - at[1] + 20;
        const bool inWhole = wx >= 0 && wx < 80 && wy >= 0 && wy < 40;
        ASSERT_EQ(small->PixelAt(x, y), inWhole ? whole->PixelAt(wx, wy) : kPaper)
            << "text at " << at[0] << "," << at[1] << " pixel " << x << "," << y;
      }
    }
  }
}

TEST(DebugFont, FarOutsideOrMissingDrawsNothing) {
  SurfacePtr s = Paper(20, 10);
  EXPECT_EQ(DrawDebugText(s.get(), "abc", INT_MAX - 4, 0), 18);
  EXPECT_EQ(DrawDebugText(s.get(), "abc", INT_MIN, INT_MIN), 18);
  EXPECT_EQ(DrawDebugText(s.get(), "abc", 0, 10), 18);
  for (int i = 0; i < 200; ++i)
    ASSERT_EQ(s->Pixels()[i], kPaper);
  EXPECT_EQ(DrawDebugText(nullptr, "abc", 0, 0), 0);
  EXPECT_EQ(DrawDebugText(s.get(), nullptr, 0, 0), 0);
  EXPECT_EQ(DrawDebugText(s.get(), "", 0, 0), 0);
}

}  // namespace
