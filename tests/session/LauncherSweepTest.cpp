// The launcher's part of the missing-file sweep: for each file it reads, missing or damaged, a
// scripted session on a copy of the staged layout: the pages and their information dialog, the
// game's page, the rules and credits pictures, the players dialog with a name stored, the hall of
// fame with an upload, back to the pages and the game's page again, and "Exit"; then the shell's
// shutdown. Each step's result is checked unless the damaged file is one that step needs; the
// sanitizer build watches every step for memory errors and leaks.

#include <string>

#include "framework/HighScoreTable.h"
#include "framework/MousePointer.h"
#include "platform/Profile.h"
#include "qz/qz.h"
#include "tests/launcher/LauncherFixture.h"
#include "tests/session/SweepCases.h"
#include "tests/session/TitlePlaces.h"

namespace launcher_test {
namespace {

using sweep::Hits;

constexpr int kSlotX = 14 + 20, kSlotY = 140 + 20;
constexpr int kInfoX = 637 + 10, kInfoY = 89 + 10;
constexpr int kInfoBackX = 689 + 10, kInfoBackY = 370 + 10;
constexpr int kPagesExitX = 718 + 10, kPagesExitY = 89 + 10;
constexpr int kHowToPlayX = 52 + 10, kHowToPlayY = 296 + 10;
constexpr int kCreditsX = 52 + 10, kCreditsY = 435 + 10;

class LauncherSweep : public LauncherTest, public ::testing::WithParamInterface<sweep::Case> {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    sweep::LinkLayout(launcher.Path());
    HighScoreTable table;
    table.Init(kHighScoreEntries);
    table.Insert("Ann Lee:1 Long Road:ann@example.org:Y", 912000);
    ASSERT_TRUE(table.Save(GameFolder("Zeppolo").append("/hiscore.dat").c_str()));
    sweep::Apply(launcher.Path(), GetParam(),
                 "[setup]\nplayerid=0\nMusic=Y\nSFX=N\n[Player1]\nname=Ann\nsend=Y\n");
  }

  bool Damaged(std::initializer_list<const char*> files) const { return Hits(GetParam(), files); }

  // Opens the game's page from the pages: by its button, or, where the button cannot be shown,
  // by the command line a returning game uses. False when the game is not listed at all.
  bool OpenGamePage() {
    Click(kSlotX, kSlotY);
    if (std::string(CurrentScreen()) != "title") {
      EXPECT_TRUE(Damaged({"GameButton.bmp", "Zeppolo/HubbixButton.bmp"}));
      menu.SelectByCommandLine("Zeppolo");
    }
    if (std::string(CurrentScreen()) != "title") return false;
    Frame();
    return true;
  }
};

TEST_P(LauncherSweep, PagesGamePageEachDialogAndExit) {
  const sweep::Case& c = GetParam();
  Start();
  ASSERT_STREQ(CurrentScreen(), "Hubbix");

  menu.helpScript = ClickScript(kInfoBackX, kInfoBackY);
  EXPECT_EQ(Click(kInfoX, kInfoY), 1);
  if (!Damaged({"Info.bmp", "backbutton.bmp", "BackButton.bmp"})) {
    EXPECT_EQ(menu.helpAnswer, "back");
  }
  EXPECT_STREQ(CurrentScreen(), "Hubbix");

  if (!OpenGamePage()) {
    // A game whose button picture cannot be read is not listed; the pages end the launcher.
    EXPECT_TRUE(Damaged({"Zeppolo/HubbixButton.bmp"}));
    EXPECT_EQ(Click(kPagesExitX, kPagesExitY), kFrameResultQuit);
  } else {
    title.pictureScript = ClickScript(400, 300);
    EXPECT_EQ(Click(kHowToPlayX, kHowToPlayY), 1);
    if (!Damaged({"HowToPlayButton.bmp"})) {
      EXPECT_EQ(title.lastAnswer, "default");
    }
    title.lastAnswer.clear();
    EXPECT_EQ(Click(kCreditsX, kCreditsY), 1);
    if (!Damaged({"CreditsButton.bmp"})) {
      EXPECT_EQ(title.lastAnswer, "default");
    }

    title.playersScript = TypeKimAndEnterScript(kEnterX, kEnterY);
    EXPECT_EQ(Click(kPlayersX, kPlayersY), 1);
    const bool optionsWritable = !(c.file == "options.ini" && c.damage == sweep::Damage::kFolder);
    if (optionsWritable && !Damaged({"PlayersButton.bmp", "EnterButton.bmp"})) {
      char name[64];
      platform::ReadProfileString("Player1", "name", "", name, sizeof(name),
                                  (launcher / "options.ini").c_str());
      EXPECT_STREQ(name, "kim");
    }

    title.hallScript = UploadThenBackScript(kUploadX, kUploadY, kBackX, kBackY);
    title.lastAnswer.clear();
    EXPECT_EQ(Click(kHighScoresX, kHighScoresY), 1);
    if (!Damaged({"HighScoresButton.bmp", "UploadButton.bmp", "backbutton.bmp", "BackButton.bmp",
                  "Zeppolo/hiscore.dat"})) {
      EXPECT_EQ(title.lastAnswer, "back");
      ASSERT_EQ(starter.addresses.size(), 1u);
      EXPECT_NE(starter.addresses[0].find("Ann%20Lee"), std::string::npos);
    }

    EXPECT_EQ(Click(kMenuX, kMenuY), 1);
    if (!Damaged({"MenuButton.bmp"})) {
      EXPECT_STREQ(CurrentScreen(), "Hubbix");
    }
    if (std::string(CurrentScreen()) == "Hubbix") {
      Frame();  // the pages' first frame enables the slots that hold games
      ASSERT_TRUE(OpenGamePage());
    }

    // "Exit" ends the launcher; without its picture the window's close does (below).
    const int result = Click(kExitX, kExitY);
    if (!Damaged({"ExitButton.bmp"})) {
      EXPECT_EQ(result, kFrameResultQuit);
    }
  }
  EXPECT_TRUE(starter.starts.empty());

  // The shell's shutdown, in the shell's order.
  TheScreenManager().CloseAll();
  TheMousePointer().Free();
  QZAcquireMouse(0);
  QZFreeFont();
  QZFreeDirectInput();
  QZFreeDirectX();
}

INSTANTIATE_TEST_SUITE_P(EachFile, LauncherSweep,
                         ::testing::ValuesIn(sweep::Cases(sweep::Reader::kLauncher)),
                         sweep::CaseName);

}  // namespace
}  // namespace launcher_test
