#include "framework/Dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "TestFiles.h"
#include "WidgetFixture.h"

namespace {

constexpr uint32_t kLeft = 1;
constexpr int kVkReturn = 13;
constexpr int kDikReturn = 0x1C;

// A dialog whose frames are scripted: after the base handling of each frame the script sets up
// the input of the next one, then the timer ticks once, so Run's pacing moves on without waiting.
class ScriptedDialog : public Dialog {
 public:
  int OnFrame(int x, int y, uint32_t buttons) override {
    ++frames;
    frameTime = GetTime();
    sceneDuringRun = TheDirtyRects().Scene();
    int result = Dialog::OnFrame(x, y, buttons);
    if (script) result = script(frames) ? result : 0;
    if (frames > 2000) Finish("runaway");  // a failing test must still end
    TimerTick();
    return result;
  }
  // Returns false to interrupt Run.
  std::function<bool(int frame)> script;
  int frames = 0;
  uint32_t frameTime = 0;  // the clock during the last frame
  QZSurface* sceneDuringRun = nullptr;
};

class DialogTest : public WidgetFixture {
 protected:
  std::string Panel(const std::string& name, int w, int h, Rgb colour) {
    const std::string path = folder.File(name);
    EXPECT_TRUE(WriteBitmap24(path, w, h, [colour](int, int) { return colour; }));
    return path;
  }
  // A 20 x 20 button at (x, y) of the panel, grey normal, green over, white pressed.
  static Button* MakeButton(const char* name, int x, int y) {
    auto* button = new Button(x, y);
    button->AddStateImage(0, NewSolid(20, 20, kGrey));
    button->AddStateImage(1, NewSolid(20, 20, kGreen));
    button->AddStateImage(2, NewSolid(20, 20, kWhite));
    button->SetName(name);
    return button;
  }
  // Press at (x, y) now; release there after the first frame.
  static std::function<bool(int)> ClickAt(int x, int y) {
    Mouse(x, y, kLeft);
    return [x, y](int frame) {
      if (frame == 1) {
        TheMousePointer().SetPosition(x, y);
        platform::Input().SetMouseButtons(0);
      }
      return true;
    };
  }

  TempFolder folder;
  char result[Screen::kNameSize] = "untouched";
};

TEST_F(DialogTest, PanelIsCentredOnceAndItsButtonsFollow) {
  ScriptedDialog dialog;
  Button* early = MakeButton("early", 0, 0);
  dialog.AddButton(early);
  dialog.AddPanel(Panel("panel.bmp", 200, 100, {255, 0, 0}).c_str(), "main");
  const platform::Rect& r = dialog.Rectangle();
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 250);
  EXPECT_EQ(r.right, 500);
  EXPECT_EQ(r.bottom, 350);
  EXPECT_EQ(early->OriginX(), 300);
  EXPECT_EQ(early->OriginY(), 250);
  Button* late = MakeButton("late", 5, 5);
  dialog.AddButton(late);
  EXPECT_EQ(late->OriginX(), 300);
  EXPECT_EQ(dialog.PositionX(), 300);
  EXPECT_EQ(dialog.PositionY(), 250);

  // Another panel selected later does not move the placement.
  dialog.AddPanel(Panel("small.bmp", 50, 50, {0, 255, 0}).c_str(), "small");
  EXPECT_EQ(dialog.Rectangle().left, 300);
  EXPECT_EQ(dialog.CurrentPanel(), dialog.FindPanel("small"));

  dialog.SelectPanelByName("main");
  dialog.Place(10, 20);
  EXPECT_EQ(dialog.Rectangle().right, 210);
  EXPECT_EQ(dialog.Rectangle().bottom, 120);
  EXPECT_EQ(late->OriginX(), 10);
  EXPECT_EQ(late->OriginY(), 20);
  dialog.SelectPanelByName("nothing of that name");  // falls back to the first panel
  EXPECT_EQ(dialog.CurrentPanel(), dialog.FindPanel("main"));
  EXPECT_EQ(dialog.Rectangle().left, 10);

  // A missing panel is kept and placed with no size, at the display's corner (centred, its
  // buttons would leave the display).
  ScriptedDialog missing;
  Image* panel = missing.AddPanel(folder.File("none.bmp").c_str(), "gone");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Surface(), nullptr);
  EXPECT_EQ(missing.Rectangle().left, 0);
  EXPECT_EQ(missing.Rectangle().top, 0);
  EXPECT_EQ(missing.Rectangle().right, 0);
}

TEST_F(DialogTest, ClickOnAButtonAnswersWithItsNameAndDrawsThePanel) {
  ScriptedDialog dialog;
  dialog.AddPanel(Panel("panel.bmp", 200, 100, {255, 0, 0}).c_str(), nullptr);
  dialog.AddButton(MakeButton("ok", 10, 10));
  dialog.script = ClickAt(315, 265);
  EXPECT_EQ(dialog.Run(result, nullptr), 1);
  EXPECT_STREQ(result, "ok");
  EXPECT_EQ(dialog.frames, 2);
  EXPECT_EQ(back->PixelAt(300, 250), kRed);    // the panel at its place
  EXPECT_EQ(back->PixelAt(299, 250), kPaper);  // and nothing outside it
  EXPECT_EQ(back->PixelAt(315, 265), kGreen);  // the button shows the mouse over it
}

TEST_F(DialogTest, ClickWinsOverTheHotKeyInTheSameFrame) {
  ScriptedDialog dialog;
  dialog.AddPanel(Panel("panel.bmp", 200, 100, {255, 0, 0}).c_str(), nullptr);
  dialog.AddButton(MakeButton("ok", 10, 10));
  dialog.SetHotKey(kVkReturn);
  auto click = ClickAt(315, 265);
  dialog.script = [click](int frame) {
    if (frame == 1) platform::Input().SetKey(kDikReturn, true);  // held as the click completes
    return click(frame);
  };
  EXPECT_EQ(dialog.Run(result, nullptr), 1);
  EXPECT_STREQ(result, "ok");
  EXPECT_EQ(dialog.frames, 2);

  // The key alone answers "key".
  dialog.script = nullptr;
  dialog.frames = 0;
  EXPECT_EQ(dialog.Run(result, nullptr), 1);
  EXPECT_STREQ(result, "key");
  EXPECT_EQ(dialog.frames, 1);
}

TEST_F(DialogTest, DeadlineEndsTheRunWithAnEmptyAnswer) {
  ScriptedDialog dialog;
  dialog.AddPanel(Panel("panel.bmp", 20, 10, {255, 0, 0}).c_str(), nullptr);
  dialog.AddDefaultButton();
  const uint32_t start = GetTime();
  dialog.SetDeadline(start + 5000);
  EXPECT_EQ(dialog.Run(result, nullptr), 1);
  EXPECT_STREQ(result, "");
  // Ends at the first frame after the clock has passed the deadline: just over five seconds.
  EXPECT_EQ(dialog.frameTime, start + 5010);
  EXPECT_EQ(dialog.frames, 502);
}

TEST_F(DialogTest, QuitMessageEndsTheRunAtOnceAndPutsTheSceneBack) {
  SurfacePtr scene = MakeSurface(800, 600, kPaper);
  TheDirtyRects().SetScene(scene.get());
  ScriptedDialog dialog;
  dialog.AddPanel(Panel("panel.bmp", 20, 10, {255, 0, 0}).c_str(), nullptr);
  dialog.AddDefaultButton();
  platform::Messages().PostQuit(0);
  EXPECT_EQ(dialog.Run(result, nullptr), 0);
  EXPECT_STREQ(result, "untouched");
  EXPECT_EQ(dialog.frames, 0);
  EXPECT_EQ(TheDirtyRects().Scene(), scene.get());
  // The quit message stays for the outer loop.
  platform::Message message;
  ASSERT_TRUE(platform::Messages().Take(message));
  EXPECT_EQ(message.id, platform::WM_QUIT);
}

TEST_F(DialogTest, PanelIsTheSceneWhileRunningUnlessTheDialogKeepsTheOldOne) {
  SurfacePtr scene = MakeSurface(800, 600, kPaper);
  TheDirtyRects().SetScene(scene.get());
  ScriptedDialog dialog;
  Image* panel = dialog.AddPanel(Panel("panel.bmp", 20, 10, {255, 0, 0}).c_str(), nullptr);
  dialog.SetDeadline(GetTime() + 10);
  dialog.Run(result, nullptr);
  EXPECT_EQ(dialog.sceneDuringRun, panel->Surface());
  EXPECT_EQ(TheDirtyRects().Scene(), scene.get());

  dialog.SetOwnTarget(0);
  dialog.SetDeadline(GetTime() + 10);
  dialog.Run(result, nullptr);
  EXPECT_EQ(dialog.sceneDuringRun, scene.get());
}

TEST_F(DialogTest, SecondRunStartsAfreshAndKeepsThePlacement) {
  ScriptedDialog dialog;
  dialog.AddPanel(Panel("panel.bmp", 200, 100, {255, 0, 0}).c_str(), "first");
  dialog.AddDefaultButton();
  dialog.Place(10, 20);
  dialog.script = ClickAt(100, 100);
  EXPECT_EQ(dialog.Run(result, nullptr), 1);
  EXPECT_STREQ(result, "default");

  Mouse(100, 100, 0);
  dialog.script = nullptr;
  dialog.SetDeadline(GetTime() + 30);
  EXPECT_EQ(dialog.Run(result, "first"), 1);
  EXPECT_STREQ(result, "");  // not the first run's answer
  EXPECT_EQ(dialog.Rectangle().left, 10);
  EXPECT_EQ(dialog.Rectangle().top, 20);
  EXPECT_EQ(dialog.Buttons()->Find("default")->OriginX(), 10);
}

TEST_F(DialogTest, WithoutItsPictureTheDefaultButtonTakesAClickAnywhere) {
  // Centred (an empty panel sits at the display's middle) and placed at a corner.
  for (const int placeX : {-1, 53}) {
    ScriptedDialog dialog;
    dialog.AddPanel(folder.File("missing.bmp").c_str(), nullptr);
    dialog.AddButton(MakeButton("ok", 10, 10));
    dialog.AddDefaultButton();
    if (placeX >= 0) dialog.Place(placeX, 18);
    dialog.script = ClickAt(0, 0);
    dialog.SetDeadline(GetTime() + 50);
    EXPECT_EQ(dialog.Run(result, nullptr), 1);
    EXPECT_STREQ(result, "default") << placeX;
    Mouse(0, 0, 0);
    dialog.script = ClickAt(799, 599);
    dialog.frames = 0;
    dialog.SetDeadline(GetTime() + 50);
    dialog.Run(result, nullptr);
    EXPECT_STREQ(result, "default") << placeX;
    Mouse(799, 599, 0);
  }
}

TEST_F(DialogTest, WithoutItsPictureACentredPanelSitsAtTheCornerWithItsButtons) {
  ScriptedDialog dialog;
  dialog.AddPanel(folder.File("missing.bmp").c_str(), "info");
  dialog.AddButton(MakeButton("back", 689, 370));
  dialog.script = ClickAt(689 + 5, 370 + 5);
  EXPECT_EQ(dialog.Run(result, nullptr), 1);
  EXPECT_STREQ(result, "back");
  EXPECT_EQ(dialog.Rectangle().left, 0);
  EXPECT_EQ(dialog.Rectangle().top, 0);
}

TEST_F(DialogTest, DefaultButtonTakesClicksThatNoEarlierButtonTakes) {
  ScriptedDialog dialog;
  dialog.AddPanel(Panel("panel.bmp", 200, 100, {255, 0, 0}).c_str(), nullptr);
  dialog.AddButton(MakeButton("ok", 10, 10));
  dialog.AddDefaultButton();
  dialog.script = ClickAt(315, 265);  // on "ok", which the default button covers too
  dialog.Run(result, nullptr);
  EXPECT_STREQ(result, "ok");
  dialog.script = ClickAt(499, 349);  // the panel's last pixel
  dialog.frames = 0;
  dialog.Run(result, nullptr);
  EXPECT_STREQ(result, "default");

  dialog.SetDeadline(GetTime() + 50);
  dialog.script = ClickAt(500, 350);  // just outside: the deadline answers
  dialog.Run(result, nullptr);
  EXPECT_STREQ(result, "");
}

class CountingScreen : public Screen {
 public:
  int Flip() override {
    ++flips;
    return Screen::Flip();
  }
  int flips = 0;
};

TEST_F(DialogTest, WatchedChildButtonAnswersAndTheChildFlips) {
  CountingScreen child;
  child.Open(nullptr, back.get());
  child.AddButton(MakeButton("menu", 700, 10));
  ScriptedDialog dialog;
  dialog.AddPanel(Panel("panel.bmp", 200, 100, {255, 0, 0}).c_str(), nullptr);
  dialog.SetChild(&child);
  dialog.script = ClickAt(705, 15);
  dialog.SetDeadline(GetTime() + 100);
  dialog.Run(result, nullptr);
  EXPECT_STREQ(result, "");  // not watched: only the deadline ends it
  EXPECT_GT(child.flips, 0);

  dialog.SetWatchChild(1);
  dialog.SetDeadline(0);
  dialog.script = ClickAt(705, 15);
  child.flips = 0;
  dialog.frames = 0;
  EXPECT_EQ(dialog.Run(result, nullptr), 1);
  EXPECT_STREQ(result, "menu");
  EXPECT_EQ(dialog.frames, 2);
  EXPECT_EQ(child.flips, 2);
  EXPECT_EQ(back->PixelAt(705, 15), kGreen);
}

TEST_F(DialogTest, FrameHookCanInterruptOrFinish) {
  ScriptedDialog dialog;
  dialog.AddPanel(Panel("panel.bmp", 20, 10, {255, 0, 0}).c_str(), nullptr);
  dialog.script = [](int frame) { return frame < 3; };
  EXPECT_EQ(dialog.Run(result, nullptr), 0);
  EXPECT_STREQ(result, "untouched");
  EXPECT_EQ(dialog.frames, 3);

  dialog.frames = 0;
  dialog.script = [&dialog](int frame) {
    if (frame == 2) dialog.Finish("play");
    return true;
  };
  EXPECT_EQ(dialog.Run(result, nullptr), 1);
  EXPECT_STREQ(result, "play");
}

}  // namespace
