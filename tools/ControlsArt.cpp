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

float CapWidth(const std::string& label) {
  return std::max(kCapHeight, MeasureText(CapText(kInk).font, label) + 2 * kCapPadding);
}

// A keycap: a light plate on a darker base, as a key seen from above; its label is recorded
// against the space of the line's keys (Lettering.h). Returns its width.
float KeyCap(Canvas& canvas, const std::string& label, float x, float top, const Box& space) {
  const TextStyle text = CapText(kInk);
  const float width = CapWidth(label);
  Path base;
  base.AddRoundRect(x, top + 2, width, kCapHeight, 5);
  canvas.FillPath(base, kPlateEdge);
  DrawPlate(canvas, x, top, width, kCapHeight - 1, kPlate, 4);
  DrawLine(canvas, text, label, x + width / 2, top + 14, Align::Center, space, text.font.size);
  return width;
}

// A controller button: the four face buttons round in their usual colours, the others (the
// shoulders, Start, Back, the d-pad and the stick) as dark rounded bars. Returns its width.
float PadButton(Canvas& canvas, const std::string& label, float x, float top, const Box& space) {
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
    DrawLine(canvas, text, label, x + r, top + 14, Align::Center, space, text.font.size);
    return kCapHeight;
  }
  const TextStyle text = CapText(Hex(0xFFFFFF));
  const float width = CapWidth(label);
  Path bar;
  bar.AddRoundRect(x, top, width, kCapHeight, kCapHeight / 2);
  canvas.FillPath(bar, VerticalGradient(top, Hex(0x55648C), top + kCapHeight, Hex(0x2A3658)));
  DrawLine(canvas, text, label, x + width / 2, top + 14, Align::Center, space, text.font.size);
  return width;
}

// The width of a line's keycaps and buttons: those are the same size in every language.
float RunWidth(const ControlLine& line) {
  float width = 0;
  for (const std::string& key : line.keys)
    width += CapWidth(key) + kGap;
  if (!line.keys.empty() && !line.buttons.empty()) width += 2 * kGap;
  for (const std::string& button : line.buttons)
    width += (button.size() == 1 ? kCapHeight : CapWidth(button)) + kGap;
  return width;
}

}  // namespace

float DrawControls(Canvas& canvas, const std::vector<ControlLine>& lines, float x, float top,
                   float columnWidth, int columns, float pitch, float labelWidth, float right) {
  TextStyle action;
  action.font.face = Face::SansBold;
  action.font.size = 13;
  action.fill = Solid(kInk);
  const int rows = (static_cast<int>(lines.size()) + columns - 1) / columns;
  // What each column needs: its actions as wide as asked or as their longest, then its widest
  // row of keys (which ends in a gap).
  std::vector<float> actions(columns, labelWidth), runs(columns, 0), need(columns, 0);
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    const int column = i / rows;
    actions[column] = std::max(actions[column], MeasureText(action.font, lines[i].action) + 8);
    runs[column] = std::max(runs[column], RunWidth(lines[i]));
  }
  for (int column = 0; column < columns; ++column)
    need[column] = actions[column] + runs[column];
  // A column starts where asked, later when the one before needs the room and the columns after
  // it still fit before right, earlier when it needs the room itself.
  std::vector<float> starts(columns + 1, right);
  starts[0] = x;
  for (int column = 1; column < columns; ++column) {
    const float asked = x + column * columnWidth;
    starts[column] =
        std::min(std::max(asked, starts[column - 1] + need[column - 1]), right - need[column]);
    starts[column] = std::max(starts[column], starts[column - 1] + actions[column - 1] / 2);
  }
  starts[columns] = std::min(right, starts[columns - 1] + std::max(columnWidth, need[columns - 1]));
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    const ControlLine& line = lines[i];
    const int column = i / rows;
    const float left = starts[column];
    const float width = starts[column + 1] - left;
    const float rowTop = top + (i % rows) * pitch;
    // The actions take what the keys leave; a longer one is made smaller. A glyph may reach a
    // pixel or two left of where its line starts.
    const float labelW = std::min(actions[column], width - runs[column]);
    DrawLine(canvas, action, line.action, left, rowTop + 15, Align::Left,
             {left - 3, rowTop, labelW - 1, pitch});
    // The keys and buttons take the rest of the column: the labels in their caps, never made
    // smaller, must end a cap's padding before the column does.
    const Box keys = {left + labelW, rowTop - 4, width - labelW - kCapPadding, pitch + 4};
    float at = keys.x;
    for (const std::string& key : line.keys)
      at += KeyCap(canvas, key, at, rowTop, keys) + kGap;
    // The controller's buttons a little apart from the keys.
    if (!line.keys.empty() && !line.buttons.empty()) at += 2 * kGap;
    for (const std::string& button : line.buttons)
      at += PadButton(canvas, button, at, rowTop, keys) + kGap;
  }
  return top + rows * pitch;
}

}  // namespace zepgen
