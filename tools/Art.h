#pragma once
// The house style shared by every picture: the sky-and-clouds palette, lettering with outline
// and shadow, balloons, clouds, glossy buttons, dialog cards and a set of small icons.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/Bitmap.h"
#include "tools/Canvas.h"
#include "tools/Lettering.h"
#include "tools/Text.h"

namespace zepgen {

// Palette.
extern const Color kInk;  // dark navy for text and outlines
extern const Color kSkyTop;
extern const Color kSkyBottom;
extern const Color kCloudWhite;
extern const Color kCloudShade;
extern const Color kSun;
extern const Color kCard;  // dialog cards
extern const Color kCardEdge;
extern const Color kPlate;  // flat fields that text glyphs are drawn onto
extern const Color kPlateEdge;
// Row stripes of the hall-of-fame table: even rows carry the purple font, odd rows the black one,
// and each font is blended onto its own row colour.
extern const Color kHallEvenRow;
extern const Color kHallOddRow;

// A slot of the launcher's pages: the frame picture and every game or collect picture under it
// share this outline; the frame is a ring of kSlotRing pixels.
constexpr int kSlotWidth = 250;
constexpr int kSlotHeight = 102;
constexpr float kSlotRadius = 16;
constexpr float kSlotRing = 7;
Path SlotOutline();
// An opaque picture cut to the slot's outline, transparent outside it.
Bitmap ClipToSlot(const Canvas& art);

// Balloon colours in the game's colour order: red, yellow, purple, green, blue. Their
// lightness rises in even steps (purple, red, blue, green, yellow), the one difference that
// every kind of colour vision keeps.
Color BalloonColor(int colour);
const char* BalloonName(int colour);  // "red", "yellow", "purple", "green", "blue"

enum class Align { Left, Center, Right };

struct TextStyle {
  Font font;
  Paint fill = Solid({1, 1, 1});
  float outline = 0;
  Color outlineColor = {0, 0, 0};
  float shadowOpacity = 0;
  int shadowDx = 0;
  int shadowDy = 0;
  float shadowBlur = 0;
  Color shadowColor = {0, 0, 0};
};

// Every text goes into a box, its space in the picture, and is recorded with it (Lettering.h).
// Spaces may overlap; the texts drawn in them may not.

// One line of text, x its left edge, centre or right edge as align says: in the style's size,
// or smaller (down to minSize) when at that size it would leave its space.
void DrawLine(Canvas& canvas, TextStyle style, const std::string& text, float x, float baseline,
              Align align, const Box& space, float minSize = 7);
// Text centred in its space: wrapped into at most maxLines lines and made smaller until it fits.
void DrawTextInBox(Canvas& canvas, TextStyle style, const std::string& text, const Box& space,
                   int maxLines = 2, float minSize = 7);
// A wrapped paragraph from (x, top) in lines of the given width; returns the y below its last
// line. space is the part of the picture the paragraph may take, usually the whole column of
// text it is part of.
float DrawParagraph(Canvas& canvas, const TextStyle& style, const std::string& text, float x,
                    float top, float width, const Box& space, float lineSpacing = 1.15f,
                    Align align = Align::Left);
// The height DrawParagraph would take.
float ParagraphHeight(const Font& font, const std::string& text, float width,
                      float lineSpacing = 1.15f);

// Backgrounds and decoration.
void FillSky(Canvas& canvas, Color top, Color bottom, float y0, float y1);
Path CloudPath(float cx, float cy, float w, float h, uint32_t seed);
// A soft decorative cloud with a shaded underside.
void DrawCloud(Canvas& canvas, float cx, float cy, float w, float h, uint32_t seed,
               float opacity = 1.0f);
void DrawSunGlow(Canvas& canvas, float cx, float cy, float radius);

// The shape every balloon of a colour carries in its highlight, so that colours that look alike
// to a player without full colour vision still differ.
enum class BalloonMark { None, Ring, Cross, Dot, Bar, UprightBar };
BalloonMark MarkOf(int colour);

// A balloon whose body is centred at (cx, cy) with radii rx, ry; the string hangs below the knot.
// Without a mark the highlight is a plain glint.
void DrawBalloon(Canvas& canvas, float cx, float cy, float rx, float ry, Color base, bool star,
                 float stringLength, float tilt = 0, BalloonMark mark = BalloonMark::None);
// A balloon of one of the game's colours, with that colour's mark: every picture of a game
// balloon is drawn through this one, so the board, the title page and the launcher agree.
void DrawGameBalloon(Canvas& canvas, float cx, float cy, float rx, float ry, int colour, bool star,
                     float stringLength, float tilt = 0);
Path StarPath(float cx, float cy, float outer, float inner);

// Buttons.
struct ButtonPalette {
  Color top;
  Color bottom;
  Color border;
};
ButtonPalette BlueButton();
ButtonPalette GreenButton();
ButtonPalette RedButton();
ButtonPalette PurpleButton();
ButtonPalette OrangeButton();
ButtonPalette TealButton();
ButtonPalette GreyButton();

enum class ButtonState { Normal, Hover, Pressed };

using IconPainter = std::function<void(Canvas&, float cx, float cy, float size, Color color)>;

// A glossy rounded button face over the whole canvas.
void DrawButtonFace(Canvas& canvas, float x, float y, float w, float h, float radius,
                    const ButtonPalette& palette, ButtonState state);
// A strip of equal-sized button pictures side by side (normal, mouse over, pressed...) with one
// transparency mask. The icon, when given, stands left of the label.
Bitmap ButtonStrip(int w, int h, int states, const ButtonPalette& palette, const std::string& label,
                   const IconPainter& icon = nullptr, float fontSize = 0);
// Paints the label and icon of a button face (used by custom buttons).
void DrawButtonLabel(Canvas& canvas, float x, float y, float w, float h, const std::string& label,
                     const IconPainter& icon, float fontSize, ButtonState state, Color border);

// A dialog card filling the canvas: sky frame, rounded white card, drop shadow. Opaque.
void DrawDialogCard(Canvas& canvas, float margin, float radius);
// A flat field (the colour the font glyphs are blended onto) with a thin inset edge.
void DrawPlate(Canvas& canvas, float x, float y, float w, float h, Color color, float radius = 5);
// A large title in the house style (gold-to-orange fill, navy outline, soft shadow), smaller
// than size when it would leave its space.
void DrawTitle(Canvas& canvas, const std::string& text, float x, float baseline, float size,
               Align align, const Box& space);
// "Zeppolo" with letters in the balloon colours.
void DrawZeppoloLogo(Canvas& canvas, float cx, float baseline, float size, const Box& space);

// Icons, drawn centred at (cx, cy) within a square of the given size.
void IconPlay(Canvas& c, float cx, float cy, float size, Color color);
void IconArrow(Canvas& c, float cx, float cy, float size, Color color, bool right);
void IconInfo(Canvas& c, float cx, float cy, float size, Color color);
void IconCross(Canvas& c, float cx, float cy, float size, Color color);
void IconCheck(Canvas& c, float cx, float cy, float size, Color color);
void IconQuestion(Canvas& c, float cx, float cy, float size, Color color);
void IconSpeaker(Canvas& c, float cx, float cy, float size, Color color, bool on);
void IconNote(Canvas& c, float cx, float cy, float size, Color color);
void IconTrophy(Canvas& c, float cx, float cy, float size, Color color);
void IconClock(Canvas& c, float cx, float cy, float size, Color face, Color hands);
void IconPerson(Canvas& c, float cx, float cy, float size, Color color);
void IconHome(Canvas& c, float cx, float cy, float size, Color color);
void IconStar(Canvas& c, float cx, float cy, float size, Color color);
void IconUpload(Canvas& c, float cx, float cy, float size, Color color);
void IconEraser(Canvas& c, float cx, float cy, float size, Color color);
void IconBook(Canvas& c, float cx, float cy, float size, Color color);
void IconPower(Canvas& c, float cx, float cy, float size, Color color);
void IconRefresh(Canvas& c, float cx, float cy, float size, Color color);
void IconLightning(Canvas& c, float cx, float cy, float size, Color color);

// A lightning bolt filling the box, yellow with an orange edge.
Path LightningPath(float x, float y, float w, float h);

}  // namespace zepgen
