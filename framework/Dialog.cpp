#include "framework/Dialog.h"

#include <cstdio>
#include <cstring>

#include "framework/Button.h"
#include "framework/DirtyRects.h"
#include "framework/FrameLoop.h"
#include "framework/MousePointer.h"
#include "framework/ScreenManager.h"
#include "framework/SurfaceRoutines.h"
#include "framework/Timer.h"
#include "platform/Input.h"

namespace {

// The frame rate a running dialog keeps, the same as the game's frame loop.
constexpr int kDialogFrameRate = 100;

}  // namespace

Dialog::Dialog() {
  panels = new PtrArray<Image>();
}

Dialog::~Dialog() {
  Dialog::Close();
}

void Dialog::CreateLists() {
  Screen::CreateLists();
  if (panels == nullptr) panels = new PtrArray<Image>();
}

void Dialog::Close() {
  Screen::Close();
  if (panels != nullptr) {
    panels->DeleteAll();
    delete panels;
    panels = nullptr;
  }
  currentPanel = nullptr;
}

void Dialog::Place(int x, int y) {
  const int panelWidth = currentPanel != nullptr ? currentPanel->Width() : 0;
  const int panelHeight = currentPanel != nullptr ? currentPanel->Height() : 0;
  if (x != -1 || y != -1) {
    rect = {x, y, x + panelWidth, y + panelHeight};
  } else if (rect.left == -1 && rect.top == -1 && (panelWidth == 0 || panelHeight == 0)) {
    // A panel whose picture could not be read would be centred as a point in the middle of the
    // display, taking the buttons laid out on it off the display, and with them the only way
    // to close it: it sits at the corner instead.
    rect = {0, 0, 0, 0};
  } else if (rect.left == -1 && rect.top == -1) {
    CenterRect(currentPanel != nullptr ? currentPanel->Surface() : nullptr, 0, 0, kDisplayWidth,
               kDisplayHeight, &rect);
  }
  if (Buttons() != nullptr) Buttons()->SetOrigin(rect.left, rect.top);
  posX = rect.left;
  posY = rect.top;
}

void Dialog::Finish(const char* result) {
  if (result != nullptr) SetName(result);
  done = 1;
}

int Dialog::Run(char* resultOut, const char* panelName) {
  done = 0;
  if (panelName != nullptr) {
    SelectPanelByName(panelName);
  } else if (PanelCount() > 0) {
    currentPanel = panels->At(0);
  }
  DirtyRects& dirty = TheDirtyRects();
  QZSurface* previousScene = dirty.Scene();
  if (ownTarget == 1) dirty.SetScene(currentPanel != nullptr ? currentPanel->Surface() : nullptr);
  SetName("");

  // The keys pressed while the dialog runs are its own, not the screen's beneath.
  struct ModalMark {
    Screen* before;
    explicit ModalMark(Screen* dialog) : before(TheScreenManager().SetModal(dialog)) {}
    ~ModalMark() { TheScreenManager().SetModal(before); }
  } modal(this);
  // The focus starts on the way out, which a controller's B presses too: "back", or a click
  // anywhere on a picture.
  KeyFocus& keys = Focus();
  const char* close =
      Buttons() != nullptr && Buttons()->Find("back") != nullptr ? "back" : "default";
  keys.SetKeyButtons(close, nullptr, nullptr, nullptr);
  if (!keys.HasHome()) keys.SetHome(close);

  while (done == 0) {
    WaitFrame(kDialogFrameRate);
    int x = 0;
    int y = 0;
    uint32_t mouseButtons = 0;
    TheMousePointer().GetState(&x, &y, &mouseButtons);
    if (PumpMessages() == 1) {
      if (ownTarget == 1) dirty.SetScene(previousScene);
      return 0;
    }
    if (currentPanel != nullptr) currentPanel->Draw(BackBuffer(), rect.left, rect.top);
    if (Buttons() != nullptr) {
      Buttons()->OnMouseAll(x, y, mouseButtons);
      Buttons()->RedrawAll();
    }
    keyPressed = keys.Apply(Buttons(), x, y);
    // A key on a picture with nothing to press closes it, as its time running out would.
    if (keyPressed == KeyFocus::kUnanswered) Finish(nullptr);
    if (OnFrame(x, y, mouseButtons) == 0) {
      if (ownTarget == 1) dirty.SetScene(previousScene);
      return 0;
    }
    Screen* child = Child();
    if (done == 0 && child != nullptr && watchChild == 1 && child->Buttons() != nullptr) {
      ButtonList* childButtons = child->Buttons();
      childButtons->OnMouseAll(x, y, mouseButtons);
      childButtons->RedrawAll();
      if (const Button* clicked = childButtons->FindClicked()) {
        SetName(clicked->Name());
        done = 1;
      }
    }
    // Within the panel, which is drawn anew every frame and so wipes it again.
    keys.Draw(BackBuffer(), &rect, false);
    Flip();
  }

  if (ownTarget == 1) dirty.SetScene(previousScene);
  if (resultOut != nullptr) std::snprintf(resultOut, kNameSize, "%s", Name());
  return done;
}

int Dialog::OnFrame(int, int, uint32_t) {
  return CheckResult();
}

int Dialog::CheckResult() {
  const Button* clicked = Buttons() != nullptr ? Buttons()->FindClicked() : nullptr;
  if (hotKey != 0 && (platform::Input().AsyncKeyState(hotKey) & 0x8000) != 0) {
    SetName("key");
    done = 1;
  }
  // A click wins over the hot key in the same frame.
  if (clicked != nullptr) {
    SetName(clicked->Name());
    done = 1;
  }
  // A time-out answers with an empty text (unless something set one before).
  if (deadline != 0 && deadline < GetTime()) done = 1;
  return 1;
}

Image* Dialog::SelectPanel(Image* image) {
  if (image != nullptr) {
    currentPanel = image;
    Place(-1, -1);
  }
  return image;
}

Image* Dialog::SelectPanelByName(const char* panelName) {
  Image* found = FindPanel(panelName);
  if (found != nullptr) {
    currentPanel = found;
  } else if (PanelCount() > 0) {
    currentPanel = panels->At(0);
  }
  Place(-1, -1);
  return currentPanel;
}

Image* Dialog::FindPanel(const char* panelName) const {
  if (panels == nullptr || panelName == nullptr) return nullptr;
  for (int i = 0; i < panels->Count(); ++i) {
    if (std::strcmp(panels->At(i)->Name(), panelName) == 0) return panels->At(i);
  }
  return nullptr;
}

Image* Dialog::AddPanel(const char* path, const char* panelName) {
  Image* panel = new Image(path);
  panel->SetName(panelName);
  if (panels == nullptr) panels = new PtrArray<Image>();
  panels->Push(panel);
  return SelectPanel(panel);
}

void Dialog::AddDefaultButton() {
  const int width = currentPanel != nullptr ? currentPanel->Width() : 0;
  const int height = currentPanel != nullptr ? currentPanel->Height() : 0;
  // A panel whose picture could not be read leaves nothing to click on, and a picture without a
  // deadline (the rules, the credits) would never close: the button then takes a click anywhere
  // on the display, wherever the empty panel is placed.
  Button* button = width > 0 && height > 0 ? new Button(0, 0, width, height)
                                           : new Button(-kDisplayWidth, -kDisplayHeight,
                                                        2 * kDisplayWidth, 2 * kDisplayHeight);
  button->SetName("default");
  AddButton(button);
}
