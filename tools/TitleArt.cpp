// A game's title page as the launcher shows it: the launcher's buttons and switches (in the
// launcher's folder) and the game's own title picture, rules and credits (in "title").

#include <cmath>
#include <string>

#include "tools/Art.h"
#include "tools/ControlsArt.h"
#include "tools/Groups.h"

namespace zepgen {

namespace {

// Player name fields: 150 x 30 each; field 0 sits one pixel right of the others.
constexpr int kFieldX[8] = {239, 408, 238, 408, 238, 408, 238, 408};
constexpr int kFieldY[8] = {378, 378, 420, 420, 464, 464, 510, 510};
constexpr int kFieldW = 150;

IconPainter Icon(void (*f)(Canvas&, float, float, float, Color)) {
  return [f](Canvas& c, float x, float y, float s, Color col) { f(c, x, y, s, col); };
}

Bitmap TitleBackground() {
  const int w = 800, h = 600;
  Canvas c(w, h);
  FillSky(c, Hex(0x2F86E0), Hex(0xC8ECFF), 0, h);
  DrawSunGlow(c, 690, 70, 34);
  DrawCloud(c, 150, 80, 240, 80, 101, 0.9f);
  DrawCloud(c, 560, 215, 260, 80, 102, 0.85f);
  DrawCloud(c, 120, 250, 200, 60, 103, 0.8f);
  for (int i = 0; i < 8; ++i)
    DrawCloud(c, 20 + i * 112.0f, 600, 190, 70, 110 + i);
  // Balloons rising around the title.
  const float spots[][5] = {{80, 130, 0, 0.2f, 0},  {130, 96, 3, -0.1f, 1}, {720, 150, 4, -0.2f, 1},
                            {670, 110, 1, 0.1f, 0}, {760, 96, 2, -0.3f, 0}, {40, 200, 1, 0.3f, 0},
                            {600, 40, 0, -0.1f, 0}, {200, 40, 4, 0.15f, 0}};
  for (auto& s : spots)
    DrawGameBalloon(c, s[0], s[1], 22, 26, static_cast<int>(s[2]), s[4] > 0, 70, s[3]);
  DrawZeppoloLogo(c, 400, 178, 112, {40, 40, 720, 186});
  TextStyle tag;
  tag.font.face = Face::SansBold;
  tag.font.size = 24;
  tag.fill = Solid(Hex(0xFFFFFF));
  tag.outline = 2.6f;
  tag.outlineColor = kInk;
  tag.shadowOpacity = 0.3f;
  tag.shadowDy = 2;
  tag.shadowBlur = 2;
  tag.shadowColor = kInk;
  // Between the logo and the buttons' row (y 296).
  DrawLine(c, tag, Tr("Pop the balloons before the storm!"), 400, 248, Align::Center,
           {20, 222, 760, 48});
  // The players' corner: a glass pane with the eight name plates.
  Path pane;
  pane.AddRoundRect(234, 308, 332, 244, 16);
  Mask paneMask = Rasterize(pane, w, h);
  c.Fill(paneMask.Blurred(4).Shifted(0, 3), Hex(0x103060), 0.25f);
  c.Fill(paneMask.Dilated(2), Hex(0xFFFFFF), 0.9f);
  c.Fill(paneMask, VerticalGradient(308, Hex(0x9ACBF5), 552, Hex(0x6FA8E6)));
  for (int i = 0; i < 8; ++i)
    DrawPlate(c, kFieldX[i] - 2.0f, kFieldY[i] - 3.0f, kFieldW + 2.0f, 29, kPlate, 6);
  TextStyle hint;
  hint.font.face = Face::SansBold;
  hint.font.size = 12.5f;
  hint.fill = Solid(Hex(0xFFFFFF));
  hint.outline = 1.6f;
  hint.outlineColor = kInk;
  // Under the last row of name plates, inside the pane.
  DrawLine(c, hint, Tr("Click a name to choose who plays"), 400, 549, Align::Center,
           {236, 537, 328, 17});
  TextStyle credit;
  credit.font.face = Face::SansBold;
  credit.font.size = 14;
  credit.fill = Solid(Hex(0xFFFFFF));
  credit.outline = 1.8f;
  credit.outlineColor = kInk;
  DrawLine(c, credit, "\xC2\xA9 QorvexGames", 784, 588, Align::Right, {560, 570, 232, 28});
  return c.ToOpaque(kSkyBottom);
}

// A sound switch: picture 0 is "on", picture 1 "off".
Bitmap Switch(bool music) {
  const int w = 52, h = 64;
  std::vector<Canvas> states;
  for (int s = 0; s < 2; ++s) {
    bool on = s == 0;
    ButtonPalette pal = on ? (music ? PurpleButton() : BlueButton()) : GreyButton();
    Canvas c(w, h);
    DrawButtonFace(c, 0.5f, 0.5f, w - 1.0f, h - 1.0f, 12, pal, ButtonState::Normal);
    Canvas icon(w, h);
    if (music)
      IconNote(icon, 26, 24, 30, {1, 1, 1});
    else
      IconSpeaker(icon, 27, 24, 30, {1, 1, 1}, on);
    if (!on) IconCross(icon, 34, 30, 20, Hex(0xFF4A4A));
    c.Fill(icon.Alpha().Dilated(1.3f), pal.border);
    c.Draw(icon, 0, 0);
    TextStyle label;
    label.font.face = Face::SansBold;
    label.font.size = 11;
    label.fill = Solid(Hex(0xFFFFFF));
    label.outline = 1.4f;
    label.outlineColor = pal.border;
    // On the face under the icon.
    DrawLine(c, label, music ? Tr("Music") : Tr("Sound"), 26, 52, Align::Center, {3, 40, 46, 16});
    states.push_back(std::move(c));
  }
  return JoinFrames(KeyedStates(states), false);
}

// Small pictures beside each rule.
void RuleIcon(Canvas& c, int which, float cx, float cy) {
  switch (which) {
    case 0:  // a pair popping
      DrawGameBalloon(c, cx - 10, cy - 2, 10, 12, 0, false, 8);
      DrawGameBalloon(c, cx + 12, cy - 2, 10, 12, 0, false, 8);
      break;
    case 1: {  // rising labels
      TextStyle st;
      st.font.face = Face::SansBold;
      st.font.size = 13;
      st.outline = 1.3f;
      st.outlineColor = kInk;
      st.fill = Solid(Hex(0xFF4A4A));
      // Three labels rising one above the other, left of the rule's text.
      const Box space = {cx - 36, cy - 30, 72, 48};
      DrawLine(c, st, "100", cx - 12, cy + 13, Align::Center, space, 13);
      st.fill = Solid(Hex(0xFFE040));
      DrawLine(c, st, "200", cx + 8, cy - 1, Align::Center, space, 13);
      st.fill = Solid(Hex(0x4FA8FF));
      DrawLine(c, st, "300", cx + 12, cy - 15, Align::Center, space, 13);
      break;
    }
    case 2:  // a star balloon
      DrawGameBalloon(c, cx, cy - 2, 13, 15, 3, true, 6);
      break;
    case 3: {  // a cloud blowing
      Path cloud = CloudPath(cx - 4, cy - 4, 40, 26, 7);
      Mask m = Rasterize(cloud, c.Width(), c.Height());
      c.Fill(m.Dilated(1.3f), Hex(0x4F79B0));
      c.Fill(m, VerticalGradient(cy - 16, Hex(0xFFFFFF), cy + 10, Hex(0xCFE0F3)));
      IconArrow(c, cx + 20, cy + 2, 18, Hex(0xFF9A1E), true);
      break;
    }
    case 4:  // a big balloon
      DrawGameBalloon(c, cx, cy - 4, 17, 20, 4, false, 6);
      break;
    case 5:  // an empty board
      IconTrophy(c, cx, cy, 40, Hex(0xFFB21E));
      break;
    default: {  // the clock and the storm
      IconClock(c, cx - 4, cy, 36, Hex(0xFFFFFF), kInk);
      Path bolt = LightningPath(cx + 2, cy - 8, 16, 28);
      Mask bm = Rasterize(bolt, c.Width(), c.Height());
      c.Fill(bm.Dilated(1.2f), kInk);
      c.Fill(bm, Hex(0xFFD23C));
      break;
    }
  }
}

Bitmap HowToPlay() {
  const int w = 694, h = 564;
  Canvas c(w, h);
  DrawDialogCard(c, 10, 22);
  DrawTitle(c, Tr("How to Play"), w / 2.0f, 48, 34, Align::Center, {24, 8, 646, 54});
  const char* rules[] = {
      Tr("Click a group of two or more touching balloons of the same colour to pop it. Balloons "
         "touch side by side or above and below, not corner to corner. The balloons below float "
         "up into the gaps."),
      Tr("The bigger the group, the more it is worth: the first balloon pops for 100 points, the "
         "second for 200, the third for 300 and so on. A group of 5 scores 1500."),
      Tr("Star balloons are bonuses: every star in a group adds twice the group's points again "
         "(x2, x4, x6). Each colour has three stars."),
      Tr("Click a cloud to blow its row away from it: the balloons slide to the far side. A right "
         "click blows a row too: the top row and every second row go left, the others go right."),
      Tr("Pop the last balloon of a colour to clear it: 100000 points and 30 more seconds."),
      Tr("Clear the whole board for 500000 points and 1000 points for every second left."),
      Tr("You have 200 seconds. When the clock runs out the storm breaks and the game is over; it "
         "also ends when no move is left."),
  };
  // The keys and the controller's buttons, on a plate of their own like the table of a manual.
  // TRANSLATORS: "key" texts are the names printed on a keyboard's keys in your language;
  // "pad" texts are a game controller's buttons and sticks.
  const std::vector<ControlLine> controls = {
      {Tr("Move"), {Tr("key", "Arrows")}, {Tr("pad", "D-pad"), Tr("pad", "Stick")}},
      {Tr("Pop a group"), {Tr("key", "Space"), Tr("key", "Enter")}, {"A"}},
      {Tr("Blow the row"),
       {Tr("key", "Ctrl+\xE2\x86\x90"), Tr("key", "Ctrl+\xE2\x86\x92")},
       {"LB", "RB"}},
      {Tr("New game"), {"N"}, {Tr("pad", "Start")}},
      {Tr("Rules"), {"H"}, {"Y"}},
      {Tr("Menu"), {"M"}, {Tr("pad", "Back")}},
      {Tr("Close a picture"), {Tr("key", "Enter"), Tr("key", "Space")}, {"A", "B"}},
      {Tr("Full screen"), {Tr("key", "Alt+Enter")}, {}},
      {Tr("Quit"), {Tr("key", "Esc")}, {}},
  };
  const float linePitch = 24;
  const float rows = 5;
  const float plateH = 28 + rows * linePitch;
  // The rules take the column right of their pictures down to where the plate must begin to end
  // above the closing line; a longer translation makes their lettering smaller. Small enough to
  // leave room for the keys below, large enough to read on a handheld's screen.
  const float footTop = 532;
  const Box rulesSpace = {90, 60, 586, footTop - plateH - 4 - 60};
  TextStyle body;
  body.font.face = Face::Sans;
  body.fill = Solid(Hex(0x1F2F55));
  // Each rule in a row at least as tall as its picture, the text in the row's middle.
  auto layOut = [&](float size, Canvas* into) {
    body.font.size = size;
    const float pitch = std::round(body.font.size * 1.15f);
    float y = 62;
    for (int i = 0; i < 7; ++i) {
      const float text = WrapText(body.font, rules[i], 572).size() * pitch;
      const float row = std::max(text, 40.0f);
      if (into) {
        DrawParagraph(*into, body, rules[i], 96, y + (row - text) / 2, 572, rulesSpace, 1.15f);
        RuleIcon(*into, i, 58, y + row / 2 - 2);
      }
      y += row + 3;
    }
    return y;
  };
  float size = 14;
  while (size > 10 && layOut(size, nullptr) + 2 > rulesSpace.Bottom())
    size -= 0.5f;
  const float plateTop = layOut(size, &c) + 2;
  DrawPlate(c, 30, plateTop, w - 60.0f, plateH, Hex(0xEEF6FF), 10);
  TextStyle head;
  head.font.face = Face::SansBold;
  head.font.size = 15;
  head.fill = Solid(Hex(0x3C6FC4));
  DrawLine(c, head, Tr("Keys and controller"), w / 2.0f, plateTop + 19, Align::Center,
           {36, plateTop + 2, w - 72.0f, 24});
  DrawControls(c, controls, 44, plateTop + 26, 322, 2, linePitch, 120, w - 34.0f);
  TextStyle foot;
  foot.font.face = Face::SansBold;
  foot.font.size = 14;
  foot.fill = Solid(Hex(0x3C6FC4));
  DrawLine(c, foot, Tr("Click anywhere, or press Enter or A, to close"), w / 2.0f, 549,
           Align::Center, {24, footTop, w - 48.0f, 24});
  return c.ToOpaque(kCard);
}

Bitmap Credits() {
  const int w = 694, h = 564;
  Canvas c(w, h);
  DrawDialogCard(c, 10, 22);
  DrawGameBalloon(c, 90, 110, 26, 30, 0, false, 80, 0.2f);
  DrawGameBalloon(c, 130, 84, 26, 30, 1, true, 90, 0.05f);
  DrawGameBalloon(c, 604, 110, 26, 30, 4, false, 80, -0.2f);
  DrawGameBalloon(c, 564, 84, 26, 30, 3, true, 90, -0.05f);
  // The title and the logo between the balloons.
  DrawTitle(c, Tr("Credits"), w / 2.0f, 62, 40, Align::Center, {160, 10, 374, 68});
  DrawZeppoloLogo(c, w / 2.0f, 150, 64, {160, 78, 374, 100});
  TextStyle sub;
  sub.font.face = Face::SansBold;
  sub.font.size = 19;
  sub.fill = Solid(Hex(0x3C6FC4));
  DrawLine(c, sub, Tr("A QorvexGames game"), w / 2.0f, 190, Align::Center, {24, 170, 646, 30});
  struct Line {
    const char* role;
    const char* who;
  };
  const Line lines[] = {
      {Tr("Game design"), "QorvexGames"},
      {Tr("Programming"), "QorvexGames"},
      {Tr("Pictures"), "QorvexGames"},
      {Tr("Sound effects and music"), "QorvexGames"},
      {Tr("Lettering"), Tr("DejaVu fonts")},
      {Tr("Built with"), Tr("SDL2, libmpg123, FreeType and LAME")},
  };
  TextStyle role;
  role.font.face = Face::Sans;
  role.font.size = 17;
  role.fill = Solid(Hex(0x4A5A80));
  TextStyle who;
  who.font.face = Face::SansBold;
  who.font.size = 17;
  who.fill = Solid(kInk);
  // Roles end at x 282, names begin at 302.
  float y = 240;
  for (const Line& l : lines) {
    DrawLine(c, role, l.role, 282, y, Align::Right, {24, y - 22, 262, 30});
    DrawLine(c, who, l.who, 302, y, Align::Left, {298, y - 22, 372, 30});
    y += 34;
  }
  DrawTitle(c, Tr("Thank you for playing!"), w / 2.0f, 478, 30, Align::Center, {24, 440, 646, 52});
  TextStyle foot;
  foot.font.face = Face::SansBold;
  foot.font.size = 14;
  foot.fill = Solid(Hex(0x3C6FC4));
  DrawLine(c, foot, Tr("Click anywhere to close"), w / 2.0f, 540, Align::Center,
           {24, 522, 646, 30});
  return c.ToOpaque(kCard);
}

}  // namespace

void MakeTitlePictures(Output& out) {
  out.WriteBitmap(Folder::Launcher, "HowToPlayButton.bmp",
                  ButtonStrip(180, 62, 2, BlueButton(), Tr("How to Play"), Icon(IconBook), 18));
  out.WriteBitmap(Folder::Launcher, "HighScoresButton.bmp",
                  ButtonStrip(180, 62, 2, PurpleButton(), Tr("High Scores"), Icon(IconTrophy), 18));
  out.WriteBitmap(Folder::Launcher, "CreditsButton.bmp",
                  ButtonStrip(180, 62, 2, TealButton(), Tr("Credits"), Icon(IconStar), 18));
  out.WriteBitmap(Folder::Launcher, "PlayButton.bmp",
                  ButtonStrip(160, 62, 2, GreenButton(), Tr("Play"), Icon(IconPlay), 24));
  out.WriteBitmap(Folder::Launcher, "MenuButton.bmp",
                  ButtonStrip(160, 62, 2, BlueButton(), Tr("Menu"), Icon(IconHome), 24));
  out.WriteBitmap(Folder::Launcher, "ExitButton.bmp",
                  ButtonStrip(160, 62, 2, RedButton(), Tr("Exit"), Icon(IconPower), 24));
  out.WriteBitmap(Folder::Launcher, "PlayersButton.bmp",
                  ButtonStrip(236, 52, 2, OrangeButton(), Tr("Players"), Icon(IconPerson), 20));
  out.WriteBitmap(Folder::Launcher, "sfx.bmp", Switch(false));
  out.WriteBitmap(Folder::Launcher, "music.bmp", Switch(true));
  out.WriteBitmap(Folder::Title, "titlebackground.bmp", TitleBackground());
  out.WriteBitmap(Folder::Title, "HowToPlay.bmp", HowToPlay());
  out.WriteBitmap(Folder::Title, "Credits.bmp", Credits());
}

}  // namespace zepgen
