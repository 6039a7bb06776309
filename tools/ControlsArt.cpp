#include "tools/ControlsArt.h"

#include <algorithm>

namespace zepgen {

namespace {

constexpr float kCapHeight = 20;
constexpr float kCapPadding = 6;
constexpr float kGap = 4;

TextStyle CapText(Color colour) {
  TextStyle style;
  style.font.face = Face::SansBold;
  style.font.size = 12;
  style.fill = Solid(colour);
  return style;
}

// A keycap: a light plate on a darker base, as a key seen from above. Returns its width.
float KeyCap(Canvas& canvas, const std::string& label, float x, float top) {
  const TextStyle text = CapText(kInk);
  const float width = std::max(kCapHeight, MeasureText(text.font, label) + 2 * kCapPadding);
  Path base;
  base.AddRoundRect(x, top + 2, width, kCapHeight, 5);
  canvas.FillPath(base, kPlateEdge);
  DrawPlate(canvas, x, top, width, kCapHeight - 1, kPlate, 4);
  DrawText(canvas, text, label, x + width / 2, top + 14, Align::Center);
  return width;
}

// A controller button: the four face buttons round in their usual colours, the others (the
// shoulders, Start, Back, the d-pad and the stick) as dark rounded bars. Returns its width.
float PadButton(Canvas& canvas, const std::string& label, float x, float top) {
  struct Face {
    const char* label;
    unsigned colour;
  };
  static const Face kFaces[] = {{"A", 0x3DAA3D}, {"B", 0xD83A3A}, {"X", 0x2F7FE0}, {"Y", 0xF2C21B}};
  for (const Face& face : kFaces) {
    if (label != face.label) continue;
    const float r = kCapHeight / 2;
    Path ring;
    ring.AddCircle(x + r, top + r, r + 1);
    canvas.FillPath(ring, kInk);
    Path disc;
    disc.AddCircle(x + r, top + r, r);
    canvas.FillPath(disc, RadialGradient(x + r * 0.8f, top + r * 0.6f, r, r,
                                         Lighter(Hex(face.colour), 0.35f), Hex(face.colour)));
    // Dark lettering on the yellow, white on the others, so each reads.
    const TextStyle text = CapText(label == "Y" ? kInk : Hex(0xFFFFFF));
    DrawText(canvas, text, label, x + r, top + 14, Align::Center);
    return kCapHeight;
  }
  const TextStyle text = CapText(Hex(0xFFFFFF));
  const float width = std::max(kCapHeight, MeasureText(text.font, label) + 2 * kCapPadding);
  Path bar;
  bar.AddRoundRect(x, top, width, kCapHeight, kCapHeight / 2);
  canvas.FillPath(bar, VerticalGradient(top, Hex(0x55648C), top + kCapHeight, Hex(0x2A3658)));
  DrawText(canvas, text, label, x + width / 2, top + 14, Align::Center);
  return width;
}

}  // namespace

float DrawControls(Canvas& canvas, const std::vector<ControlLine>& lines, float x, float top,
                   float columnWidth, int columns, float pitch, float labelWidth) {
  TextStyle action;
  action.font.face = Face::SansBold;
  action.font.size = 13;
  action.fill = Solid(kInk);
  const int rows = (static_cast<int>(lines.size()) + columns - 1) / columns;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    const ControlLine& line = lines[i];
    const float left = x + (i / rows) * columnWidth;
    const float rowTop = top + (i % rows) * pitch;
    DrawText(canvas, action, line.action, left, rowTop + 15);
    float at = left + labelWidth;
    for (const std::string& key : line.keys)
      at += KeyCap(canvas, key, at, rowTop) + kGap;
    // The controller's buttons a little apart from the keys.
    if (!line.keys.empty() && !line.buttons.empty()) at += 2 * kGap;
    for (const std::string& button : line.buttons)
      at += PadButton(canvas, button, at, rowTop) + kGap;
  }
  return top + rows * pitch;
}

}  // namespace zepgen
