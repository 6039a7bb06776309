// The launcher's pages screen: its background with the twelve slots, the slot frame, the
// collect picture, page digits and arrows, the Info and Exit buttons, the information screen
// and the Back button shared by the launcher's dialogs.

#include <cmath>
#include <string>

#include "tools/Art.h"
#include "tools/ControlsArt.h"
#include "tools/Groups.h"

namespace zepgen {

namespace {

constexpr int kSlotX[3] = {14, 271, 528};
constexpr int kSlotY[4] = {140, 247, 355, 461};
// Page digits end at x 716, y 30; the left arrow (38 wide at x 638) leaves room for two.
constexpr int kPageDigitW = 19, kPageDigitH = 28;
constexpr int kArrowSize = 38;

Bitmap Background() {
  Canvas c(800, 600);
  FillSky(c, kSkyTop, kSkyBottom, 0, 600);
  DrawSunGlow(c, 600, 40, 22);
  DrawCloud(c, 120, 118, 260, 70, 61, 0.9f);
  DrawCloud(c, 470, 100, 220, 60, 62, 0.8f);
  for (int i = 0; i < 7; ++i)
    DrawCloud(c, 40 + i * 125.0f, 596, 200, 64, 70 + i);
  // Studio name and what the screen is for, left of the Info button (637, 89) and above the
  // slots (y 140).
  DrawTitle(c, "QorvexGames", 24, 78, 58, Align::Left, {14, 6, 614, 92});
  TextStyle sub;
  sub.font.face = Face::SansBold;
  sub.font.size = 20;
  sub.fill = Solid(Hex(0xFFFFFF));
  sub.outline = 2.2f;
  sub.outlineColor = kInk;
  DrawLine(c, sub, std::string("Hubbix  \xE2\x80\xA2  ") + Tr("choose a game to play"), 30, 118,
           Align::Left, {20, 94, 610, 44});
  // Empty slots show as soft glass panes until a game or a frame is drawn over them.
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col) {
      Path slot = SlotOutline();
      slot.Transform(1, 1, static_cast<float>(kSlotX[col]), static_cast<float>(kSlotY[row]));
      Mask m = Rasterize(slot, 800, 600);
      c.Fill(m.Blurred(3).Shifted(0, 3), Hex(0x103060), 0.18f);
      c.Fill(m, Hex(0xFFFFFF), 0.28f);
      Path in;
      in.AddRoundRect(kSlotX[col] + 2.0f, kSlotY[row] + 2.0f, kSlotWidth - 4.0f, kSlotHeight - 4.0f,
                      kSlotRadius - 2);
      Mask ring = m;
      ring.Subtract(Rasterize(in, 800, 600));
      c.Fill(ring, Hex(0xFFFFFF), 0.6f);
    }
  // The page number sits on a plate between the arrows.
  DrawPlate(c, 672, 20, 64, 48, kPlate, 8);
  return c.ToOpaque(kSkyBottom);
}

Bitmap SlotFrame() {
  const int w = kSlotWidth, h = kSlotHeight;
  std::vector<Canvas> states;
  for (int s = 0; s < 3; ++s) {
    Canvas c(w, h);
    Mask outer = Rasterize(SlotOutline(), w, h);
    Path in;
    in.AddRoundRect(kSlotRing, kSlotRing, w - 2 * kSlotRing, h - 2 * kSlotRing,
                    kSlotRadius - kSlotRing + 1);
    Mask inner = Rasterize(in, w, h);
    Mask ring = outer;
    ring.Subtract(inner);
    Color top = Hex(0xFFFFFF), bottom = Hex(0xB8D4F2), edge = kCardEdge;
    if (s == 1) {
      top = Hex(0xFFF7C0);
      bottom = Hex(0xFFB52E);
      edge = Hex(0x9A5A00);
    } else if (s == 2) {
      top = Hex(0xFFB060);
      bottom = Hex(0xE06A10);
      edge = Hex(0x7A3000);
    }
    c.Fill(ring, edge);
    Path face;
    face.AddRoundRect(1.8f, 1.8f, w - 3.6f, h - 3.6f, kSlotRadius - 1.3f);
    Path faceIn;
    faceIn.AddRoundRect(kSlotRing - 1.3f, kSlotRing - 1.3f, w - 2 * kSlotRing + 2.6f,
                        h - 2 * kSlotRing + 2.6f, kSlotRadius - kSlotRing + 2.3f);
    Mask faceMask = Rasterize(face, w, h);
    faceMask.Subtract(Rasterize(faceIn, w, h));
    c.Fill(faceMask, VerticalGradient(0, top, h, bottom));
    // A highlight along the top edge.
    Mask shine = faceMask;
    shine.Intersect(RectMask(w, h, 0, 0, w, 4.5f));
    c.Fill(shine, Hex(0xFFFFFF), 0.6f);
    states.push_back(std::move(c));
  }
  return JoinFrames(KeyedStates(states), false);
}

Bitmap Collect() {
  const int w = kSlotWidth, h = kSlotHeight;
  Canvas art(w, h);
  FillSky(art, Hex(0x7A4FD6), Hex(0xE3A0F0), 0, h);
  DrawCloud(art, 200, 90, 120, 40, 81, 0.7f);
  DrawCloud(art, 40, 96, 100, 34, 82, 0.7f);
  // A big plus in a bubble.
  Path bubble;
  bubble.AddCircle(44, 51, 25);
  Mask bm = Rasterize(bubble, w, h);
  art.Fill(bm.Dilated(2.5f), kInk);
  art.Fill(bm, RadialGradient(37, 42, 30, 30, Hex(0xFFF6B0), Hex(0xFFB52E)));
  Path plus;
  plus.AddRoundRect(40, 36, 8, 30, 3);
  plus.AddRoundRect(29, 47, 30, 8, 3);
  Mask pm = Rasterize(plus, w, h);
  art.Fill(pm.Dilated(1.5f), kInk);
  art.Fill(pm, Hex(0xFFFFFF));
  // Right of the bubble, inside the frame's ring.
  TextStyle big;
  big.font.face = Face::SansBold;
  big.font.size = 24;
  big.fill = Solid(Hex(0xFFFFFF));
  big.outline = 2.4f;
  big.outlineColor = kInk;
  DrawLine(art, big, Tr("More games!"), 157, 52, Align::Center, {76, 18, 162, 42});
  TextStyle small = big;
  small.font.size = 12;
  small.outline = 1.6f;
  DrawLine(art, small, Tr("from QorvexGames"), 157, 76, Align::Center, {80, 61, 154, 26});
  return ClipToSlot(art);
}

Bitmap PageDigits() {
  Bitmap strip(kPageDigitW * 10, kPageDigitH);
  for (int d = 0; d < 10; ++d) {
    Canvas c(kPageDigitW, kPageDigitH);
    c.FillAll(Solid(kPlate));
    TextStyle st;
    st.font.face = Face::SansBold;
    st.font.size = 25;
    st.font.scaleX = 0.85f;
    st.fill = VerticalGradient(4, Hex(0x3C6FC4), 24, kInk);
    DrawLine(c, st, std::to_string(d), kPageDigitW / 2.0f, 23, Align::Center,
             {0, 0, kPageDigitW, kPageDigitH});
    strip.Paste(c.ToOpaque(kPlate), d * kPageDigitW, 0);
  }
  return strip;
}

Bitmap RoundArrow(bool right) {
  std::vector<Canvas> states;
  for (int s = 0; s < 2; ++s) {
    Canvas c(kArrowSize, kArrowSize);
    ButtonState st = s ? ButtonState::Hover : ButtonState::Normal;
    DrawButtonFace(c, 0.5f, 0.5f, kArrowSize - 1.0f, kArrowSize - 1.0f, kArrowSize / 2.0f,
                   OrangeButton(), st);
    Canvas icon(kArrowSize, kArrowSize);
    IconArrow(icon, kArrowSize / 2.0f, 17, 24, {1, 1, 1}, right);
    c.Fill(icon.Alpha().Dilated(1.3f), OrangeButton().border);
    IconArrow(c, kArrowSize / 2.0f, 17, 24, {1, 1, 1}, right);
    states.push_back(std::move(c));
  }
  return JoinFrames(KeyedStates(states), false);
}

Bitmap InfoScreen() {
  const int w = 800, h = 600;
  Canvas c(w, h);
  DrawDialogCard(c, 14, 24);
  // The title and its line above the balloons in the top right corner.
  DrawTitle(c, Tr("Welcome to Hubbix"), 48, 84, 46, Align::Left, {34, 22, 730, 80});
  TextStyle sub;
  sub.font.face = Face::SansBold;
  sub.font.size = 18;
  sub.fill = Solid(Hex(0x3C6FC4));
  DrawLine(c, sub, Tr("The QorvexGames game launcher"), 52, 116, Align::Left, {44, 96, 616, 34});
  // Decoration in the free corner above the Back button.
  DrawGameBalloon(c, 690, 150, 20, 24, 0, false, 60, 0.15f);
  DrawGameBalloon(c, 730, 130, 20, 24, 4, true, 70, -0.1f);
  DrawGameBalloon(c, 750, 176, 18, 22, 1, false, 50, -0.25f);
  struct Section {
    const char* head;
    const char* body;
  };
  const Section sections[] = {
      {Tr("Playing a game"),
       Tr("Click a game's picture to open its page. Choose your player there, then press Play.")},
      {Tr("Pages"),
       Tr("Each page holds twelve games; the arrows at the top right turn the pages.")},
      {Tr("Players"),
       Tr("Eight players can share this computer. On a game's page, click a name to make it the "
          "current player. The Players button changes the name, address and e-mail.")},
      {Tr("Sound and music"),
       Tr("The two switches on a game's page turn the sound effects and the music on or off.")},
      {Tr("Hall of Fame"),
       Tr("Every game keeps its 20 best scores. Upload sends the best one to QorvexGames; Clear "
          "empties the table.")},
      {Tr("More games"),
       Tr("The slot after the last game opens the QorvexGames web site, where more games wait.")},
  };
  const std::vector<ControlLine> controls = {
      {Tr("Choose"),
       {Tr("key", "Tab"), Tr("key", "Arrows")},
       {Tr("pad", "D-pad"), Tr("pad", "Stick")}},
      {Tr("Press"), {Tr("key", "Enter"), Tr("key", "Space")}, {"A"}},
      {Tr("Turn pages"), {Tr("key", "PgUp"), Tr("key", "PgDn")}, {"LB", "RB"}},
      {Tr("Go back"), {}, {"B"}},
      {Tr("Play"), {}, {Tr("pad", "Start")}},
      {Tr("Quit"), {Tr("key", "Esc")}, {}},
  };
  // The sections and the keys take the column left of the Back button (689, 370) down to the
  // line at the foot; a longer translation makes the sections' lettering smaller.
  const Box column = {52, 128, 628, 424};
  const float textX = 78, textW = 596;
  TextStyle head;
  head.font.face = Face::SansBold;
  head.fill = Solid(kInk);
  TextStyle body;
  body.font.face = Face::Sans;
  body.fill = Solid(Hex(0x2A3A60));
  auto layOut = [&](float scale, Canvas* into) {
    head.font.size = 16 * scale;
    body.font.size = 14 * scale;
    float y = 132;
    int i = 0;
    auto dot = [&](float top) {
      Path p;
      p.AddCircle(60, top + 7, 7);
      if (into) into->FillPath(p, BalloonColor(i % 5));
      ++i;
    };
    for (const Section& s : sections) {
      dot(y);
      const float headBase = y + std::round(13 * scale);
      const float top = y + std::round(20 * scale);
      if (into) {
        DrawLine(*into, head, s.head, textX, headBase, Align::Left, column);
        y = DrawParagraph(*into, body, s.body, textX, top, textW, column, 1.15f) + 6;
      } else {
        y = top + ParagraphHeight(body.font, s.body, textW, 1.15f) + 6;
      }
    }
    // Without a mouse: the keys and a controller's buttons.
    dot(y);
    if (into) {
      DrawLine(*into, head, Tr("Keys and controller"), textX, y + std::round(13 * scale),
               Align::Left, column);
      return DrawControls(*into, controls, textX, y + 22, 310, 2, 24, 90, 770);
    }
    return y + 22 + 3 * 24.0f;
  };
  float scale = 1;
  while (scale > 0.6f && layOut(scale, nullptr) > column.Bottom())
    scale -= 0.025f;
  layOut(scale, &c);
  TextStyle foot;
  foot.font.face = Face::Sans;
  foot.font.size = 14;
  foot.fill = Solid(Hex(0x5A6A90));
  DrawLine(c, foot, "Hubbix \xC2\xA9 QorvexGames", w / 2.0f, 570, Align::Center,
           {30, 554, 740, 30});
  return c.ToOpaque(kCard);
}

}  // namespace

Bitmap BackButtonStrip() {
  return ButtonStrip(
      84, 46, 2, BlueButton(), Tr("Back"),
      [](Canvas& c, float x, float y, float s, Color col) { IconArrow(c, x, y, s, col, false); });
}

void MakePagesPictures(Output& out) {
  out.WriteBitmap(Folder::Launcher, "GameButton.bmp", SlotFrame());
  out.WriteBitmap(Folder::Launcher, "PageNumbers.bmp", PageDigits());
  out.WriteBitmap(Folder::Launcher, "PageArrowsLeft.bmp", RoundArrow(false));
  out.WriteBitmap(Folder::Launcher, "PageArrowsRight.bmp", RoundArrow(true));
}

void MakePagesLettering(Output& out) {
  out.WriteBitmap(Folder::Launcher, "background.bmp", Background());
  out.WriteBitmap(Folder::Launcher, "CollectButton.bmp", Collect());
  out.WriteBitmap(Folder::Launcher, "Info.bmp",
                  ButtonStrip(76, 44, 2, TealButton(), Tr("Info"),
                              [](Canvas& c, float x, float y, float s, Color col) {
                                IconInfo(c, x, y, s, col);
                              }));
  out.WriteBitmap(Folder::Launcher, "SmallExit.bmp",
                  ButtonStrip(76, 44, 2, RedButton(), Tr("Exit"),
                              [](Canvas& c, float x, float y, float s, Color col) {
                                IconPower(c, x, y, s, col);
                              }));
  out.WriteBitmap(Folder::Launcher, "infoscreen.bmp", InfoScreen());
  // One picture under both spellings the programs use. A language's folder needs only one:
  // the file layer finds a name whatever its case when only one entry matches.
  Bitmap back = BackButtonStrip();
  out.WriteBitmap(Folder::Launcher, "backbutton.bmp", back);
  if (!out.Translating()) out.WriteBitmap(Folder::Launcher, "BackButton.bmp", back);
}

}  // namespace zepgen
