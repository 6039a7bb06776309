// A game's title page: its folder made current, the players' names, the choice of the current
// player, the music and sound switches in the launcher's options file, the dialogs it runs, and
// "Play", "Menu" and "Exit".

#include <string>

#include "LauncherFixture.h"
#include "platform/Profile.h"

namespace launcher_test {
namespace {

constexpr int kFieldX[8] = {239, 408, 238, 408, 238, 408, 238, 408};
constexpr int kFieldY[8] = {378, 378, 420, 420, 464, 464, 510, 510};

class TitleScreenTest : public LauncherTest {
 protected:
  void OpenTitle() {
    AddGame("Zeppolo");
    Start("Zeppolo");
    ASSERT_STREQ(CurrentScreen(), "title");
  }
  std::string Option(const char* section, const char* key) const {
    char value[80];
    platform::ReadProfileString(section, key, "<none>", value, sizeof(value),
                                (launcher / "options.ini").c_str());
    return value;
  }
  static int ClickField(int n) { return Click(kFieldX[n] + 20, kFieldY[n] + 10); }
  // The highlighted fields after a frame has drawn them.
  std::string Highlighted() const {
    std::string out;
    for (int n = 0; n < 8; ++n) {
      if (title.PlayerField(n)->IsSelected()) out += std::to_string(n);
    }
    return out;
  }
};

TEST_F(TitleScreenTest, OpensInTheGameFolderWithDefaultsWhenNothingIsStored) {
  OpenTitle();
  EXPECT_EQ(CurrentFolder(), GameFolder("Zeppolo"));
  EXPECT_EQ(title.Sfx(), 1);
  EXPECT_EQ(title.Music(), 1);
  EXPECT_EQ(title.Current(), 0);
  for (int n = 0; n < 8; ++n)
    EXPECT_STREQ(title.PlayerField(n)->Text(), ("Player" + std::to_string(n + 1)).c_str());
  Frame();
  EXPECT_EQ(Highlighted(), "0");
  // Opening the page writes nothing.
  EXPECT_FALSE(launcher.Exists("options.ini"));
}

TEST_F(TitleScreenTest, NamesShowTheirFirstWordAndTheStoredCurrentPlayerIsHighlighted) {
  launcher.Write("options.ini",
                 "[setup]\nplayerid=2\n[Player2]\nname=Anna Maria Lee\n"
                 "[Player3]\nname=Bob\n");
  OpenTitle();
  EXPECT_STREQ(title.PlayerField(1)->Text(), "Anna");
  EXPECT_STREQ(title.PlayerField(2)->Text(), "Bob");
  EXPECT_EQ(title.Current(), 2);
  Frame();
  EXPECT_EQ(Highlighted(), "2");
}

TEST_F(TitleScreenTest, ClickOnANameMakesThatPlayerCurrentAtOnce) {
  OpenTitle();
  Frame();
  Mouse(kFieldX[5] + 20, kFieldY[5] + 10, kLeft);
  Frame();
  // Written on the press, before the button is let go.
  EXPECT_EQ(Option("setup", "playerid"), "5");
  EXPECT_EQ(title.Current(), 5);
  Mouse(kFieldX[5] + 20, kFieldY[5] + 10, 0);
  Frame();
  EXPECT_EQ(Highlighted(), "5");
  EXPECT_EQ(ThePlayerProfiles().Current(), 5);

  // A click beside every name takes no highlight away.
  Click(700, 40);
  EXPECT_EQ(Highlighted(), "5");
  EXPECT_EQ(Option("setup", "playerid"), "5");

  ClickField(0);
  EXPECT_EQ(Highlighted(), "0");
  EXPECT_EQ(Option("setup", "playerid"), "0");
}

TEST_F(TitleScreenTest, SwitchesToggledTwiceWriteNThenY) {
  OpenTitle();
  Frame();
  const Button* music = title.Buttons()->Find("Music");
  const QZSurface* on = music->Picture(0);
  Click(106 + 10, 505 + 10);
  EXPECT_EQ(title.Music(), 0);
  EXPECT_EQ(Option("setup", "Music"), "N");
  EXPECT_NE(music->Picture(0), on);
  Click(106 + 10, 505 + 10);
  EXPECT_EQ(title.Music(), 1);
  EXPECT_EQ(Option("setup", "Music"), "Y");
  EXPECT_EQ(music->Picture(0), on);
  EXPECT_EQ(Option("setup", "SFX"), "<none>");

  Click(52 + 10, 505 + 10);
  EXPECT_EQ(title.Sfx(), 0);
  EXPECT_EQ(Option("setup", "SFX"), "N");
  Click(52 + 10, 505 + 10);
  EXPECT_EQ(Option("setup", "SFX"), "Y");
  // The players are not touched by the switches.
  EXPECT_EQ(Option("Player1", "name"), "<none>");
}

TEST_F(TitleScreenTest, StoredSwitchShowsOffOnlyForAValueBeginningWithUpperCaseN) {
  launcher.Write("options.ini", "[setup]\nMusic=No\nsfx=n\n");
  OpenTitle();
  EXPECT_EQ(title.Music(), 0);
  EXPECT_EQ(title.Sfx(), 1);  // a lower-case "n" shows on here, though the game reads it as off
  Click(106 + 10, 505 + 10);
  EXPECT_EQ(Option("setup", "Music"), "Y");
}

TEST_F(TitleScreenTest, PlayStartsTheGameInItsFolderWithTheLauncherFolderAndEnds) {
  OpenTitle();
  Frame();
  EXPECT_EQ(Click(636 + 10, 296 + 10), kFrameResultQuit);
  ASSERT_EQ(starter.starts.size(), 1u);
  const platform::RecordingProcessStarter::Start& start = starter.starts[0];
  EXPECT_EQ(start.file, "Zeppolo.exe");
  EXPECT_EQ(start.argument, LauncherFolder());  // absolute, no quotes, no trailing separator
  EXPECT_NE(start.argument.back(), '/');
  EXPECT_EQ(Native(start.workingFolder), GameFolder("Zeppolo"));
  EXPECT_EQ(CurrentFolder(), LauncherFolder());
  EXPECT_TRUE(starter.addresses.empty());
}

TEST_F(TitleScreenTest, PlayEndsTheLauncherEvenWhenTheGameCannotStart) {
  starter.startResult = false;
  OpenTitle();
  Frame();
  EXPECT_EQ(Click(636 + 10, 296 + 10), kFrameResultQuit);
  EXPECT_EQ(starter.starts.size(), 1u);
}

TEST_F(TitleScreenTest, MenuGoesBackToThePagesAndExitEnds) {
  OpenTitle();
  Frame();
  EXPECT_EQ(Click(636 + 10, 365 + 10), 1);
  EXPECT_STREQ(CurrentScreen(), "Hubbix");
  EXPECT_EQ(CurrentFolder(), LauncherFolder());
  EXPECT_TRUE(starter.starts.empty());

  menu.SelectByCommandLine("Zeppolo");
  Frame();
  EXPECT_EQ(Click(636 + 10, 435 + 10), kFrameResultQuit);
  EXPECT_TRUE(starter.starts.empty());
}

TEST_F(TitleScreenTest, RulesAndCreditsAreAnsweredByAClickAnywhereOnThem) {
  OpenTitle();
  Frame();
  title.pictureScript = ClickScript(400, 300);
  EXPECT_EQ(Click(52 + 10, 296 + 10), 1);  // HowToPlay
  EXPECT_EQ(title.dialogsRun, 1);
  EXPECT_EQ(title.lastAnswer, "default");
  EXPECT_EQ(Click(52 + 10, 435 + 10), 1);  // Credits
  EXPECT_EQ(title.dialogsRun, 2);
  EXPECT_EQ(title.lastAnswer, "default");
  EXPECT_STREQ(CurrentScreen(), "title");
}

TEST_F(TitleScreenTest, DialogInterruptedByTheEndOfTheProgramEndsTheLauncher) {
  OpenTitle();
  Frame();
  platform::Messages().PostQuit(0);
  EXPECT_EQ(Click(52 + 10, 435 + 10), kFrameResultQuit);
}

TEST_F(TitleScreenTest, PlayersDialogEditsAreStoredForEveryPlayerAfterEnter) {
  launcher.Write("options.ini", "[setup]\nplayerid=1\n[Player5]\nname=Eve Ray\nsend=N\n");
  OpenTitle();
  Frame();
  // Replace the name "Player2" by "Kim Lee" and press enter's button.
  title.playersScript = [](int frame) {
    if (frame == 1) {
      for (int i = 0; i < 7; ++i)
        PushKey(0x0E);  // backspace
      PostText("kim leeK");
    }
    if (frame == 2) Mouse(53 + 474 + 10, 18 + 471 + 10, kLeft);
    if (frame == 3) Mouse(53 + 474 + 10, 18 + 471 + 10, 0);
  };
  EXPECT_EQ(Click(280 + 10, 318 + 10), 1);
  EXPECT_EQ(title.lastAnswer, "play");
  EXPECT_EQ(Option("Player2", "name"), "kim leeK");
  EXPECT_STREQ(title.PlayerField(1)->Text(), "kim");
  // Every player is written, the others as they were read.
  EXPECT_EQ(Option("Player1", "name"), "Player1");
  EXPECT_EQ(Option("Player5", "name"), "Eve Ray");
  EXPECT_EQ(Option("Player5", "send"), "N");
  EXPECT_EQ(Option("Player8", "send"), "Y");
}

TEST_F(TitleScreenTest, NamesAreUtf8FromTheDialogToTheFileAndBrokenBytesReadWithoutHarm) {
  // A hand edit in Latin-1, and a name one byte longer than its field whose last letter would
  // be split by the field's end.
  const std::string latin1 = "Zo\xE9 Lat";
  const std::string overlong = std::string(62, 'a') + "\xC3\xA9";
  launcher.Write("options.ini",
                 "[Player3]\nname=" + latin1 + "\n[Player4]\nname=" + overlong + "\n");
  OpenTitle();
  Frame();
  EXPECT_STREQ(title.PlayerField(2)->Text(), "Zo\xE9");
  EXPECT_STREQ(title.PlayerField(3)->Text(), std::string(62, 'a').c_str());

  title.playersScript = [](int frame) {
    if (frame == 1) {
      for (int i = 0; i < 7; ++i)
        PushKey(0x0E);
      PostText("Am\xC3\xA9lie Zo\xC3\xA9");
    }
    if (frame == 2) Mouse(53 + 474 + 10, 18 + 471 + 10, kLeft);
    if (frame == 3) Mouse(53 + 474 + 10, 18 + 471 + 10, 0);
  };
  EXPECT_EQ(Click(280 + 10, 318 + 10), 1);
  EXPECT_EQ(Option("Player1", "name"), "Am\xC3\xA9lie Zo\xC3\xA9");
  EXPECT_STREQ(title.PlayerField(0)->Text(), "Am\xC3\xA9lie");
  // Every player is written back: the broken bytes as they were, the long name as it was read.
  EXPECT_EQ(Option("Player3", "name"), latin1);
  EXPECT_EQ(Option("Player4", "name"), std::string(62, 'a'));
}

TEST_F(TitleScreenTest, HallOfFameClearWritesTheGamesOwnTable) {
  OpenTitle();
  Frame();
  title.hallScript = ClickScript(53 + 552 + 10, 18 + 149 + 10);  // clear
  EXPECT_EQ(Click(52 + 10, 365 + 10), 1);
  EXPECT_EQ(title.lastAnswer, "clear");
  EXPECT_EQ(std::filesystem::file_size(GameFolder("Zeppolo") + "/hiscore.dat"), 5204u);
  EXPECT_FALSE(launcher.Exists("hiscore.dat"));
}

}  // namespace
}  // namespace launcher_test
