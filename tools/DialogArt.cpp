// The launcher's players dialog and hall-of-fame dialog: their panels and buttons. Both panels
// are 694 x 564 so that, centred, they land at (53, 18) where the dialogs are placed.

#include <string>

#include "tools/Art.h"
#include "tools/Groups.h"

namespace zepgen {

namespace {

constexpr int kPanelW = 694, kPanelH = 564;
// Entry boxes of the players dialog, panel coordinates (x, y, width, height).
constexpr int kBoxX = 50, kBoxW = 580, kBoxH = 26;
constexpr int kBoxY[3] = {270, 336, 404};
// Hall of fame table: rows 26 apart from y 275; names at x 56 / 387, scores at 256 / 587.
constexpr int kRowTop = 275, kRowPitch = 26;

IconPainter Icon(void (*f)(Canvas&, float, float, float, Color)) {
  return [f](Canvas& c, float x, float y, float s, Color col) { f(c, x, y, s, col); };
}

// Two paragraphs of help from (x, top), gap apart, in size or smaller where a translation would
// leave their space.
void DrawHelp(Canvas& c, const char* const (&help)[2], float x, float top, float width, float gap,
              float size, const Box& space) {
  TextStyle body;
  body.font.face = Face::Sans;
  body.font.size = size;
  body.fill = Solid(Hex(0x1F2F55));
  while (body.font.size > 11 && top + ParagraphHeight(body.font, help[0], width, 1.2f) + gap +
                                        ParagraphHeight(body.font, help[1], width, 1.2f) >
                                    space.Bottom())
    body.font.size -= 0.5f;
  const float y = DrawParagraph(c, body, help[0], x, top, width, space, 1.2f);
  DrawParagraph(c, body, help[1], x, y + gap, width, space, 1.2f);
}

Bitmap PlayerInfo() {
  Canvas c(kPanelW, kPanelH);
  DrawDialogCard(c, 10, 22);
  Canvas icon(kPanelW, kPanelH);
  IconPerson(icon, 72, 66, 70, Hex(0xFFFFFF));
  Path disc;
  disc.AddCircle(72, 66, 40);
  Mask dm = Rasterize(disc, kPanelW, kPanelH);
  c.Fill(dm.Dilated(2.5f), kInk);
  c.Fill(dm, VerticalGradient(26, Hex(0xFFD36A), 106, Hex(0xF08A1C)));
  Mask im = icon.Alpha();
  im.Intersect(dm);
  c.Fill(im, Hex(0xFFFFFF));
  DrawTitle(c, Tr("Player Profile"), 128, 82, 44, Align::Left, {122, 18, 562, 80});
  // The two paragraphs take the card's width down to the first field's label; a longer
  // translation makes them smaller.
  const char* help[2] = {
      Tr("Type your name, postal address and e-mail address. Tab or Enter moves to the next "
         "line."),
      Tr("Enter keeps your changes, Remove resets this player and Back leaves everything as it "
         "was."),
  };
  const Box helpSpace = {34, 112, 626, kBoxY[0] - 32.0f - 112};
  DrawHelp(c, help, 40, 128, 614, 8, 16, helpSpace);
  TextStyle label;
  label.font.face = Face::SansBold;
  label.font.size = 17;
  label.fill = Solid(kInk);
  const char* labels[3] = {Tr("Name"), Tr("Postal address"), Tr("E-mail")};
  for (int i = 0; i < 3; ++i) {
    // Above the field's plate.
    DrawLine(c, label, labels[i], kBoxX, kBoxY[i] - 11.0f, Align::Left,
             {kBoxX - 6.0f, kBoxY[i] - 34.0f, kBoxW + 12.0f, 30});
    DrawPlate(c, kBoxX - 4.0f, kBoxY[i] - 3.0f, kBoxW + 8.0f, kBoxH + 4.0f, kPlate, 6);
  }
  // Above the yes/no switch (37, 486), left of the Remove button (360, 471).
  DrawLine(c, label, Tr("Send my scores to QorvexGames?"), 40, 476, Align::Left,
           {34, 440, 322, 45});
  return c.ToOpaque(kCard);
}

// Picture 0 says yes, picture 1 no; both have the same outline.
Bitmap YesNo() {
  const int w = 170, h = 56;
  std::vector<Canvas> states;
  for (int s = 0; s < 2; ++s) {
    bool yes = s == 0;
    ButtonPalette pal = yes ? GreenButton() : GreyButton();
    Canvas c(w, h);
    DrawButtonFace(c, 0.5f, 0.5f, w - 1.0f, h - 1.0f, 14, pal, ButtonState::Normal);
    // A tick box on the left.
    Path box;
    box.AddRoundRect(10, 9, 34, 34, 7);
    Mask bm = Rasterize(box, w, h);
    c.Fill(bm.Dilated(1.5f), pal.border);
    c.Fill(bm, Hex(0xFFFFFF));
    if (yes)
      IconCheck(c, 27, 26, 30, Hex(0x2E9E34));
    else
      IconCross(c, 27, 26, 28, Hex(0xD8373A));
    TextStyle st;
    st.font.face = Face::SansBold;
    st.font.size = 20;
    st.fill = Solid(Hex(0xFFFFFF));
    st.outline = 2.0f;
    st.outlineColor = pal.border;
    // Right of the tick box, on the face.
    DrawTextInBox(c, st, yes ? Tr("Yes, send") : Tr("No, keep"), {49, 5, 116, 42});
    states.push_back(std::move(c));
  }
  return JoinFrames(KeyedStates(states), false);
}

Bitmap HallOfFame() {
  Canvas c(kPanelW, kPanelH);
  DrawDialogCard(c, 10, 22);
  Canvas cup(kPanelW, kPanelH);
  IconTrophy(cup, 74, 70, 86, Hex(0xFFFFFF));
  c.Fill(cup.Alpha().Dilated(3), kInk);
  IconTrophy(c, 74, 70, 86, Hex(0xFFC21E));
  IconStar(c, 74, 56, 26, Hex(0xFFF6B0));
  // Left of the Upload, Clear and Back buttons (x 552 from y 88), above the table (y 267).
  DrawTitle(c, Tr("Hall of Fame"), 128, 84, 46, Align::Left, {122, 20, 424, 80});
  TextStyle sub;
  sub.font.face = Face::SansBold;
  sub.font.size = 18;
  sub.fill = Solid(Hex(0x3C6FC4));
  DrawLine(c, sub, Tr("The 20 best scores of this game"), 132, 116, Align::Left,
           {122, 98, 424, 28});
  const char* help[2] = {Tr("Upload sends the best score to the QorvexGames web site."),
                         Tr("Clear empties this table for good.")};
  const Box helpSpace = {34, 136, 512, 128};
  DrawHelp(c, help, 40, 156, 490, 6, 15, helpSpace);
  // The table: ten striped rows in two columns, rank numbers in front.
  Path frame;
  frame.AddRoundRect(22, kRowTop - 8.0f, 650, 10 * kRowPitch + 12.0f, 10);
  c.FillPath(frame, kPlateEdge);
  TextStyle rank;
  rank.font.face = Face::SansBold;
  rank.font.size = 12;
  rank.fill = Solid(Hex(0x7A88A8));
  for (int r = 0; r < 10; ++r) {
    float top = kRowTop - 3.0f + r * kRowPitch;
    Color stripe = r % 2 == 0 ? kHallEvenRow : kHallOddRow;
    Mask left = RectMask(kPanelW, kPanelH, 24, top, 320, kRowPitch);
    Mask right = RectMask(kPanelW, kPanelH, 350, top, 320, kRowPitch);
    c.Fill(left, stripe);
    c.Fill(right, stripe);
    // Before the names the launcher draws at x 56 and 387.
    DrawLine(c, rank, std::to_string(r + 1) + ".", 50, top + 19, Align::Right,
             {24, top, 30, kRowPitch}, rank.font.size);
    DrawLine(c, rank, std::to_string(r + 11) + ".", 382, top + 19, Align::Right,
             {350, top, 35, kRowPitch}, rank.font.size);
  }
  TextStyle foot;
  foot.font.face = Face::Sans;
  foot.font.size = 13;
  foot.fill = Solid(Hex(0x5A6A90));
  DrawLine(c, foot, Tr("Scores are kept for each game on this computer."), kPanelW / 2.0f, 548,
           Align::Center, {24, 537, kPanelW - 48.0f, 17});
  return c.ToOpaque(kCard);
}

}  // namespace

void MakeDialogPictures(Output& out) {
  out.WriteBitmap(Folder::Launcher, "PlayerInfo.bmp", PlayerInfo());
  out.WriteBitmap(Folder::Launcher, "EnterButton.bmp",
                  ButtonStrip(124, 56, 2, GreenButton(), Tr("Enter"), Icon(IconCheck), 20));
  out.WriteBitmap(Folder::Launcher, "RemoveButton.bmp",
                  ButtonStrip(108, 56, 2, RedButton(), Tr("Remove"), nullptr, 19));
  out.WriteBitmap(Folder::Launcher, "yesno.bmp", YesNo());
  out.WriteBitmap(Folder::Launcher, "HallOfFameScreen.bmp", HallOfFame());
  out.WriteBitmap(Folder::Launcher, "UploadButton.bmp",
                  ButtonStrip(132, 52, 2, OrangeButton(), Tr("Upload"), Icon(IconUpload), 19));
  out.WriteBitmap(Folder::Launcher, "ClearScores.bmp",
                  ButtonStrip(132, 52, 2, RedButton(), Tr("Clear"), Icon(IconEraser), 19));
}

}  // namespace zepgen
