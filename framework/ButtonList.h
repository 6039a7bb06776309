#pragma once
// The buttons of one screen or dialog together with its origin: forwards the mouse to all of
// them, redraws them and tells which one was clicked. The list owns its buttons.

#include <cstdint>

#include "framework/Button.h"
#include "framework/PtrArray.h"

class ButtonList {
 public:
  ButtonList() = default;
  ~ButtonList() { DeleteAll(); }
  ButtonList(const ButtonList&) = delete;
  ButtonList& operator=(const ButtonList&) = delete;

  // Appends; the list takes the button.
  void Add(Button* button) {
    if (button != nullptr) buttons.Push(button);
  }
  // The polled mouse test on every button in order.
  void OnMouseAll(int x, int y, uint32_t mouseButtons);
  // The message test on every button in order.
  void OnMessageAll(uint32_t message, uintptr_t wParam, intptr_t lParam);
  void RedrawAll();
  // The first button in list order that is clicked and enabled, or null.
  Button* FindClicked() const;
  // 1 when the first clicked button has that name (exact); a clicked button later in the list
  // does not answer.
  int IsClicked(const char* name) const;
  // The first button with that name, or null.
  Button* Find(const char* name) const;
  // Removes and destroys the first button with that name; 0 when there is none.
  int DeleteByName(const char* name);
  void DeleteAll() { buttons.DeleteAll(); }
  // Stores the origin and hands it to every button.
  void SetOrigin(int x, int y);

  int OriginX() const { return originX; }
  int OriginY() const { return originY; }
  int Count() const { return buttons.Count(); }
  Button* At(int i) const { return buttons.At(i); }

 private:
  PtrArray<Button> buttons;
  int originX = 0;
  int originY = 0;
};
