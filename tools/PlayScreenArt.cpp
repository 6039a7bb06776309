// The play screen: its background with the board and the score panel, the cloud buttons, the
// menu buttons, panel digits, timer gauge and lightning, the end-of-game pictures and the game's
// button for the launcher's pages.

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/Art.h"
#include "tools/Groups.h"
#include "tools/Random.h"

namespace zepgen {

namespace {

// Board rectangle and the panel layout the game draws onto.
constexpr int kBoardX = 154, kBoardY = 7, kBoardW = 576, kBoardH = 560;
constexpr int kDigitW = 11, kDigitH = 22;
// Number fields: the digits (kDigitH high) are drawn at y 57, 99 and 153, ending at x 77/77/73.
constexpr int kFieldTop[3] = {55, 97, 151};
constexpr int kFieldH = 26;
// Timer gauge frame, drawn at (2, 208); the lightning goes at (17, 264) over it.
constexpr int kGaugeW = 80, kGaugeH = 160;
constexpr int kLightningW = 50, kLightningH = 96;
// Cloud frames: left of the board (x 88) and right of it (x 730).
constexpr int kCloudLeftW = 62, kCloudRightW = 68, kCloudH = 38;

// Tube of the gauge, in frame coordinates.
constexpr float kTubeX = 21, kTubeY = 62, kTubeW = 38, kTubeH = 88;

Color TimeColor(float remaining) {
  // Green while there is plenty, amber from half time, red for the last fifth.
  if (remaining > 0.5f) return Hex(0x4FC24A);
  if (remaining > 0.2f) return Hex(0xF5B82E);
  return Hex(0xE03A34);
}

void DrawBoard(Canvas& c) {
  const int W = c.Width(), H = c.Height();
  Path frame;
  frame.AddRoundRect(kBoardX - 4.5f, kBoardY - 4.5f, kBoardW + 9.0f, kBoardH + 9.0f, 9);
  Mask frameMask = Rasterize(frame, W, H);
  c.Fill(frameMask.Blurred(5).Shifted(0, 3), Hex(0x103060), 0.35f);
  c.Fill(frameMask, VerticalGradient(kBoardY, Hex(0xFFFFFF), kBoardY + kBoardH, Hex(0xCFE3F7)));
  Path edge;
  edge.AddRoundRect(kBoardX - 1.0f, kBoardY - 1.0f, kBoardW + 2.0f, kBoardH + 2.0f, 3);
  c.FillPath(edge, Hex(0x7FA7D6));
  // The playing field: a calm light sky, faint clouds and a barely visible checker of cells.
  Mask board = RectMask(W, H, kBoardX, kBoardY, kBoardW, kBoardH);
  c.Fill(board, VerticalGradient(kBoardY, Hex(0xB9DDFB), kBoardY + kBoardH, Hex(0xE6F4FF)));
  Canvas clouds(W, H);
  DrawCloud(clouds, 300, 120, 220, 70, 21);
  DrawCloud(clouds, 600, 260, 260, 80, 22);
  DrawCloud(clouds, 330, 430, 240, 75, 23);
  DrawCloud(clouds, 640, 520, 180, 60, 24);
  Canvas layer(W, H);
  layer.Draw(clouds, 0, 0);
  Mask cloudAlpha = layer.Alpha();
  cloudAlpha.Intersect(board);
  c.Fill(cloudAlpha, Hex(0xFFFFFF), 0.32f);
  Mask checker(W, H);
  for (int row = 0; row < 14; ++row)
    for (int col = 0; col < 18; ++col) {
      if ((row + col) % 2) continue;
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 32; ++x)
          checker.Ref(kBoardX + col * 32 + x, kBoardY + row * 40 + y) = 1;
    }
  c.Fill(checker, Hex(0x6E9CCB), 0.05f);
}

void DrawLeftColumn(Canvas& c) {
  const int W = c.Width(), H = c.Height();
  Path card;
  card.AddRoundRect(-14, 2, 100, 596, 14);
  Mask cardMask = Rasterize(card, W, H);
  c.Fill(cardMask.Blurred(4).Shifted(2, 2), Hex(0x103060), 0.3f);
  c.Fill(cardMask.Dilated(2), kCardEdge);
  c.Fill(cardMask, VerticalGradient(0, Hex(0xFFFFFF), 600, Hex(0xDCEBFA)));
  DrawZeppoloLogo(c, 42, 31, 15.5f, {0, 8, 84, 31});
  TextStyle label;
  label.font.face = Face::SansBold;
  label.font.size = 10.5f;
  label.fill = Solid(kInk);
  // TRANSLATORS: small capitals above the best score, the score and the points of the last
  // group popped, in a column 80 pixels wide.
  const char* names[3] = {Tr("BEST"), Tr("SCORE"), Tr("LAST GROUP")};
  for (int i = 0; i < 3; ++i) {
    // Above its number's plate, within the column's card.
    DrawLine(c, label, names[i], 41, kFieldTop[i] - 4.0f, Align::Center,
             {1, kFieldTop[i] - 17.0f, 81, 17}, 6);
    DrawPlate(c, -8, static_cast<float>(kFieldTop[i]), 89, kFieldH, kPlate, 6);
  }
  // A soft recess behind the gauge and the menu buttons.
  Path well;
  well.AddRoundRect(0, 202, 84, 172, 10);
  c.FillPath(well, Hex(0xC6DCF3), 0.6f);
  Path menu;
  menu.AddRoundRect(6, 370, 78, 206, 10);
  c.FillPath(menu, Hex(0xC6DCF3), 0.6f);
}

Bitmap Background() {
  Canvas c(800, 600);
  FillSky(c, kSkyTop, kSkyBottom, 0, 600);
  DrawSunGlow(c, 790, 10, 26);
  // A bank of clouds along the bottom edge.
  for (int i = 0; i < 8; ++i)
    DrawCloud(c, 90 + i * 105.0f, 598, 170, 60, 40 + i);
  DrawBoard(c);
  DrawLeftColumn(c);
  return c.ToOpaque(kSkyBottom);
}

// A cloud that blows its row toward the arrow: left of the board it points right.
Bitmap CloudStrip(bool rightSide) {
  const int w = rightSide ? kCloudRightW : kCloudLeftW;
  const int h = kCloudH;
  // Drawn as the left-side cloud and mirrored for the right side.
  auto X = [&](float x) { return rightSide ? w - x : x; };
  std::vector<Canvas> states;
  for (int s = 0; s < 3; ++s) {
    Canvas c(w, h);
    Path body;
    body.AddRoundRect(std::min(X(5), X(43)), 18, 38, 15, 7.5f);
    body.AddCircle(X(14), 21, 9.5f);
    body.AddCircle(X(24), 15, 11.5f);
    body.AddCircle(X(35), 19, 9.5f);
    Mask bodyMask = Rasterize(body, w, h);
    Path arrow;
    std::vector<Vec2> a = {{45, 14},    {51, 14}, {51, 8.5f}, {60.5f, 19},
                           {51, 29.5f}, {51, 24}, {45, 24}};
    for (auto& p : a)
      p.x = X(p.x);
    arrow.AddPolygon(a);
    Mask arrowMask = Rasterize(arrow, w, h);
    Mask all = bodyMask;
    all.Union(arrowMask);
    c.Fill(all.Dilated(1.3f), Hex(0x4F79B0));
    Color top = Hex(0xFFFFFF), bottom = Hex(0xCFE0F3), arrowColor = Hex(0x8DB8EA);
    if (s == 1) {
      top = Hex(0xFFFDE8);
      bottom = Hex(0xFFE9A6);
      arrowColor = Hex(0xFF9A1E);
    } else if (s == 2) {
      top = Hex(0xE3EEF9);
      bottom = Hex(0xAFC8E6);
      arrowColor = Hex(0xFFFFFF);
    }
    c.Fill(bodyMask, VerticalGradient(5, top, 33, bottom));
    c.Fill(arrowMask, arrowColor);
    if (s == 2) {
      // Wind streaks across the arrow while the cloud blows.
      Path streaks;
      streaks.AddSegment({X(46), 17}, {X(54), 17}, 1.4f);
      streaks.AddSegment({X(46), 21}, {X(56), 21}, 1.4f);
      Mask sm = Rasterize(streaks, w, h);
      sm.Intersect(arrowMask);
      c.Fill(sm, Hex(0x4F79B0));
    }
    // Face: eyes, rosy cheeks and a round mouth blowing toward the arrow.
    Path eyes;
    float eyeH = s == 2 ? 0.7f : 1.9f;
    eyes.AddEllipse(X(18), 15.5f, 1.4f, eyeH);
    eyes.AddEllipse(X(26), 15.5f, 1.4f, eyeH);
    c.FillPath(eyes, kInk);
    Path cheeks;
    cheeks.AddEllipse(X(14.5f), 21, 2.4f, 1.5f);
    cheeks.AddEllipse(X(29), 21.5f, s == 2 ? 3.4f : 2.4f, s == 2 ? 2.4f : 1.5f);
    c.FillPath(cheeks, Hex(0xFF8FA0), 0.75f);
    Path mouth;
    mouth.AddEllipse(X(35), 24.5f, s == 2 ? 2.6f : 1.8f, s == 2 ? 2.8f : 2.0f);
    c.FillPath(mouth, kInk);
    states.push_back(std::move(c));
  }
  return JoinFrames(KeyedStates(states), true);
}

Bitmap ScoreDigits() {
  Bitmap strip(kDigitW * 10, kDigitH);
  for (int d = 0; d < 10; ++d) {
    Canvas c(kDigitW, kDigitH);
    c.FillAll(Solid(kPlate));
    TextStyle st;
    st.font.face = Face::SansBold;
    st.font.size = 20;
    st.font.scaleX = 0.72f;
    st.fill = Solid(kInk);
    DrawLine(c, st, std::to_string(d), kDigitW / 2.0f, 18, Align::Center, {0, 0, kDigitW, kDigitH},
             st.font.size);
    strip.Paste(c.ToOpaque(kPlate), d * kDigitW, 0);
  }
  return strip;
}

Bitmap GaugeFrame(int frame) {
  const int W = kGaugeW, H = kGaugeH;
  const float remaining = (36 - frame) / 36.0f;
  const Color level = TimeColor(remaining);
  Canvas c(W, H);
  Path outer;
  outer.AddRoundRect(0.5f, 0.5f, W - 1.0f, H - 1.0f, 14);
  c.FillPath(outer, kCardEdge);
  Path inner;
  inner.AddRoundRect(2.5f, 2.5f, W - 5.0f, H - 5.0f, 12);
  c.FillPath(inner, VerticalGradient(0, Hex(0xFFFFFF), H, Hex(0xE2EEFA)));
  // Clock face with the remaining time as a wedge from twelve o'clock.
  const float cx = 40, cy = 31, r = 24;
  Path ring;
  ring.AddCircle(cx, cy, r);
  c.FillPath(ring, kInk);
  Path face;
  face.AddCircle(cx, cy, r - 2.5f);
  c.FillPath(face, Hex(0xFFFFFF));
  if (remaining > 0) {
    // The hand sweeps clockwise; the wedge is the time still ahead of it, up to twelve.
    std::vector<Vec2> wedge = {{cx, cy}};
    int steps = std::max(2, static_cast<int>(remaining * 64));
    for (int i = 0; i <= steps; ++i) {
      float t = -1.5707963f + 6.2831853f * ((1 - remaining) + remaining * i / steps);
      wedge.push_back({cx + (r - 4.5f) * std::cos(t), cy + (r - 4.5f) * std::sin(t)});
    }
    Path w;
    w.AddPolygon(wedge);
    c.FillPath(w, level);
  }
  Path ticks;
  for (int i = 0; i < 12; ++i) {
    float t = 6.2831853f * i / 12;
    float r0 = i % 3 == 0 ? r - 7.0f : r - 5.5f;
    ticks.AddSegment({cx + r0 * std::sin(t), cy - r0 * std::cos(t)},
                     {cx + (r - 3.2f) * std::sin(t), cy - (r - 3.2f) * std::cos(t)}, 1.4f);
  }
  float hand = 6.2831853f * (1 - remaining);
  ticks.AddSegment({cx, cy}, {cx + (r - 7) * std::sin(hand), cy - (r - 7) * std::cos(hand)}, 2.2f);
  ticks.AddCircle(cx, cy, 2.6f);
  c.FillPath(ticks, kInk);
  // The tube that drains as time runs out.
  Path tubeEdge;
  tubeEdge.AddRoundRect(kTubeX - 2, kTubeY - 2, kTubeW + 4, kTubeH + 4, (kTubeW + 4) / 2);
  c.FillPath(tubeEdge, kInk);
  Path tube;
  tube.AddRoundRect(kTubeX, kTubeY, kTubeW, kTubeH, kTubeW / 2);
  Mask tubeMask = Rasterize(tube, W, H);
  c.Fill(tubeMask, VerticalGradient(kTubeY, Hex(0xDDEBFA), kTubeY + kTubeH, Hex(0xF4F9FF)));
  if (remaining > 0) {
    float top = kTubeY + 3 + (kTubeH - 6) * (1 - remaining);
    Mask liquid = RectMask(W, H, 0, top, W, H);
    liquid.Intersect(tubeMask);
    c.Fill(liquid, LinearGradient({kTubeX, 0}, Lighter(level, 0.35f), {kTubeX + kTubeW, 0},
                                  Darker(level, 0.2f)));
    Mask surface = RectMask(W, H, 0, top, W, 2);
    surface.Intersect(tubeMask);
    c.Fill(surface, Lighter(level, 0.5f));
  }
  // Scale marks and a glass highlight.
  Path marks;
  for (int i = 1; i < 4; ++i) {
    float y = kTubeY + kTubeH * i / 4.0f;
    marks.AddSegment({kTubeX + kTubeW - 9, y}, {kTubeX + kTubeW - 3, y}, 1.3f);
  }
  c.FillPath(marks, kInk, 0.45f);
  Path gloss;
  gloss.AddRoundRect(kTubeX + 5, kTubeY + 8, 5, kTubeH - 16, 2.5f);
  c.FillPath(gloss, Hex(0xFFFFFF), 0.6f);
  return c.ToKeyed();
}

Bitmap Gauge() {
  std::vector<Bitmap> frames;
  for (int f = 0; f < 37; ++f)
    frames.push_back(GaugeFrame(f));
  return JoinFrames(frames, true);
}

Bitmap Lightning() {
  const int w = kLightningW, h = kLightningH;
  Canvas c(w, h);
  Path bolt = LightningPath(3, 2, w - 6.0f, h - 4.0f);
  Mask m = Rasterize(bolt, w, h);
  c.Fill(m.Dilated(2.2f), kInk);
  c.Fill(m, VerticalGradient(0, Hex(0xFFFBD0), h, Hex(0xFFB21E)));
  Mask core = m;
  core.Subtract(m.Shifted(3, 0));
  c.Fill(core, Hex(0xFFFFFF), 0.7f);
  return c.ToKeyed();
}

Bitmap MenuButton(const std::string& label, const ButtonPalette& palette) {
  return ButtonStrip(72, 46, 2, palette, label, nullptr, 16);
}

float FitTitleSize(const std::string& text, float maxWidth, float size) {
  Font f;
  f.face = Face::SansBold;
  f.size = size;
  while (f.size > 10 && MeasureText(f, text) + f.size * 0.2f > maxWidth)
    f.size -= 0.5f;
  return f.size;
}

Bitmap Congrats1() {
  const int w = 356, h = 68;
  Canvas c(w, h);
  std::string text = Tr("Congratulations!");
  float size = FitTitleSize(text, w - 8.0f, 44);
  DrawTitle(c, text, w / 2.0f, 52, size, Align::Center, {0, 0, w, h});
  return c.ToKeyed();
}

// Two phases of the board-cleared banner with one shared outline; sparkles and balloon colours
// change between them so the banner seems to twinkle.
std::vector<Bitmap> Congrats23() {
  const int w = 576, h = 290;
  Path cloud;
  cloud.AddRoundRect(70, 120, 436, 140, 60);
  const float puffs[][3] = {{120, 150, 55}, {200, 110, 70}, {288, 92, 80},  {378, 110, 70},
                            {456, 150, 55}, {160, 215, 50}, {420, 215, 50}, {288, 220, 60}};
  for (auto& p : puffs)
    cloud.AddCircle(p[0], p[1], p[2]);
  const float balloonSpots[4][3] = {
      {42, 95, 0.25f}, {92, 60, 0.1f}, {534, 95, -0.25f}, {484, 60, -0.1f}};
  std::vector<Canvas> phases;
  for (int phase = 0; phase < 2; ++phase) {
    Canvas c(w, h);
    for (int i = 0; i < 4; ++i) {
      int colour = (i + phase * 2 + (i > 1 ? 1 : 0)) % 5;
      DrawGameBalloon(c, balloonSpots[i][0], balloonSpots[i][1], 24, 28, colour, phase == i % 2, 60,
                      balloonSpots[i][2]);
    }
    Mask m = Rasterize(cloud, w, h);
    c.Fill(m.Dilated(3), Hex(0x4F79B0));
    c.Fill(m, VerticalGradient(20, Hex(0xFFFFFF), 270, Hex(0xD4E4F6)));
    Random rnd(300 + phase);
    for (int i = 0; i < 9; ++i) {
      float x = rnd.Range(130, 450), y = rnd.Range(40, 250);
      if (y > 60 && y < 235 && x > 150 && x < 430) continue;  // keep the text clear
      Path sp;
      sp.AddStar(x, y, rnd.Range(6, 10), 2.2f, 4);
      Mask sm = Rasterize(sp, w, h);
      sm.Intersect(m);
      c.Fill(sm, phase ? Hex(0xFF9A1E) : Hex(0xFFD23C));
    }
    // On the cloud, between the balloons at its sides.
    DrawTitle(c, Tr("Board cleared!"), w / 2.0f, 130, 46, Align::Center, {94, 80, 388, 70});
    TextStyle line;
    line.font.face = Face::SansBold;
    line.font.size = 26;
    line.fill = Solid(phase ? Hex(0xC03A8A) : kInk);
    DrawLine(c, line, Tr("+500000 points"), w / 2.0f, 176, Align::Center, {96, 150, 384, 34});
    line.font.face = Face::Sans;
    line.font.size = 19;
    line.fill = Solid(kInk);
    DrawLine(c, line, Tr("+1000 for every second left"), w / 2.0f, 210, Align::Center,
             {86, 188, 404, 30});
    phases.push_back(std::move(c));
  }
  return KeyedStates(phases);
}

Bitmap Congrats4() {
  const int w = 232, h = 60;
  Canvas c(w, h);
  DrawButtonFace(c, 0.5f, 0.5f, w - 1.0f, h - 1.0f, 18, GreenButton(), ButtonState::Normal);
  DrawButtonLabel(
      c, 0.5f, 0.5f, w - 1.0f, h - 1.0f, Tr("Click to continue"),
      [](Canvas& cv, float x, float y, float s, Color col) { IconPlay(cv, x, y, s, col); }, 20,
      ButtonState::Normal, GreenButton().border);
  return c.ToKeyed();
}

Bitmap GameOver(bool outOfTime) {
  const int w = 440, h = 250;
  Canvas c(w, h);
  DrawDialogCard(c, 10, 20);
  DrawTitle(c, Tr("Game Over"), w / 2.0f, 78, 50, Align::Center, {22, 18, w - 44.0f, 76});
  TextStyle sub;
  sub.font.face = Face::SansBold;
  sub.font.size = 28;
  sub.fill = Solid(kInk);
  // The picture and the reason side by side, centred together; a longer reason is made smaller
  // to keep both on the card.
  const std::string reason = outOfTime ? Tr("Out of time!") : Tr("No more moves");
  const float iconW = outOfTime ? 64 : 92, gap = 14, margin = 22;
  while (sub.font.size > 14 && iconW + gap + MeasureText(sub.font, reason) > w - 2 * margin)
    sub.font.size -= 0.5f;
  const float left = (w - (iconW + gap + MeasureText(sub.font, reason))) / 2;
  if (outOfTime) {
    const float ix = left + 30;
    IconClock(c, ix, 140, 62, Hex(0xFFFFFF), kInk);
    Path bolt = LightningPath(ix + 6, 118, 30, 56);
    Mask bm = Rasterize(bolt, w, h);
    c.Fill(bm.Dilated(1.8f), kInk);
    c.Fill(bm, VerticalGradient(118, Hex(0xFFF6B0), 174, Hex(0xFFA81E)));
  } else {
    DrawGameBalloon(c, left + 16, 132, 14, 16, 0, false, 10);
    DrawGameBalloon(c, left + 46, 128, 14, 16, 4, false, 14);
    DrawGameBalloon(c, left + 76, 134, 14, 16, 1, false, 8);
  }
  DrawLine(c, sub, reason, left + iconW + gap, 150, Align::Left,
           {margin + iconW + gap, 112, w - 2 * margin - iconW - gap, 50}, sub.font.size);
  TextStyle hint;
  hint.font.face = Face::Sans;
  hint.font.size = 16;
  hint.fill = Solid(Hex(0x4A5A80));
  DrawLine(c, hint, Tr("The best scores enter the Hall of Fame."), w / 2.0f, 200, Align::Center,
           {margin, 182, w - 2 * margin, 24});
  DrawLine(c, hint, Tr("Click to continue"), w / 2.0f, 224, Align::Center,
           {margin, 207, w - 2 * margin, 26});
  return c.ToOpaque(kCard);
}

Bitmap HallOfFameNotice() {
  const int w = 420, h = 190;
  Canvas c(w, h);
  DrawDialogCard(c, 10, 20);
  Canvas glow(w, h);
  IconTrophy(glow, 76, 96, 104, Hex(0xFFFFFF));
  c.Fill(glow.Alpha().Dilated(3), kInk);
  IconTrophy(c, 76, 96, 104, Hex(0xFFC21E));
  IconStar(c, 76, 82, 28, Hex(0xFFF6B0));
  // Right of the trophy, centred on x 262.
  // TRANSLATORS: the two lines of one sentence, "You made the / Hall of Fame!".
  DrawTitle(c, Tr("You made the"), 262, 78, 28, Align::Center, {134, 40, 256, 46});
  DrawTitle(c, Tr("Hall of Fame!"), 262, 118, 33, Align::Center, {134, 84, 256, 46});
  TextStyle sub;
  sub.font.face = Face::Sans;
  sub.font.size = 16;
  sub.fill = Solid(kInk);
  DrawLine(c, sub, Tr("Your score is among the top 20."), 262, 152, Align::Center,
           {134, 132, 256, 30});
  return c.ToOpaque(kCard);
}

// The game's picture in a launcher slot, under the slot's frame ring.
Bitmap LauncherButton() {
  const int w = kSlotWidth, h = kSlotHeight;
  Canvas art(w, h);
  FillSky(art, Hex(0x4FA3F0), Hex(0xCDEBFF), 0, h);
  DrawSunGlow(art, 226, 16, 10);
  DrawCloud(art, 60, 78, 120, 40, 51);
  DrawCloud(art, 200, 88, 110, 34, 52);
  const float spots[5][4] = {{190, 34, 0, 0.1f},
                             {212, 26, 3, -0.05f},
                             {231, 40, 4, -0.2f},
                             {176, 48, 1, 0.25f},
                             {207, 52, 2, 0.0f}};
  for (auto& s : spots)
    DrawGameBalloon(art, s[0], s[1], 10, 12, static_cast<int>(s[2]), s[2] == 3, 16, s[3]);
  DrawZeppoloLogo(art, 88, 55, 30, {8, 10, 160, 60});
  TextStyle tag;
  tag.font.face = Face::SansBold;
  tag.font.size = 12;
  tag.fill = Solid(kInk);
  tag.outline = 1.6f;
  tag.outlineColor = Hex(0xFFFFFF);
  // Inside the slot frame's ring.
  DrawLine(art, tag, Tr("Pop them before the storm!"), 125, 84, Align::Center, {9, 68, 232, 26});
  return ClipToSlot(art);
}

}  // namespace

void MakePlayScreenPictures(Output& out) {
  out.WriteBitmap(Folder::Game, "CloudAnimLeft.bmp", CloudStrip(false));
  out.WriteBitmap(Folder::Game, "CloudAnimRight.bmp", CloudStrip(true));
  out.WriteBitmap(Folder::Game, "scorefont.bmp", ScoreDigits());
  out.WriteBitmap(Folder::Game, "timer.bmp", Gauge());
  out.WriteBitmap(Folder::Game, "lightning.bmp", Lightning());
}

void MakePlayScreenLettering(Output& out) {
  out.WriteBitmap(Folder::Game, "background.bmp", Background());
  // TRANSLATORS: two short lines on a small button.
  out.WriteBitmap(Folder::Game, "newgame.bmp", MenuButton(Tr("New\nGame"), GreenButton()));
  out.WriteBitmap(Folder::Game, "menu.bmp", MenuButton(Tr("Menu"), BlueButton()));
  out.WriteBitmap(Folder::Game, "help.bmp", MenuButton(Tr("Help"), PurpleButton()));
  out.WriteBitmap(Folder::Game, "exit.bmp", MenuButton(Tr("Exit"), RedButton()));
  out.WriteBitmap(Folder::Game, "congrats1.bmp", Congrats1());
  std::vector<Bitmap> banner = Congrats23();
  out.WriteBitmap(Folder::Game, "congrats2.bmp", banner[0]);
  out.WriteBitmap(Folder::Game, "congrats3.bmp", banner[1]);
  out.WriteBitmap(Folder::Game, "congrats4.bmp", Congrats4());
  out.WriteBitmap(Folder::Game, "GameOverNMM.bmp", GameOver(false));
  out.WriteBitmap(Folder::Game, "GameOverOOT.bmp", GameOver(true));
  out.WriteBitmap(Folder::Game, "hallfamepop.bmp", HallOfFameNotice());
  out.WriteBitmap(Folder::Game, "HubbixButton.bmp", LauncherButton());
}

}  // namespace zepgen
