#include "tools/Art.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tools/Random.h"

namespace zepgen {

namespace {

constexpr float kPi = 3.14159265358979f;

Path Arc(float cx, float cy, float r, float a0, float a1, float width) {
  std::vector<Vec2> pts;
  int n = std::max(8, static_cast<int>(std::fabs(a1 - a0) * r / 2));
  for (int i = 0; i <= n; ++i) {
    float t = a0 + (a1 - a0) * i / n;
    pts.push_back({cx + r * std::cos(t), cy + r * std::sin(t)});
  }
  Path p;
  p.AddPolyline(pts, width);
  return p;
}

}  // namespace

const Color kInk = Hex(0x1A2A5A);
const Color kSkyTop = Hex(0x3F8FE0);
const Color kSkyBottom = Hex(0xBFE6FF);
const Color kCloudWhite = Hex(0xFFFFFF);
const Color kCloudShade = Hex(0xD2E2F4);
const Color kSun = Hex(0xFFD23C);
const Color kCard = Hex(0xFFFDF6);
const Color kCardEdge = Hex(0x2F5FA8);
const Color kPlate = Hex(0xFFFBEA);
const Color kPlateEdge = Hex(0x8FB3DC);
const Color kHallEvenRow = Hex(0xF7F1FF);
const Color kHallOddRow = Hex(0xE9F3FF);

Path SlotOutline() {
  Path p;
  p.AddRoundRect(0.5f, 0.5f, kSlotWidth - 1.0f, kSlotHeight - 1.0f, kSlotRadius);
  return p;
}

Bitmap ClipToSlot(const Canvas& art) {
  const int w = art.Width(), h = art.Height();
  Mask shape = Rasterize(SlotOutline(), w, h);
  Bitmap out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (shape.At(x, y) >= 0.5f) out.Set(x, y, ToRgb8(art.ColorAt(x, y)));
  return out;
}

Color BalloonColor(int colour) {
  switch (colour) {
    case 0:
      return Hex(0xCC2229);  // red
    case 1:
      return Hex(0xFFE040);  // yellow
    case 2:
      return Hex(0x4F1E84);  // purple
    case 3:
      return Hex(0x5ACD50);  // green
    default:
      return Hex(0x2E86F0);  // blue
  }
}

const char* BalloonName(int colour) {
  static const char* names[5] = {"red", "yellow", "purple", "green", "blue"};
  return names[std::clamp(colour, 0, 4)];
}

namespace {

float AnchorLeft(const Font& font, const std::string& text, float x, Align align) {
  const float w = MeasureText(font, text);
  return align == Align::Left ? x : align == Align::Center ? x - w / 2 : x - w;
}

// The pixels a text in this style covers: its glyphs, grown by the outline.
Box InkOf(const TextStyle& s, const std::string& text, float x, float baseline, Align align) {
  const Box ink = TextInk(s.font, text, AnchorLeft(s.font, text, x, align), baseline);
  return ink.Empty() ? ink : ink.Grown(std::ceil(s.outline));
}

// Draws one line without recording it; returns its ink.
Box DrawText(Canvas& canvas, const TextStyle& s, const std::string& text, float x, float baseline,
             Align align) {
  Mask m(canvas.Width(), canvas.Height());
  const Box ink = RenderText(m, s.font, text, AnchorLeft(s.font, text, x, align), baseline);
  if (s.shadowOpacity > 0) {
    Mask sh = s.outline > 0 ? m.Dilated(s.outline) : m;
    if (s.shadowBlur > 0) sh = sh.Blurred(s.shadowBlur);
    canvas.Fill(sh.Shifted(s.shadowDx, s.shadowDy), s.shadowColor, s.shadowOpacity);
  }
  if (s.outline > 0) canvas.Fill(m.Dilated(s.outline), s.outlineColor);
  canvas.Fill(m, s.fill);
  return ink.Empty() ? ink : ink.Grown(std::ceil(s.outline));
}

// Where DrawTextInBox puts each line: its baselines, the block centred in the space.
std::vector<float> Baselines(const TextStyle& style, size_t lines, const Box& space) {
  float pitch = style.font.size * 1.12f;
  float cap = CapHeight(style.font);
  float top = space.y + (space.h - ((lines - 1) * pitch + cap)) / 2;
  std::vector<float> baselines;
  for (size_t i = 0; i < lines; ++i)
    baselines.push_back(std::round(top + cap + i * pitch));
  return baselines;
}

// The wrapped lines of a text at the style's size, or at a smaller one, so that they fit the
// space; the size used is left in style. One line a little smaller is better than two.
std::vector<std::string> FitLines(TextStyle& style, const std::string& text, const Box& space,
                                  int maxLines, float minSize) {
  const float nominal = style.font.size;
  auto fits = [&](const std::vector<std::string>& lines, int most) {
    if (static_cast<int>(lines.size()) > most) return false;
    const std::vector<float> baselines = Baselines(style, lines.size(), space);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (!space.Contains(
              InkOf(style, lines[i], space.x + space.w / 2, baselines[i], Align::Center)))
        return false;
    }
    return true;
  };
  std::vector<std::string> lines;
  for (style.font.size = nominal; style.font.size >= std::max(minSize, nominal * 0.8f);
       style.font.size -= 0.5f) {
    lines = WrapText(style.font, text, space.w - 2 * style.outline);
    if (fits(lines, 1)) return lines;
  }
  for (style.font.size = nominal; style.font.size >= minSize; style.font.size -= 0.5f) {
    lines = WrapText(style.font, text, space.w - 2 * style.outline);
    if (fits(lines, maxLines)) return lines;
  }
  style.font.size = minSize;
  return WrapText(style.font, text, space.w - 2 * style.outline);
}

}  // namespace

void DrawLine(Canvas& canvas, TextStyle style, const std::string& text, float x, float baseline,
              Align align, const Box& space, float minSize) {
  while (style.font.size - 0.5f >= minSize &&
         !space.Contains(InkOf(style, text, x, baseline, align)))
    style.font.size -= 0.5f;
  RecordLettering(canvas, space, DrawText(canvas, style, text, x, baseline, align), text);
}

void DrawTextInBox(Canvas& canvas, TextStyle style, const std::string& text, const Box& space,
                   int maxLines, float minSize) {
  const std::vector<std::string> lines = FitLines(style, text, space, maxLines, minSize);
  const std::vector<float> baselines = Baselines(style, lines.size(), space);
  Box ink;
  for (size_t i = 0; i < lines.size(); ++i)
    ink = ink.Union(
        DrawText(canvas, style, lines[i], space.x + space.w / 2, baselines[i], Align::Center));
  RecordLettering(canvas, space, ink, text);
}

float DrawParagraph(Canvas& canvas, const TextStyle& style, const std::string& text, float x,
                    float top, float width, const Box& space, float lineSpacing, Align align) {
  float pitch = std::round(style.font.size * lineSpacing);
  float cap = CapHeight(style.font);
  float y = top + cap;
  float anchor = align == Align::Left ? x : align == Align::Center ? x + width / 2 : x + width;
  Box ink;
  for (const auto& line : WrapText(style.font, text, width)) {
    if (!line.empty()) ink = ink.Union(DrawText(canvas, style, line, anchor, std::round(y), align));
    y += pitch;
  }
  RecordLettering(canvas, space, ink, text);
  return y - cap;
}

float ParagraphHeight(const Font& font, const std::string& text, float width, float lineSpacing) {
  return WrapText(font, text, width).size() * std::round(font.size * lineSpacing);
}

void FillSky(Canvas& canvas, Color top, Color bottom, float y0, float y1) {
  canvas.FillAll(VerticalGradient(y0, top, y1, bottom));
}

Path CloudPath(float cx, float cy, float w, float h, uint32_t seed) {
  Random rnd(seed);
  Path p;
  // A flat base with round puffs along the top.
  p.AddRoundRect(cx - w * 0.46f, cy, w * 0.92f, h * 0.42f, h * 0.21f);
  int puffs = 3 + static_cast<int>(rnd.Next() % 3);
  for (int i = 0; i < puffs; ++i) {
    float t = puffs == 1 ? 0.5f : static_cast<float>(i) / (puffs - 1);
    float px = cx - w * 0.30f + w * 0.60f * t + rnd.Signed() * w * 0.04f;
    float middle = 1.0f - std::fabs(t - 0.5f) * 1.2f;
    float r = h * (0.26f + 0.2f * middle + rnd.Unit() * 0.06f);
    p.AddCircle(px, cy + h * 0.2f - r * 0.55f, r);
  }
  return p;
}

void DrawCloud(Canvas& canvas, float cx, float cy, float w, float h, uint32_t seed, float opacity) {
  Mask m = Rasterize(CloudPath(cx, cy, w, h, seed), canvas.Width(), canvas.Height());
  Mask soft = m.Blurred(std::max(1.0f, h * 0.03f));
  canvas.Fill(soft.Shifted(0, static_cast<int>(h * 0.06f)).Blurred(h * 0.08f), Hex(0x6E9ACB),
              0.18f * opacity);
  canvas.Fill(soft, VerticalGradient(cy - h * 0.35f, kCloudWhite, cy + h * 0.45f, kCloudShade),
              opacity);
  Mask top = soft;
  top.Subtract(soft.Shifted(0, static_cast<int>(-std::max(2.0f, h * 0.08f))));
  canvas.Fill(top.Scale(0.6f), Hex(0xB9CDE6), 0.5f * opacity);
}

void DrawSunGlow(Canvas& canvas, float cx, float cy, float radius) {
  Mask glow(canvas.Width(), canvas.Height());
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / (radius * 3.2f);
      if (d < 1) glow.Ref(x, y) = (1 - d) * (1 - d) * 0.55f;
    }
  canvas.Fill(glow, Hex(0xFFF4C8));
  Path disc;
  disc.AddCircle(cx, cy, radius);
  canvas.FillPath(disc, RadialGradient(cx - radius * 0.3f, cy - radius * 0.3f, radius * 1.3f,
                                       radius * 1.3f, Hex(0xFFF6B0), kSun));
}

Path StarPath(float cx, float cy, float outer, float inner) {
  Path p;
  p.AddStar(cx, cy, outer, inner, 5);
  return p;
}

BalloonMark MarkOf(int colour) {
  // The marks are about seven pixels across on the board, where filled triangles, squares and
  // diamonds blur into the same blob; a ring, a cross, a dot and a bar lying or standing keep
  // their shapes apart at that size. Green meets another colour under every deficiency (yellow
  // and red without red-green vision, blue without blue-yellow), so it has the lying bar, which
  // shares least with the ring, the cross and the standing bar of those three.
  switch (colour) {
    case 0:
      return BalloonMark::Ring;
    case 1:
      return BalloonMark::Cross;
    case 2:
      return BalloonMark::Dot;
    case 3:
      return BalloonMark::Bar;
    default:
      return BalloonMark::UprightBar;
  }
}

namespace {

// The mark's outline, centred at (mx, my) with a half-size of m, turned with the balloon.
Path MarkPath(BalloonMark mark, float mx, float my, float m, float tilt) {
  const float ca = std::cos(tilt), sa = std::sin(tilt);
  auto at = [&](float x, float y) { return Vec2{mx + x * ca - y * sa, my + x * sa + y * ca}; };
  Path p;
  switch (mark) {
    case BalloonMark::Ring:
      p.AddEllipse(mx, my, m * 1.1f, m * 1.1f);
      p.AddEllipse(mx, my, m * 0.5f, m * 0.5f, true);
      break;
    case BalloonMark::Cross:
      p.AddSegment(at(-m, -m), at(m, m), m * 0.7f);
      p.AddSegment(at(-m, m), at(m, -m), m * 0.7f);
      break;
    case BalloonMark::Dot:
      p.AddCircle(mx, my, m * 0.65f);
      break;
    case BalloonMark::Bar:
      p.AddSegment(at(-m * 1.1f, 0), at(m * 1.1f, 0), m * 0.8f);
      break;
    case BalloonMark::UprightBar:
      p.AddSegment(at(0, -m * 1.2f), at(0, m * 1.2f), m * 0.8f);
      break;
    case BalloonMark::None:
      break;
  }
  return p;
}

}  // namespace

void DrawGameBalloon(Canvas& canvas, float cx, float cy, float rx, float ry, int colour, bool star,
                     float stringLength, float tilt) {
  DrawBalloon(canvas, cx, cy, rx, ry, BalloonColor(colour), star, stringLength, tilt,
              MarkOf(colour));
}

void DrawBalloon(Canvas& canvas, float cx, float cy, float rx, float ry, Color base, bool star,
                 float stringLength, float tilt, BalloonMark mark) {
  const int W = canvas.Width(), H = canvas.Height();
  const float s = rx / 13.5f;  // 1 at the board's balloon size
  const float ca = std::cos(tilt), sa = std::sin(tilt);
  auto turn = [&](float x, float y) {
    float dx = x - cx, dy = y - cy;
    return Vec2{cx + dx * ca - dy * sa, cy + dx * sa + dy * ca};
  };
  // Body: an egg that narrows toward the knot.
  std::vector<Vec2> body;
  const int n = 96;
  for (int i = 0; i < n; ++i) {
    float t = 2 * kPi * i / n;
    float c = std::cos(t);
    float narrow = c < 0 ? 1.0f - 0.16f * c * c : 1.0f;
    float stretch = c < 0 ? 1.07f : 1.0f;
    body.push_back(turn(cx + rx * std::sin(t) * narrow, cy - ry * c * stretch));
  }
  Path bodyPath;
  bodyPath.AddPolygon(body);
  const float bottom = cy + ry * 1.07f;
  const float k = std::max(2.2f, rx * 0.16f);
  Path knot;
  knot.AddPolygon({turn(cx, bottom - k * 0.8f), turn(cx + k, bottom + k * 1.1f),
                   turn(cx - k, bottom + k * 1.1f)});
  Path stringPath;
  if (stringLength > 0) {
    Vec2 a = turn(cx, bottom + k * 1.0f);
    Vec2 b = {a.x - rx * 0.12f, a.y + stringLength};
    Vec2 ctrl = {a.x + rx * 0.35f, a.y + stringLength * 0.5f};
    stringPath.AddCurve(a, ctrl, b, std::max(1.1f, 1.3f * s));
  }
  Mask bodyMask = Rasterize(bodyPath, W, H);
  Mask knotMask = Rasterize(knot, W, H);
  Mask silhouette = bodyMask;
  silhouette.Union(knotMask);
  const Color dark = Darker(base, 0.62f);
  // Outline: the silhouette grown by about a pixel at board size.
  canvas.Fill(silhouette.Dilated(std::max(1.0f, 1.1f * s)), dark);
  if (stringLength > 0) canvas.FillPath(stringPath, Hex(0x4A5070));
  // Shading: light upper left, deeper toward the lower right rim.
  const Color light = Lighter(base, 0.45f);
  const Color rim = Darker(base, 0.35f);
  Vec2 hl = turn(cx - rx * 0.35f, cy - ry * 0.4f);
  float reach = rx * 1.75f;
  canvas.Fill(bodyMask, [=](float x, float y) {
    float t = std::hypot(x - hl.x, (y - hl.y) * rx / ry) / reach;
    if (t < 0.45f) return Mix(light, base, t / 0.45f);
    return Mix(base, rim, std::clamp((t - 0.45f) / 0.55f, 0.0f, 1.0f));
  });
  // Reflected light near the lower left edge.
  Path bounce;
  Vec2 bp = turn(cx - rx * 0.45f, cy + ry * 0.45f);
  bounce.AddTiltedEllipse(bp.x, bp.y, rx * 0.22f, ry * 0.14f, -0.7f + tilt);
  Mask bounceMask = Rasterize(bounce, W, H).Blurred(std::max(1.0f, s * 1.2f));
  bounceMask.Intersect(bodyMask);
  canvas.Fill(bounceMask, Lighter(base, 0.4f), 0.45f);
  canvas.Fill(knotMask, Darker(base, 0.18f));
  Vec2 sp = turn(cx - rx * 0.42f, cy - ry * 0.46f);
  if (mark != BalloonMark::None) {
    // The mark takes the highlight's place, so the balloon keeps one bright spot rather than
    // gaining a label. It sits in the star's upper-left notch, smaller than the star and under
    // it, so the star stays the first thing seen. Light bodies get a deep mark and dark ones a
    // white one: it stands out in lightness, which every kind of colour vision keeps.
    Vec2 mp = turn(cx - rx * 0.45f, cy - ry * 0.49f);
    Mask markMask = Rasterize(MarkPath(mark, mp.x, mp.y, rx * 0.23f, tilt), W, H);
    markMask.Intersect(bodyMask);
    if (Luma(base) > 0.55f)
      canvas.Fill(markMask, Darker(base, 0.5f), 0.95f);
    else
      canvas.Fill(markMask, Hex(0xFFFFFF), 0.92f);
  }
  if (star) {
    float sc = cy + ry * 0.06f;
    float outer = rx * 0.66f;
    Path starPath = StarPath(cx, sc, outer, outer * 0.46f);
    Mask starMask = Rasterize(starPath, W, H);
    canvas.Fill(starMask.Dilated(std::max(1.0f, 1.15f * s)), kInk);
    canvas.Fill(starMask, VerticalGradient(sc - outer, Hex(0xFFFFFF), sc + outer, Hex(0xFFF0A0)));
  }
  if (mark == BalloonMark::None) {
    // Specular highlight.
    Path shine;
    shine.AddTiltedEllipse(sp.x, sp.y, rx * 0.17f, ry * 0.27f, 0.55f + tilt);
    Mask shineMask = Rasterize(shine, W, H);
    if (s > 2) shineMask = shineMask.Blurred(s * 0.8f);
    canvas.Fill(shineMask, Hex(0xFFFFFF), 0.9f);
  }
  Path dot;
  Vec2 dp = turn(cx - rx * 0.18f, cy - ry * 0.70f);
  dot.AddCircle(dp.x, dp.y, std::max(0.9f, rx * 0.07f));
  canvas.FillPath(dot, Hex(0xFFFFFF), 0.75f);
}

ButtonPalette BlueButton() {
  return {Hex(0x6FC0FF), Hex(0x1F6FD6), Hex(0x143C82)};
}
ButtonPalette GreenButton() {
  return {Hex(0x8EE36A), Hex(0x2E9E34), Hex(0x175219)};
}
ButtonPalette RedButton() {
  return {Hex(0xFF8A7A), Hex(0xD8373A), Hex(0x731518)};
}
ButtonPalette PurpleButton() {
  return {Hex(0xC59BFF), Hex(0x7A3FD0), Hex(0x3F1A78)};
}
ButtonPalette OrangeButton() {
  return {Hex(0xFFD36A), Hex(0xF08A1C), Hex(0x7E3F08)};
}
ButtonPalette TealButton() {
  return {Hex(0x7FE6E0), Hex(0x1E9FA6), Hex(0x0E4E57)};
}
ButtonPalette GreyButton() {
  return {Hex(0xE2E7EE), Hex(0x8E9AAC), Hex(0x3C4656)};
}

void DrawButtonFace(Canvas& canvas, float x, float y, float w, float h, float radius,
                    const ButtonPalette& pal, ButtonState state) {
  const int W = canvas.Width(), H = canvas.Height();
  const float border = std::max(1.5f, h * 0.045f);
  const float lip = std::max(2.0f, std::round(h * 0.08f));
  Path outer;
  outer.AddRoundRect(x, y, w, h, radius);
  canvas.FillPath(outer, pal.border);
  Color top = pal.top, bottom = pal.bottom;
  if (state == ButtonState::Hover) {
    top = Lighter(top, 0.25f);
    bottom = Lighter(bottom, 0.18f);
  } else if (state == ButtonState::Pressed) {
    top = Darker(pal.bottom, 0.08f);
    bottom = Mix(pal.top, pal.bottom, 0.4f);
  }
  const float fx = x + border, fw = w - 2 * border;
  const float fh = h - 2 * border - lip;
  const float fy = y + border + (state == ButtonState::Pressed ? lip : 0);
  const float fr = std::max(1.0f, radius - border);
  if (state != ButtonState::Pressed) {
    Path lipPath;
    lipPath.AddRoundRect(fx, fy + lip, fw, fh, fr);
    canvas.FillPath(lipPath, Darker(pal.bottom, 0.35f));
  }
  Path face;
  face.AddRoundRect(fx, fy, fw, fh, fr);
  Mask faceMask = Rasterize(face, W, H);
  canvas.Fill(faceMask, VerticalGradient(fy, top, fy + fh, bottom));
  // Gloss over the upper half.
  Path gloss;
  gloss.AddRoundRect(fx + fr * 0.35f + 1, fy + 1.5f, fw - fr * 0.7f - 2, fh * 0.46f, fr * 0.8f);
  Mask glossMask = Rasterize(gloss, W, H);
  canvas.Fill(glossMask, VerticalGradient(fy, Hex(0xFFFFFF), fy + fh * 0.5f, Lighter(top, 0.3f)),
              state == ButtonState::Pressed ? 0.12f : 0.32f);
  if (state == ButtonState::Hover) {
    Path inner;
    inner.AddRoundRect(fx + 2, fy + 2, fw - 4, fh - 4, std::max(1.0f, fr - 2));
    Mask ring = faceMask;
    ring.Subtract(Rasterize(inner, W, H));
    canvas.Fill(ring, Hex(0xFFE98A), 0.95f);
  }
}

void DrawButtonLabel(Canvas& canvas, float x, float y, float w, float h, const std::string& label,
                     const IconPainter& icon, float fontSize, ButtonState state, Color border) {
  const float lip = std::max(2.0f, std::round(h * 0.08f));
  const float faceH = h - lip;
  const float shift = state == ButtonState::Pressed ? lip : 0;
  const float pad = std::max(6.0f, h * 0.16f);
  TextStyle st;
  st.font.face = Face::SansBold;
  st.font.size = fontSize > 0 ? fontSize : std::round(faceH * 0.42f);
  st.fill = Solid({1, 1, 1});
  st.outline = std::max(1.2f, st.font.size * 0.09f);
  st.outlineColor = Darker(border, 0.1f);
  const float nominal = st.font.size;
  float iconSize = icon ? std::round(faceH * 0.55f) : 0;
  float gap = icon && !label.empty() ? std::max(4.0f, h * 0.1f) : 0;
  // The label's space: the face beside the icon, inside the padding.
  Box space = {x + pad + iconSize + gap, y + shift, w - 2 * pad - iconSize - gap, faceH};
  bool withIcon = static_cast<bool>(icon);
  std::vector<std::string> lines;
  const size_t newline = label.find('\n');
  if (newline != std::string::npos) {
    lines.push_back(label.substr(0, newline));
    lines.push_back(label.substr(newline + 1));
  } else if (!label.empty()) {
    lines.push_back(label);
  }
  float midY = y + faceH / 2 + shift;
  // Lays the label out at the style's size as the icon and the text centred together; returns
  // the text's ink, and draws when asked.
  auto layOut = [&](bool draw) {
    float widest = 0;
    for (auto& l : lines)
      widest = std::max(widest, MeasureText(st.font, l));
    float textW = widest + (lines.empty() ? 0 : 2 * st.outline);
    float total = iconSize + gap + textW;
    float left = x + (w - total) / 2;
    if (draw && withIcon) {
      Canvas shadow(canvas.Width(), canvas.Height());
      icon(shadow, left + iconSize / 2, midY, iconSize, Darker(border, 0.1f));
      Mask m = shadow.Alpha().Dilated(std::max(1.2f, iconSize * 0.06f));
      canvas.Fill(m, Darker(border, 0.1f));
      icon(canvas, left + iconSize / 2, midY, iconSize, {1, 1, 1});
    }
    float cap = CapHeight(st.font);
    float centre = left + iconSize + gap + st.outline + widest / 2;
    float pitch = st.font.size * 1.08f;
    float base0 =
        lines.size() == 2 ? std::round(midY - pitch / 2 + cap / 2) : std::round(midY + cap / 2);
    Box ink;
    for (size_t i = 0; i < lines.size(); ++i) {
      const float baseline = base0 + i * std::round(pitch);
      ink = ink.Union(draw ? DrawText(canvas, st, lines[i], centre, baseline, Align::Center)
                           : InkOf(st, lines[i], centre, baseline, Align::Center));
    }
    return ink;
  };
  auto fits = [&]() {
    return space.Contains(layOut(false)) && (lines.size() < 2 || st.font.size * 2.1f <= faceH - 4);
  };
  auto shrink = [&]() {
    st.font.size = nominal;
    while (st.font.size > 8 && !fits())
      st.font.size -= 0.5f;
  };
  // A label that would get much smaller than its buttons' others goes on two lines instead,
  // split at the space nearest its middle, when that lets it stay larger.
  const std::vector<std::string> given = lines;
  auto fit = [&]() {
    lines = given;
    shrink();
    const size_t space1 = lines.size() == 1 ? lines[0].find(' ') : std::string::npos;
    if (space1 == std::string::npos || (st.font.size >= nominal * 0.75f && fits())) return;
    const std::string one = lines[0];
    size_t split = space1;
    for (size_t at = space1; at != std::string::npos; at = one.find(' ', at + 1)) {
      if (std::abs(static_cast<long>(at * 2) - static_cast<long>(one.size())) <
          std::abs(static_cast<long>(split * 2) - static_cast<long>(one.size())))
        split = at;
    }
    const float oneLineSize = st.font.size;
    const bool oneLineFits = fits();
    lines = {one.substr(0, split), one.substr(split + 1)};
    shrink();
    if (oneLineFits && st.font.size <= oneLineSize) {
      lines = {one};
      st.font.size = oneLineSize;
    }
  };
  fit();
  // Words that find no room beside the icon even so take the whole face: a button must say
  // what it does.
  if (withIcon && !fits()) {
    withIcon = false;
    iconSize = gap = 0;
    space = {x + pad, y + shift, w - 2 * pad, faceH};
    fit();
  }
  RecordLettering(canvas, space, layOut(true), label);
}

Bitmap ButtonStrip(int w, int h, int states, const ButtonPalette& pal, const std::string& label,
                   const IconPainter& icon, float fontSize) {
  std::vector<Canvas> canvases;
  float radius = std::min(h * 0.32f, 16.0f);
  for (int i = 0; i < states; ++i) {
    ButtonState st = i == 0   ? ButtonState::Normal
                     : i == 1 ? ButtonState::Hover
                              : ButtonState::Pressed;
    Canvas c(w, h);
    DrawButtonFace(c, 0.5f, 0.5f, w - 1.0f, h - 1.0f, radius, pal, st);
    DrawButtonLabel(c, 0.5f, 0.5f, w - 1.0f, h - 1.0f, label, icon, fontSize, st, pal.border);
    canvases.push_back(std::move(c));
  }
  return JoinFrames(KeyedStates(canvases), false);
}

void DrawDialogCard(Canvas& canvas, float margin, float radius) {
  const int W = canvas.Width(), H = canvas.Height();
  FillSky(canvas, Hex(0x2F7FD8), Hex(0x7FC3F5), 0, static_cast<float>(H));
  DrawCloud(canvas, W * 0.12f, H * 0.97f, W * 0.35f, 70, 11, 0.8f);
  DrawCloud(canvas, W * 0.85f, H * 0.99f, W * 0.38f, 80, 12, 0.8f);
  Mask rim = RectMask(W, H, 0, 0, static_cast<float>(W), static_cast<float>(H));
  rim.Subtract(RectMask(W, H, 2, 2, W - 4.0f, H - 4.0f));
  canvas.Fill(rim, kInk);
  Path card;
  card.AddRoundRect(margin, margin, W - 2 * margin, H - 2 * margin, radius);
  Mask cardMask = Rasterize(card, W, H);
  canvas.Fill(cardMask.Blurred(6).Shifted(0, 4), Hex(0x123060), 0.35f);
  canvas.Fill(cardMask.Dilated(2.5f), kCardEdge);
  canvas.Fill(cardMask, VerticalGradient(margin, Hex(0xFFFFFF), H - margin, kCard));
}

void DrawPlate(Canvas& canvas, float x, float y, float w, float h, Color color, float radius) {
  Path edge;
  edge.AddRoundRect(x - 1.5f, y - 1.5f, w + 3, h + 3, radius + 1.5f);
  canvas.FillPath(edge, kPlateEdge);
  Path plate;
  plate.AddRoundRect(x, y, w, h, radius);
  canvas.FillPath(plate, color);
}

void DrawTitle(Canvas& canvas, const std::string& text, float x, float baseline, float size,
               Align align, const Box& space) {
  // The outline and the shadow go with the size, so each size is a style of its own.
  auto style = [&](float at) {
    TextStyle st;
    st.font.face = Face::SansBold;
    st.font.size = at;
    float cap = CapHeight(st.font);
    st.fill = VerticalGradient(baseline - cap, Hex(0xFFF29A), baseline, Hex(0xFF9A1E));
    st.outline = std::max(1.5f, at * 0.075f);
    st.outlineColor = kInk;
    st.shadowOpacity = 0.35f;
    st.shadowDx = 0;
    st.shadowDy = static_cast<int>(std::max(2.0f, at * 0.06f));
    st.shadowBlur = std::max(1.5f, at * 0.05f);
    st.shadowColor = Hex(0x0A1E46);
    return st;
  };
  while (size > 10 && !space.Contains(InkOf(style(size), text, x, baseline, align)))
    size -= 0.5f;
  RecordLettering(canvas, space, DrawText(canvas, style(size), text, x, baseline, align), text);
}

void DrawZeppoloLogo(Canvas& canvas, float cx, float baseline, float size, const Box& space) {
  static const int order[7] = {0, 1, 3, 4, 2, 1, 0};
  const std::string word = "Zeppolo";
  Font f;
  f.face = Face::SansBold;
  f.size = size;
  float total = MeasureText(f, word);
  float left = cx - total / 2;
  Mask all(canvas.Width(), canvas.Height());
  std::vector<Mask> letters;
  std::vector<float> bases;
  for (size_t i = 0; i < word.size(); ++i) {
    float x = left + MeasureText(f, word.substr(0, i));
    float b = baseline + ((i % 2) ? -size * 0.05f : size * 0.03f);
    Mask m(canvas.Width(), canvas.Height());
    RenderText(m, f, word.substr(i, 1), x, b);
    all.Union(m);
    letters.push_back(std::move(m));
    bases.push_back(b);
  }
  Box ink;
  for (size_t i = 0; i < word.size(); ++i) {
    const float x = left + MeasureText(f, word.substr(0, i));
    ink = ink.Union(TextInk(f, word.substr(i, 1), x, bases[i]));
  }
  RecordLettering(canvas, space, ink.Grown(std::ceil(size * 0.13f)), word);
  Mask outer = all.Dilated(size * 0.13f);
  canvas.Fill(outer.Blurred(size * 0.06f).Shifted(0, static_cast<int>(size * 0.07f)), Hex(0x0A1E46),
              0.35f);
  canvas.Fill(outer, kInk);
  canvas.Fill(all.Dilated(size * 0.075f), Hex(0xFFFFFF));
  float cap = CapHeight(f);
  for (size_t i = 0; i < letters.size(); ++i) {
    Color c = BalloonColor(order[i]);
    canvas.Fill(letters[i], VerticalGradient(bases[i] - cap, Lighter(c, 0.4f), bases[i], c));
    // A small highlight on the upper part of each letter.
    Mask hl = letters[i];
    hl.Intersect(RectMask(canvas.Width(), canvas.Height(), 0, bases[i] - cap,
                          static_cast<float>(canvas.Width()), cap * 0.3f));
    canvas.Fill(hl, Hex(0xFFFFFF), 0.3f);
  }
}

// Icons.

void IconPlay(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  p.AddPolygon(
      {{cx - s * 0.32f, cy - s * 0.4f}, {cx + s * 0.4f, cy}, {cx - s * 0.32f, cy + s * 0.4f}});
  c.FillPath(p, color);
}

void IconArrow(Canvas& c, float cx, float cy, float s, Color color, bool right) {
  float d = right ? 1.0f : -1.0f;
  Path p;
  p.AddPolygon({{cx - d * s * 0.42f, cy - s * 0.13f},
                {cx + d * s * 0.02f, cy - s * 0.13f},
                {cx + d * s * 0.02f, cy - s * 0.38f},
                {cx + d * s * 0.45f, cy},
                {cx + d * s * 0.02f, cy + s * 0.38f},
                {cx + d * s * 0.02f, cy + s * 0.13f},
                {cx - d * s * 0.42f, cy + s * 0.13f}});
  c.FillPath(p, color);
}

void IconInfo(Canvas& c, float cx, float cy, float s, Color color) {
  Path ring;
  ring.AddCircle(cx, cy, s * 0.46f);
  ring.AddEllipse(cx, cy, s * 0.34f, s * 0.34f, true);
  c.FillPath(ring, color);
  Path dot;
  dot.AddCircle(cx, cy - s * 0.17f, s * 0.065f);
  dot.AddRoundRect(cx - s * 0.055f, cy - s * 0.05f, s * 0.11f, s * 0.27f, s * 0.03f);
  c.FillPath(dot, color);
}

void IconCross(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  float a = s * 0.3f;
  p.AddSegment({cx - a, cy - a}, {cx + a, cy + a}, s * 0.17f);
  p.AddSegment({cx + a, cy - a}, {cx - a, cy + a}, s * 0.17f);
  c.FillPath(p, color);
}

void IconCheck(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  p.AddPolyline({{cx - s * 0.33f, cy + s * 0.02f},
                 {cx - s * 0.1f, cy + s * 0.27f},
                 {cx + s * 0.36f, cy - s * 0.3f}},
                s * 0.17f);
  c.FillPath(p, color);
}

void IconQuestion(Canvas& c, float cx, float cy, float s, Color color) {
  Path p = Arc(cx, cy - s * 0.14f, s * 0.2f, -kPi * 1.05f, kPi * 0.4f, s * 0.14f);
  p.AddSegment(
      {cx + s * 0.2f * std::cos(kPi * 0.4f), cy - s * 0.14f + s * 0.2f * std::sin(kPi * 0.4f)},
      {cx, cy + s * 0.14f}, s * 0.14f);
  p.AddCircle(cx, cy + s * 0.36f, s * 0.085f);
  c.FillPath(p, color);
}

void IconSpeaker(Canvas& c, float cx, float cy, float s, Color color, bool on) {
  Path p;
  float l = cx - s * 0.4f;
  p.AddPolygon({{l, cy - s * 0.13f},
                {l + s * 0.2f, cy - s * 0.13f},
                {l + s * 0.42f, cy - s * 0.36f},
                {l + s * 0.42f, cy + s * 0.36f},
                {l + s * 0.2f, cy + s * 0.13f},
                {l, cy + s * 0.13f}});
  if (on) {
    p.Append(Arc(l + s * 0.45f, cy, s * 0.2f, -0.9f, 0.9f, s * 0.08f));
    p.Append(Arc(l + s * 0.45f, cy, s * 0.36f, -0.85f, 0.85f, s * 0.08f));
  }
  c.FillPath(p, color);
}

void IconNote(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  float hx0 = cx - s * 0.24f, hx1 = cx + s * 0.22f;
  float hy0 = cy + s * 0.28f, hy1 = cy + s * 0.2f;
  p.AddTiltedEllipse(hx0, hy0, s * 0.14f, s * 0.1f, -0.4f);
  p.AddTiltedEllipse(hx1, hy1, s * 0.14f, s * 0.1f, -0.4f);
  float sw = s * 0.07f;
  p.AddPolygon({{hx0 + s * 0.07f, hy0},
                {hx0 + s * 0.07f + sw, hy0},
                {hx0 + s * 0.07f + sw, cy - s * 0.32f},
                {hx0 + s * 0.07f, cy - s * 0.32f}});
  p.AddPolygon({{hx1 + s * 0.07f, hy1},
                {hx1 + s * 0.07f + sw, hy1},
                {hx1 + s * 0.07f + sw, cy - s * 0.4f},
                {hx1 + s * 0.07f, cy - s * 0.4f}});
  p.AddPolygon({{hx0 + s * 0.07f, cy - s * 0.32f},
                {hx1 + s * 0.07f + sw, cy - s * 0.4f},
                {hx1 + s * 0.07f + sw, cy - s * 0.26f},
                {hx0 + s * 0.07f, cy - s * 0.18f}});
  c.FillPath(p, color);
}

void IconTrophy(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  // Cup.
  std::vector<Vec2> cup;
  cup.push_back({cx - s * 0.3f, cy - s * 0.42f});
  cup.push_back({cx + s * 0.3f, cy - s * 0.42f});
  for (int i = 0; i <= 12; ++i) {
    float t = kPi * i / 12;
    cup.push_back({cx + s * 0.3f * std::cos(t), cy - s * 0.12f + s * 0.22f * std::sin(t)});
  }
  p.AddPolygon(cup);
  p.Append(Arc(cx - s * 0.3f, cy - s * 0.2f, s * 0.14f, kPi * 0.5f, kPi * 1.5f, s * 0.07f));
  p.Append(Arc(cx + s * 0.3f, cy - s * 0.2f, s * 0.14f, -kPi * 0.5f, kPi * 0.5f, s * 0.07f));
  p.AddPolygon({{cx - s * 0.06f, cy + s * 0.08f},
                {cx + s * 0.06f, cy + s * 0.08f},
                {cx + s * 0.08f, cy + s * 0.3f},
                {cx - s * 0.08f, cy + s * 0.3f}});
  p.AddRoundRect(cx - s * 0.25f, cy + s * 0.28f, s * 0.5f, s * 0.14f, s * 0.03f);
  c.FillPath(p, color);
}

void IconClock(Canvas& c, float cx, float cy, float s, Color face, Color hands) {
  Path ring;
  ring.AddCircle(cx, cy, s * 0.46f);
  c.FillPath(ring, hands);
  Path inner;
  inner.AddCircle(cx, cy, s * 0.37f);
  c.FillPath(inner, face);
  Path h;
  h.AddSegment({cx, cy}, {cx, cy - s * 0.27f}, s * 0.08f);
  h.AddSegment({cx, cy}, {cx + s * 0.18f, cy + s * 0.05f}, s * 0.08f);
  c.FillPath(h, hands);
}

void IconPerson(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  p.AddCircle(cx, cy - s * 0.2f, s * 0.19f);
  std::vector<Vec2> body;
  for (int i = 0; i <= 16; ++i) {
    float t = kPi + kPi * i / 16;
    body.push_back({cx + s * 0.36f * std::cos(t), cy + s * 0.42f + s * 0.4f * std::sin(t)});
  }
  p.AddPolygon(body);
  c.FillPath(p, color);
}

void IconHome(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  p.AddPolygon({{cx, cy - s * 0.42f},
                {cx + s * 0.44f, cy - s * 0.02f},
                {cx + s * 0.3f, cy - s * 0.02f},
                {cx + s * 0.3f, cy + s * 0.38f},
                {cx + s * 0.09f, cy + s * 0.38f},
                {cx + s * 0.09f, cy + s * 0.12f},
                {cx - s * 0.09f, cy + s * 0.12f},
                {cx - s * 0.09f, cy + s * 0.38f},
                {cx - s * 0.3f, cy + s * 0.38f},
                {cx - s * 0.3f, cy - s * 0.02f},
                {cx - s * 0.44f, cy - s * 0.02f}});
  c.FillPath(p, color);
}

void IconStar(Canvas& c, float cx, float cy, float s, Color color) {
  c.FillPath(StarPath(cx, cy + s * 0.04f, s * 0.48f, s * 0.21f), color);
}

void IconUpload(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  p.AddPolygon({{cx, cy - s * 0.44f},
                {cx + s * 0.3f, cy - s * 0.12f},
                {cx + s * 0.1f, cy - s * 0.12f},
                {cx + s * 0.1f, cy + s * 0.16f},
                {cx - s * 0.1f, cy + s * 0.16f},
                {cx - s * 0.1f, cy - s * 0.12f},
                {cx - s * 0.3f, cy - s * 0.12f}});
  p.AddPolyline({{cx - s * 0.38f, cy + s * 0.1f},
                 {cx - s * 0.38f, cy + s * 0.36f},
                 {cx + s * 0.38f, cy + s * 0.36f},
                 {cx + s * 0.38f, cy + s * 0.1f}},
                s * 0.1f);
  c.FillPath(p, color);
}

void IconEraser(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  p.AddRoundRect(cx - s * 0.36f, cy - s * 0.33f, s * 0.72f, s * 0.1f, s * 0.03f);
  p.AddRoundRect(cx - s * 0.1f, cy - s * 0.43f, s * 0.2f, s * 0.12f, s * 0.03f);
  p.AddPolygon({{cx - s * 0.29f, cy - s * 0.2f},
                {cx + s * 0.29f, cy - s * 0.2f},
                {cx + s * 0.23f, cy + s * 0.43f},
                {cx - s * 0.23f, cy + s * 0.43f}});
  c.FillPath(p, color);
}

void IconBook(Canvas& c, float cx, float cy, float s, Color color) {
  Path p;
  p.AddPolygon({{cx - s * 0.46f, cy - s * 0.3f},
                {cx - s * 0.04f, cy - s * 0.22f},
                {cx - s * 0.04f, cy + s * 0.38f},
                {cx - s * 0.46f, cy + s * 0.3f}});
  p.AddPolygon({{cx + s * 0.04f, cy - s * 0.22f},
                {cx + s * 0.46f, cy - s * 0.3f},
                {cx + s * 0.46f, cy + s * 0.3f},
                {cx + s * 0.04f, cy + s * 0.38f}});
  c.FillPath(p, color);
}

void IconPower(Canvas& c, float cx, float cy, float s, Color color) {
  Path p = Arc(cx, cy + s * 0.04f, s * 0.34f, -kPi * 0.3f, kPi * 1.3f, s * 0.12f);
  p.AddSegment({cx, cy - s * 0.42f}, {cx, cy - s * 0.02f}, s * 0.12f);
  c.FillPath(p, color);
}

void IconRefresh(Canvas& c, float cx, float cy, float s, Color color) {
  Path p = Arc(cx, cy, s * 0.32f, -kPi * 0.35f, kPi * 1.25f, s * 0.12f);
  float ex = cx + s * 0.32f * std::cos(-kPi * 0.35f), ey = cy + s * 0.32f * std::sin(-kPi * 0.35f);
  p.AddPolygon({{ex - s * 0.2f, ey - s * 0.1f},
                {ex + s * 0.14f, ey - s * 0.2f},
                {ex + s * 0.08f, ey + s * 0.17f}});
  c.FillPath(p, color);
}

Path LightningPath(float x, float y, float w, float h) {
  static const float pts[7][2] = {{0.62f, 0.00f}, {0.10f, 0.56f}, {0.44f, 0.56f}, {0.28f, 1.00f},
                                  {0.93f, 0.38f}, {0.57f, 0.38f}, {0.84f, 0.00f}};
  std::vector<Vec2> p;
  for (auto& q : pts)
    p.push_back({x + q[0] * w, y + q[1] * h});
  Path path;
  path.AddPolygon(p);
  return path;
}

void IconLightning(Canvas& c, float cx, float cy, float s, Color color) {
  c.FillPath(LightningPath(cx - s * 0.32f, cy - s * 0.45f, s * 0.64f, s * 0.9f), color);
}

}  // namespace zepgen
