// The game pages: which folders are games, the slots of a page, the collect slot, the page
// arrows and number, the information dialog, the maker's site for empty slots, and the choice of
// a game by click or by the command line a game hands back.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "LauncherFixture.h"
#include "launcher/Maker.h"

namespace launcher_test {
namespace {

struct Slot {
  int x;
  int y;
};
constexpr Slot kSlots[12] = {{14, 140}, {271, 140}, {528, 140}, {14, 247}, {271, 247}, {528, 247},
                             {14, 355}, {271, 355}, {528, 355}, {14, 461}, {271, 461}, {528, 461}};
// Inside a slot button, on the game's picture (the slot frame's inside is transparent).
constexpr int kInsideX = 125;
constexpr int kInsideY = 51;

class MenuScreenTest : public LauncherTest {
 protected:
  void AddGames(int n) {
    for (int k = 0; k < n; ++k) {
      char name[24];
      std::snprintf(name, sizeof(name), "Game%02d", k);
      AddGame(name, GameColour(k));
    }
  }
  static int ClickSlot(int slot) { return Click(kSlots[slot].x + 20, kSlots[slot].y + 20); }
  bool SlotEnabled(int slot) const {
    char name[24];
    std::snprintf(name, sizeof(name), "button%d", slot + 1);
    const Button* button = menu.Buttons()->Find(name);
    return button != nullptr && button->IsEnabled() != 0;
  }
  // What the page shows inside a slot: the scene holds the games' and the collect pictures.
  uint16_t SceneInSlot(int slot) const {
    return TheDirtyRects().Scene()->PixelAt(kSlots[slot].x + kInsideX, kSlots[slot].y + kInsideY);
  }
  uint16_t CollectPixel() const {
    const Sprite* collect = menu.CollectPicture();
    return collect->Frame(0)->PixelAt(kInsideX, kInsideY);
  }
};

TEST_F(MenuScreenTest, FiveGamesFillTheFirstSlotsAndTheCollectSlotFollows) {
  AddGames(5);
  Start();
  ASSERT_EQ(menu.Count(), 5);
  EXPECT_STREQ(menu.Game(0)->name, "Game00");
  EXPECT_STREQ(menu.Game(0)->program, "Game00.exe");
  EXPECT_EQ(Native(menu.Game(4)->folder), GameFolder("Game04"));

  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(SceneInSlot(k), Pixel565(GameColour(k))) << "slot " << k + 1;
    EXPECT_TRUE(SlotEnabled(k));
  }
  EXPECT_EQ(menu.CollectPicture()->X(), 528);
  EXPECT_EQ(menu.CollectPicture()->Y(), 247);
  EXPECT_EQ(SceneInSlot(5), CollectPixel());
  EXPECT_TRUE(SlotEnabled(5));
  for (int slot = 6; slot < 12; ++slot)
    EXPECT_FALSE(SlotEnabled(slot)) << "slot " << slot + 1;

  // Slots without anything do nothing; the collect slot opens the maker's site.
  EXPECT_EQ(ClickSlot(8), 1);
  EXPECT_TRUE(starter.addresses.empty());
  EXPECT_EQ(ClickSlot(5), 1);
  ASSERT_EQ(starter.addresses.size(), 1u);
  EXPECT_EQ(starter.addresses[0], kMakerSite);
  EXPECT_TRUE(starter.starts.empty());
  EXPECT_STREQ(CurrentScreen(), "Hubbix");

  // No second page.
  Click(739 + 10, 19 + 10);
  EXPECT_EQ(menu.Page(), 0);
}

TEST_F(MenuScreenTest, ElevenGamesPutTheCollectSlotLastOnTheFirstPage) {
  AddGames(11);
  Start();
  ASSERT_EQ(menu.Count(), 11);
  EXPECT_EQ(menu.CollectPicture()->X(), 528);
  EXPECT_EQ(menu.CollectPicture()->Y(), 461);
  EXPECT_EQ(SceneInSlot(10), Pixel565(GameColour(10)));
  EXPECT_EQ(SceneInSlot(11), CollectPixel());
  Click(739 + 10, 19 + 10);
  EXPECT_EQ(menu.Page(), 0);
}

TEST_F(MenuScreenTest, TwelveGamesMakeASecondPageWithOnlyTheCollectSlot) {
  AddGames(12);
  Start();
  ASSERT_EQ(menu.Count(), 12);
  for (int slot = 0; slot < 12; ++slot)
    EXPECT_EQ(SceneInSlot(slot), Pixel565(GameColour(slot)));

  // The page number ends at x 716: "1" on the first page.
  Sprite digits;
  ASSERT_EQ(digits.LoadStrip("PageNumbers.bmp", 10, 0), 10);
  const int digitWidth = digits.Width() / 10;
  auto showsDigit = [&](int digit) {
    const QZSurface* frame = digits.Frame(digit);
    for (int y = 0; y < frame->Height(); ++y) {
      for (int x = 0; x < frame->Width(); ++x) {
        const uint16_t p = frame->PixelAt(x, y);
        if (p == 0x001F) continue;  // transparent
        if (TheDirtyRects().Scene()->PixelAt(716 - digitWidth + x, 30 + y) != p) return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(showsDigit(1));

  Click(739 + 10, 19 + 10);  // right
  ASSERT_EQ(menu.Page(), 1);
  Frame();
  EXPECT_TRUE(showsDigit(2));
  EXPECT_EQ(menu.CollectPicture()->X(), 14);
  EXPECT_EQ(menu.CollectPicture()->Y(), 140);
  EXPECT_EQ(SceneInSlot(0), CollectPixel());
  // The second page holds no games; the slots enabled on the first stay enabled and open the
  // maker's site, as the collect slot does.
  for (int slot = 0; slot < 12; ++slot)
    EXPECT_TRUE(SlotEnabled(slot));
  ClickSlot(0);
  ClickSlot(7);
  ASSERT_EQ(starter.addresses.size(), 2u);
  EXPECT_EQ(starter.addresses[1], kMakerSite);
  EXPECT_TRUE(starter.starts.empty());
  EXPECT_STREQ(CurrentScreen(), "Hubbix");

  Click(739 + 10, 19 + 10);  // right: no third page
  EXPECT_EQ(menu.Page(), 1);
  Click(638 + 10, 19 + 10);  // left
  EXPECT_EQ(menu.Page(), 0);
  Click(638 + 10, 19 + 10);  // left on the first page
  EXPECT_EQ(menu.Page(), 0);
}

TEST_F(MenuScreenTest, OnlyPlainFoldersWithAButtonPictureAreGames) {
  AddGame("Zeppolo");
  AddGame(".Hidden");
  AddGame(std::string(59, 'a'));  // its program name just fits
  AddGame(std::string(60, 'b'));  // its program name would not
  launcher.Write("NoButton/readme.txt", "x");
  launcher.Write("NotAFolder", "x");
  Start();
  ASSERT_EQ(menu.Count(), 2);
  EXPECT_STREQ(menu.Game(0)->name, "Zeppolo");
  EXPECT_STREQ(menu.Game(1)->name, std::string(59, 'a').c_str());
  EXPECT_STREQ(menu.Game(1)->program, (std::string(59, 'a') + ".exe").c_str());
}

TEST_F(MenuScreenTest, ReadOnlyGameFolderIsSkipped) {
  AddGame("Open");
  AddGame("Locked");
  ASSERT_EQ(chmod(GameFolder("Locked").c_str(), 0555), 0);
  ASSERT_EQ(chmod(GameFolder("Open").c_str(), 0777), 0);
  if (geteuid() != 0) {
    Start();
    ASSERT_EQ(menu.Count(), 1);
    EXPECT_STREQ(menu.Game(0)->name, "Open");
    return;
  }
  // The superuser may write anywhere; look as an ordinary user from a child process.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    TheScreenManager().Select("Hubbix");
    const bool right = menu.Count() == 1 && std::string(menu.Game(0)->name) == "Open";
    _exit(right ? 0 : 10 + menu.Count());
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(MenuScreenTest, FolderWhosePathWouldNotFitIsSkipped) {
  // Nest the launcher deep enough that launcher folder + "\\" + name passes 255 characters.
  const std::string base = LauncherFolder();
  std::string deep = base;
  while (deep.size() < 200)
    deep += "/" + std::string(40, 'd');
  std::filesystem::create_directories(deep);
  const std::string fits(254 - deep.size(), 'f');  // exactly 255 characters with the "\\"
  const std::string tooLong(fits.size() + 1, 'g');
  for (const std::string& name : {fits, tooLong}) {
    std::filesystem::create_directory(deep + "/" + name);
    ASSERT_TRUE(WriteBitmap24(deep + "/" + name + "/HubbixButton.bmp", 250, 102, [](int, int) {
      return Rgb{9, 9, 9};
    }));
  }
  for (const auto& entry : std::filesystem::directory_iterator(StagedLauncher())) {
    if (entry.path().extension() == ".bmp") {
      std::filesystem::create_symlink(entry.path(), deep + "/" + entry.path().filename().string());
    }
  }
  ASSERT_TRUE(platform::SetCurrentFolder(deep.c_str()));
  Start();
  ASSERT_EQ(menu.Count(), 1);
  EXPECT_STREQ(menu.Game(0)->name, fits.c_str());
  EXPECT_EQ(std::string(menu.Game(0)->folder).size(), 255u);
}

TEST_F(MenuScreenTest, NoGamesLeaveOnlyTheCollectSlot) {
  Start();
  EXPECT_EQ(menu.Count(), 0);
  EXPECT_EQ(menu.CollectPicture()->X(), 14);
  EXPECT_EQ(menu.CollectPicture()->Y(), 140);
  EXPECT_TRUE(SlotEnabled(0));
  EXPECT_FALSE(SlotEnabled(1));
  Click(739 + 10, 19 + 10);
  EXPECT_EQ(menu.Page(), 0);
  ClickSlot(0);
  EXPECT_EQ(starter.addresses.size(), 1u);
}

TEST_F(MenuScreenTest, ClickOnAGameOpensItsTitlePageInItsFolder) {
  AddGame("Alpha", {10, 200, 10});
  AddGame("Zeppolo");
  Start();
  EXPECT_EQ(ClickSlot(1), 1);
  EXPECT_STREQ(CurrentScreen(), "title");
  ASSERT_NE(title.Game(), nullptr);
  EXPECT_STREQ(title.Game()->name, "Zeppolo");
  EXPECT_EQ(CurrentFolder(), GameFolder("Zeppolo"));
  EXPECT_TRUE(starter.starts.empty());
  EXPECT_TRUE(starter.addresses.empty());
}

TEST_F(MenuScreenTest, CommandLineOpensTheGameWhoseProgramItBegins) {
  AddGame("Alpha");
  AddGame("Zeppolo");
  Start("Zeppolo");
  EXPECT_STREQ(CurrentScreen(), "title");
  ASSERT_NE(title.Game(), nullptr);
  EXPECT_STREQ(title.Game()->name, "Zeppolo");
  EXPECT_EQ(CurrentFolder(), GameFolder("Zeppolo"));
}

TEST_F(MenuScreenTest, CommandLineMatchingNoGameKeepsThePages) {
  AddGame("Zeppolo");
  Start("zeppolo");  // names are compared with their case
  EXPECT_STREQ(CurrentScreen(), "Hubbix");
  Start("Zeppolo.exe --more");
  EXPECT_STREQ(CurrentScreen(), "Hubbix");
  EXPECT_EQ(CurrentFolder(), LauncherFolder());
}

TEST_F(MenuScreenTest, CommandLineMatchingSeveralGamesTakesTheLast) {
  AddGame("Zeppolo");
  AddGame("ZeppoloDeluxe");
  Start("Zeppolo");
  ASSERT_NE(title.Game(), nullptr);
  EXPECT_STREQ(title.Game()->name, "ZeppoloDeluxe");
}

TEST_F(MenuScreenTest, ExitEndsTheLauncher) {
  AddGame("Zeppolo");
  Start();
  EXPECT_EQ(Click(718 + 10, 89 + 10), kFrameResultQuit);
}

TEST_F(MenuScreenTest, InformationDialogIsAnsweredByItsBackButton) {
  Start();
  // The information picture covers the screen; its back button lies at (689, 370).
  menu.helpScript = ClickScript(689 + 10, 370 + 10);
  EXPECT_EQ(Click(637 + 10, 89 + 10), 1);
  EXPECT_EQ(menu.helpAnswer, "back");
  EXPECT_STREQ(CurrentScreen(), "Hubbix");
}

TEST_F(MenuScreenTest, InformationDialogInterruptedByTheEndOfTheProgramEndsTheLauncher) {
  Start();
  platform::Messages().PostQuit(0);
  menu.helpScript = nullptr;
  EXPECT_EQ(Click(637 + 10, 89 + 10), kFrameResultQuit);
}

TEST_F(MenuScreenTest, ReturningFromATitlePageBuildsThePagesAfresh) {
  AddGames(12);
  Start();
  Click(739 + 10, 19 + 10);
  ASSERT_EQ(menu.Page(), 1);
  Click(638 + 10, 19 + 10);
  ClickSlot(2);
  ASSERT_STREQ(CurrentScreen(), "title");
  AddGame("Zz");              // installed meanwhile
  Click(636 + 10, 365 + 10);  // the title page's "Menu"
  EXPECT_STREQ(CurrentScreen(), "Hubbix");
  EXPECT_EQ(CurrentFolder(), LauncherFolder());
  EXPECT_EQ(menu.Page(), 0);
  EXPECT_EQ(menu.Count(), 13);
  EXPECT_EQ(title.Game(), nullptr);
}

}  // namespace
}  // namespace launcher_test
