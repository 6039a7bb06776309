// A whole launcher session, scripted, for the sanitizer build to watch for leaks and memory
// errors: the pages, the game's page, the players dialog with an edit stored, the hall of fame
// with an upload, back to the pages, the game's page again, and "Exit", which ends the launcher;
// then the shell's shutdown, in the shell's order.

#include <string>

#include "framework/HighScoreTable.h"
#include "framework/MousePointer.h"
#include "platform/Profile.h"
#include "qz/qz.h"
#include "tests/launcher/LauncherFixture.h"
#include "tests/session/TitlePlaces.h"

namespace launcher_test {
namespace {

constexpr int kFirstSlotX = 14 + 20, kFirstSlotY = 140 + 20;

using LauncherSession = LauncherTest;

TEST_F(LauncherSession, PagesGamePagePlayersHallOfFameAndExit) {
  AddGame("Zeppolo");
  AddGame("Another", GameColour(3));
  {
    HighScoreTable table;
    table.Init(kHighScoreEntries);
    table.Insert("Ann Lee:1 Long Road:ann@example.org:Y", 912000);
    table.Insert("Bo:::N", 300);
    ASSERT_TRUE(table.Save((GameFolder("Zeppolo") + "/hiscore.dat").c_str()));
  }

  Start();
  ASSERT_STREQ(CurrentScreen(), "Hubbix");
  // The games are listed by name: "Another" first, then "Zeppolo".
  ASSERT_EQ(Click(kFirstSlotX + 257, kFirstSlotY), 1);
  ASSERT_STREQ(CurrentScreen(), "title");
  ASSERT_STREQ(title.Game()->name, "Zeppolo");
  Frame();

  // The players dialog: a name typed for the first player and stored with the enter button.
  title.playersScript = TypeKimAndEnterScript(kEnterX, kEnterY);
  EXPECT_EQ(Click(kPlayersX, kPlayersY), 1);
  EXPECT_EQ(title.lastAnswer, "play");
  char name[64];
  platform::ReadProfileString("Player1", "name", "", name, sizeof(name),
                              (launcher / "options.ini").c_str());
  EXPECT_STREQ(name, "kim");

  // The hall of fame: its table drawn, the best entry uploaded, then back.
  title.hallScript = UploadThenBackScript(kUploadX, kUploadY, kBackX, kBackY);
  EXPECT_EQ(Click(kHighScoresX, kHighScoresY), 1);
  EXPECT_EQ(title.lastAnswer, "back");
  ASSERT_EQ(starter.addresses.size(), 1u);
  EXPECT_NE(starter.addresses[0].find("name=Ann%20Lee:1%20Long%20Road:ann@example.org:Y"),
            std::string::npos);

  // Back to the pages, which are built afresh, and to the game's page once more.
  EXPECT_EQ(Click(kMenuX, kMenuY), 1);
  ASSERT_STREQ(CurrentScreen(), "Hubbix");
  Frame();  // the pages' first frame enables the slots that hold games
  ASSERT_EQ(Click(kFirstSlotX + 257, kFirstSlotY), 1);
  ASSERT_STREQ(CurrentScreen(), "title");
  Frame();

  // "Exit" ends the launcher; the shell then shuts down in this order.
  EXPECT_EQ(Click(kExitX, kExitY), kFrameResultQuit);
  EXPECT_TRUE(starter.starts.empty());
  TheScreenManager().CloseAll();
  TheMousePointer().Free();
  QZAcquireMouse(0);
  QZFreeFont();
  QZFreeDirectInput();
  QZFreeDirectX();
}

}  // namespace
}  // namespace launcher_test
