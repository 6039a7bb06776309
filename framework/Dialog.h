#pragma once
// A screen that runs its own frame loop until the player answers it: a panel picture drawn over
// the current screen, buttons on the panel, an optional hot key and an optional deadline. The
// answer is a text: the name of the button clicked, "key" for the hot key, or what a derived
// dialog sets with Finish. It lives in the screen's name field while the dialog runs.
//
// A dialog may watch the buttons of its child screen too, and its Flip goes to that child, so the
// screen beneath keeps working and drawing.
//
// The virtual operations continue the screen's order; derived dialogs override by that order.

#include <cstdint>

#include "framework/Image.h"
#include "framework/KeyFocus.h"
#include "framework/PtrArray.h"
#include "framework/Screen.h"
#include "platform/Surface.h"

class Dialog : public Screen {
 public:
  // The display the panel is centred on.
  static constexpr int kDisplayWidth = 800;
  static constexpr int kDisplayHeight = 600;

  Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // The screen's lists and the panel list.
  void CreateLists() override;
  // The screen's Close (buttons, images), then the panels.
  void Close() override;

  // Places the current panel with its top-left corner at (x, y); (-1, -1) centres it on the
  // display the first time and leaves it where it is afterwards. The buttons follow.
  virtual void Place(int x, int y);
  // Sets the answer (when given) and ends Run.
  virtual void Finish(const char* result);
  // Shows the named panel (or the first) and runs frames until the dialog is answered. The answer
  // is copied to resultOut, which holds kNameSize characters. 1 when answered, 0 when the program
  // is ending (resultOut is then left as it was).
  virtual int Run(char* resultOut, const char* panelName);
  // Called once per frame of Run with the mouse; 0 interrupts Run. By default CheckResult().
  virtual int OnFrame(int x, int y, uint32_t buttons);
  // A clicked button (which wins over the hot key in the same frame), the hot key, or the
  // deadline ends the dialog. Returns 1.
  virtual int CheckResult();
  // Makes the image the current panel and places it; null is ignored. Returns the image.
  virtual Image* SelectPanel(Image* image);
  // The named panel, or the first one, becomes current and is placed.
  virtual Image* SelectPanelByName(const char* name);
  virtual Image* CurrentPanel() const { return currentPanel; }
  virtual Image* FindPanel(const char* name) const;
  // Loads a panel, names it, keeps it (even when the bitmap is missing) and selects it.
  virtual Image* AddPanel(const char* path, const char* name);
  // 1: while Run runs, the redraw list's scene is the panel.
  virtual void SetOwnTarget(int v) { ownTarget = v; }
  // A button named "default" over the whole panel: a click anywhere on it that no earlier button
  // takes answers "default".
  virtual void AddDefaultButton();
  // An absolute value of the millisecond clock, not a duration; 0 for none.
  virtual void SetDeadline(uint32_t clock) { deadline = clock; }
  // A virtual-key code; holding it answers "key". 0 for none.
  virtual void SetHotKey(int virtualKey) { hotKey = virtualKey; }
  // 1: a click on one of the child screen's buttons answers with its name.
  virtual void SetWatchChild(int v) { watchChild = v; }

  ~Dialog() override;

  const char* Result() const { return Name(); }
  int IsDone() const { return done; }
  // Left, top, right, bottom of the placed panel; -1 each before the first placement.
  const platform::Rect& Rectangle() const { return rect; }
  int PositionX() const { return posX; }
  int PositionY() const { return posY; }
  int PanelCount() const { return panels != nullptr ? panels->Count() : 0; }
  // What the keys of this frame pressed among the dialog's own focus targets (KeyFocus::Apply).
  int KeyPressed() const { return keyPressed; }

 private:
  PtrArray<Image>* panels = nullptr;
  Image* currentPanel = nullptr;
  int done = 0;
  platform::Rect rect = {-1, -1, -1, -1};
  int posX = 0;
  int posY = 0;
  int ownTarget = 1;
  uint32_t deadline = 0;
  int hotKey = 0;
  int watchChild = 0;
  int keyPressed = KeyFocus::kNothing;
};
