#pragma once
// The keyboard focus of a screen or dialog: one of its buttons (or one of its own targets, such as
// a player's name) has the focus, and keys move it and press it. Tab and Shift+Tab walk the
// targets in reading order, the arrows go to the nearest target in their direction, Enter, Space
// and a controller's A press the focused one exactly as a click would, and a few keys press a
// named button wherever the focus is (PageUp and PageDown, a controller's B, Start and shoulder
// buttons). Keys reach it as window messages; their effect waits for the screen's next frame.
//
// The focus is shown as a ring in the colours of the lettering (gold between navy lines) once a
// key has been pressed, and hidden again when the mouse moves, so a player who only uses the
// mouse never sees it. The ring is drawn into the back buffer with blits of a picture made with
// fills, and screens report it to the redraw list like every other moving part.

#include <cstdint>
#include <vector>

#include "framework/ButtonList.h"
#include "platform/Surface.h"
#include "qz/qz.h"

// Something that can have the focus: a button, or a target of the screen's own, which the
// screen acts on itself when it is pressed.
struct FocusTarget {
  platform::Rect rect;  // left, top, right, bottom on the display
  Button* button;       // null for the screen's own target
  int id;               // the screen's own number for it
};

class KeyFocus {
 public:
  enum class Command {
    None,
    Next,
    Previous,
    Left,
    Right,
    Up,
    Down,
    Press,
    PageUp,
    PageDown,
    Back,
    Start
  };

  // Results of Apply besides the id of a pressed target of the screen's own.
  static constexpr int kNothing = -1;
  // A press or a back with nothing to press (a picture without buttons).
  static constexpr int kUnanswered = -2;

  // The ring: its outer edge this far outside a button (outside a target of the screen's own
  // it lies wholly), so many pixels thick.
  static constexpr int kRingOutset = 3;
  static constexpr int kRingThickness = 5;
  static constexpr int kRingRadius = 7;

  KeyFocus() = default;
  ~KeyFocus();
  KeyFocus(const KeyFocus&) = delete;
  KeyFocus& operator=(const KeyFocus&) = delete;

  // What a key-down message asks of the focus, or None. Repeats of a held key only move.
  static Command CommandOf(uint32_t virtualKey, intptr_t flags);

  // Takes key-down messages and keeps their commands for the next Apply. 1 when one was taken.
  int OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

  // Where the focus starts and goes back to when its target is gone: a button by name, or a
  // target of the screen's own.
  void SetHome(const char* buttonName);
  void SetHomeTarget(int id);
  bool HasHome() const { return home != nullptr || homeId >= 0; }
  // The buttons that Back, Start, PageUp and PageDown press; null for none.
  void SetKeyButtons(const char* back, const char* start, const char* pageUp, const char* pageDown);
  // The screen's own targets, in addition to its buttons.
  void SetOwnTargets(const std::vector<FocusTarget>& targets) { own = targets; }
  // The focus back on the home target, pending keys dropped; a screen's Open calls it.
  void Reset();

  // One frame, after the mouse test of the buttons: the pointer moving hides the ring; then the
  // pending keys act, up to the first one that presses something (the rest wait for the next
  // frame). A click of the mouse in this frame wins and the keys wait. Buttons are pressed here;
  // returns the id of a pressed target of the screen's own, kUnanswered, or kNothing.
  int Apply(ButtonList* buttons, int pointerX, int pointerY);
  // The ring around the focused target when it is shown, cut to the clip rectangle (the panel of
  // a dialog) when one is given; reported to the redraw list when mark is set.
  void Draw(QZSurface* target, const platform::Rect* clip, bool mark);

  // The focused target, as the last Apply found it; null when there is none.
  const FocusTarget* Focused() const;
  // Puts the focus on a target of the screen's own, or on a button.
  void FocusTargetId(int id);
  void FocusButton(const Button* button);

  // Whether the ring is shown: one for the whole program, since a player who uses the keys in one
  // screen wants to see the focus in the next one at once.
  static bool RingShown();
  static void SetRingShown(bool shown);

 private:
  // The geometry. Targets in reading order: top to bottom, then left to right. The nearest target
  // in a direction from `from`: candidates lie beyond it that way; those overlapping it across
  // the move are preferred, then the least weighted distance. With no candidate the focus wraps
  // to the far end of its row or column. -1 when there is nowhere to go.
  static std::vector<int> ReadingOrder(const std::vector<platform::Rect>& rects);
  static int Nearest(const std::vector<platform::Rect>& rects, int from, Command direction);
  // The layer of the ring (0 outermost) at a pixel of a ring of that outer size, or -1.
  static int RingLayer(int x, int y, int width, int height);

  // The buttons that may have the focus (enabled, with a picture) and the own targets.
  void Collect(ButtonList* buttons);
  int IndexOf(const Button* button, int id) const;
  int HomeIndex(ButtonList* buttons) const;
  // Carries out one command; true when it pressed something (result set).
  bool Act(Command command, ButtonList* buttons, int* result);
  static bool PressNamed(ButtonList* buttons, const char* name);
  void BuildRing(int width, int height);

  std::vector<Command> pending;
  std::vector<FocusTarget> own;
  std::vector<FocusTarget> targets;
  int focused = -1;
  const Button* focusButton = nullptr;
  int focusId = -1;
  const char* home = nullptr;
  int homeId = -1;
  const char* backButton = nullptr;
  const char* startButton = nullptr;
  const char* pageUpButton = nullptr;
  const char* pageDownButton = nullptr;
  bool pointerKnown = false;
  int lastPointerX = 0;
  int lastPointerY = 0;
  QZSurface* ring = nullptr;
};
