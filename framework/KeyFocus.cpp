#include "framework/KeyFocus.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "framework/DirtyRects.h"
#include "framework/SurfaceRoutines.h"
#include "platform/Messages.h"

namespace {

bool ringShown = false;

// Enough for a fast typist between two frames; more is dropped.
constexpr size_t kMaxPending = 16;

struct RingColour {
  int r;
  int g;
  int b;
};

// From the outside in: the lettering's navy outline, its gold from light to orange, navy again.
constexpr RingColour kRingColours[KeyFocus::kRingThickness] = {
    {0x1A, 0x2A, 0x5A}, {0xFF, 0xF2, 0x9A}, {0xFF, 0xD2, 0x3C},
    {0xFF, 0x9A, 0x1E}, {0x1A, 0x2A, 0x5A},
};

using Rect = platform::Rect;
using Command = KeyFocus::Command;

bool Horizontal(Command direction) {
  return direction == Command::Left || direction == Command::Right;
}

// Whether dst lies beyond src in the direction.
bool IsCandidate(const Rect& src, const Rect& dst, Command direction) {
  switch (direction) {
    case Command::Right:
      return (src.left < dst.left || src.right <= dst.left) && src.right < dst.right;
    case Command::Left:
      return (src.right > dst.right || src.left >= dst.right) && src.left > dst.left;
    case Command::Down:
      return (src.top < dst.top || src.bottom <= dst.top) && src.bottom < dst.bottom;
    case Command::Up:
      return (src.bottom > dst.bottom || src.top >= dst.bottom) && src.top > dst.top;
    default:
      return false;
  }
}

// Whether the two overlap across the direction of the move (share a row for a sideways move).
bool InBeam(const Rect& src, const Rect& dst, Command direction) {
  if (Horizontal(direction)) return dst.top < src.bottom && dst.bottom > src.top;
  return dst.left < src.right && dst.right > src.left;
}

// The gap to cross along the move, and the offset of the centres across it (doubled, to stay in
// whole numbers).
int64_t MajorDistance(const Rect& src, const Rect& dst, Command direction) {
  switch (direction) {
    case Command::Right:
      return std::max(0, dst.left - src.right);
    case Command::Left:
      return std::max(0, src.left - dst.right);
    case Command::Down:
      return std::max(0, dst.top - src.bottom);
    default:
      return std::max(0, src.top - dst.bottom);
  }
}
int64_t MinorDistance(const Rect& src, const Rect& dst, Command direction) {
  if (Horizontal(direction)) return std::abs((src.top + src.bottom) - (dst.top + dst.bottom));
  return std::abs((src.left + src.right) - (dst.left + dst.right));
}

// How far back against the direction a target starts: the wrap goes to the largest.
int FarEnd(const Rect& dst, Command direction) {
  switch (direction) {
    case Command::Right:
      return -dst.left;
    case Command::Left:
      return dst.right;
    case Command::Down:
      return -dst.top;
    default:
      return dst.bottom;
  }
}

// The intersection; empty (right <= left or bottom <= top) when they do not meet.
Rect Intersect(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

bool IsEmpty(const Rect& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

}  // namespace

KeyFocus::~KeyFocus() {
  QZSurface::Release(ring);
}

bool KeyFocus::RingShown() {
  return ringShown;
}

void KeyFocus::SetRingShown(bool shown) {
  ringShown = shown;
}

KeyFocus::Command KeyFocus::CommandOf(uint32_t virtualKey, intptr_t flags) {
  // Alt combinations belong to the window (Alt+Enter switches full screen).
  if ((flags & platform::kKeyAltHeld) != 0) return Command::None;
  const bool repeated = (flags & platform::kKeyRepeated) != 0;
  const bool control = (flags & platform::kKeyControlHeld) != 0;
  Command command = Command::None;
  switch (virtualKey) {
    case platform::VK_TAB:
      command = (flags & platform::kKeyShiftHeld) != 0 ? Command::Previous : Command::Next;
      break;
    case platform::VK_LEFT:
      command = Command::Left;
      break;
    case platform::VK_RIGHT:
      command = Command::Right;
      break;
    case platform::VK_UP:
      command = Command::Up;
      break;
    case platform::VK_DOWN:
      command = Command::Down;
      break;
    case platform::VK_RETURN:
    case platform::VK_SPACE:
    case platform::VK_GAMEPAD_A:
      command = Command::Press;
      break;
    case platform::VK_PRIOR:
    case platform::VK_GAMEPAD_LEFT_SHOULDER:
      command = Command::PageUp;
      break;
    case platform::VK_NEXT:
    case platform::VK_GAMEPAD_RIGHT_SHOULDER:
      command = Command::PageDown;
      break;
    case platform::VK_GAMEPAD_B:
      command = Command::Back;
      break;
    case platform::VK_GAMEPAD_MENU:
      command = Command::Start;
      break;
    default:
      break;
  }
  if (control && command != Command::None) return Command::None;
  // A held key walks on, but presses once, as a click does.
  const bool moves = command == Command::Next || command == Command::Previous ||
                     command == Command::Left || command == Command::Right ||
                     command == Command::Up || command == Command::Down;
  if (repeated && !moves) return Command::None;
  return command;
}

int KeyFocus::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message != platform::WM_KEYDOWN) return 0;
  const Command command = CommandOf(static_cast<uint32_t>(wParam), lParam);
  if (command == Command::None || pending.size() >= kMaxPending) return 0;
  pending.push_back(command);
  return 1;
}

void KeyFocus::SetHome(const char* buttonName) {
  home = buttonName;
  homeId = -1;
}

void KeyFocus::SetHomeTarget(int id) {
  home = nullptr;
  homeId = id;
}

void KeyFocus::SetKeyButtons(const char* back, const char* start, const char* pageUp,
                             const char* pageDown) {
  backButton = back;
  startButton = start;
  pageUpButton = pageUp;
  pageDownButton = pageDown;
}

void KeyFocus::Reset() {
  pending.clear();
  targets.clear();
  focused = -1;
  focusButton = nullptr;
  focusId = -1;
  pointerKnown = false;
}

void KeyFocus::Collect(ButtonList* buttons) {
  targets.clear();
  if (buttons != nullptr) {
    for (int i = 0; i < buttons->Count(); ++i) {
      Button* button = buttons->At(i);
      // A button that is off, or has nothing to show (a picture's catch-all), is no stop.
      if (button->IsEnabled() == 0 || button->ImageCount() == 0) continue;
      const int left = button->X() + button->OriginX();
      const int top = button->Y() + button->OriginY();
      targets.push_back({{left, top, left + button->Width(), top + button->Height()}, button, -1});
    }
  }
  targets.insert(targets.end(), own.begin(), own.end());
}

int KeyFocus::IndexOf(const Button* button, int id) const {
  for (size_t i = 0; i < targets.size(); ++i) {
    const FocusTarget& t = targets[i];
    if (button != nullptr ? t.button == button : (t.button == nullptr && t.id == id)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int KeyFocus::HomeIndex(ButtonList* buttons) const {
  int index = -1;
  if (home != nullptr && buttons != nullptr) index = IndexOf(buttons->Find(home), -1);
  if (index < 0 && homeId >= 0) index = IndexOf(nullptr, homeId);
  if (index < 0 && !targets.empty()) {
    std::vector<Rect> rects;
    for (const FocusTarget& t : targets)
      rects.push_back(t.rect);
    index = ReadingOrder(rects).front();
  }
  return index;
}

const FocusTarget* KeyFocus::Focused() const {
  return focused >= 0 && focused < static_cast<int>(targets.size()) ? &targets[focused] : nullptr;
}

void KeyFocus::FocusTargetId(int id) {
  focusButton = nullptr;
  focusId = id;
  focused = IndexOf(nullptr, id);
}

void KeyFocus::FocusButton(const Button* button) {
  focusButton = button;
  focusId = -1;
  focused = IndexOf(button, -1);
}

bool KeyFocus::PressNamed(ButtonList* buttons, const char* name) {
  Button* button = buttons != nullptr && name != nullptr ? buttons->Find(name) : nullptr;
  if (button == nullptr || button->IsEnabled() == 0) return false;
  button->Press();
  return true;
}

bool KeyFocus::Act(Command command, ButtonList* buttons, int* result) {
  const bool moves = command != Command::Press && command != Command::PageUp &&
                     command != Command::PageDown && command != Command::Back &&
                     command != Command::Start;
  if (moves) {
    // The first key only shows where the focus is.
    if (!ringShown) {
      ringShown = true;
      return false;
    }
    if (focused < 0) return false;
    std::vector<Rect> rects;
    for (const FocusTarget& t : targets)
      rects.push_back(t.rect);
    int next = -1;
    if (command == Command::Next || command == Command::Previous) {
      const std::vector<int> order = ReadingOrder(rects);
      const int count = static_cast<int>(order.size());
      const int at =
          static_cast<int>(std::find(order.begin(), order.end(), focused) - order.begin());
      next = order[(at + (command == Command::Next ? 1 : count - 1)) % count];
    } else {
      next = Nearest(rects, focused, command);
    }
    if (next >= 0) {
      focused = next;
      focusButton = targets[next].button;
      focusId = targets[next].id;
    }
    return false;
  }
  ringShown = true;
  switch (command) {
    case Command::Press:
      if (const FocusTarget* target = Focused()) {
        if (target->button != nullptr) {
          target->button->Press();
        } else {
          *result = target->id;
        }
        return true;
      }
      // Nothing to focus: the picture's own way out, as a click on it.
      if (!PressNamed(buttons, backButton)) *result = kUnanswered;
      return true;
    case Command::Back:
      if (backButton == nullptr) return false;
      if (!PressNamed(buttons, backButton)) *result = kUnanswered;
      return true;
    case Command::Start:
      return PressNamed(buttons, startButton);
    case Command::PageUp:
      return PressNamed(buttons, pageUpButton);
    case Command::PageDown:
      return PressNamed(buttons, pageDownButton);
    default:
      return false;
  }
}

int KeyFocus::Apply(ButtonList* buttons, int pointerX, int pointerY) {
  // The mouse taking over again: the ring goes, the focus stays where it was.
  if (pointerKnown && (pointerX != lastPointerX || pointerY != lastPointerY)) ringShown = false;
  pointerKnown = true;
  lastPointerX = pointerX;
  lastPointerY = pointerY;

  Collect(buttons);
  focused = IndexOf(focusButton, focusId);
  // Not kept: a home that is off now (a slot whose game comes with the first drawing) is found
  // again next frame.
  if (focused < 0) focused = HomeIndex(buttons);
  if (pending.empty()) return kNothing;
  if (buttons != nullptr && buttons->FindClicked() != nullptr) return kNothing;
  int result = kNothing;
  size_t used = 0;
  while (used < pending.size()) {
    if (Act(pending[used++], buttons, &result)) break;
  }
  pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(used));
  return result;
}

std::vector<int> KeyFocus::ReadingOrder(const std::vector<Rect>& rects) {
  std::vector<int> order(rects.size());
  for (size_t i = 0; i < order.size(); ++i)
    order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&rects](int a, int b) {
    return std::tie(rects[a].top, rects[a].left) < std::tie(rects[b].top, rects[b].left);
  });
  return order;
}

int KeyFocus::Nearest(const std::vector<Rect>& rects, int from, Command direction) {
  if (from < 0 || from >= static_cast<int>(rects.size())) return -1;
  const Rect& src = rects[from];
  int best = -1;
  // Smaller is better: out of the beam, then the weighted distance.
  std::tuple<int, int64_t> bestKey{};
  for (int i = 0; i < static_cast<int>(rects.size()); ++i) {
    if (i == from || !IsCandidate(src, rects[i], direction)) continue;
    const int64_t major = MajorDistance(src, rects[i], direction);
    const int64_t minor = MinorDistance(src, rects[i], direction);
    // Along the move counts more than across it, so the next in a line wins over a near
    // neighbour beside the line.
    const std::tuple<int, int64_t> key{InBeam(src, rects[i], direction) ? 0 : 1,
                                       13 * (2 * major) * (2 * major) + minor * minor};
    if (best < 0 || key < bestKey) {
      best = i;
      bestKey = key;
    }
  }
  if (best >= 0) return best;
  // Nothing that way: round to the far end of the same row or column; with nothing else in it,
  // the focus stays.
  int farthest = 0;
  for (int i = 0; i < static_cast<int>(rects.size()); ++i) {
    if (i == from || !InBeam(src, rects[i], direction)) continue;
    const int far = FarEnd(rects[i], direction);
    if (best < 0 || far > farthest) {
      best = i;
      farthest = far;
    }
  }
  return best;
}

int KeyFocus::RingLayer(int x, int y, int width, int height) {
  if (x < 0 || y < 0 || x >= width || y >= height) return -1;
  // The depth of the pixel's centre inside a rectangle with rounded corners.
  const double px = x + 0.5;
  const double py = y + 0.5;
  const double dx = std::min(px, width - px);
  const double dy = std::min(py, height - py);
  double depth = std::min(dx, dy);
  if (dx < kRingRadius && dy < kRingRadius) {
    depth = kRingRadius - std::hypot(kRingRadius - dx, kRingRadius - dy);
  }
  if (depth < 0 || depth >= kRingThickness) return -1;
  return static_cast<int>(depth);
}

void KeyFocus::BuildRing(int width, int height) {
  QZSurface::Release(ring);
  ring = CreateSurface(width, height);
  if (ring == nullptr) return;
  ::SetColorKey(ring, 0, 0, 255);
  FillColor(ring, MakeColor(ring, 0, 0, 255));
  uint16_t colours[kRingThickness];
  for (int i = 0; i < kRingThickness; ++i)
    colours[i] = static_cast<uint16_t>(
        MakeColor(ring, kRingColours[i].r, kRingColours[i].g, kRingColours[i].b));
  // Runs of one layer along each row; between the corners only the sides hold any.
  for (int y = 0; y < height; ++y) {
    const bool band = y < kRingRadius || y >= height - kRingRadius;
    for (int x = 0; x < width;) {
      if (!band && x == kRingRadius) x = std::max(x, width - kRingRadius);
      const int layer = RingLayer(x, y, width, height);
      int end = x + 1;
      while (end < width && RingLayer(end, y, width, height) == layer &&
             (band || end != kRingRadius))
        ++end;
      if (layer >= 0) {
        const Rect run{x, y, end, y + 1};
        ring->Fill(&run, colours[layer]);
      }
      x = end;
    }
  }
}

void KeyFocus::Draw(QZSurface* target, const Rect* clip, bool mark) {
  const FocusTarget* focus = Focused();
  if (!ringShown || focus == nullptr || target == nullptr) return;
  // Over a button's own edge, but wholly outside a line of text, whose letters reach its top.
  const int outset = focus->button != nullptr ? kRingOutset : kRingThickness;
  const Rect outer{focus->rect.left - outset, focus->rect.top - outset, focus->rect.right + outset,
                   focus->rect.bottom + outset};
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  if (width <= 2 * kRingRadius || height <= 2 * kRingRadius) return;
  int ringWidth = 0;
  int ringHeight = 0;
  if (ring != nullptr) GetSurfaceSize(ring, &ringWidth, &ringHeight);
  if (ring == nullptr || ringWidth != width || ringHeight != height) BuildRing(width, height);
  if (ring == nullptr) return;

  int targetWidth = 0;
  int targetHeight = 0;
  GetSurfaceSize(target, &targetWidth, &targetHeight);
  Rect bounds{0, 0, targetWidth, targetHeight};
  if (clip != nullptr) bounds = Intersect(bounds, *clip);
  // Only the bands along the edges hold ring pixels: four keyed blits of them.
  const int band = kRingRadius;
  const Rect parts[4] = {
      {0, 0, width, band},
      {0, height - band, width, height},
      {0, band, band, height - band},
      {width - band, band, width, height - band},
  };
  for (const Rect& part : parts) {
    const Rect placed{outer.left + part.left, outer.top + part.top, outer.left + part.right,
                      outer.top + part.bottom};
    const Rect shown = Intersect(placed, bounds);
    if (IsEmpty(shown)) continue;
    BlitRect(ring, shown.left - outer.left, shown.top - outer.top, shown.right - shown.left,
             shown.bottom - shown.top, target, shown.left, shown.top, kBlitKeyedWait);
    // Only the bands: the inside is the button's, which is drawn again every frame anyway.
    if (mark) {
      TheDirtyRects().MarkRect(shown.left, shown.top, shown.right, shown.bottom, kDirtyOneShot,
                               kDirtyFromScene);
    }
  }
}
