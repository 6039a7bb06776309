// Balloons and everything that floats up from the board: plain and star balloons, the pop
// picture, the big colour-cleared balloons, the x2/x4/x6 multipliers and the point labels.

#include <cmath>
#include <string>

#include "tools/Art.h"
#include "tools/Groups.h"
#include "tools/Random.h"

namespace zepgen {

namespace {

constexpr int kCellW = 32;
constexpr int kCellH = 40;

Bitmap Balloon(int colour, bool star) {
  Canvas c(kCellW, kCellH);
  DrawGameBalloon(c, 16.0f, 17.0f, 13.2f, 15.2f, colour, star, 4.6f);
  return c.ToKeyed();
}

Bitmap Pop() {
  Canvas c(kCellW, kCellH);
  const float cx = 16, cy = 18;
  Random rnd(7);
  std::vector<Vec2> burst;
  const int spikes = 11;
  for (int i = 0; i < spikes * 2; ++i) {
    float t = 6.2831853f * i / (spikes * 2) + 0.2f;
    float r = (i % 2 == 0) ? rnd.Range(12.5f, 15.0f) : rnd.Range(6.0f, 7.5f);
    burst.push_back({cx + r * std::cos(t), cy + r * std::sin(t) * 1.1f});
  }
  Path p;
  p.AddPolygon(burst);
  Mask m = Rasterize(p, kCellW, kCellH);
  c.Fill(m.Dilated(1.0f), Hex(0xE07A10));
  c.Fill(m, RadialGradient(cx, cy, 14, 15, Hex(0xFFFFFF), Hex(0xFFD84A)));
  Path core;
  core.AddCircle(cx, cy, 4.5f);
  c.FillPath(core, Hex(0xFFFFFF));
  // Scraps of rubber flying off.
  const Vec2 bits[5] = {{3.5f, 4.5f}, {28.5f, 5.5f}, {3.0f, 33.0f}, {29.0f, 34.0f}, {16.0f, 38.0f}};
  for (const Vec2& b : bits) {
    Path s;
    s.AddTiltedEllipse(b.x, b.y, 2.2f, 1.3f, rnd.Range(0, 3));
    Mask sm = Rasterize(s, kCellW, kCellH);
    c.Fill(sm.Dilated(0.8f), Hex(0x6A4A20));
    c.Fill(sm, Hex(0xFFE9A0));
  }
  return c.ToKeyed();
}

Bitmap BigBalloon(int colour) {
  const int w = 164, h = 214;
  Canvas c(w, h);
  Color base = BalloonColor(colour);
  // Sparkles behind the balloon.
  Random rnd(100 + colour);
  const Vec2 sparkles[4] = {{14, 22}, {150, 30}, {12, 140}, {152, 128}};
  for (const Vec2& s : sparkles) {
    Path sp;
    sp.AddStar(s.x, s.y, rnd.Range(9, 12), 3.0f, 4, 0);
    Mask sm = Rasterize(sp, w, h);
    c.Fill(sm.Dilated(1.2f), kInk);
    c.Fill(sm, Hex(0xFFF3A0));
  }
  DrawGameBalloon(c, 82, 88, 68, 78, colour, false, 26.0f);
  Color shade = Darker(base, 0.55f);
  TextStyle big;
  big.font.face = Face::SansBold;
  big.font.size = 38;
  big.fill = VerticalGradient(78, Hex(0xFFFFFF), 118, Hex(0xFFF2B0));
  big.outline = 3.0f;
  big.outlineColor = kInk;
  big.shadowOpacity = 0.35f;
  big.shadowDy = 2;
  big.shadowBlur = 2;
  big.shadowColor = shade;
  // On the balloon's body, one line above the other.
  DrawLine(c, big, "+30 s", 82, 102, Align::Center, {14, 56, 136, 56}, big.font.size);
  TextStyle small = big;
  small.font.size = 21;
  small.outline = 2.2f;
  DrawLine(c, small, "+100000", 82, 134, Align::Center, {14, 112, 136, 32}, small.font.size);
  return c.ToKeyed();
}

Bitmap Multiplier(int factor) {
  const int w = 40, h = 40;
  Canvas c(w, h);
  Path p;
  p.AddStar(20, 20, 19.0f, 14.5f, 12, 0.13f);
  Mask m = Rasterize(p, w, h);
  c.Fill(m, kInk);
  Path inner;
  inner.AddStar(20, 20, 17.2f, 12.8f, 12, 0.13f);
  c.FillPath(inner, VerticalGradient(3, Hex(0xFFF6A8), 37, Hex(0xFF9F1C)));
  TextStyle st;
  st.font.face = Face::SansBold;
  st.font.size = 17;
  st.fill = Solid(kInk);
  st.outline = 1.4f;
  st.outlineColor = Hex(0xFFFFFF);
  DrawLine(c, st, "x" + std::to_string(factor), 20, 26, Align::Center, {2, 6, 36, 28},
           st.font.size);
  return c.ToKeyed();
}

Color LabelColor(int colour) {
  switch (colour) {
    case 0:
      return Hex(0xFF4A4A);
    case 1:
      return Hex(0xFFE040);
    case 2:
      return Hex(0xB070F0);
    case 3:
      return Hex(0x6BE05E);
    default:
      return Hex(0x4FA8FF);
  }
}

// Tile t shows 100 * (51 - t / 5) in colour t % 5: five columns (the colours) by 51 rows.
Bitmap ScoreLabels() {
  const int tw = 34, th = 21, cols = 5, rows = 51;
  Bitmap sheet(tw * cols, th * rows);
  for (int t = 0; t < cols * rows; ++t) {
    int value = 100 * (51 - t / 5);
    int colour = t % 5;
    Canvas c(tw, th);
    TextStyle st;
    st.font.face = Face::SansBold;
    st.font.size = 15;
    st.font.scaleX = 0.8f;
    st.fill = VerticalGradient(5, Lighter(LabelColor(colour), 0.35f), 16, LabelColor(colour));
    st.outline = 1.4f;
    st.outlineColor = kInk;
    std::string text = std::to_string(value);
    while (MeasureText(st.font, text) + 2 * st.outline > tw - 1)
      st.font.scaleX -= 0.02f;
    DrawLine(c, st, text, tw / 2.0f, 16, Align::Center, {0, 0, tw, th}, st.font.size);
    sheet.Paste(c.ToKeyed(), (t % cols) * tw, (t / cols) * th);
  }
  return sheet;
}

}  // namespace

void MakeBalloonPictures(Output& out) {
  static const char* plain[5] = {"red.bmp", "yellow.bmp", "purple.bmp", "green.bmp", "blue.bmp"};
  static const char* stars[5] = {"redstar.bmp", "yellowstar.bmp", "purplestar.bmp", "greenstar.bmp",
                                 "bluestar.bmp"};
  static const char* big[5] = {"bigred.bmp", "bigyellow.bmp", "bigpurple.bmp", "biggreen.bmp",
                               "bigblue.bmp"};
  for (int colour = 0; colour < 5; ++colour) {
    out.WriteBitmap(Folder::Game, plain[colour], Balloon(colour, false));
    out.WriteBitmap(Folder::Game, stars[colour], Balloon(colour, true));
    out.WriteBitmap(Folder::Game, big[colour], BigBalloon(colour));
  }
  out.WriteBitmap(Folder::Game, "pop.bmp", Pop());
  out.WriteBitmap(Folder::Game, "x2.bmp", Multiplier(2));
  out.WriteBitmap(Folder::Game, "x4.bmp", Multiplier(4));
  out.WriteBitmap(Folder::Game, "x6.bmp", Multiplier(6));
  out.WriteBitmap(Folder::Game, "score.bmp", ScoreLabels());
}

}  // namespace zepgen
