// The players dialog on its own: filling from a record, the order of the entry lines under tab
// and enter, the focus after a click beside them, and what "back", "remove" and "enter" leave in
// the record and the options file.

#include <string>

#include "LauncherFixture.h"
#include "platform/Profile.h"

namespace launcher_test {
namespace {

constexpr uint32_t kTab = 0x0F;
constexpr uint32_t kEnter = 0x1C;
constexpr uint32_t kKeyX = kKeyText | 'x';
constexpr uint32_t kKeyY = kKeyText | 'y';
// Buttons on the screen: the dialog is placed at (53, 18).
constexpr int kEnterX = 53 + 474 + 10, kEnterY = 18 + 471 + 10;
constexpr int kRemoveX = 53 + 360 + 10, kRemoveY = 18 + 471 + 10;
constexpr int kBackX = 53 + 608 + 10, kBackY = 18 + 489 + 10;
constexpr int kYesNoX = 53 + 37 + 10, kYesNoY = 18 + 486 + 10;

class PlayersDialogTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    AddGame("Zeppolo");
    ASSERT_TRUE(platform::SetCurrentFolder(GameFolder("Zeppolo").c_str()));
    PlayerProfiles& profiles = ThePlayerProfiles();
    profiles.SetPath("..\\options.ini");
    profiles.ReadCurrent();
    for (int n = 0; n < 8; ++n)
      profiles.ReadPlayer(n);
  }
  void Open(int player) {
    dialog.CreateLists();
    dialog.Place(53, 18);
    dialog.SetRecord(&ThePlayerProfiles().Player(player));
  }
  // One frame of the dialog's loop without the present: the buttons' mouse test, then the
  // dialog's own handling.
  void Step(int x, int y, uint32_t buttons) {
    dialog.Buttons()->OnMouseAll(x, y, buttons);
    dialog.OnFrame(x, y, buttons);
  }
  void ClickAt(int x, int y) {
    Step(x, y, kLeft);
    Step(x, y, 0);
  }
  void Key(uint32_t event) {
    PushKey(event);
    Step(0, 0, 0);
  }
  int Focused() const {
    int which = -1;
    for (int i = 0; i < 3; ++i) {
      if (dialog.Field(i)->HasFocus()) {
        EXPECT_EQ(which, -1) << "two lines have the focus";
        which = i;
      }
    }
    return which;
  }
  std::string Option(const char* section, const char* key) const {
    char value[80];
    platform::ReadProfileString(section, key, "<none>", value, sizeof(value),
                                (launcher / "options.ini").c_str());
    return value;
  }

  PlayersDialog dialog;
};

TEST_F(PlayersDialogTest, FreshPlayerShowsTheDefaultsAndYes) {
  Open(2);
  EXPECT_STREQ(dialog.Field(0)->Text(), "Player3");
  EXPECT_STREQ(dialog.Field(1)->Text(), "");
  EXPECT_STREQ(dialog.Field(2)->Text(), "");
  EXPECT_EQ(dialog.Send(), 1);
  EXPECT_EQ(Focused(), 0);
  // The fields lie on the placed panel.
  EXPECT_TRUE(dialog.Field(0)->HitTest(53 + 50, 18 + 270));
  EXPECT_FALSE(dialog.Field(0)->HitTest(50, 270));
}

TEST_F(PlayersDialogTest, SendNShowsNoAndEnterStoresIt) {
  PlayerRecord& record = ThePlayerProfiles().Player(0);
  std::snprintf(record.send, sizeof(record.send), "N");
  dialog.CreateLists();
  dialog.Place(53, 18);
  const Button* yesno = dialog.Buttons()->Find("yesno");
  const QZSurface* yes = yesno->Picture(0);
  const QZSurface* no = yesno->Picture(1);
  dialog.SetRecord(&record);
  EXPECT_EQ(dialog.Send(), 0);
  EXPECT_EQ(yesno->Picture(0), no);
  ClickAt(kYesNoX, kYesNoY);
  EXPECT_EQ(dialog.Send(), 1);
  EXPECT_EQ(yesno->Picture(0), yes);
  ClickAt(kYesNoX, kYesNoY);
  ClickAt(kEnterX, kEnterY);
  EXPECT_STREQ(record.send, "N");
  EXPECT_STREQ(dialog.Result(), "play");
}

TEST_F(PlayersDialogTest, TabAndEnterMoveThroughTheLinesAndBackToTheName) {
  Open(0);
  Key(kKeyX);
  EXPECT_STREQ(dialog.Field(0)->Text(), "Player1x");
  Key(kTab);
  EXPECT_EQ(Focused(), 1);
  Key(kKeyY);
  EXPECT_STREQ(dialog.Field(1)->Text(), "y");
  Key(kEnter);
  EXPECT_EQ(Focused(), 2);
  Key(kKeyText | 'X');
  EXPECT_STREQ(dialog.Field(2)->Text(), "X");
  Key(kTab);
  EXPECT_EQ(Focused(), 0);
  Key(kEnter);
  EXPECT_EQ(Focused(), 1);
  EXPECT_EQ(dialog.IsDone(), 0);
}

TEST_F(PlayersDialogTest, ALineTakesWhatTheFileKeepsAndNeverPartOfACharacter) {
  Open(0);
  for (int i = 0; i < 7; ++i)
    Key(0x0E);
  // Typed as the desktop types: through the message pump into the key queue.
  std::string typed;
  for (int i = 0; i < 40; ++i)
    typed += "\xC3\xA9";
  PostText((typed + "ab").c_str());
  PumpMessages();
  Step(0, 0, 0);
  // 31 letters of two bytes, then one of one byte: the 63 bytes a name keeps in the options
  // file. The 32nd two-byte letter would have needed 64.
  std::string expected;
  for (int i = 0; i < 31; ++i)
    expected += "\xC3\xA9";
  expected += "a";
  EXPECT_EQ(std::string(dialog.Field(0)->Text()), expected);
  ClickAt(kEnterX, kEnterY);
  EXPECT_EQ(std::string(ThePlayerProfiles().Player(0).name), expected);
}

TEST_F(PlayersDialogTest, ClickBesideEveryLineGivesTheNameTheFocus) {
  Open(0);
  ClickAt(53 + 50 + 5, 18 + 404 + 5);  // the e-mail line
  EXPECT_EQ(Focused(), 2);
  ClickAt(53 + 300, 18 + 100);  // on the panel, beside the lines
  EXPECT_EQ(Focused(), 0);
  ClickAt(53 + 50 + 5, 18 + 336 + 5);
  EXPECT_EQ(Focused(), 1);
  EXPECT_EQ(dialog.IsDone(), 0);
}

TEST_F(PlayersDialogTest, BackLeavesTheStoredProfileUnchanged) {
  Open(0);
  Key(kKeyX);
  Key(kTab);
  Key(kKeyY);
  ClickAt(kBackX, kBackY);
  EXPECT_EQ(dialog.IsDone(), 1);
  EXPECT_STREQ(dialog.Result(), "back");
  EXPECT_STREQ(ThePlayerProfiles().Player(0).name, "Player1");
  EXPECT_STREQ(ThePlayerProfiles().Player(0).address, "");
  EXPECT_FALSE(launcher.Exists("options.ini"));
}

TEST_F(PlayersDialogTest, EnterKeepsTheEditsInTheRecordOnly) {
  Open(0);
  Key(kKeyX);
  Key(kTab);
  Key(kKeyY);
  Key(kTab);
  Key(kKeyX);
  ClickAt(kEnterX, kEnterY);
  EXPECT_STREQ(dialog.Result(), "play");
  const PlayerRecord& record = ThePlayerProfiles().Player(0);
  EXPECT_STREQ(record.name, "Player1x");
  EXPECT_STREQ(record.address, "y");
  EXPECT_STREQ(record.email, "x");
  EXPECT_STREQ(record.send, "Y");
  // Storing is the title page's business.
  EXPECT_FALSE(launcher.Exists("options.ini"));
}

TEST_F(PlayersDialogTest, RemoveRestoresTheDefaultsWhateverTheLinesShow) {
  launcher.Write("options.ini",
                 "[setup]\nplayerid=3\n[Player4]\nname=Dee\naddress=Here\nemail=d@e\nsend=N\n");
  PlayerProfiles& profiles = ThePlayerProfiles();
  profiles.ReadCurrent();
  profiles.ReadPlayer(3);
  Open(3);
  EXPECT_STREQ(dialog.Field(0)->Text(), "Dee");
  Key(kKeyX);
  ClickAt(kRemoveX, kRemoveY);
  EXPECT_STREQ(dialog.Result(), "remove");
  EXPECT_STREQ(profiles.Player(3).name, "Player4");
  EXPECT_STREQ(profiles.Player(3).address, "");
  EXPECT_STREQ(profiles.Player(3).send, "Y");
  EXPECT_EQ(Option("Player4", "name"), "Player4");
  EXPECT_EQ(Option("Player4", "address"), "");
  EXPECT_EQ(Option("Player4", "send"), "Y");
}

}  // namespace
}  // namespace launcher_test
