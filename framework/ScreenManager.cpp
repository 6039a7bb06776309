#include "framework/ScreenManager.h"

#include <cstring>

Screen* ScreenManager::Select(const char* name) {
  if (!name) return current;
  for (int i = 0; i < screens.Count(); ++i) {
    Screen* screen = screens.At(i);
    if (std::strcmp(screen->Name(), name) == 0) {
      if (current) current->Close();
      current = screen;
      current->Open(directDraw, back);
      break;
    }
  }
  return current;
}

int ScreenManager::Update(int active) {
  return current ? current->Update(active) : 0;
}

int ScreenManager::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (modal != nullptr) return modal->OnMessage(message, wParam, lParam);
  return current ? current->OnMessage(message, wParam, lParam) : 1;
}

void ScreenManager::CloseAll() {
  for (int i = 0; i < screens.Count(); ++i)
    screens.At(i)->Close();
}

void ScreenManager::Clear() {
  while (screens.Count() > 0)
    screens.Remove(screens.At(0));
  current = nullptr;
  modal = nullptr;
}

ScreenManager& TheScreenManager() {
  static ScreenManager manager;
  return manager;
}
