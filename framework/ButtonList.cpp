#include "framework/ButtonList.h"

#include <cstring>

void ButtonList::OnMouseAll(int x, int y, uint32_t mouseButtons) {
  for (int i = 0; i < buttons.Count(); ++i)
    buttons.At(i)->OnMouse(x, y, mouseButtons);
}

void ButtonList::OnMessageAll(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  for (int i = 0; i < buttons.Count(); ++i)
    buttons.At(i)->OnMessage(message, wParam, lParam);
}

void ButtonList::RedrawAll() {
  for (int i = 0; i < buttons.Count(); ++i)
    buttons.At(i)->Redraw();
}

Button* ButtonList::FindClicked() const {
  for (int i = 0; i < buttons.Count(); ++i) {
    Button* button = buttons.At(i);
    if (button->IsClicked() && button->IsEnabled()) return button;
  }
  return nullptr;
}

int ButtonList::IsClicked(const char* name) const {
  const Button* button = FindClicked();
  if (button == nullptr || name == nullptr) return 0;
  return std::strcmp(button->Name(), name) == 0 && button->IsClicked() ? 1 : 0;
}

Button* ButtonList::Find(const char* name) const {
  if (name == nullptr) return nullptr;
  for (int i = 0; i < buttons.Count(); ++i) {
    if (std::strcmp(buttons.At(i)->Name(), name) == 0) return buttons.At(i);
  }
  return nullptr;
}

int ButtonList::DeleteByName(const char* name) {
  Button* button = Find(name);
  if (button == nullptr) return 0;
  buttons.Remove(button);
  delete button;
  return 1;
}

void ButtonList::SetOrigin(int x, int y) {
  originX = x;
  originY = y;
  for (int i = 0; i < buttons.Count(); ++i)
    buttons.At(i)->SetOrigin(x, y);
}
