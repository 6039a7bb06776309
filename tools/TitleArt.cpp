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
  DrawZeppoloLogo(c, 400, 178, 112);
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
  DrawText(c, tag, "Pop the balloons before the storm!", 400, 248, Align::Center);
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
  DrawText(c, hint, "Click a name to choose who plays", 400, 549, Align::Center);
  TextStyle credit;
  credit.font.face = Face::SansBold;
  credit.font.size = 14;
  credit.fill = Solid(Hex(0xFFFFFF));
  credit.outline = 1.8f;
  credit.outlineColor = kInk;
  DrawText(c, credit, "\xC2\xA9 QorvexGames", 784, 588, Align::Right);
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
    DrawText(c, label, music ? "Music" : "Sound", 26, 52, Align::Center);
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
      DrawText(c, st, "100", cx - 12, cy + 12, Align::Center);
      st.fill = Solid(Hex(0xFFE040));
      DrawText(c, st, "200", cx + 8, cy, Align::Center);
      st.fill = Solid(Hex(0x4FA8FF));
      DrawText(c, st, "300", cx + 12, cy - 12, Align::Center);
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
  DrawTitle(c, "How to Play", w / 2.0f, 48, 34);
  const char* rules[] = {
      "Click a group of two or more touching balloons of the same colour to pop it. Balloons "
      "touch side by side or above and below, not corner to corner. The balloons below float "
      "up into the gaps.",
      "The bigger the group, the more it is worth: the first balloon pops for 100 points, the "
      "second for 200, the third for 300 and so on. A group of 5 scores 1500.",
      "Star balloons are bonuses: every star in a group adds twice the group's points again "
      "(x2, x4, x6). Each colour has three stars.",
      "Click a cloud to blow its row away from it: the balloons slide to the far side. A right "
      "click blows a row too: the top row and every second row go left, the others go right.",
      "Pop the last balloon of a colour to clear it: 100000 points and 30 more seconds.",
      "Clear the whole board for 500000 points and 1000 points for every second left.",
      "You have 200 seconds. When the clock runs out the storm breaks and the game is over; it "
      "also ends when no move is left.",
  };
  // Small enough to leave room for the keys below, large enough to read on a handheld's screen.
  TextStyle body;
  body.font.face = Face::Sans;
  body.font.size = 14;
  body.fill = Solid(Hex(0x1F2F55));
  // Each rule in a row at least as tall as its picture, the text in the row's middle.
  const float pitch = std::round(body.font.size * 1.15f);
  float y = 62;
  for (int i = 0; i < 7; ++i) {
    const float text = WrapText(body.font, rules[i], 572).size() * pitch;
    const float row = std::max(text, 40.0f);
    DrawParagraph(c, body, rules[i], 96, y + (row - text) / 2, 572, 1.15f);
    RuleIcon(c, i, 58, y + row / 2 - 2);
    y += row + 3;
  }
  // The keys and the controller's buttons, on a plate of their own like the table of a manual.
  const std::vector<ControlLine> controls = {
      {"Move", {"Arrows"}, {"D-pad", "Stick"}},
      {"Pop a group", {"Space", "Enter"}, {"A"}},
      {"Blow the row", {"Ctrl+\xE2\x86\x90", "Ctrl+\xE2\x86\x92"}, {"LB", "RB"}},
      {"New game", {"N"}, {"Start"}},
      {"Rules", {"H"}, {"Y"}},
      {"Menu", {"M"}, {"Back"}},
      {"Close a picture", {"Enter", "Space"}, {"A", "B"}},
      {"Full screen", {"Alt+Enter"}, {}},
      {"Quit", {"Esc"}, {}},
  };
  const float plateTop = y + 2;
  const float linePitch = 24;
  const float rows = 5;
  DrawPlate(c, 30, plateTop, w - 60.0f, 28 + rows * linePitch, Hex(0xEEF6FF), 10);
  TextStyle head;
  head.font.face = Face::SansBold;
  head.font.size = 15;
  head.fill = Solid(Hex(0x3C6FC4));
  DrawText(c, head, "Keys and controller", w / 2.0f, plateTop + 19, Align::Center);
  DrawControls(c, controls, 44, plateTop + 26, 322, 2, linePitch, 120);
  TextStyle foot;
  foot.font.face = Face::SansBold;
  foot.font.size = 14;
  foot.fill = Solid(Hex(0x3C6FC4));
  DrawText(c, foot, "Click anywhere, or press Enter or A, to close", w / 2.0f, 549, Align::Center);
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
  DrawTitle(c, "Credits", w / 2.0f, 62, 40);
  DrawZeppoloLogo(c, w / 2.0f, 150, 64);
  TextStyle sub;
  sub.font.face = Face::SansBold;
  sub.font.size = 19;
  sub.fill = Solid(Hex(0x3C6FC4));
  DrawText(c, sub, "A QorvexGames game", w / 2.0f, 190, Align::Center);
  struct Line {
    const char* role;
    const char* who;
  };
  const Line lines[] = {
      {"Game design", "QorvexGames"}, {"Programming", "QorvexGames"},
      {"Pictures", "QorvexGames"},    {"Sound effects and music", "QorvexGames"},
      {"Lettering", "DejaVu fonts"},  {"Built with", "SDL2, libmpg123, FreeType and LAME"},
  };
  TextStyle role;
  role.font.face = Face::Sans;
  role.font.size = 17;
  role.fill = Solid(Hex(0x4A5A80));
  TextStyle who;
  who.font.face = Face::SansBold;
  who.font.size = 17;
  who.fill = Solid(kInk);
  float y = 240;
  for (const Line& l : lines) {
    DrawText(c, role, l.role, 282, y, Align::Right);
    DrawText(c, who, l.who, 302, y, Align::Left);
    y += 34;
  }
  DrawTitle(c, "Thank you for playing!", w / 2.0f, 478, 30);
  TextStyle foot;
  foot.font.face = Face::SansBold;
  foot.font.size = 14;
  foot.fill = Solid(Hex(0x3C6FC4));
  DrawText(c, foot, "Click anywhere to close", w / 2.0f, 540, Align::Center);
  return c.ToOpaque(kCard);
}

}  // namespace

void MakeTitlePictures(Output& out) {
  out.WriteBitmap(Folder::Launcher, "HowToPlayButton.bmp",
                  ButtonStrip(180, 62, 2, BlueButton(), "How to Play", Icon(IconBook), 18));
  out.WriteBitmap(Folder::Launcher, "HighScoresButton.bmp",
                  ButtonStrip(180, 62, 2, PurpleButton(), "High Scores", Icon(IconTrophy), 18));
  out.WriteBitmap(Folder::Launcher, "CreditsButton.bmp",
                  ButtonStrip(180, 62, 2, TealButton(), "Credits", Icon(IconStar), 18));
  out.WriteBitmap(Folder::Launcher, "PlayButton.bmp",
                  ButtonStrip(160, 62, 2, GreenButton(), "Play", Icon(IconPlay), 24));
  out.WriteBitmap(Folder::Launcher, "MenuButton.bmp",
                  ButtonStrip(160, 62, 2, BlueButton(), "Menu", Icon(IconHome), 24));
  out.WriteBitmap(Folder::Launcher, "ExitButton.bmp",
                  ButtonStrip(160, 62, 2, RedButton(), "Exit", Icon(IconPower), 24));
  out.WriteBitmap(Folder::Launcher, "PlayersButton.bmp",
                  ButtonStrip(236, 52, 2, OrangeButton(), "Players", Icon(IconPerson), 20));
  out.WriteBitmap(Folder::Launcher, "sfx.bmp", Switch(false));
  out.WriteBitmap(Folder::Launcher, "music.bmp", Switch(true));
  out.WriteBitmap(Folder::Title, "titlebackground.bmp", TitleBackground());
  out.WriteBitmap(Folder::Title, "HowToPlay.bmp", HowToPlay());
  out.WriteBitmap(Folder::Title, "Credits.bmp", Credits());
}

}  // namespace zepgen
