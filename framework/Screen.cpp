#include "framework/Screen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/DirtyRects.h"
#include "framework/MousePointer.h"
#include "platform/Profile.h"

Screen::Screen() {
  CreateLists();
}

Screen::~Screen() {
  delete buttons;
  buttons = nullptr;
  FreeImages();
}

void Screen::CreateLists() {
  if (images == nullptr) images = new PtrArray<Image>();
  if (buttons == nullptr) buttons = new ButtonList();
}

int Screen::Open(QZDirectDraw* dd, QZSurface* backBuffer) {
  directDraw = dd;
  back = backBuffer;
  CreateLists();
  return 1;
}

void Screen::Close() {
  delete buttons;
  buttons = nullptr;
  FreeImages();
}

int Screen::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  focus.OnMessage(message, wParam, lParam);
  return 1;
}

int Screen::Update(int) {
  return 1;
}

void Screen::SetName(const char* text) {
  std::snprintf(name, sizeof(name), "%s", text ? text : "");
}

Image* Screen::AddImage(const char* path) {
  Image* image = new Image(path);
  if (image->Surface() == nullptr) {
    delete image;
    return nullptr;
  }
  if (images == nullptr) images = new PtrArray<Image>();
  images->Push(image);
  return image;
}

void Screen::FreeImages() {
  if (images != nullptr) {
    images->DeleteAll();
    delete images;
    images = nullptr;
  }
  // The two background copies lived in the list.
  scenePicture = nullptr;
  backgroundPicture = nullptr;
}

void Screen::RemoveImage(Image* image) {
  if (images != nullptr) images->Remove(image);
}

void Screen::SetDrawTarget(QZSurface* surface) {
  TheDirtyRects().SetScene(surface);
}

void Screen::SetBackground(QZSurface* surface) {
  TheDirtyRects().SetBackground(surface);
}

int Screen::LoadImages(const char* iniPath) {
  for (int n = 1;; ++n) {
    char key[32];
    std::snprintf(key, sizeof(key), "image%02d", n);
    char section[256];
    platform::ReadProfileString("images", key, "none", section, sizeof(section), iniPath);
    if (std::strcmp(section, "none") == 0) return 0;

    char file[256];
    platform::ReadProfileString(section, "file", "none", file, sizeof(file), iniPath);
    char path[sizeof(section) + 4];
    if (std::strcmp(file, "none") != 0) {
      std::snprintf(path, sizeof(path), "%s", file);
    } else {
      std::snprintf(path, sizeof(path), "%s.bmp", section);
    }
    // Kept whether or not the bitmap loaded: it then draws nothing but can still be found.
    Image* image = new Image(path);
    if (images == nullptr) images = new PtrArray<Image>();
    images->Push(image);
    image->SetName(section);

    char value[256];
    platform::ReadProfileString(section, "x", "", value, sizeof(value), iniPath);
    const int x = std::atoi(value);
    platform::ReadProfileString(section, "y", "", value, sizeof(value), iniPath);
    image->SetPosition(x, std::atoi(value));
  }
}

Image* Screen::FindImage(const char* imageName) const {
  if (images == nullptr || imageName == nullptr) return nullptr;
  for (int i = 0; i < images->Count(); ++i) {
    if (std::strcmp(images->At(i)->Name(), imageName) == 0) return images->At(i);
  }
  return nullptr;
}

Image* Screen::AddImageAs(const char* path, const char* imageName) {
  Image* image = new Image();
  image->Load(path);
  if (imageName != nullptr) image->SetName(imageName);
  if (images == nullptr) images = new PtrArray<Image>();
  images->Push(image);
  return image;
}

Image* Screen::RemoveImageByName(const char* imageName) {
  Image* image = FindImage(imageName);
  if (image != nullptr) RemoveImage(image);
  return image;
}

int Screen::DrawImageAt(QZSurface* target, const char* imageName, int x, int y) {
  const Image* image = FindImage(imageName);
  if (image == nullptr) return 0;
  image->Draw(target, x, y);
  return 1;
}

int Screen::DrawImage(QZSurface* target, const char* imageName) {
  const Image* image = FindImage(imageName);
  if (image == nullptr) return 0;
  image->Draw(target);
  return 1;
}

QZSurface* Screen::BackBuffer() const {
  return back != nullptr ? back : TheDirtyRects().BackBuffer();
}

int Screen::Flip() {
  if (child) return child->Flip();
  QZSurface* target = BackBuffer();
  MousePointer& pointer = TheMousePointer();
  pointer.Draw(target);
  const int result = QZFlip();
  pointer.Restore(target);
  DirtyRects& dirty = TheDirtyRects();
  dirty.Swap();
  dirty.RestorePass(target);
  return result;
}

void Screen::AddButton(Button* button) {
  if (button == nullptr) return;
  if (buttons == nullptr) buttons = new ButtonList();
  button->SetOrigin(buttons->OriginX(), buttons->OriginY());
  buttons->Add(button);
}

int Screen::OpenBackground(const char* path) {
  Image* scene = AddImage(path);
  Image* background = scene != nullptr ? AddImage(path) : nullptr;
  if (background == nullptr) {
    // The redraw list still names the last screen's pictures, which that screen's Close freed;
    // without a picture of our own it must restore from nothing rather than from those.
    SetDrawTarget(nullptr);
    SetBackground(nullptr);
    return 0;
  }
  scenePicture = scene;
  backgroundPicture = background;
  SetDrawTarget(scene->Surface());
  SetBackground(background->Surface());
  TheDirtyRects().EraseAll();
  return 1;
}
