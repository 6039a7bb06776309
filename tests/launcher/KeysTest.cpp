// The launcher without a mouse: the keyboard focus on the pages, the title page and every dialog,
// Enter, Space and a controller's A pressing as a click does, the keys that press a named button,
// and the ring that shows the focus only to a player who uses keys.

#include <string>

#include "LauncherFixture.h"
#include "framework/KeyFocus.h"
#include "framework/SurfaceRoutines.h"
#include "platform/Profile.h"

namespace launcher_test {
namespace {

using platform::VK_DOWN;
using platform::VK_GAMEPAD_A;
using platform::VK_GAMEPAD_B;
using platform::VK_GAMEPAD_MENU;
using platform::VK_LEFT;
using platform::VK_NEXT;
using platform::VK_PRIOR;
using platform::VK_RETURN;
using platform::VK_RIGHT;
using platform::VK_SPACE;
using platform::VK_TAB;

// A key pressed as the window procedure hands it on: to the screen, or to the dialog that runs.
void Key(uint32_t virtualKey, intptr_t flags = 0) {
  TheScreenManager().OnMessage(platform::WM_KEYDOWN, virtualKey, flags);
}

class KeysTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    KeyFocus::SetRingShown(false);
  }
  void TearDown() override {
    KeyFocus::SetRingShown(false);
    LauncherTest::TearDown();
  }
  void OpenTitle() {
    AddGame("Zeppolo");
    Start("Zeppolo");
    ASSERT_STREQ(CurrentScreen(), "title");
    Frame();
  }
  const char* FocusedName() const {
    const FocusTarget* focused = TheScreenManager().Current()->Focus().Focused();
    return focused != nullptr && focused->button != nullptr ? focused->button->Name() : "";
  }
  std::string Option(const char* section, const char* key) const {
    char value[80];
    platform::ReadProfileString(section, key, "<none>", value, sizeof(value),
                                (launcher / "options.ini").c_str());
    return value;
  }
  // The gold in the middle of the ring's top side, above a target whose top-left corner and
  // width are given, as the last present showed it.
  bool RingAbove(int left, int top, int width) const {
    const uint16_t gold = static_cast<uint16_t>(MakeColor(nullptr, 0xFF, 0xD2, 0x3C));
    return memory->lastPicture->PixelAt(left + width / 2, top - 1) == gold;
  }
};

TEST_F(KeysTest, PagesTurnByPageKeysAndShouldersAndEnterOpensTheFirstGame) {
  for (int k = 0; k < 13; ++k)
    AddGame("Game" + std::to_string(10 + k), GameColour(k));
  Start();
  Key(VK_NEXT);
  Frame();
  EXPECT_EQ(menu.Page(), 1);
  Key(VK_PRIOR);
  Frame();
  EXPECT_EQ(menu.Page(), 0);
  Key(platform::VK_GAMEPAD_RIGHT_SHOULDER);
  Frame();
  EXPECT_EQ(menu.Page(), 1);
  Key(platform::VK_GAMEPAD_LEFT_SHOULDER);
  Frame();
  EXPECT_EQ(menu.Page(), 0);
  // A controller's B has nowhere to go back to from the pages.
  Key(VK_GAMEPAD_B);
  Frame();
  EXPECT_STREQ(CurrentScreen(), "Hubbix");

  // A held Enter repeats, but a press is once per press.
  Key(VK_RETURN, platform::kKeyRepeated);
  Frame();
  EXPECT_STREQ(CurrentScreen(), "Hubbix");
  Key(VK_RETURN);
  Frame();
  ASSERT_STREQ(CurrentScreen(), "title");
  EXPECT_STREQ(title.Game()->name, menu.Game(0)->name);
}

TEST_F(KeysTest, TheRingShowsFromTheFirstKeyFollowsTheArrowsAndTabAndGoesWithTheMouse) {
  for (int k = 0; k < 5; ++k)
    AddGame("Game" + std::to_string(k), GameColour(k));
  Start();
  Frame();
  // A mouse-only player sees no ring at all.
  EXPECT_FALSE(RingAbove(14, 140, 250));
  // The first arrow only shows where the focus is: on the first game.
  Key(VK_RIGHT);
  Frame();
  EXPECT_STREQ(FocusedName(), "button1");
  EXPECT_TRUE(RingAbove(14, 140, 250));
  Key(VK_RIGHT);
  Frame();
  Frame();
  EXPECT_STREQ(FocusedName(), "button2");
  EXPECT_TRUE(RingAbove(271, 140, 250));
  // The redraw list has taken the ring away from where it was.
  EXPECT_FALSE(RingAbove(14, 140, 250));
  Key(VK_TAB);
  Frame();
  EXPECT_STREQ(FocusedName(), "button3");
  Key(VK_TAB, platform::kKeyShiftHeld);
  Frame();
  EXPECT_STREQ(FocusedName(), "button2");
  // Slots 7 to 12 are off: down from slot 5 there is nothing, so the focus goes round to the
  // top of the column.
  Key(VK_DOWN);
  Frame();
  EXPECT_STREQ(FocusedName(), "button5");
  Key(VK_DOWN);
  Frame();
  EXPECT_STREQ(FocusedName(), "button2");
  // Left of the first slot of a row there is nothing: round to the row's far end.
  Key(VK_LEFT);
  Key(VK_LEFT);
  Frame();
  EXPECT_STREQ(FocusedName(), "button3");

  // The mouse moves: the ring goes, and the picture is the scene's again.
  Mouse(300, 30, 0);
  Frame();
  Frame();
  EXPECT_FALSE(RingAbove(528, 140, 250));
  EXPECT_EQ(memory->lastPicture->PixelAt(528 + 125, 139),
            TheDirtyRects().Scene()->PixelAt(653, 139));
  // Tab wraps from the last target in reading order to the first.
  Key(VK_TAB);  // shows again
  for (int i = 0; i < 3; ++i)
    Key(VK_TAB);
  Frame();
  EXPECT_STREQ(FocusedName(), "button6");
  Key(VK_TAB);
  Frame();
  EXPECT_STREQ(FocusedName(), "left");
}

TEST_F(KeysTest, TitlePagePlaysByEnterOrStartAndGoesBackByB) {
  OpenTitle();
  Key(VK_GAMEPAD_B);
  EXPECT_EQ(Frame(), 1);
  EXPECT_STREQ(CurrentScreen(), "Hubbix");
  EXPECT_EQ(CurrentFolder(), LauncherFolder());

  menu.SelectByCommandLine("Zeppolo");
  Frame();
  Key(VK_GAMEPAD_MENU);
  EXPECT_EQ(Frame(), kFrameResultQuit);
  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].file, "Zeppolo.exe");
  EXPECT_EQ(starter.starts[0].argument, LauncherFolder());

  // Enter alone: "Play" has the focus from the start.
  starter.starts.clear();
  platform::SetCurrentFolder(LauncherFolder().c_str());
  Start("Zeppolo");
  Key(VK_RETURN);
  EXPECT_EQ(Frame(), kFrameResultQuit);
  EXPECT_EQ(starter.starts.size(), 1u);
}

TEST_F(KeysTest, ArrowsReachTheNamesAndTheSwitchesWhichKeysPressAsClicks) {
  OpenTitle();
  Key(VK_LEFT);  // shows the ring on "Play"
  Key(VK_LEFT);  // "Players", the nearest in that direction
  Key(VK_DOWN);  // the first name below it
  Key(VK_RIGHT);
  Frame();
  const FocusTarget* focused = title.Focus().Focused();
  ASSERT_NE(focused, nullptr);
  EXPECT_EQ(focused->button, nullptr);
  EXPECT_EQ(focused->id, 1);
  Key(VK_SPACE);
  Frame();
  EXPECT_EQ(title.Current(), 1);
  EXPECT_EQ(Option("setup", "playerid"), "1");
  Frame();
  EXPECT_TRUE(title.PlayerField(1)->IsSelected());
  EXPECT_FALSE(title.PlayerField(0)->IsSelected());

  // The switches, as clicks on them: off, written at once.
  title.Focus().FocusButton(title.Buttons()->Find("Music"));
  Key(VK_GAMEPAD_A);
  Frame();
  EXPECT_EQ(title.Music(), 0);
  EXPECT_EQ(Option("setup", "Music"), "N");
  Key(VK_LEFT);
  Key(VK_RETURN);
  Frame();
  EXPECT_EQ(title.Sfx(), 0);
  EXPECT_EQ(Option("setup", "SFX"), "N");
}

TEST_F(KeysTest, PicturesAndTheHallOfFameCloseByEnterSpaceOrB) {
  OpenTitle();
  title.pictureScript = [](int frame) {
    if (frame == 1) Key(VK_RETURN);
  };
  title.Focus().FocusButton(title.Buttons()->Find("HowToPlay"));
  Key(VK_RETURN);
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(title.dialogsRun, 1);
  EXPECT_EQ(title.lastAnswer, "default");

  title.pictureScript = [](int frame) {
    if (frame == 1) Key(VK_GAMEPAD_B);
  };
  title.Focus().FocusButton(title.Buttons()->Find("Credits"));
  Key(VK_SPACE);
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(title.dialogsRun, 2);
  EXPECT_EQ(title.lastAnswer, "default");

  // The hall of fame: its focus starts on "back"; Tab goes round its three buttons only.
  title.hallScript = [](int frame) {
    if (frame == 1) {
      for (int i = 0; i < 3; ++i)
        Key(VK_TAB);
    }
    if (frame == 3) Key(VK_RETURN);
  };
  title.Focus().FocusButton(title.Buttons()->Find("HighScores"));
  Key(VK_RETURN);
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(title.lastAnswer, "back");
  EXPECT_EQ(title.dialogsRun, 3);
  EXPECT_STREQ(CurrentScreen(), "title");

  // The information picture of the pages.
  Key(VK_GAMEPAD_B);
  Frame();
  Frame();
  ASSERT_STREQ(CurrentScreen(), "Hubbix");
  menu.Focus().FocusButton(menu.Buttons()->Find("help"));
  menu.helpScript = [](int frame) {
    if (frame == 1) Key(VK_SPACE);
  };
  Key(VK_RETURN);
  Frame();
  EXPECT_EQ(menu.helpAnswer, "back");
}

TEST_F(KeysTest, PlayersDialogTypesInTheLinesThenReachesItsButtonsByArrows) {
  OpenTitle();
  // The name line has the focus and the keys: typing, then Enter as the field takes it (the key
  // queue) and as the focus would (the message), which only moves on to the next line. A
  // controller's A on the address moves on too; then down to the buttons and "enter".
  title.playersScript = [](int frame) {
    if (frame == 1) {
      for (int i = 0; i < 7; ++i)
        PushKey(0x0E);
      PushText("kim");  // into the queue at once, so before the Enter below
      PushKey(0x1C);
      Key(VK_RETURN);
    }
    if (frame == 2) PostText("x");  // into the address
    if (frame == 3) Key(VK_GAMEPAD_A);
    if (frame == 4) PostText("y");  // into the e-mail
    if (frame == 5) {
      Key(VK_DOWN);   // "remove", the nearest below (the ring shows since the title page's Enter)
      Key(VK_RIGHT);  // "enter"
    }
    if (frame == 6) PostText("z");  // typed on a button: goes nowhere
    if (frame == 7) {
      PushKey(0x1C);
      Key(VK_RETURN);
    }
  };
  title.Focus().FocusButton(title.Buttons()->Find("Players"));
  Key(VK_RETURN);
  EXPECT_EQ(Frame(), 1);
  EXPECT_EQ(title.lastAnswer, "play");
  EXPECT_EQ(Option("Player1", "name"), "kim");
  EXPECT_EQ(Option("Player1", "address"), "x");
  EXPECT_EQ(Option("Player1", "email"), "y");

  // B leaves without a change.
  title.playersScript = [](int frame) {
    if (frame == 1) PostText("z");
    if (frame == 2) Key(VK_GAMEPAD_B);
  };
  Key(VK_RETURN);
  Frame();
  EXPECT_EQ(title.lastAnswer, "back");
  EXPECT_EQ(Option("Player1", "name"), "kim");
}

}  // namespace
}  // namespace launcher_test
